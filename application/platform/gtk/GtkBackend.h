#pragma once

#include "application/IApplicationBackend.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace VApplication {

// The desktop backend on GTK 3: the message loop is a GLib main loop on the default main context (one per
// RunMessageLoop, so loops nest), timers are GLib timeouts and the dialogs are GtkMessageDialog and
// GtkFileChooserDialog, run modally with gtk_dialog_run.
//
// Threads: make it on the thread that initialised GTK (gtk_init_check), after that succeeded; that thread is
// the user-interface thread and the only one that may run the loop, the timers and the dialogs. Post and Quit
// may be called from any thread.
//
// Posted tasks and quit requests share one FIFO queue. Each task runs from its own one-shot idle source at
// the default idle priority, so input, layout, painting and timers go before a waiting task; one task at a
// time, so a task that runs a nested loop or a modal dialog lets the tasks behind it run inside that loop, in
// order. A quit request taken from the queue ends the innermost running loop and holds the queue until that
// loop has returned: the tasks posted after it are left for the loop that runs next. Modal dialogs run
// GTK's own loop, in which posted tasks and timers go on running.
class GtkBackend : public IApplicationBackend {
public:
    GtkBackend();
    // Removes its idle and timer sources and drops the tasks still queued. Call on the user-interface thread
    // while none of its loops runs.
    ~GtkBackend() override;
    GtkBackend(const GtkBackend&) = delete;
    GtkBackend& operator=(const GtkBackend&) = delete;

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

    // The number of loops of this backend running now (nested ones included).
    size_t GetLoopDepth() const;
    size_t GetTimerCount() const;

    // The system's 8-bit texts are UTF-8 or, when not valid UTF-8, Windows-1252; GTK shows UTF-8 only.
    static std::string ToUtf8(const char* text);
    // A file dialog pattern as the GTK file filter's glob list: Windows patterns are separated by ";", match
    // regardless of case, and "*.*" matches every name, with or without a dot. "*.KIS" gives
    // "*.[kK][iI][sS]".
    static std::vector<std::string> ToGlobPatterns(const char* pattern);

private:
    struct Item {
        std::function<void()> task;
        bool quit = false;
        int code = 0;
    };
    struct Loop;
    struct Timer {
        unsigned int source = 0;
        std::shared_ptr<TimerCallback> callback;
    };
    struct TimerSource;

    // GLib source callbacks (GSourceFunc); data is the backend or the TimerSource.
    static int OnDispatch(void* data);
    static int OnTimer(void* data);
    static void OnTimerSourceGone(void* data);

    // Adds the one-shot idle source for the queue's head when the queue has work and is not held.
    void ScheduleLocked();

    mutable std::mutex m_guard;
    std::deque<Item> m_queue;
    unsigned int m_dispatchSource = 0;
    // Set while a quit request waits for its loop to return, or for a loop to start.
    bool m_held = false;
    std::vector<Loop*> m_loops;
    std::map<TimerId, Timer> m_timers;
    TimerId m_nextTimerId = 1;
};

} // namespace VApplication
