#pragma once

#include "application/IApplicationBackend.h"
#include "ctrl/VGeometry.h"
#include "foundation/VObject.h"

#include <cstdint>

namespace VCtrl {

class Ctrl;
class VWindow;

// What the root of a window's control tree offers the controls in it: timers, the focus, the mouse.
// CtrlRoot::FindRoot(ctrl) gives the root of the tree a control is in.
//
// Threads: StartTimer, StopTimer and FindTimer may be called from any thread (the timer lists are guarded);
// everything else belongs to the user-interface thread.
class ICtrlRoot {
public:
    // One control timer: the id chosen by the control, the period in seconds, the control whose
    // HandleTimer receives it (none once it was stopped) and the root that keeps it.
    class TimerInfo : public VFoundation::VObject {
        V_DECLARE_CLASS(TimerInfo)
    public:
        TimerInfo();
        TimerInfo(int32_t timerId, double period, Ctrl* target, ICtrlRoot* root);
        ~TimerInfo() override;

        // The period in whole milliseconds, to the nearest one.
        uint32_t GetPeriodMs() const;

        int32_t timerId = 0;
        double period = 0.0;
        Ctrl* target = nullptr;
        ICtrlRoot* root = nullptr;
        // The running platform timer (VApplication::StartTimer); 0 while the timer waits.
        VApplication::TimerId platformTimer = 0;
    };

    virtual ~ICtrlRoot() = default;

    // Starts (or restarts) target's timer id with a period of periodMs milliseconds. The timer waits until
    // the root's next refresh tick, or until the window is made, and then runs until target's HandleTimer
    // returns false or StopTimer is called. False without target.
    virtual bool StartTimer(int32_t timerId, uint32_t periodMs, Ctrl* target) = 0;
    // False when target has no timer with that id.
    virtual bool StopTimer(int32_t timerId, Ctrl* target) = 0;
    // The timer, waiting or running; none when there is no such timer. Valid while the timer runs.
    virtual TimerInfo* FindTimer(int32_t timerId, Ctrl* target) = 0;
    // Hands the waiting timers to the platform (user-interface thread).
    virtual void StartWaitingTimers() = 0;
    // A platform timer fired (the timer message).
    virtual void HandleTimer(VApplication::TimerId platformTimer) = 0;

    // The window the root belongs to; none while it has none.
    virtual VWindow* GetWindow() const = 0;
    // The control that receives the keys; none for none.
    virtual Ctrl* GetFocusCtrl() const = 0;
    virtual void SetFocusCtrl(Ctrl* ctrl) = 0;
    virtual Ctrl* GetCtrlUnderMouse() const = 0;
    // The mouse position of the last mouse message, relative to ctrl (to the root for none).
    virtual VPoint GetMousePosition(const Ctrl* ctrl) const = 0;
    // The modifier bits (Modifier in WindowMessages.h) as the root knows them now.
    virtual uint32_t GetModifiers() const = 0;
};

} // namespace VCtrl
