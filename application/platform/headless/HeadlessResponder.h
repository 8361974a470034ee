#pragma once

#include "application/IApplicationBackend.h"
#include "foundation/VString.h"

#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace VApplication {

enum class DialogKind { Alert, Confirm, OpenFile, SaveFile, Folder };

// A dialog that the headless backend needs answered. text is the message of an alert or confirm box
// (caption its caption) and the title of a file or folder dialog.
struct DialogRequest {
    DialogKind kind = DialogKind::Alert;
    VFoundation::VString caption;
    VFoundation::VString text;
    VFoundation::VString initialPath;
    VFoundation::VString presetName;
    std::vector<FileFilter> filters;
    uint32_t flags = 0;
};

// accepted is OK or yes; path is the chosen file or folder (ignored for alerts and confirms). An answer
// to a file or folder dialog that is not accepted, or has no path, is a cancel.
struct DialogAnswer {
    bool accepted = false;
    VFoundation::VString path;

    static DialogAnswer Yes() { return DialogAnswer{true, VFoundation::VString()}; }
    static DialogAnswer No() { return DialogAnswer{false, VFoundation::VString()}; }
    static DialogAnswer Path(const char* chosen) { return DialogAnswer{true, VFoundation::VString(chosen)}; }
    static DialogAnswer Cancel() { return No(); }
};

// Answers the headless backend's dialogs. Called on the user-interface thread, one dialog at a time.
class IDialogResponder {
public:
    virtual ~IDialogResponder() = default;
    virtual DialogAnswer Answer(const DialogRequest& request) = 0;
};

// For tests: answers from a queue of scripted answers, then from the callback when one is set; with
// neither, a dialog is answered no (or cancelled) and counted as unexpected. Records every request.
// Thread-safe, so a test may script answers while the loop runs.
class ScriptedResponder : public IDialogResponder {
public:
    using Callback = std::function<DialogAnswer(const DialogRequest&)>;

    ScriptedResponder() = default;
    explicit ScriptedResponder(Callback callback) : m_callback(std::move(callback)) {}

    void Push(DialogAnswer answer);
    void SetCallback(Callback callback);
    DialogAnswer Answer(const DialogRequest& request) override;

    std::vector<DialogRequest> GetRequests() const;
    int GetUnexpectedCount() const;
    size_t GetPendingCount() const;

private:
    mutable std::mutex m_guard;
    std::deque<DialogAnswer> m_answers;
    Callback m_callback;
    std::vector<DialogRequest> m_requests;
    int m_unexpected = 0;
};

// The unattended answers: every confirm box gets the configured answer, each file and folder dialog the
// configured path (an empty path cancels it), and every dialog is written to a line sink, by default the
// standard error stream:
//   Alert: <text>
//   Confirm: <text> -> yes|no
//   Open: <title> -> <path>|cancelled      (and "Save:", "Folder:")
// Each dialog is one line: a line feed in a text is written as the two characters "\n" (a carriage return
// as "\r", a backslash stays itself).
class SilentResponder : public IDialogResponder {
public:
    struct Options {
        bool confirmAnswer = true;
        VFoundation::VString openPath;
        VFoundation::VString savePath;
        VFoundation::VString folderPath;
    };
    // Receives each line without its line feed.
    using LineSink = std::function<void(const std::string& line)>;

    SilentResponder() = default;
    explicit SilentResponder(Options options, LineSink sink = nullptr);

    DialogAnswer Answer(const DialogRequest& request) override;
    static std::string EscapeText(const char* text);

private:
    void WriteLine(const std::string& line) const;

    Options m_options;
    LineSink m_sink;
};

} // namespace VApplication
