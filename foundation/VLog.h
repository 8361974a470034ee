#pragma once

#include "foundation/VObject.h"

#include <cstdint>
#include <cstdio>

namespace VFoundation {

class VCriticalSection;
class VObjectStack;
class VStopWatch;

// The process-wide diagnostic log. Any thread may write at any time; the guard is only ever taken with
// a time-out, and a write that cannot take it in time is dropped. The base class writes to the standard
// error stream; VLogFile writes to a file.
class VLog : public VObject {
    V_DECLARE_CLASS(VLog)
public:
    explicit VLog(VClass* record = nullptr);
    VLog(const VLog&) = delete;
    VLog& operator=(const VLog&) = delete;
    ~VLog() override;

    // Writes text verbatim; the console log adds a line feed to a non-empty text that lacks one.
    virtual void Write(const char* text);
    virtual void WriteSeparator();

    uint32_t GetIndentation() const { return m_indentation; }
    void SetIndentation(uint32_t spaces) { m_indentation = spaces; }
    VCriticalSection* GetGuard() const { return m_guard; }
    // While timers are pushed, the innermost one's elapsed seconds prefix every line.
    void PushTimer(VStopWatch* timer);
    void PopTimer();
    VStopWatch* GetInnermostTimer() const;

    static constexpr uint32_t kLineBufferSize = 1024;

private:
    uint32_t m_indentation = 0;
    VCriticalSection* m_guard;
    VObjectStack* m_timers;
};

// Formats one diagnostic line and hands it to the current log (see the log's rules above).
void LogPrintf(const char* format, ...) __attribute__((format(printf, 1, 2)));
// Writes the object's description, with a line feed added when missing, straight to the current log.
void LogObject(const VObject* object);
// Replaces the current log (retaining the new one); SetLog(nullptr) drops it.
void SetLog(VLog* log);
// The current log, made (as a console log) when there is none. Not retained for the caller.
VLog* GetLog();
// Turns the elapsed-seconds prefix off or on for every log.
void SuppressLogTimerPrefix(bool suppress);
// Where the console log writes, and where diagnostic lines go while no log takes them (before the library
// starts and after it stops): standard error until redirected. A null stream discards them (a quiet
// run); RestoreConsoleStream goes back to standard error. The caller keeps a stream open until it is
// replaced.
void RedirectConsoleStream(FILE* stream);
void RestoreConsoleStream();
// The console stream now; null when silenced.
FILE* GetConsoleStream();

namespace LogState {
// Called by the library's start and shut-down.
void Enable();
void ShutDown();
void Reset();
bool IsEnabled();
} // namespace LogState

} // namespace VFoundation
