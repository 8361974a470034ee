#pragma once

#include "ctrl/CWindowAttributes.h"
#include "ctrl/IWindowBackend.h"

#include <gtk/gtk.h>

#include <cstdint>
#include <memory>

namespace VCtrl {

class VWindow;

// One GtkWindow holding a GtkDrawingArea of the client size. The root paints into its off-screen cairo
// surface while the area's draw handler runs, and Present copies the painted rectangle onto the area. GDK
// events become window messages: buttons (double clicks detected as the desktop platform does, so a double
// click arrives as down, up, double click, up), motion, scroll, keys as virtual-key codes, focus, size, move,
// dropped files, and the window manager's close request (delete-event, which the delegate may refuse).
//
// Mouse capture is GTK's implicit grab: while a button is held the area receives the pointer's events
// wherever it goes.
class GtkPlatformWindow : public IPlatformWindow {
public:
    GtkPlatformWindow(VWindow& window, const CWindowAttributes& attributes, const VRect& frame,
                      const char* windowClassName);
    ~GtkPlatformWindow() override;
    GtkPlatformWindow(const GtkPlatformWindow&) = delete;
    GtkPlatformWindow& operator=(const GtkPlatformWindow&) = delete;

    VApplication::NativeWindow GetNativeWindow() const override { return m_window; }
    void Show(bool show) override;
    bool IsShown() const override;
    void SetTitle(const char* title) override;
    void Invalidate(const VRect& rect) override;
    void Update() override;
    void Present(OffscreenGraphicsContext& offscreen, const VRect& rect) override;
    void SetCapture(bool on) override { m_captured = on; }
    bool HasCapture() const override { return m_captured; }
    void Focus() override;
    bool HasFocus() const override { return m_focused; }

    // The virtual-key code of a GDK key value (0 for keys without one). Letters and digits give their
    // upper-case ASCII codes.
    static int32_t VirtualKeyFromKeyval(unsigned int keyval);

private:
    static gboolean OnDraw(GtkWidget* widget, cairo_t* cr, gpointer data);
    static gboolean OnButtonPress(GtkWidget* widget, GdkEventButton* event, gpointer data);
    static gboolean OnButtonRelease(GtkWidget* widget, GdkEventButton* event, gpointer data);
    static gboolean OnMotion(GtkWidget* widget, GdkEventMotion* event, gpointer data);
    static gboolean OnScroll(GtkWidget* widget, GdkEventScroll* event, gpointer data);
    static gboolean OnKey(GtkWidget* widget, GdkEventKey* event, gpointer data);
    static gboolean OnFocus(GtkWidget* widget, GdkEventFocus* event, gpointer data);
    static gboolean OnDelete(GtkWidget* widget, GdkEvent* event, gpointer data);
    static gboolean OnConfigure(GtkWidget* widget, GdkEventConfigure* event, gpointer data);
    static void OnSizeAllocate(GtkWidget* widget, GdkRectangle* allocation, gpointer data);
    static void OnRealize(GtkWidget* widget, gpointer data);
    static void OnDestroy(GtkWidget* widget, gpointer data);
    static void OnDragDataReceived(GtkWidget* widget, GdkDragContext* context, gint x, gint y,
                                   GtkSelectionData* selection, guint info, guint time, gpointer data);

    intptr_t Send(uint32_t message, uintptr_t wParam, intptr_t lParam);

    VWindow& m_owner;
    CWindowAttributes m_attributes;
    GtkWidget* m_window = nullptr;
    GtkWidget* m_area = nullptr;
    cairo_t* m_paintContext = nullptr;
    bool m_captured = false;
    bool m_focused = false;
    int m_width = 0;
    int m_height = 0;
    int m_x = INT32_MIN;
    int m_y = INT32_MIN;
    uint32_t m_lastClickTime = 0;
    int m_lastClickX = 0;
    int m_lastClickY = 0;
    bool m_lastClickValid = false;
};

class GtkWindowBackend : public IWindowBackend {
public:
    const char* GetName() const override { return "GTK"; }
    VSize GetScreenSize() const override;
    std::unique_ptr<IPlatformWindow> CreatePlatformWindow(VWindow& window,
                                                          const CWindowAttributes& attributes,
                                                          const VRect& frame,
                                                          const char* windowClassName) override;
};

} // namespace VCtrl
