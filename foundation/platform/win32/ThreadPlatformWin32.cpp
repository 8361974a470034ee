#include "foundation/ThreadPlatform.h"

#include <windows.h>

#include <process.h>

namespace VFoundation::ThreadPlatform {

namespace {

struct StartBlock {
    Entry entry;
    void* argument;
};

unsigned __stdcall RunStartBlock(void* block) {
    const StartBlock start = *static_cast<StartBlock*>(block);
    delete static_cast<StartBlock*>(block);
    start.entry(start.argument);
    return 0;
}

// The three levels, relative to the calling thread's priority when the thread was made.
constexpr int kLevelOffset[3] = {-1, 0, 1};

} // namespace

// Threads start through the runtime library, so that its per-thread state is set up and released.
int StartDetachedThread(Entry entry, void* argument) {
    auto* block = new StartBlock{entry, argument};
    const uintptr_t thread = ::_beginthreadex(nullptr, 0, &RunStartBlock, block, 0, nullptr);
    if (thread == 0) {
        delete block;
        const DWORD error = ::GetLastError();
        return error ? static_cast<int>(error) : 1;
    }
    // Nobody joins the thread: its handle is not kept.
    ::CloseHandle(reinterpret_cast<HANDLE>(thread));
    return 0;
}

int64_t CurrentThreadId() {
    return static_cast<int64_t>(::GetCurrentThreadId());
}

int CurrentThreadBasePriority() {
    const int priority = ::GetThreadPriority(::GetCurrentThread());
    return priority == THREAD_PRIORITY_ERROR_RETURN ? THREAD_PRIORITY_NORMAL : priority;
}

bool ApplyPriorityLevel(int64_t threadId, int basePriority, uint32_t level) {
    if (level > 2) return false;
    int priority = basePriority + kLevelOffset[level];
    if (priority < THREAD_PRIORITY_LOWEST) priority = THREAD_PRIORITY_LOWEST;
    if (priority > THREAD_PRIORITY_HIGHEST) priority = THREAD_PRIORITY_HIGHEST;
    HANDLE thread = ::OpenThread(THREAD_SET_INFORMATION, FALSE, static_cast<DWORD>(threadId));
    if (!thread) return false;
    const bool ok = ::SetThreadPriority(thread, priority) != 0;
    ::CloseHandle(thread);
    return ok;
}

void ExitCurrentThread() {
    ::_endthreadex(0);
    for (;;) {
    }
}

} // namespace VFoundation::ThreadPlatform
