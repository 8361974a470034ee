#pragma once

#include "application/IApplicationBackend.h"

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

struct HWND__;

namespace VApplication {

// The desktop backend on Windows: the thread's own message loop (GetMessage, TranslateMessage,
// DispatchMessage), timers of a hidden message-only window, MessageBoxA for alerts and confirms, the common
// open and save dialogs, and the modern file dialog in folder mode for folders (the older folder browser when
// that is missing).
//
// Threads: make it on the thread that is to be the user-interface thread; that thread runs the loop, the
// timers and the dialogs. Post and Quit may be called from any thread.
//
// Posted tasks and quit requests share one FIFO queue. One item runs per wake message of the hidden window,
// and the next wake is posted before the item runs, so input and painting go on between tasks and a task
// that runs a nested loop or a modal dialog lets the tasks behind it run inside that loop, in order (the
// system's modal loops dispatch the hidden window's messages too). A quit request taken from the queue ends
// the innermost running loop and holds the queue until that loop has returned.
class Win32Backend : public IApplicationBackend {
public:
    Win32Backend();
    // Kills its timers, destroys the hidden window and drops the tasks still queued. Call on the
    // user-interface thread while none of its loops runs.
    ~Win32Backend() override;
    Win32Backend(const Win32Backend&) = delete;
    Win32Backend& operator=(const Win32Backend&) = delete;

    // False when the hidden window could not be made (no window station): the backend cannot be used.
    bool IsUsable() const { return m_window != nullptr; }

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

    size_t GetLoopDepth() const;
    size_t GetTimerCount() const;

    // The file dialogs' filter: each description and pattern ended by a zero byte, the whole list by a
    // second one. A filter without a pattern matches every file ("*.*").
    static std::string MakeFilterList(const std::vector<FileFilter>& filters);

private:
    struct Item {
        std::function<void()> task;
        bool quit = false;
        int code = 0;
    };
    struct Loop {
        bool done = false;
        int code = 0;
    };

    static intptr_t __stdcall WindowProcedure(HWND__* window, unsigned int message, uintptr_t wParam,
                                              intptr_t lParam);
    void DispatchOne();
    void OnTimer(TimerId id);
    // Posts the wake message when the queue has work, is not held and no wake is on its way.
    void ScheduleLocked();
    VFoundation::VString ShowFileDialog(const FileDialogRequest& request, bool save);

    HWND__* m_window = nullptr;
    mutable std::mutex m_guard;
    std::deque<Item> m_queue;
    // A wake message is on its way to the hidden window.
    bool m_wakePosted = false;
    bool m_held = false;
    std::vector<Loop*> m_loops;
    std::map<TimerId, std::shared_ptr<TimerCallback>> m_timers;
    TimerId m_nextTimerId = 1;
};

} // namespace VApplication
