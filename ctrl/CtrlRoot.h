#pragma once

#include "ctrl/Ctrl.h"
#include "ctrl/ICtrlRoot.h"
#include "foundation/VImage.h"
#include "foundation/VObjectArrayTmpl.h"
#include "foundation/VRef.h"

#include <atomic>
#include <cstdint>
#include <mutex>
#include <utility>
#include <vector>

namespace VCtrl {

class OffscreenGraphicsContext;
class ICtrlListener;

// The control at the top of a window's control tree. It turns the window messages (WindowMessages.h) into
// calls on its controls, keeps the controls' timers and paints the tree double-buffered: the tree is drawn
// into an off-screen bitmap of the root's size, and the painted rectangle is copied to the
// window.
//
// Mouse routing: a press goes to the deepest enabled control under the point and, when that control does
// not handle it, to its parents in turn (the root itself excepted); the control that handles a press holds
// the mouse until the button is released, so the matching release (and the moves in between) go to it
// wherever the pointer is. What no control handles goes to the root's listener as an event of type 1 (left
// down), 2 (left up), 3 (double click), 4 (right down) or 5 (right up) with the point and, as data, the
// modifiers. Keys go to the focus control (the last control that handled a left press, or SetFocusCtrl)
// and up through its parents.
//
// Threads: the root belongs to the user-interface thread. Invalidate may be called from any thread: from
// another thread the rectangle is kept and handed to the window at the next refresh tick. The timer
// operations of ICtrlRoot may be called from any thread.
class CtrlRoot : public Ctrl, public ICtrlRoot {
    V_DECLARE_CLASS(CtrlRoot)
public:
    // The refresh tick: starts the waiting timers and passes on the invalidations made on other threads. It
    // bounds how late a timer that a control starts begins.
    static constexpr uint32_t kRefreshPeriodMs = 50;
    // How far the keyboard focus ring lies outside the focused control.
    static constexpr int kFocusRingMargin = 2;

    explicit CtrlRoot(CtrlStyle* style = nullptr, VFoundation::VClass* record = nullptr);
    ~CtrlRoot() override;

    // The root of the tree that ctrl is in; none when its top control is not a root.
    static CtrlRoot* FindRoot(Ctrl* ctrl);

    // Gives the root its window (not retained) and its frame (0, 0, width, height), starts the refresh tick
    // and the waiting timers. Called by VWindow once the platform window exists.
    void AttachWindow(VWindow* window, int width, int height);
    // While deferred, invalidations are not passed to the window, so nothing is laid out or painted (an
    // unattended run that no one watches); the controls keep their state, a picture saved from the root
    // draws it whole, and ending the deferral paints the whole root again.
    void SetPaintingDeferred(bool deferred);
    // Stops every platform timer (running timers go back to waiting) and forgets the window.
    void DetachWindow();

    // The window message handling; true when the message was handled. Exceptions are caught here: they are
    // reported (alert and log) and the message counts as not handled.
    bool HandleWindowMessage(uint32_t message, uintptr_t wParam, intptr_t lParam);

    // Mouse routing (root coordinates); see the class comment.
    bool MouseDown(const VPoint& point, uint32_t modifiers) override;
    bool MouseUp(const VPoint& point, uint32_t modifiers) override;
    bool RightMouseDown(const VPoint& point, uint32_t modifiers) override;
    bool RightMouseUp(const VPoint& point, uint32_t modifiers) override;
    bool MouseDoubleClicked(const VPoint& point, uint32_t modifiers) override;
    // Tracks the control under the mouse (MouseLeft and MouseEntered when it changes) and passes the move to
    // the control holding the mouse, or else to the control under it.
    bool MouseMoved(const VPoint& point, uint32_t modifiers) override;
    bool MouseWheel(const VPoint& point, double steps, uint32_t modifiers) override;
    bool FilesDropped(const VPoint& point, uint32_t modifiers, VFoundation::VObjectArray* names) override;
    bool KeyDown(int32_t key, uint32_t modifiers) override;
    bool KeyUp(int32_t key, uint32_t modifiers) override;
    bool Character(uint32_t code) override;

    // White, then the background image at the top left, then the children.
    void Draw(IGraphicsContext& context) override;
    // Asks the window to repaint the rectangle (root coordinates).
    void Invalidate(int x, int y, int width, int height, Ctrl* origin = nullptr) override;
    void ForgetControl(Ctrl* ctrl) override;

    // The picture drawn behind the controls (retained); none for plain white.
    void SetBackgroundImage(VFoundation::VImage* image);
    VFoundation::VImage* GetBackgroundImage() const { return m_background.Get(); }

    // A listener that takes every mouse press and release of the window for itself (none to end it); the
    // control under the point becomes the pressed control.
    void SetModalMouseListener(ICtrlListener* listener) { m_modalMouseListener = listener; }
    ICtrlListener* GetModalMouseListener() const { return m_modalMouseListener; }
    // A relative drag keeps the reported mouse position at the press point and adds the movement to the drag
    // offsets.
    void SetRelativeDrag(bool on);
    VPoint GetDragOffset() const { return m_dragOffset; }
    Ctrl* GetPressedCtrl() const { return m_pressed; }
    bool HasFocus() const { return m_hasFocus; }

    // Keyboard navigation: Tab and Shift+Tab move the focus through the controls that take it
    // (AcceptsKeyboardFocus, visible and enabled with their parents) in reading order, top to bottom and
    // then left to right, wrapping around. A focus moved by the keyboard is shown with a blue ring around
    // the control until the next mouse press. A key that neither the focus control nor its parents handle
    // goes to the window's delegate (WindowKeyDown), where default buttons and mnemonics live.
    void MoveKeyboardFocus(bool forward);
    bool IsFocusRingShown() const { return m_focusRingShown && m_focus; }

    // Draws the whole tree into the off-screen surface (made when missing) and writes it as a PNG file.
    bool SaveOffscreenAsPNG(const char* path);
    // The context holding the off-screen bitmap; none before the first paint.
    OffscreenGraphicsContext* GetOffscreen() const;
    // The rectangle drawn by the last paint.
    VRect GetDirtyRect() const { return m_dirty; }

    // ICtrlRoot
    bool StartTimer(int32_t timerId, uint32_t periodMs, Ctrl* target) override;
    bool StopTimer(int32_t timerId, Ctrl* target) override;
    TimerInfo* FindTimer(int32_t timerId, Ctrl* target) override;
    void StartWaitingTimers() override;
    void HandleTimer(VApplication::TimerId platformTimer) override;
    VWindow* GetWindow() const override { return m_window; }
    Ctrl* GetFocusCtrl() const override { return m_focus; }
    void SetFocusCtrl(Ctrl* ctrl) override;
    Ctrl* GetCtrlUnderMouse() const override { return m_underMouse; }
    VPoint GetMousePosition(const Ctrl* ctrl) const override;
    uint32_t GetModifiers() const override;
    using Ctrl::HandleTimer;

    int GetActiveTimerCount() const;
    int GetWaitingTimerCount() const;

private:
    enum class MouseKind : int32_t {
        kLeftDown = 1,
        kLeftUp = 2,
        kDoubleClick = 3,
        kRightDown = 4,
        kRightUp = 5
    };

    bool HandleMessage(uint32_t message, uintptr_t wParam, intptr_t lParam);
    bool RouteMouse(MouseKind kind, const VPoint& point, uint32_t modifiers);
    bool RouteKey(uint32_t message, int32_t key, uint32_t modifiers);
    void SendModalMouseEvent(MouseKind kind, Ctrl* ctrl, const VPoint& point, uint32_t modifiers);
    void UpdateControlUnderMouse(const VPoint& point);
    void Paint(const VRect* paintRect);
    bool EnsureOffscreen();
    void RefreshTick();
    // Removes the timer from both lists and kills its platform timer (posted to the user-interface thread
    // from another one). Called with the timer guard held.
    void StopTimerLocked(TimerInfo* info);
    void KillPlatformTimer(VApplication::TimerId platformTimer);
    void StopAllTimers();
    void UpdateKeyState(int32_t key, bool down);
    void CollectFocusable(Ctrl* ctrl, int x, int y, std::vector<std::pair<VRect, Ctrl*>>& out);
    // The focus control's frame in root coordinates, grown by the ring's margin.
    VRect FocusRingRect() const;
    void SetFocusRingShown(bool shown);

    VWindow* m_window = nullptr;
    VApplication::TimerId m_refreshTimer = 0;
    VPoint m_mousePosition;
    VPoint m_pressPosition;
    VPoint m_dragOffset;
    bool m_relativeDrag = false;
    bool m_leftDown = false;
    bool m_rightDown = false;
    bool m_altDown = false;
    bool m_shiftDown = false;
    bool m_controlDown = false;
    bool m_hasFocus = false;
    bool m_focusRingShown = false;

    mutable std::recursive_mutex m_timerGuard;
    VFoundation::VRef<VFoundation::VObjectArrayTmpl<TimerInfo>> m_activeTimers;
    VFoundation::VRef<VFoundation::VObjectArrayTmpl<TimerInfo>> m_waitingTimers;

    std::mutex m_pendingGuard;
    VRect m_pendingInvalid;
    std::atomic<bool> m_paintingDeferred{false};

    VFoundation::VRef<OffscreenGraphicsContext> m_context;
    VRect m_dirty;
    VFoundation::VRef<VFoundation::VImage> m_background;

    // Not retained: ForgetControl clears them when their control leaves the tree.
    Ctrl* m_pressed = nullptr;
    Ctrl* m_focus = nullptr;
    Ctrl* m_underMouse = nullptr;
    ICtrlListener* m_modalMouseListener = nullptr;
};

} // namespace VCtrl
