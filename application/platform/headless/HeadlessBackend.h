#pragma once

#include "application/IApplicationBackend.h"
#include "application/platform/headless/HeadlessResponder.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>

namespace VApplication {

// The backend without a display: a message loop of posted tasks and timers, a clock and dialogs answered
// by a responder. Used for unattended runs (--silent) and by the tests.
//
// The clock follows real time by default. SetManualClock(true) freezes it: time then moves only through
// AdvanceClock, which fires every timer that falls due within the step, in the order of due time (timers
// due at the same moment in the order they were started), a periodic timer once per period.
//
// The loop runs posted tasks first and fires due timers only when no task is waiting, as a desktop message
// loop gives timers the lowest priority.
class HeadlessBackend : public IApplicationBackend {
public:
    // Answers dialogs with a SilentResponder on its default options until another responder is set.
    HeadlessBackend();
    explicit HeadlessBackend(std::shared_ptr<IDialogResponder> responder);
    ~HeadlessBackend() override;
    HeadlessBackend(const HeadlessBackend&) = delete;
    HeadlessBackend& operator=(const HeadlessBackend&) = delete;

    int RunMessageLoop() override;
    void Quit(int code) override;
    void Post(std::function<void()> task) override;
    TimerId StartTimer(uint32_t periodMs, TimerCallback callback) override;
    bool StopTimer(TimerId id) override;
    int ShowAlert(const VFoundation::VString& caption, const VFoundation::VString& text) override;
    bool ShowConfirm(const VFoundation::VString& caption, const VFoundation::VString& text) override;
    VFoundation::VString ShowOpenFileDialog(const FileDialogRequest& request) override;
    VFoundation::VString ShowSaveFileDialog(const FileDialogRequest& request) override;
    VFoundation::VString ShowFolderDialog(const FolderDialogRequest& request) override;

    void SetResponder(std::shared_ptr<IDialogResponder> responder);
    std::shared_ptr<IDialogResponder> GetResponder() const;

    // The clock reads milliseconds since the backend was made. Switching keeps the reading continuous.
    void SetManualClock(bool manual);
    bool IsManualClock() const;
    uint64_t GetClockTime() const;
    // Manual clock only (ignored otherwise): moves the clock on by ms and fires the timers due on the way.
    // Call it on the user-interface thread, like any timer work.
    void AdvanceClock(uint64_t ms);

    // Runs the tasks posted so far and the timers now due, without waiting; returns how many ran. For
    // tests that drive the queue without a loop. A quit request met on the way stays queued.
    int RunPending();

    size_t GetPendingTaskCount() const;
    size_t GetTimerCount() const;

private:
    struct Item {
        std::function<void()> task;
        bool quit = false;
        int code = 0;
    };
    struct Timer {
        uint64_t period = 1;
        uint64_t due = 0;
        std::shared_ptr<TimerCallback> callback;
    };

    uint64_t NowLocked() const;
    // Fires, in order, each timer due at or before limit; with the manual clock the clock steps to each
    // due time as it goes. Returns how many fired.
    int FireDueTimers(uint64_t limit);
    DialogAnswer Ask(DialogRequest request);

    mutable std::mutex m_guard;
    std::condition_variable m_wake;
    std::deque<Item> m_queue;
    std::map<TimerId, Timer> m_timers;
    TimerId m_nextTimerId = 1;
    std::shared_ptr<IDialogResponder> m_responder;
    bool m_manualClock = false;
    uint64_t m_manualNow = 0;
    std::chrono::steady_clock::time_point m_realBase;
};

} // namespace VApplication
