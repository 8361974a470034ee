#include "ctrl/platform/gtk/GtkWindowBackend.h"

#include "application/platform/gtk/GtkBackend.h"
#include "ctrl/CairoGraphicsContext.h"
#include "ctrl/DefaultWindowIcon.h"
#include "ctrl/VWindow.h"
#include "ctrl/WindowMessages.h"

#include <cmath>
#include <cstdlib>
#include <string>

namespace VCtrl {

namespace {

uintptr_t MouseStateFromModifiers(guint state) {
    uintptr_t bits = 0;
    if (state & GDK_BUTTON1_MASK) bits |= MouseState::kLeftButton;
    if (state & GDK_BUTTON3_MASK) bits |= MouseState::kRightButton;
    if (state & GDK_SHIFT_MASK) bits |= MouseState::kShift;
    if (state & GDK_CONTROL_MASK) bits |= MouseState::kControl;
    return bits;
}

intptr_t PointParam(double x, double y) {
    return MakePointParam(int(std::floor(x)), int(std::floor(y)));
}

// The toolkit's default window icon as a pixbuf (the window keeps its own reference).
GdkPixbuf* DefaultIcon() {
    constexpr int kSize = 48;
    VFoundation::VRef<OffscreenGraphicsContext> picture = MakeDefaultWindowIcon(kSize);
    if (!picture) return nullptr;
    return gdk_pixbuf_get_from_surface(static_cast<CairoGraphicsContext&>(*picture).GetTarget(), 0, 0, kSize,
                                       kSize);
}

} // namespace

GtkPlatformWindow::GtkPlatformWindow(VWindow& window, const CWindowAttributes& attributes, const VRect& frame,
                                     const char* windowClassName)
    : m_owner(window), m_attributes(attributes), m_width(frame.width), m_height(frame.height) {
    m_window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    // The window stays ours until the destructor, whatever the window manager does.
    g_object_ref_sink(m_window);
    GtkWindow* gtkWindow = GTK_WINDOW(m_window);
    gtk_window_set_title(gtkWindow, VApplication::GtkBackend::ToUtf8(attributes.title.GetText()).c_str());
    if (windowClassName && *windowClassName) gtk_window_set_role(gtkWindow, windowClassName);
    gtk_window_set_decorated(gtkWindow, attributes.HasCaption());
    gtk_window_set_resizable(gtkWindow, attributes.IsResizable());
    if (attributes.IsPopup()) gtk_window_set_type_hint(gtkWindow, GDK_WINDOW_TYPE_HINT_SPLASHSCREEN);
    if (attributes.IsTopmost()) gtk_window_set_keep_above(gtkWindow, TRUE);
    // A window with a caption always has an icon: the one asked for, or the toolkit's own.
    bool hasIcon = false;
    if (!attributes.icon.IsEmpty())
        hasIcon = gtk_window_set_icon_from_file(gtkWindow, attributes.icon.GetText(), nullptr) != FALSE;
    if (!hasIcon && attributes.HasCaption()) {
        if (GdkPixbuf* icon = DefaultIcon()) {
            gtk_window_set_icon(gtkWindow, icon);
            g_object_unref(icon);
        }
    }

    m_area = gtk_drawing_area_new();
    gtk_widget_set_can_focus(m_area, TRUE);
    gtk_widget_add_events(m_area, GDK_BUTTON_PRESS_MASK | GDK_BUTTON_RELEASE_MASK | GDK_POINTER_MOTION_MASK |
                                      GDK_SCROLL_MASK | GDK_KEY_PRESS_MASK | GDK_KEY_RELEASE_MASK);
    if (attributes.IsResizable()) {
        gtk_window_set_default_size(gtkWindow, frame.width, frame.height);
    } else {
        gtk_widget_set_size_request(m_area, frame.width, frame.height);
    }
    gtk_container_add(GTK_CONTAINER(m_window), m_area);
    gtk_window_move(gtkWindow, frame.x, frame.y);

    if (attributes.AcceptsFiles()) {
        gtk_drag_dest_set(m_area, GTK_DEST_DEFAULT_ALL, nullptr, 0, GDK_ACTION_COPY);
        gtk_drag_dest_add_uri_targets(m_area);
        g_signal_connect(m_area, "drag-data-received", G_CALLBACK(OnDragDataReceived), this);
    }
    g_signal_connect(m_area, "draw", G_CALLBACK(OnDraw), this);
    g_signal_connect(m_area, "button-press-event", G_CALLBACK(OnButtonPress), this);
    g_signal_connect(m_area, "button-release-event", G_CALLBACK(OnButtonRelease), this);
    g_signal_connect(m_area, "motion-notify-event", G_CALLBACK(OnMotion), this);
    g_signal_connect(m_area, "scroll-event", G_CALLBACK(OnScroll), this);
    g_signal_connect(m_area, "size-allocate", G_CALLBACK(OnSizeAllocate), this);
    g_signal_connect(m_window, "key-press-event", G_CALLBACK(OnKey), this);
    g_signal_connect(m_window, "key-release-event", G_CALLBACK(OnKey), this);
    g_signal_connect(m_window, "focus-in-event", G_CALLBACK(OnFocus), this);
    g_signal_connect(m_window, "focus-out-event", G_CALLBACK(OnFocus), this);
    g_signal_connect(m_window, "delete-event", G_CALLBACK(OnDelete), this);
    g_signal_connect(m_window, "configure-event", G_CALLBACK(OnConfigure), this);
    g_signal_connect(m_window, "realize", G_CALLBACK(OnRealize), this);
    g_signal_connect(m_window, "destroy", G_CALLBACK(OnDestroy), this);
    gtk_widget_show(m_area);
}

GtkPlatformWindow::~GtkPlatformWindow() {
    if (!m_window) return;
    g_signal_handlers_disconnect_by_data(m_window, this);
    if (m_area) g_signal_handlers_disconnect_by_data(m_area, this);
    gtk_widget_destroy(m_window);
    g_object_unref(m_window);
}

intptr_t GtkPlatformWindow::Send(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    return m_owner.HandleMessage(message, wParam, lParam);
}

void GtkPlatformWindow::Show(bool show) {
    if (!m_window) return;
    if (show)
        gtk_widget_show(m_window);
    else
        gtk_widget_hide(m_window);
}

bool GtkPlatformWindow::IsShown() const {
    return m_window && gtk_widget_get_visible(m_window);
}

void GtkPlatformWindow::SetTitle(const char* title) {
    if (m_window) gtk_window_set_title(GTK_WINDOW(m_window), VApplication::GtkBackend::ToUtf8(title).c_str());
}

void GtkPlatformWindow::Invalidate(const VRect& rect) {
    if (m_area) gtk_widget_queue_draw_area(m_area, rect.x, rect.y, rect.width, rect.height);
}

void GtkPlatformWindow::Update() {
    GdkWindow* window = m_area ? gtk_widget_get_window(m_area) : nullptr;
    if (!window) return;
    // The one way GTK 3 offers to paint the queued areas now rather than at the next frame.
    G_GNUC_BEGIN_IGNORE_DEPRECATIONS
    gdk_window_process_updates(window, TRUE);
    G_GNUC_END_IGNORE_DEPRECATIONS
}

void GtkPlatformWindow::Present(OffscreenGraphicsContext& offscreen, const VRect& rect) {
    cairo_surface_t* surface = static_cast<CairoGraphicsContext&>(offscreen).GetTarget();
    if (!surface) return;
    if (!m_paintContext) {
        // Outside a draw the copy happens at the next one.
        Invalidate(rect);
        return;
    }
    cairo_surface_flush(surface);
    cairo_save(m_paintContext);
    cairo_set_operator(m_paintContext, CAIRO_OPERATOR_SOURCE);
    cairo_set_source_surface(m_paintContext, surface, 0, 0);
    cairo_rectangle(m_paintContext, rect.x, rect.y, rect.width, rect.height);
    cairo_fill(m_paintContext);
    cairo_restore(m_paintContext);
}

void GtkPlatformWindow::Focus() {
    if (!m_window) return;
    gtk_widget_grab_focus(m_area);
    gtk_window_present(GTK_WINDOW(m_window));
}

// Events

gboolean GtkPlatformWindow::OnDraw(GtkWidget*, cairo_t* cr, gpointer data) {
    auto* self = static_cast<GtkPlatformWindow*>(data);
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    cairo_clip_extents(cr, &x1, &y1, &x2, &y2);
    const int left = int(std::floor(x1)), top = int(std::floor(y1));
    const VRect rect{left, top, int(std::ceil(x2)) - left, int(std::ceil(y2)) - top};
    // Whatever no root paints stays white, like the platform's window class brush.
    cairo_save(cr);
    cairo_set_source_rgb(cr, 1.0, 1.0, 1.0);
    cairo_paint(cr);
    cairo_restore(cr);
    self->m_paintContext = cr;
    self->Send(WindowMessage::kPaint, 0, reinterpret_cast<intptr_t>(&rect));
    self->m_paintContext = nullptr;
    return TRUE;
}

gboolean GtkPlatformWindow::OnButtonPress(GtkWidget* widget, GdkEventButton* event, gpointer data) {
    auto* self = static_cast<GtkPlatformWindow*>(data);
    // GTK reports double clicks as an extra event after the second press; the second press itself is the
    // double click here, detected with GTK's own time and distance settings.
    if (event->type != GDK_BUTTON_PRESS || (event->button != 1 && event->button != 3)) return FALSE;
    const bool left = event->button == 1;
    uintptr_t state =
        MouseStateFromModifiers(event->state) | (left ? MouseState::kLeftButton : MouseState::kRightButton);
    const int x = int(std::floor(event->x)), y = int(std::floor(event->y));
    uint32_t message = left ? WindowMessage::kLeftButtonDown : WindowMessage::kRightButtonDown;
    if (left) {
        gint doubleClickTime = 400, doubleClickDistance = 5;
        g_object_get(gtk_widget_get_settings(widget), "gtk-double-click-time", &doubleClickTime,
                     "gtk-double-click-distance", &doubleClickDistance, nullptr);
        if (self->m_lastClickValid && event->time - self->m_lastClickTime <= guint32(doubleClickTime) &&
            std::abs(x - self->m_lastClickX) <= doubleClickDistance &&
            std::abs(y - self->m_lastClickY) <= doubleClickDistance) {
            message = WindowMessage::kLeftButtonDoubleClick;
            self->m_lastClickValid = false;
        } else {
            self->m_lastClickValid = true;
            self->m_lastClickTime = event->time;
            self->m_lastClickX = x;
            self->m_lastClickY = y;
        }
    }
    self->Send(message, state, MakePointParam(x, y));
    return TRUE;
}

gboolean GtkPlatformWindow::OnButtonRelease(GtkWidget*, GdkEventButton* event, gpointer data) {
    auto* self = static_cast<GtkPlatformWindow*>(data);
    if (event->button != 1 && event->button != 3) return FALSE;
    const bool left = event->button == 1;
    const uintptr_t state = MouseStateFromModifiers(event->state) &
                            ~uintptr_t(left ? MouseState::kLeftButton : MouseState::kRightButton);
    self->Send(left ? WindowMessage::kLeftButtonUp : WindowMessage::kRightButtonUp, state,
               PointParam(event->x, event->y));
    return TRUE;
}

gboolean GtkPlatformWindow::OnMotion(GtkWidget*, GdkEventMotion* event, gpointer data) {
    auto* self = static_cast<GtkPlatformWindow*>(data);
    self->Send(WindowMessage::kMouseMove, MouseStateFromModifiers(event->state),
               PointParam(event->x, event->y));
    return TRUE;
}

gboolean GtkPlatformWindow::OnScroll(GtkWidget*, GdkEventScroll* event, gpointer data) {
    auto* self = static_cast<GtkPlatformWindow*>(data);
    int delta = 0;
    switch (event->direction) {
    case GDK_SCROLL_UP:
        delta = 120;
        break;
    case GDK_SCROLL_DOWN:
        delta = -120;
        break;
    case GDK_SCROLL_SMOOTH:
        delta = int(std::lround(-event->delta_y * 120.0));
        break;
    default:
        return FALSE;
    }
    if (delta == 0) return TRUE;
    const uintptr_t wParam =
        (uintptr_t(uint16_t(int16_t(delta))) << 16) | MouseStateFromModifiers(event->state);
    self->Send(WindowMessage::kMouseWheel, wParam, PointParam(event->x, event->y));
    return TRUE;
}

gboolean GtkPlatformWindow::OnKey(GtkWidget*, GdkEventKey* event, gpointer data) {
    auto* self = static_cast<GtkPlatformWindow*>(data);
    VWindow& owner = self->m_owner;
    // The key as it is without Shift, so that "!" is the key of "1", as virtual keys are.
    guint keyval = event->keyval;
    guint base = 0;
    if (gdk_keymap_translate_keyboard_state(gdk_keymap_get_for_display(gdk_window_get_display(event->window)),
                                            event->hardware_keycode, GdkModifierType(0), event->group, &base,
                                            nullptr, nullptr, nullptr))
        keyval = base;
    int32_t key = VirtualKeyFromKeyval(keyval);
    if (!key) key = VirtualKeyFromKeyval(event->keyval);
    const bool down = event->type == GDK_KEY_PRESS;
    const bool system = (event->state & GDK_MOD1_MASK) || key == VirtualKey::kMenu;
    if (key) {
        uint32_t message;
        if (down)
            message = system ? WindowMessage::kSystemKeyDown : WindowMessage::kKeyDown;
        else
            message = system ? WindowMessage::kSystemKeyUp : WindowMessage::kKeyUp;
        self->Send(message, uintptr_t(key), 0);
    }
    if (down && !system) {
        guint32 code = gdk_keyval_to_unicode(event->keyval);
        if (event->keyval == GDK_KEY_Return || event->keyval == GDK_KEY_KP_Enter)
            code = '\r';
        else if (event->keyval == GDK_KEY_BackSpace)
            code = 8;
        else if (event->keyval == GDK_KEY_Escape)
            code = 27;
        // The toolkit's text is 8-bit: characters beyond Latin-1 have no code to send.
        if (code != 0 && code < 0x100) owner.HandleMessage(WindowMessage::kChar, code, 0);
    }
    return TRUE;
}

gboolean GtkPlatformWindow::OnFocus(GtkWidget*, GdkEventFocus* event, gpointer data) {
    auto* self = static_cast<GtkPlatformWindow*>(data);
    self->m_focused = event->in != 0;
    self->Send(event->in ? WindowMessage::kSetFocus : WindowMessage::kKillFocus, 0, 0);
    return FALSE;
}

gboolean GtkPlatformWindow::OnDelete(GtkWidget*, GdkEvent*, gpointer data) {
    // Allowed or refused, the window handles the close itself (an allowed close destroys this object).
    static_cast<GtkPlatformWindow*>(data)->Send(WindowMessage::kClose, 0, 0);
    return TRUE;
}

gboolean GtkPlatformWindow::OnConfigure(GtkWidget* widget, GdkEventConfigure*, gpointer data) {
    auto* self = static_cast<GtkPlatformWindow*>(data);
    GdkWindow* area = self->m_area ? gtk_widget_get_window(self->m_area) : nullptr;
    gint x = 0, y = 0;
    if (area)
        gdk_window_get_origin(area, &x, &y);
    else
        gtk_window_get_position(GTK_WINDOW(widget), &x, &y);
    if (x != self->m_x || y != self->m_y) {
        self->m_x = x;
        self->m_y = y;
        self->Send(WindowMessage::kMove, 0, MakePointParam(x, y));
    }
    return FALSE;
}

void GtkPlatformWindow::OnSizeAllocate(GtkWidget*, GdkRectangle* allocation, gpointer data) {
    auto* self = static_cast<GtkPlatformWindow*>(data);
    if (allocation->width == self->m_width && allocation->height == self->m_height) return;
    self->m_width = allocation->width;
    self->m_height = allocation->height;
    self->Send(WindowMessage::kSize, 0,
               intptr_t(uint32_t(self->m_width & 0xFFFF) | (uint32_t(self->m_height & 0xFFFF) << 16)));
}

void GtkPlatformWindow::OnRealize(GtkWidget* widget, gpointer data) {
    auto* self = static_cast<GtkPlatformWindow*>(data);
    GdkWindow* window = gtk_widget_get_window(widget);
    if (!window) return;
    const CWindowAttributes& attributes = self->m_attributes;
    int functions = GDK_FUNC_MOVE | GDK_FUNC_CLOSE;
    if (attributes.HasStyle(CWindowAttributes::kStyleMinimizeBox)) functions |= GDK_FUNC_MINIMIZE;
    if (attributes.HasStyle(CWindowAttributes::kStyleMaximizeBox)) functions |= GDK_FUNC_MAXIMIZE;
    if (attributes.IsResizable()) functions |= GDK_FUNC_RESIZE;
    gdk_window_set_functions(window, GdkWMFunction(functions));
}

void GtkPlatformWindow::OnDestroy(GtkWidget*, gpointer data) {
    // Destroyed from outside (the destructor disconnects first): the window ends with it.
    auto* self = static_cast<GtkPlatformWindow*>(data);
    GtkWidget* window = self->m_window;
    g_signal_handlers_disconnect_by_data(window, self);
    if (self->m_area) g_signal_handlers_disconnect_by_data(self->m_area, self);
    self->m_window = nullptr;
    self->m_area = nullptr;
    VWindow& owner = self->m_owner;
    owner.HandleMessage(WindowMessage::kDestroy, 0, 0);
    g_object_unref(window);
}

void GtkPlatformWindow::OnDragDataReceived(GtkWidget*, GdkDragContext*, gint x, gint y,
                                           GtkSelectionData* selection, guint, guint, gpointer data) {
    auto* self = static_cast<GtkPlatformWindow*>(data);
    gchar** uris = gtk_selection_data_get_uris(selection);
    if (!uris) return;
    DroppedFiles dropped;
    dropped.x = x;
    dropped.y = y;
    for (gchar** uri = uris; *uri; ++uri) {
        if (gchar* path = g_filename_from_uri(*uri, nullptr, nullptr)) {
            dropped.paths.emplace_back(path);
            g_free(path);
        }
    }
    g_strfreev(uris);
    if (!dropped.paths.empty())
        self->Send(WindowMessage::kDropFiles, 0, reinterpret_cast<intptr_t>(&dropped));
}

// Keys

int32_t GtkPlatformWindow::VirtualKeyFromKeyval(unsigned int keyval) {
    if (keyval >= GDK_KEY_a && keyval <= GDK_KEY_z) return int32_t('A' + (keyval - GDK_KEY_a));
    if (keyval >= GDK_KEY_A && keyval <= GDK_KEY_Z) return int32_t(keyval);
    if (keyval >= GDK_KEY_0 && keyval <= GDK_KEY_9) return int32_t(keyval);
    if (keyval >= GDK_KEY_KP_0 && keyval <= GDK_KEY_KP_9)
        return VirtualKey::kNumpad0 + int32_t(keyval - GDK_KEY_KP_0);
    if (keyval >= GDK_KEY_F1 && keyval <= GDK_KEY_F24) return VirtualKey::kF1 + int32_t(keyval - GDK_KEY_F1);
    switch (keyval) {
    case GDK_KEY_BackSpace:
        return VirtualKey::kBack;
    case GDK_KEY_Tab:
    case GDK_KEY_ISO_Left_Tab:
        return VirtualKey::kTab;
    case GDK_KEY_Return:
    case GDK_KEY_KP_Enter:
        return VirtualKey::kReturn;
    case GDK_KEY_Shift_L:
    case GDK_KEY_Shift_R:
        return VirtualKey::kShift;
    case GDK_KEY_Control_L:
    case GDK_KEY_Control_R:
        return VirtualKey::kControl;
    case GDK_KEY_Alt_L:
    case GDK_KEY_Alt_R:
    case GDK_KEY_Meta_L:
    case GDK_KEY_Meta_R:
        return VirtualKey::kMenu;
    case GDK_KEY_Pause:
        return VirtualKey::kPause;
    case GDK_KEY_Caps_Lock:
        return VirtualKey::kCapital;
    case GDK_KEY_Escape:
        return VirtualKey::kEscape;
    case GDK_KEY_space:
    case GDK_KEY_KP_Space:
        return VirtualKey::kSpace;
    case GDK_KEY_Page_Up:
    case GDK_KEY_KP_Page_Up:
        return VirtualKey::kPrior;
    case GDK_KEY_Page_Down:
    case GDK_KEY_KP_Page_Down:
        return VirtualKey::kNext;
    case GDK_KEY_End:
    case GDK_KEY_KP_End:
        return VirtualKey::kEnd;
    case GDK_KEY_Home:
    case GDK_KEY_KP_Home:
        return VirtualKey::kHome;
    case GDK_KEY_Left:
    case GDK_KEY_KP_Left:
        return VirtualKey::kLeft;
    case GDK_KEY_Up:
    case GDK_KEY_KP_Up:
        return VirtualKey::kUp;
    case GDK_KEY_Right:
    case GDK_KEY_KP_Right:
        return VirtualKey::kRight;
    case GDK_KEY_Down:
    case GDK_KEY_KP_Down:
        return VirtualKey::kDown;
    case GDK_KEY_Print:
        return 0x2C;
    case GDK_KEY_Insert:
    case GDK_KEY_KP_Insert:
        return VirtualKey::kInsert;
    case GDK_KEY_Delete:
    case GDK_KEY_KP_Delete:
        return VirtualKey::kDelete;
    case GDK_KEY_Super_L:
        return 0x5B;
    case GDK_KEY_Super_R:
        return 0x5C;
    case GDK_KEY_Menu:
        return 0x5D;
    case GDK_KEY_KP_Multiply:
        return VirtualKey::kMultiply;
    case GDK_KEY_KP_Add:
        return VirtualKey::kAdd;
    case GDK_KEY_KP_Subtract:
        return VirtualKey::kSubtract;
    case GDK_KEY_KP_Decimal:
        return VirtualKey::kDecimal;
    case GDK_KEY_KP_Divide:
        return VirtualKey::kDivide;
    case GDK_KEY_Num_Lock:
        return 0x90;
    case GDK_KEY_Scroll_Lock:
        return 0x91;
    case GDK_KEY_semicolon:
        return 0xBA;
    case GDK_KEY_equal:
        return 0xBB;
    case GDK_KEY_comma:
        return 0xBC;
    case GDK_KEY_minus:
        return 0xBD;
    case GDK_KEY_period:
        return 0xBE;
    case GDK_KEY_slash:
        return 0xBF;
    case GDK_KEY_grave:
        return 0xC0;
    case GDK_KEY_bracketleft:
        return 0xDB;
    case GDK_KEY_backslash:
        return 0xDC;
    case GDK_KEY_bracketright:
        return 0xDD;
    case GDK_KEY_apostrophe:
        return 0xDE;
    default:
        return 0;
    }
}

// The backend

VSize GtkWindowBackend::GetScreenSize() const {
    GdkDisplay* display = gdk_display_get_default();
    GdkMonitor* monitor = display ? gdk_display_get_primary_monitor(display) : nullptr;
    if (!monitor && display && gdk_display_get_n_monitors(display) > 0)
        monitor = gdk_display_get_monitor(display, 0);
    if (!monitor) return VSize{1280, 1024};
    GdkRectangle geometry{};
    gdk_monitor_get_geometry(monitor, &geometry);
    return VSize{geometry.x * 2 + geometry.width, geometry.y * 2 + geometry.height};
}

std::unique_ptr<IPlatformWindow> GtkWindowBackend::CreatePlatformWindow(VWindow& window,
                                                                        const CWindowAttributes& attributes,
                                                                        const VRect& frame,
                                                                        const char* windowClassName) {
    if (!gdk_display_get_default()) return nullptr;
    return std::make_unique<GtkPlatformWindow>(window, attributes, frame, windowClassName);
}

std::shared_ptr<IWindowBackend> MakeDesktopWindowBackend() {
    if (!gdk_display_get_default()) return nullptr;
    return std::make_shared<GtkWindowBackend>();
}

} // namespace VCtrl
