#include "ctrl/CtrlRoot.h"

#include "application/VApplication.h"
#include "ctrl/CtrlEvent.h"
#include "ctrl/ICtrlListener.h"
#include "ctrl/IWindowBackend.h"
#include "ctrl/OffscreenGraphicsContext.h"
#include "ctrl/VCtrl.h"
#include "ctrl/VWindow.h"
#include "ctrl/VWindowDelegate.h"
#include "ctrl/WindowMessages.h"
#include "foundation/VClass.h"
#include "foundation/VException.h"
#include "foundation/VFoundation.h"
#include "foundation/VLog.h"

#include <algorithm>
#include <cfenv>
#include <cmath>
#include <cstdio>
#include <memory>
#include <vector>

namespace VCtrl {

using VFoundation::VClass;
using VFoundation::VException;
using VFoundation::VObjectArrayTmpl;
using VFoundation::VRef;
using VFoundation::VString;

V_IMPLEMENT_CLASS(CtrlRoot, Ctrl)

// Nested: the record keeps the plain name that the class is known by.
VClass* ICtrlRoot::TimerInfo::GetClassRecord() {
    static std::atomic<VClass*> home{nullptr};
    return VClass::Obtain(home, "TimerInfo", &VFoundation::VObject::GetClassRecord,
                          &VFoundation::Detail::CreateInstanceOf<ICtrlRoot::TimerInfo>, nullptr, nullptr,
                          sizeof(ICtrlRoot::TimerInfo));
}

ICtrlRoot::TimerInfo::TimerInfo() : VObject(GetClassRecord()) {}

ICtrlRoot::TimerInfo::TimerInfo(int32_t timerId, double period, Ctrl* target, ICtrlRoot* root)
    : VObject(GetClassRecord()), timerId(timerId), period(period), target(target), root(root) {}

ICtrlRoot::TimerInfo::~TimerInfo() = default;

uint32_t ICtrlRoot::TimerInfo::GetPeriodMs() const {
    // Rounded, not cut: 29 ms kept as 0.029 s must come back as 29, not 28.
    const long long ms = std::llround(period * 1000.0);
    return ms < 0 ? 0 : uint32_t(ms);
}

namespace {

// The message handling runs with the floating-point rounding towards minus infinity (the controls' pixel
// arithmetic was written for it); the caller's mode comes back on every exit.
class RoundingModeScope {
public:
    RoundingModeScope() : m_previous(std::fegetround()) { std::fesetround(FE_DOWNWARD); }
    ~RoundingModeScope() { std::fesetround(m_previous); }
    RoundingModeScope(const RoundingModeScope&) = delete;
    RoundingModeScope& operator=(const RoundingModeScope&) = delete;

private:
    int m_previous;
};

VPoint Relative(const VPoint& point, const Ctrl* ctrl) {
    return VPoint{point.x - ctrl->GetAbsoluteX(), point.y - ctrl->GetAbsoluteY()};
}

bool CallMouse(Ctrl* ctrl, int32_t kind, const VPoint& point, uint32_t modifiers) {
    switch (kind) {
    case 1:
        return ctrl->MouseDown(point, modifiers);
    case 2:
        return ctrl->MouseUp(point, modifiers);
    case 3:
        return ctrl->MouseDoubleClicked(point, modifiers);
    case 4:
        return ctrl->RightMouseDown(point, modifiers);
    case 5:
        return ctrl->RightMouseUp(point, modifiers);
    default:
        return false;
    }
}

// Longest name a dropped file keeps, as the platform's drop query gives it.
constexpr size_t kMaxDroppedNameLength = 260;

} // namespace

CtrlRoot::CtrlRoot(CtrlStyle* style, VClass* record)
    : Ctrl(style, record ? record : GetClassRecord()),
      m_activeTimers(VFoundation::MakeRef<VObjectArrayTmpl<TimerInfo>>()),
      m_waitingTimers(VFoundation::MakeRef<VObjectArrayTmpl<TimerInfo>>()),
      m_context(MakeOffscreenGraphicsContext()) {}

CtrlRoot::~CtrlRoot() {
    StopAllTimers();
}

CtrlRoot* CtrlRoot::FindRoot(Ctrl* ctrl) {
    if (!ctrl) return nullptr;
    Ctrl* top = ctrl->GetTopControl();
    return top->IsKindOf(GetClassRecord()) ? static_cast<CtrlRoot*>(top) : nullptr;
}

void CtrlRoot::AttachWindow(VWindow* window, int width, int height) {
    VCTRL_ASSERT_UI_THREAD();
    m_window = window;
    SetFrame(VRect{0, 0, width, height});
    if (!m_refreshTimer && window) {
        // The timer message names the platform timer; the callback learns its own id once it is started.
        auto id = std::make_shared<VApplication::TimerId>(0);
        m_refreshTimer = VApplication::StartTimer(kRefreshPeriodMs, [window, id]() {
            window->HandleMessage(WindowMessage::kTimer, *id, 0);
            return true;
        });
        *id = m_refreshTimer;
    }
    StartWaitingTimers();
}

void CtrlRoot::DetachWindow() {
    VCTRL_ASSERT_UI_THREAD();
    StopAllTimers();
    m_window = nullptr;
    m_pressed = nullptr;
    m_underMouse = nullptr;
    m_leftDown = m_rightDown = m_altDown = m_shiftDown = m_controlDown = m_hasFocus = false;
}

// Message handling

bool CtrlRoot::HandleWindowMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    VCTRL_ASSERT_UI_THREAD();
    RoundingModeScope rounding;
    // A handler may close the window, which releases the root.
    VRef<CtrlRoot> hold = VRef<CtrlRoot>::Retained(this);
    try {
        return HandleMessage(message, wParam, lParam);
    } catch (const VException& exception) {
        const VString application = VApplication::GetApplicationName();
        char text[512];
        std::snprintf(text, sizeof text, "%s Event handler: VException detected (msg: 0x%x)",
                      application.GetText(), message);
        VFoundation::Alert("%s", text);
        VFoundation::LogPrintf("VException:  %s\n", exception.GetDescriptionText().GetText());
    } catch (...) {
        const VString application = VApplication::GetApplicationName();
        char text[512];
        std::snprintf(text, sizeof text, "%s Event handler: Exception detected (msg: 0x%x)",
                      application.GetText(), message);
        VFoundation::Alert("%s", text);
    }
    return false;
}

bool CtrlRoot::HandleMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    IPlatformWindow* platform = m_window ? m_window->GetPlatformWindow() : nullptr;
    const VPoint point{PointParamX(lParam), PointParamY(lParam)};
    const auto readMouseState = [this, wParam]() {
        m_shiftDown = (wParam & MouseState::kShift) != 0;
        m_controlDown = (wParam & MouseState::kControl) != 0;
    };

    switch (message) {
    case WindowMessage::kMouseMove: {
        readMouseState();
        VPoint reported = point;
        if (m_relativeDrag) {
            m_dragOffset.x += point.x - m_mousePosition.x;
            m_dragOffset.y += point.y - m_mousePosition.y;
            reported = m_pressPosition;
        }
        m_mousePosition = point;
        MouseMoved(reported, GetModifiers());
        return true;
    }
    case WindowMessage::kLeftButtonDown:
        readMouseState();
        m_leftDown = true;
        m_mousePosition = m_pressPosition = point;
        m_dragOffset = VPoint{};
        if (platform) {
            platform->SetCapture(true);
            if (!platform->HasFocus()) platform->Focus();
        }
        MouseDown(point, GetModifiers());
        return true;
    case WindowMessage::kLeftButtonUp: {
        readMouseState();
        m_leftDown = false;
        m_mousePosition = point;
        const uint32_t modifiers = GetModifiers();
        if (platform && !(modifiers & Modifier::kRightButton)) platform->SetCapture(false);
        MouseUp(point, modifiers);
        return true;
    }
    case WindowMessage::kLeftButtonDoubleClick: {
        readMouseState();
        m_mousePosition = point;
        const uint32_t modifiers = GetModifiers();
        MouseDoubleClicked(point, modifiers);
        if (platform && !(modifiers & Modifier::kRightButton)) platform->SetCapture(false);
        return true;
    }
    case WindowMessage::kRightButtonDown:
        readMouseState();
        m_rightDown = true;
        m_mousePosition = m_pressPosition = point;
        m_dragOffset = VPoint{};
        if (platform) {
            platform->SetCapture(true);
            if (!platform->HasFocus()) platform->Focus();
        }
        RightMouseDown(point, GetModifiers());
        return true;
    case WindowMessage::kRightButtonUp: {
        readMouseState();
        m_rightDown = false;
        m_mousePosition = point;
        const uint32_t modifiers = GetModifiers();
        if (platform && !(modifiers & Modifier::kLeftButton)) platform->SetCapture(false);
        RightMouseUp(point, modifiers);
        return true;
    }
    case WindowMessage::kMouseWheel: {
        const int delta = int16_t(uint16_t((uint32_t(wParam) >> 16) & 0xFFFF));
        MouseWheel(point, delta / 120.0, GetModifiers());
        return true;
    }
    case WindowMessage::kKeyDown:
    case WindowMessage::kKeyUp: {
        const auto key = int32_t(wParam);
        UpdateKeyState(key, message == WindowMessage::kKeyDown);
        return message == WindowMessage::kKeyDown ? KeyDown(key, GetModifiers()) : KeyUp(key, GetModifiers());
    }
    case WindowMessage::kChar:
        return Character(uint32_t(wParam));
    case WindowMessage::kSystemKeyDown: {
        const auto key = int32_t(wParam);
        if (key == VirtualKey::kMenu) {
            // Held Alt repeats; only its first press counts.
            if (!m_altDown) {
                m_altDown = true;
                KeyDown(key, GetModifiers());
            }
        } else {
            UpdateKeyState(key, true);
            KeyDown(key, GetModifiers());
        }
        return true;
    }
    case WindowMessage::kSystemKeyUp: {
        const auto key = int32_t(wParam);
        if (key == VirtualKey::kMenu)
            m_altDown = false;
        else
            UpdateKeyState(key, false);
        KeyUp(key, GetModifiers());
        return true;
    }
    case WindowMessage::kTimer:
        HandleTimer(VApplication::TimerId(wParam));
        return false;
    case WindowMessage::kCaptureChanged:
        if (lParam) m_relativeDrag = false;
        return false;
    case WindowMessage::kDropFiles: {
        const auto* dropped = reinterpret_cast<const DroppedFiles*>(lParam);
        if (!dropped) return true;
        auto names = VFoundation::MakeRef<VFoundation::VObjectArray>();
        for (const std::string& path : dropped->paths) {
            VString name;
            name.Assign(path.c_str(), uint32_t(std::min(path.size(), kMaxDroppedNameLength)));
            VRef<VString> copy = VRef<VString>::Adopt(static_cast<VString*>(name.Copy()));
            names->AddObject(copy.Get());
        }
        FilesDropped(VPoint{dropped->x, dropped->y}, GetModifiers(), names.Get());
        return true;
    }
    case WindowMessage::kSetFocus:
        m_hasFocus = true;
        m_shiftDown = m_controlDown = m_altDown = false;
        return false;
    case WindowMessage::kKillFocus:
        m_leftDown = m_rightDown = false;
        m_hasFocus = false;
        m_relativeDrag = false;
        return false;
    case WindowMessage::kPaint:
        Paint(reinterpret_cast<const VRect*>(lParam));
        return true;
    case WindowMessage::kEraseBackground:
    case WindowMessage::kActivate:
        return true;
    default:
        return false;
    }
}

void CtrlRoot::UpdateKeyState(int32_t key, bool down) {
    if (key == VirtualKey::kShift)
        m_shiftDown = down;
    else if (key == VirtualKey::kControl)
        m_controlDown = down;
}

uint32_t CtrlRoot::GetModifiers() const {
    uint32_t modifiers = 0;
    if (m_shiftDown) modifiers |= Modifier::kShift;
    if (m_controlDown) modifiers |= Modifier::kControl;
    if (m_altDown) modifiers |= Modifier::kAlt;
    if (m_leftDown) modifiers |= Modifier::kLeftButton;
    if (m_rightDown) modifiers |= Modifier::kRightButton;
    return modifiers;
}

VPoint CtrlRoot::GetMousePosition(const Ctrl* ctrl) const {
    return ctrl ? Relative(m_mousePosition, ctrl) : m_mousePosition;
}

// Mouse routing

bool CtrlRoot::MouseDown(const VPoint& point, uint32_t modifiers) {
    return RouteMouse(MouseKind::kLeftDown, point, modifiers);
}

bool CtrlRoot::MouseUp(const VPoint& point, uint32_t modifiers) {
    return RouteMouse(MouseKind::kLeftUp, point, modifiers);
}

bool CtrlRoot::RightMouseDown(const VPoint& point, uint32_t modifiers) {
    return RouteMouse(MouseKind::kRightDown, point, modifiers);
}

bool CtrlRoot::RightMouseUp(const VPoint& point, uint32_t modifiers) {
    return RouteMouse(MouseKind::kRightUp, point, modifiers);
}

bool CtrlRoot::MouseDoubleClicked(const VPoint& point, uint32_t modifiers) {
    return RouteMouse(MouseKind::kDoubleClick, point, modifiers);
}

bool CtrlRoot::RouteMouse(MouseKind kind, const VPoint& point, uint32_t modifiers) {
    VCTRL_ASSERT_UI_THREAD();
    if (!IsEnabled()) return false;
    const auto type = int32_t(kind);
    const bool press =
        kind == MouseKind::kLeftDown || kind == MouseKind::kRightDown || kind == MouseKind::kDoubleClick;
    const bool release = kind == MouseKind::kLeftUp || kind == MouseKind::kRightUp;

    if (m_modalMouseListener) {
        Ctrl* under = HitTest(point);
        m_pressed = under ? under : this;
        SendModalMouseEvent(kind, m_pressed, point, modifiers);
        return true;
    }

    // Held: a control may leave the tree (and so end) while it handles the event.
    VRef<Ctrl> handlerRef;
    Ctrl* handler = nullptr;
    if (m_pressed && m_pressed != this) {
        // The control holding the mouse gets the events wherever they happen; within it, its deepest
        // control under the point.
        VRef<Ctrl> holder = VRef<Ctrl>::Retained(m_pressed);
        Ctrl* target = holder->HitTest(Relative(point, holder.Get()));
        for (Ctrl* ctrl = target ? target : holder.Get(); ctrl;) {
            VRef<Ctrl> hold = VRef<Ctrl>::Retained(ctrl);
            if (CallMouse(ctrl, type, Relative(point, ctrl), modifiers)) {
                handler = ctrl;
                handlerRef = hold;
                break;
            }
            if (ctrl == holder.Get()) break;
            ctrl = ctrl->GetParent();
        }
        if (release) m_pressed = nullptr;
        if (press && handler && FindRoot(handler) == this) {
            m_pressed = handler;
            if (kind == MouseKind::kLeftDown) {
                SetFocusRingShown(false);
                m_focus = handler;
            }
        }
        return handler != nullptr;
    }

    Ctrl* hit = HitTest(point);
    for (Ctrl* ctrl = hit; ctrl && ctrl != this;) {
        VRef<Ctrl> hold = VRef<Ctrl>::Retained(ctrl);
        if (CallMouse(ctrl, type, Relative(point, ctrl), modifiers)) {
            handler = ctrl;
            handlerRef = hold;
            break;
        }
        ctrl = ctrl->GetParent();
    }
    if (release) m_pressed = nullptr;
    if (handler) {
        // The handler may have left the tree while handling the press: then ForgetControl has run and it
        // must not be remembered.
        if (press && FindRoot(handler) == this) {
            m_pressed = handler;
            if (kind == MouseKind::kLeftDown) {
                SetFocusRingShown(false);
                m_focus = handler;
            }
        }
        return true;
    }
    if (GetListener()) {
        SendEvent(type, point, int32_t(modifiers));
        return true;
    }
    return false;
}

void CtrlRoot::SendModalMouseEvent(MouseKind kind, Ctrl* ctrl, const VPoint& point, uint32_t modifiers) {
    CtrlEvent& event = CtrlEvent::Shared();
    const CtrlEvent previous(event);
    event.Set(int32_t(kind), ctrl, int32_t(modifiers));
    event.SetPoint(point);
    try {
        m_modalMouseListener->HandleCtrlEvent(event);
    } catch (...) {
        event = previous;
        throw;
    }
    event = previous;
}

void CtrlRoot::UpdateControlUnderMouse(const VPoint& point) {
    Ctrl* under = HitTest(point);
    if (under == this) under = nullptr;
    if (under == m_underMouse) return;
    if (m_underMouse) {
        VRef<Ctrl> left = VRef<Ctrl>::Retained(m_underMouse);
        m_underMouse = nullptr;
        left->MouseLeft();
    }
    // MouseLeft may have changed the tree: look again.
    under = HitTest(point);
    if (under == this) under = nullptr;
    m_underMouse = under;
    if (under) {
        VRef<Ctrl> entered = VRef<Ctrl>::Retained(under);
        entered->MouseEntered();
    }
}

bool CtrlRoot::MouseMoved(const VPoint& point, uint32_t modifiers) {
    VCTRL_ASSERT_UI_THREAD();
    if (!IsEnabled()) return false;
    UpdateControlUnderMouse(point);
    Ctrl* target = (m_pressed && m_pressed != this) ? m_pressed : m_underMouse;
    if (!target) return false;
    VRef<Ctrl> hold = VRef<Ctrl>::Retained(target);
    return target->MouseMoved(Relative(point, target), modifiers);
}

bool CtrlRoot::MouseWheel(const VPoint& point, double steps, uint32_t modifiers) {
    VCTRL_ASSERT_UI_THREAD();
    if (!IsEnabled()) return false;
    for (Ctrl* ctrl = HitTest(point); ctrl && ctrl != this;) {
        VRef<Ctrl> hold = VRef<Ctrl>::Retained(ctrl);
        if (ctrl->MouseWheel(Relative(point, ctrl), steps, modifiers)) return true;
        ctrl = ctrl->GetParent();
    }
    return false;
}

bool CtrlRoot::FilesDropped(const VPoint& point, uint32_t modifiers, VFoundation::VObjectArray* names) {
    VCTRL_ASSERT_UI_THREAD();
    if (!IsEnabled()) return false;
    for (Ctrl* ctrl = HitTest(point); ctrl && ctrl != this;) {
        VRef<Ctrl> hold = VRef<Ctrl>::Retained(ctrl);
        if (ctrl->FilesDropped(Relative(point, ctrl), modifiers, names)) return true;
        ctrl = ctrl->GetParent();
    }
    return Ctrl::FilesDropped(point, modifiers, names);
}

// Keys

bool CtrlRoot::RouteKey(uint32_t message, int32_t key, uint32_t modifiers) {
    VCTRL_ASSERT_UI_THREAD();
    if (!IsEnabled()) return false;
    for (Ctrl* ctrl = m_focus; ctrl && ctrl != this;) {
        VRef<Ctrl> hold = VRef<Ctrl>::Retained(ctrl);
        bool handled = false;
        if (message == WindowMessage::kKeyDown)
            handled = ctrl->KeyDown(key, modifiers);
        else if (message == WindowMessage::kKeyUp)
            handled = ctrl->KeyUp(key, modifiers);
        else
            handled = ctrl->Character(uint32_t(key));
        if (handled) return true;
        ctrl = ctrl->GetParent();
    }
    return false;
}

bool CtrlRoot::KeyDown(int32_t key, uint32_t modifiers) {
    if (key == VirtualKey::kTab && (modifiers & (Modifier::kAlt | Modifier::kControl)) == 0) {
        MoveKeyboardFocus((modifiers & Modifier::kShift) == 0);
        return true;
    }
    if (RouteKey(WindowMessage::kKeyDown, key, modifiers)) return true;
    VWindowDelegate* delegate = m_window ? m_window->GetDelegate() : nullptr;
    return delegate && delegate->WindowKeyDown(key, modifiers, m_window);
}

void CtrlRoot::CollectFocusable(Ctrl* ctrl, int x, int y, std::vector<std::pair<VRect, Ctrl*>>& out) {
    for (int i = 0; i < ctrl->GetChildCount(); ++i) {
        Ctrl* child = ctrl->GetChildAt(i);
        if (!child || !child->IsVisible() || !child->IsEnabled()) continue;
        const VRect frame{x + child->GetX(), y + child->GetY(), child->GetWidth(), child->GetHeight()};
        if (child->AcceptsKeyboardFocus()) out.emplace_back(frame, child);
        CollectFocusable(child, frame.x, frame.y, out);
    }
}

void CtrlRoot::MoveKeyboardFocus(bool forward) {
    VCTRL_ASSERT_UI_THREAD();
    std::vector<std::pair<VRect, Ctrl*>> order;
    CollectFocusable(this, 0, 0, order);
    if (order.empty()) return;
    std::stable_sort(order.begin(), order.end(), [](const auto& a, const auto& b) {
        return a.first.y != b.first.y ? a.first.y < b.first.y : a.first.x < b.first.x;
    });
    int current = -1;
    for (size_t i = 0; i < order.size(); ++i)
        if (order[i].second == m_focus) current = int(i);
    const int count = int(order.size());
    int next;
    if (current < 0)
        next = forward ? 0 : count - 1;
    else
        next = (current + (forward ? 1 : count - 1)) % count;
    SetFocusRingShown(false);
    m_focus = order[size_t(next)].second;
    SetFocusRingShown(true);
}

VRect CtrlRoot::FocusRingRect() const {
    if (!m_focus) return VRect{};
    int x = 0, y = 0;
    for (const Ctrl* ctrl = m_focus; ctrl && ctrl != this; ctrl = ctrl->GetParent()) {
        x += ctrl->GetX();
        y += ctrl->GetY();
    }
    return VRect{x - kFocusRingMargin, y - kFocusRingMargin, m_focus->GetWidth() + 2 * kFocusRingMargin,
                 m_focus->GetHeight() + 2 * kFocusRingMargin};
}

void CtrlRoot::SetFocusRingShown(bool shown) {
    if (m_focusRingShown == shown && !shown) return;
    m_focusRingShown = shown;
    // The ring's line is centred on the rectangle's edge: a little more than the rectangle is painted.
    if (m_focus) {
        const VRect ring = FocusRingRect();
        InvalidateRect(VRect{ring.x - 2, ring.y - 2, ring.width + 4, ring.height + 4});
    }
}

bool CtrlRoot::KeyUp(int32_t key, uint32_t modifiers) {
    return RouteKey(WindowMessage::kKeyUp, key, modifiers);
}

bool CtrlRoot::Character(uint32_t code) {
    return RouteKey(WindowMessage::kChar, int32_t(code), GetModifiers());
}

void CtrlRoot::SetFocusCtrl(Ctrl* ctrl) {
    VCTRL_ASSERT_UI_THREAD();
    SetFocusRingShown(false);
    m_focus = (ctrl && FindRoot(ctrl) == this) ? ctrl : nullptr;
}

void CtrlRoot::SetRelativeDrag(bool on) {
    m_relativeDrag = on;
    m_dragOffset = VPoint{};
}

void CtrlRoot::ForgetControl(Ctrl* ctrl) {
    if (ctrl == m_pressed) m_pressed = nullptr;
    if (ctrl == m_focus) {
        SetFocusRingShown(false);
        m_focus = nullptr;
    }
    if (ctrl == m_underMouse) m_underMouse = nullptr;
    std::lock_guard<std::recursive_mutex> lock(m_timerGuard);
    std::vector<TimerInfo*> stopping;
    for (TimerInfo* info : *m_activeTimers)
        if (info && info->target == ctrl) stopping.push_back(info);
    for (TimerInfo* info : *m_waitingTimers)
        if (info && info->target == ctrl) stopping.push_back(info);
    for (TimerInfo* info : stopping)
        StopTimerLocked(info);
}

// Drawing

void CtrlRoot::SetBackgroundImage(VFoundation::VImage* image) {
    if (image == m_background.Get()) return;
    m_background = VRef<VFoundation::VImage>::Retained(image);
    Redraw();
}

void CtrlRoot::Draw(IGraphicsContext& context) {
    context.FillRectangle(0, 0, GetWidth(), GetHeight(), VColour(255, 255, 255, 255));
    if (m_background && m_background->HasBitmap()) context.DrawImage(m_background.Get(), 0, 0);
    DrawChildren(context, kLowestZOrder, kHighestZOrder);
    if (IsFocusRingShown()) {
        const VRect ring = FocusRingRect();
        context.DrawRectangle(ring.x, ring.y, ring.width, ring.height, VColour(0, 90, 200, 255), 0, 2.0);
    }
}

void CtrlRoot::Invalidate(int x, int y, int width, int height, Ctrl*) {
    if (!IsVisible()) return;
    const VRect rect = IntersectRects(VRect{x, y, width, height}, VRect{0, 0, GetWidth(), GetHeight()});
    if (rect.IsEmpty() || m_paintingDeferred.load(std::memory_order_relaxed)) return;
    if (IsOnUIThread() && m_window) {
        if (IPlatformWindow* platform = m_window->GetPlatformWindow()) platform->Invalidate(rect);
        return;
    }
    std::lock_guard<std::mutex> lock(m_pendingGuard);
    m_pendingInvalid = UniteRects(m_pendingInvalid, rect);
}

void CtrlRoot::SetPaintingDeferred(bool deferred) {
    const bool was = m_paintingDeferred.exchange(deferred);
    if (was && !deferred) Redraw();
}

bool CtrlRoot::EnsureOffscreen() {
    const int width = GetWidth(), height = GetHeight();
    if (width <= 0 || height <= 0) return false;
    if (m_context->GetTargetWidth() == width && m_context->GetTargetHeight() == height) return true;
    // Made on the first paint and kept; made again when the root's size changed, so that a resized window
    // is never painted from a bitmap of the old size.
    if (!m_context->CreateTarget(width, height)) return false;
    m_context->SaveState();
    Draw(*m_context);
    m_context->RestoreState();
    m_context->Flush();
    return true;
}

void CtrlRoot::Paint(const VRect* paintRect) {
    IPlatformWindow* platform = m_window ? m_window->GetPlatformWindow() : nullptr;
    if (!EnsureOffscreen()) return;
    const VRect whole{0, 0, GetWidth(), GetHeight()};
    VRect copied = whole;
    if (paintRect && !paintRect->IsEmpty()) {
        m_dirty = IntersectRects(*paintRect, whole);
        if (m_dirty.IsEmpty()) return;
        m_context->ResetState();
        m_context->ClipRect(m_dirty.x, m_dirty.y, m_dirty.width, m_dirty.height);
        Draw(*m_context);
        m_context->Flush();
        copied = m_dirty;
    }
    if (platform) platform->Present(*m_context, copied);
}

bool CtrlRoot::SaveOffscreenAsPNG(const char* path) {
    VCTRL_ASSERT_UI_THREAD();
    if (!path || !EnsureOffscreen()) return false;
    m_context->ResetState();
    Draw(*m_context);
    m_context->Flush();
    return m_context->SaveTargetAsPNG(path);
}

OffscreenGraphicsContext* CtrlRoot::GetOffscreen() const {
    return m_context->GetTargetWidth() > 0 ? m_context.Get() : nullptr;
}

// Timers

bool CtrlRoot::StartTimer(int32_t timerId, uint32_t periodMs, Ctrl* target) {
    if (!target) return false;
    std::lock_guard<std::recursive_mutex> lock(m_timerGuard);
    if (TimerInfo* existing = FindTimer(timerId, target)) StopTimerLocked(existing);
    auto info = VFoundation::MakeRef<TimerInfo>(timerId, periodMs / 1000.0, target, this);
    m_waitingTimers->AddObject(info.Get());
    return true;
}

bool CtrlRoot::StopTimer(int32_t timerId, Ctrl* target) {
    std::lock_guard<std::recursive_mutex> lock(m_timerGuard);
    TimerInfo* info = FindTimer(timerId, target);
    if (!info) return false;
    StopTimerLocked(info);
    return true;
}

ICtrlRoot::TimerInfo* CtrlRoot::FindTimer(int32_t timerId, Ctrl* target) {
    std::lock_guard<std::recursive_mutex> lock(m_timerGuard);
    for (TimerInfo* info : *m_activeTimers)
        if (info && info->timerId == timerId && info->target == target) return info;
    for (TimerInfo* info : *m_waitingTimers)
        if (info && info->timerId == timerId && info->target == target) return info;
    return nullptr;
}

void CtrlRoot::StopTimerLocked(TimerInfo* info) {
    VRef<TimerInfo> hold = VRef<TimerInfo>::Retained(info);
    if (info->platformTimer) KillPlatformTimer(info->platformTimer);
    info->platformTimer = 0;
    info->target = nullptr;
    m_activeTimers->RemoveObject(info);
    m_waitingTimers->RemoveObject(info);
}

void CtrlRoot::KillPlatformTimer(VApplication::TimerId platformTimer) {
    if (IsOnUIThread())
        VApplication::StopTimer(platformTimer);
    else
        VApplication::PostToUIThread([platformTimer]() { VApplication::StopTimer(platformTimer); });
}

void CtrlRoot::StartWaitingTimers() {
    VCTRL_ASSERT_UI_THREAD();
    VWindow* window = m_window;
    if (!window) return;
    std::lock_guard<std::recursive_mutex> lock(m_timerGuard);
    while (m_waitingTimers->GetCount() > 0) {
        VRef<TimerInfo> info = VRef<TimerInfo>::Retained(m_waitingTimers->GetObjectAtIndex(0));
        m_waitingTimers->RemoveObjectAtIndex(0);
        if (!info || !info->target) continue;
        bool duplicate = false;
        for (TimerInfo* active : *m_activeTimers)
            duplicate = duplicate || (active->timerId == info->timerId && active->target == info->target);
        if (duplicate) continue;
        auto id = std::make_shared<VApplication::TimerId>(0);
        info->platformTimer = VApplication::StartTimer(info->GetPeriodMs(), [window, id]() {
            window->HandleMessage(WindowMessage::kTimer, *id, 0);
            return true;
        });
        *id = info->platformTimer;
        if (info->platformTimer) m_activeTimers->AddObject(info.Get());
    }
}

void CtrlRoot::HandleTimer(VApplication::TimerId platformTimer) {
    VCTRL_ASSERT_UI_THREAD();
    if (platformTimer != 0 && platformTimer == m_refreshTimer) {
        RefreshTick();
        return;
    }
    VRef<TimerInfo> info;
    {
        std::lock_guard<std::recursive_mutex> lock(m_timerGuard);
        for (TimerInfo* active : *m_activeTimers)
            if (active && active->platformTimer == platformTimer) info = VRef<TimerInfo>::Retained(active);
        if (!info) {
            VFoundation::LogPrintf("TIMER NOT FOUND: timerID: %i\n", int(platformTimer));
            VApplication::StopTimer(platformTimer);
            return;
        }
        if (!info->target) {
            StopTimerLocked(info.Get());
            return;
        }
    }
    VRef<Ctrl> target = VRef<Ctrl>::Retained(info->target);
    const bool keep = target->HandleTimer(info->timerId);
    if (keep) return;
    std::lock_guard<std::recursive_mutex> lock(m_timerGuard);
    // The handler may have stopped or restarted its timer itself.
    if (m_activeTimers->ContainsObject(info.Get())) StopTimerLocked(info.Get());
}

void CtrlRoot::RefreshTick() {
    StartWaitingTimers();
    VRect pending;
    {
        std::lock_guard<std::mutex> lock(m_pendingGuard);
        pending = m_pendingInvalid;
        m_pendingInvalid = VRect{};
    }
    if (!pending.IsEmpty()) Invalidate(pending.x, pending.y, pending.width, pending.height);
}

void CtrlRoot::StopAllTimers() {
    std::lock_guard<std::recursive_mutex> lock(m_timerGuard);
    // Running timers wait again: a window made later starts them anew.
    while (m_activeTimers->GetCount() > 0) {
        VRef<TimerInfo> info = VRef<TimerInfo>::Retained(m_activeTimers->GetObjectAtIndex(0));
        m_activeTimers->RemoveObjectAtIndex(0);
        if (info->platformTimer) KillPlatformTimer(info->platformTimer);
        info->platformTimer = 0;
        if (info->target) m_waitingTimers->AddObject(info.Get());
    }
    if (m_refreshTimer) KillPlatformTimer(m_refreshTimer);
    m_refreshTimer = 0;
}

int CtrlRoot::GetActiveTimerCount() const {
    std::lock_guard<std::recursive_mutex> lock(m_timerGuard);
    return m_activeTimers->GetCount();
}

int CtrlRoot::GetWaitingTimerCount() const {
    std::lock_guard<std::recursive_mutex> lock(m_timerGuard);
    return m_waitingTimers->GetCount();
}

} // namespace VCtrl
