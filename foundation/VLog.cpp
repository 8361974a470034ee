#include "foundation/VLog.h"

#include "foundation/VClass.h"
#include "foundation/VCriticalSection.h"
#include "foundation/VObjectStack.h"
#include "foundation/VRef.h"
#include "foundation/VStopWatch.h"
#include "foundation/VString.h"

#include <algorithm>
#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>

namespace VFoundation {

V_IMPLEMENT_CLASS(VLog, VObject)

namespace {

// The current log may be replaced while other threads write to it: they take their own reference under
// this mutex, so the old log lives until their line is written.
std::mutex g_currentMutex;
VLog* g_current = nullptr;
std::atomic<bool> g_shutDown{false};
std::atomic<bool> g_notEnabled{true};
std::atomic<bool> g_timerPrefixSuppressed{false};
std::atomic<bool> g_consoleRedirected{false};
std::atomic<FILE*> g_consoleStream{nullptr};

// Null when the console is silenced.
FILE* ConsoleStream() {
    return g_consoleRedirected.load() ? g_consoleStream.load() : stderr;
}

VRef<VLog> CurrentLog() {
    std::lock_guard<std::mutex> lock(g_currentMutex);
    if (!g_current) g_current = new VLog();
    return VRef<VLog>::Retained(g_current);
}

} // namespace

VLog::VLog(VClass* record)
    : VObject(record ? record : GetClassRecord()), m_guard(new VCriticalSection()),
      m_timers(new VObjectStack()) {}

VLog::~VLog() {
    m_timers->Release();
    m_guard->Release();
}

void VLog::Write(const char* text) {
    if (!text) return;
    FILE* stream = ConsoleStream();
    if (!stream) return;
    if (!m_guard->TryEnter(100)) return;
    std::fputs(text, stream);
    const size_t length = std::strlen(text);
    if (length > 0 && text[length - 1] != '\n') std::fputc('\n', stream);
    if (stream != stderr) std::fflush(stream);
    m_guard->Leave();
}

void VLog::WriteSeparator() {
    LogPrintf("------------------------------------------------------------------------------\n");
}

void VLog::PushTimer(VStopWatch* timer) {
    VCriticalSectionLock lock(m_guard);
    m_timers->Push(timer);
}

void VLog::PopTimer() {
    VCriticalSectionLock lock(m_guard);
    m_timers->Pop();
}

VStopWatch* VLog::GetInnermostTimer() const {
    return static_cast<VStopWatch*>(m_timers->Top());
}

void LogPrintf(const char* format, ...) {
    if (!format) return;
    va_list arguments;
    va_start(arguments, format);
    if (g_shutDown.load() || g_notEnabled.load()) {
        if (FILE* stream = ConsoleStream()) std::vfprintf(stream, format, arguments);
        va_end(arguments);
        return;
    }
    VRef<VLog> log = CurrentLog();
    VCriticalSection* guard = log->GetGuard();
    if (!guard || !guard->TryEnter(100)) {
        va_end(arguments);
        return;
    }
    std::string line(std::min<uint32_t>(log->GetIndentation(), VLog::kLineBufferSize - 1), ' ');
    VStopWatch* timer = log->GetInnermostTimer();
    if (timer && !g_timerPrefixSuppressed.load()) {
        char prefix[64];
        std::snprintf(prefix, sizeof prefix, "%5.4lf ", timer->GetElapsedSeconds());
        line += prefix;
    }
    // A message longer than the line buffer is formatted to its full size rather than cut.
    char buffer[VLog::kLineBufferSize];
    va_list copy;
    va_copy(copy, arguments);
    const int needed = std::vsnprintf(buffer, sizeof buffer, format, arguments);
    if (needed >= static_cast<int>(sizeof buffer)) {
        std::string large(static_cast<size_t>(needed) + 1, '\0');
        std::vsnprintf(large.data(), large.size(), format, copy);
        large.resize(static_cast<size_t>(needed));
        line += large;
    } else if (needed > 0) {
        line += buffer;
    }
    va_end(copy);
    va_end(arguments);
    guard->Leave();
    log->Write(line.c_str());
}

void LogObject(const VObject* object) {
    if (!object || g_notEnabled.load() || g_shutDown.load()) return;
    VString description;
    object->GetDescription(description);
    if (description.GetLength() == 0 || description.CharAt(description.GetLength() - 1) != '\n')
        description.Append('\n');
    CurrentLog()->Write(description.GetText());
}

void SetLog(VLog* log) {
    std::fflush(stderr);
    VLog* old;
    {
        std::lock_guard<std::mutex> lock(g_currentMutex);
        if (log == g_current) return;
        if (log) log->Retain();
        old = g_current;
        g_current = log;
    }
    if (old) old->Release();
}

VLog* GetLog() {
    // The reference taken here is given back at once: the current log keeps its own.
    return CurrentLog().Get();
}

void SuppressLogTimerPrefix(bool suppress) {
    g_timerPrefixSuppressed.store(suppress);
}

void RedirectConsoleStream(FILE* stream) {
    std::fflush(ConsoleStream() ? ConsoleStream() : stderr);
    g_consoleStream.store(stream);
    g_consoleRedirected.store(true);
}

FILE* GetConsoleStream() {
    return ConsoleStream();
}

void RestoreConsoleStream() {
    if (FILE* stream = ConsoleStream()) std::fflush(stream);
    g_consoleRedirected.store(false);
    g_consoleStream.store(nullptr);
}

namespace LogState {
void Enable() {
    g_shutDown.store(false);
    g_notEnabled.store(false);
}
void ShutDown() {
    SetLog(nullptr);
    g_shutDown.store(true);
}
void Reset() {
    SetLog(nullptr);
}
bool IsEnabled() {
    return !g_notEnabled.load() && !g_shutDown.load();
}
} // namespace LogState

} // namespace VFoundation
