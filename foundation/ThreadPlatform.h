#pragma once

#include <cstdint>

// What VThread asks of the platform. Each backend implements it in foundation/platform/<backend>/.
namespace VFoundation::ThreadPlatform {

using Entry = void (*)(void* argument);

// Starts a native thread with the platform's default stack size running entry(argument). The thread is
// detached: nobody joins it, and its resources go when entry returns. Returns 0, or the platform's
// error number when the thread could not be started.
int StartDetachedThread(Entry entry, void* argument);

// The system's identity of the calling thread, by which another thread may change its priority.
int64_t CurrentThreadId();
// The calling thread's scheduling priority in the platform's own units; levels are relative to it.
int CurrentThreadBasePriority();
// Gives the live thread threadId the priority of level 0 (below normal), 1 (normal) or 2 (above
// normal) relative to basePriority. False when the platform refuses (for example a process that may not
// raise priorities); the caller keeps the level either way.
bool ApplyPriorityLevel(int64_t threadId, int basePriority, uint32_t level);

// Ends the calling thread at once (used for threads that VThread did not start).
[[noreturn]] void ExitCurrentThread();

} // namespace VFoundation::ThreadPlatform
