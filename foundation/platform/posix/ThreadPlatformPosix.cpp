#include "foundation/ThreadPlatform.h"

#include <algorithm>
#include <cerrno>
#include <pthread.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace VFoundation::ThreadPlatform {

namespace {

struct StartBlock {
    Entry entry;
    void* argument;
};

void* RunStartBlock(void* block) {
    const StartBlock start = *static_cast<StartBlock*>(block);
    delete static_cast<StartBlock*>(block);
    start.entry(start.argument);
    return nullptr;
}

// Nice offsets of the three levels. Linux keeps a nice value per thread (setpriority with a thread
// id), which is the only priority an unprivileged SCHED_OTHER thread has.
constexpr int kNiceOffset[3] = {5, 0, -5};

} // namespace

int StartDetachedThread(Entry entry, void* argument) {
    pthread_attr_t attributes;
    int result = pthread_attr_init(&attributes);
    if (result != 0) return result;
    result = pthread_attr_setdetachstate(&attributes, PTHREAD_CREATE_DETACHED);
    if (result == 0) {
        auto* block = new StartBlock{entry, argument};
        pthread_t thread;
        result = pthread_create(&thread, &attributes, &RunStartBlock, block);
        if (result != 0) delete block;
    }
    pthread_attr_destroy(&attributes);
    return result;
}

int64_t CurrentThreadId() {
    return static_cast<int64_t>(syscall(SYS_gettid));
}

int CurrentThreadBasePriority() {
    errno = 0;
    const int nice = getpriority(PRIO_PROCESS, static_cast<id_t>(CurrentThreadId()));
    return errno == 0 ? nice : 0;
}

bool ApplyPriorityLevel(int64_t threadId, int basePriority, uint32_t level) {
    if (level > 2) return false;
    const int nice = std::clamp(basePriority + kNiceOffset[level], -20, 19);
    // Lowering a nice value needs CAP_SYS_NICE (or RLIMIT_NICE room): an ordinary process can lower a
    // thread's priority but not raise it again, and then only the level is kept.
    return setpriority(PRIO_PROCESS, static_cast<id_t>(threadId), nice) == 0;
}

void ExitCurrentThread() {
    pthread_exit(nullptr);
}

} // namespace VFoundation::ThreadPlatform
