#include "foundation/VThread.h"

#include "foundation/VClass.h"
#include "foundation/VLog.h"
#include "foundation/VRef.h"

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace VFoundation {

V_IMPLEMENT_ABSTRACT_CLASS(VThread, VObject)

// Shared by the handle and the running thread, so either may go first.
struct VThread::State {
    std::mutex mutex;
    std::condition_variable ended;
    uint32_t level = kPriorityNormal;
    bool priorityApplied = true;
    bool started = false;
    bool finished = false;
    int64_t threadId = 0;
    int basePriority = 0;
};

namespace {

struct Launch {
    std::shared_ptr<void> keepAlive;
    VThread::Entry entry;
    void* argument;
};

// Thrown by Exit() in threads that Start() made, caught by their start routine.
struct ThreadExitRequest {};

thread_local bool t_startedByVThread = false;

} // namespace

VThread::VThread(VClass* record)
    : VObject(record ? record : GetClassRecord()), m_state(std::make_shared<State>()) {}

VThread::~VThread() = default;

VThread* VThread::Start(Entry entry, void* argument) {
    VRef<VThread> thread = VRef<VThread>::Adopt(new VThread());
    auto* launch = new Launch{thread->m_state, entry, argument};
    const int error = ThreadPlatform::StartDetachedThread(&VThread::RunThread, launch);
    if (error != 0) {
        delete launch;
        LogPrintf("Error starting thread: %i\n", error);
        return nullptr;
    }
    return thread.Leak();
}

void VThread::RunThread(void* launchBlock) {
    auto* launch = static_cast<Launch*>(launchBlock);
    const std::shared_ptr<State> state = std::static_pointer_cast<State>(launch->keepAlive);
    const Entry entry = launch->entry;
    void* const argument = launch->argument;
    delete launch;

    {
        std::lock_guard<std::mutex> lock(state->mutex);
        state->threadId = ThreadPlatform::CurrentThreadId();
        state->basePriority = ThreadPlatform::CurrentThreadBasePriority();
        state->started = true;
        if (state->level != kPriorityNormal && state->level <= kPriorityAboveNormal)
            state->priorityApplied =
                ThreadPlatform::ApplyPriorityLevel(state->threadId, state->basePriority, state->level);
    }

    t_startedByVThread = true;
    try {
        entry(argument);
    } catch (const ThreadExitRequest&) {
    }

    std::lock_guard<std::mutex> lock(state->mutex);
    state->finished = true;
    state->ended.notify_all();
}

void VThread::SetPriority(uint32_t level) {
    std::lock_guard<std::mutex> lock(m_state->mutex);
    if (level == m_state->level) return;
    m_state->level = level;
    if (level > kPriorityAboveNormal || !m_state->started || m_state->finished) return;
    m_state->priorityApplied =
        ThreadPlatform::ApplyPriorityLevel(m_state->threadId, m_state->basePriority, level);
}

uint32_t VThread::GetPriority() const {
    std::lock_guard<std::mutex> lock(m_state->mutex);
    return m_state->level;
}

bool VThread::IsPriorityApplied() const {
    std::lock_guard<std::mutex> lock(m_state->mutex);
    return m_state->priorityApplied;
}

bool VThread::HasEnded() const {
    std::lock_guard<std::mutex> lock(m_state->mutex);
    return m_state->finished;
}

bool VThread::WaitForEnd(uint32_t timeoutMs) {
    std::unique_lock<std::mutex> lock(m_state->mutex);
    if (timeoutMs == kInfinite) {
        m_state->ended.wait(lock, [this] { return m_state->finished; });
        return true;
    }
    return m_state->ended.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                   [this] { return m_state->finished; });
}

void VThread::Exit() {
    if (t_startedByVThread) throw ThreadExitRequest();
    ThreadPlatform::ExitCurrentThread();
}

} // namespace VFoundation
