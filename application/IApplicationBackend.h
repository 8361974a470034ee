#pragma once

#include "foundation/VString.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace VApplication {

// An opaque window of the backend (a GtkWindow* for the GTK backend); nullptr means "no owner".
using NativeWindow = void*;

using TimerId = uint32_t;
// Returns true to keep the timer running, false to stop it.
using TimerCallback = std::function<bool()>;

// The result of an alert box that was acknowledged (the OK button).
constexpr int kAlertOK = 1;

// One line of a file dialog's type filter: "All Files (*.*)" with the pattern "*.*".
struct FileFilter {
    VFoundation::VString description;
    VFoundation::VString pattern;
};

struct FileDialogRequest {
    VFoundation::VString title;
    // The folder the dialog opens in; empty for the backend's choice.
    VFoundation::VString initialPath;
    // The name the save dialog proposes; empty for the open dialog.
    VFoundation::VString presetName;
    std::vector<FileFilter> filters;
    NativeWindow owner = nullptr;
};

struct FolderDialogRequest {
    VFoundation::VString title;
    uint32_t flags = 0;
    NativeWindow owner = nullptr;
    // Where the dialog opens; empty: the platform's choice.
    VFoundation::VString initialFolder;
};

// What the application frame asks of a desktop platform: the message loop of the user-interface thread,
// its timers and the modal dialogs. One backend is selected at start (VApplication::SetBackend) and lives
// until the library stops. The headless backend lives in platform/headless/, the GTK one in platform/gtk/.
//
// Threads: Post and Quit may be called from any thread. Everything else is called by the frame on the
// user-interface thread only; the frame marshals dialogs asked for on other threads (it posts them and
// blocks the caller), so a backend never needs to. Timer callbacks and posted tasks run on the
// user-interface thread from inside RunMessageLoop.
class IApplicationBackend {
public:
    virtual ~IApplicationBackend() = default;

    // Runs posted tasks and timers until a quit request is reached; returns its code. May be nested (a
    // task may run a loop of its own); a quit request ends the innermost running loop.
    virtual int RunMessageLoop() = 0;
    // Queues a quit request behind the tasks already posted, so those still run first. A request made
    // while no loop runs ends the next loop.
    virtual void Quit(int code) = 0;
    // Queues task; tasks run one at a time in the order they were posted.
    virtual void Post(std::function<void()> task) = 0;

    // Starts a timer whose callback runs every periodMs milliseconds (at least 1) until it returns false
    // or StopTimer is called. Returns an id that is never 0 and never reused while the backend lives.
    virtual TimerId StartTimer(uint32_t periodMs, TimerCallback callback) = 0;
    // Stops the timer; false when no such timer runs. A callback may stop its own or other timers.
    virtual bool StopTimer(TimerId id) = 0;

    // Modal dialogs, without an owner window unless the request names one.
    // ShowAlert: the caption ("Alert"), the text and one OK button; returns kAlertOK once acknowledged.
    virtual int ShowAlert(const VFoundation::VString& caption, const VFoundation::VString& text) = 0;
    // ShowConfirm: the caption ("Confirm:"), the text, OK and Cancel; true only for OK (closing it is a no).
    virtual bool ShowConfirm(const VFoundation::VString& caption, const VFoundation::VString& text) = 0;
    // The file dialogs return the chosen path, empty when cancelled. The open dialog accepts only an existing
    // file; the save dialog proposes presetName and asks before overwriting a file.
    virtual VFoundation::VString ShowOpenFileDialog(const FileDialogRequest& request) = 0;
    virtual VFoundation::VString ShowSaveFileDialog(const FileDialogRequest& request) = 0;
    // Picks an existing folder of the file system, whatever the flags (the caller's platform browse flags,
    // passed through for backends that understand them); empty when cancelled.
    virtual VFoundation::VString ShowFolderDialog(const FolderDialogRequest& request) = 0;
};

} // namespace VApplication
