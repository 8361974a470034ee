#pragma once

namespace VCtrl {

class CtrlEvent;

// The receiver of a control's events (presses, mouse enter and leave, dropped files, value changes).
//
// Contract:
// - Called synchronously on the user-interface thread, from inside the control's own handling (a mouse
//   press, a timer, a value change), so the listener must not destroy the control that is calling it
//   before it returns; it may hide it, detach it or post work for later.
// - The event is the toolkit's one shared CtrlEvent, refilled for every event: copy (Copy()) what must
//   outlive the call. Sending another event from inside the handler is allowed; the event is restored to
//   this call's content when that nested send returns.
// - A control does not own its listener. The listener must outlive every control that names it, or clear
//   itself from them (Ctrl::SetListener(nullptr)) before it goes.
class ICtrlListener {
public:
    virtual void HandleCtrlEvent(const CtrlEvent& event) = 0;
    virtual ~ICtrlListener() = default;
};

} // namespace VCtrl
