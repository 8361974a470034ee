#pragma once

#include "foundation/ThreadPlatform.h"
#include "foundation/VObject.h"

#include <cstdint>
#include <memory>

namespace VFoundation {

// A platform thread, created running by Start(). The object is a handle: releasing it does not stop
// or wait for the thread, which ends when its entry function returns (or calls Exit()).
//
// Priority levels: 0 below normal, 1 normal (the default), 2 above normal; other levels are stored
// without a platform call. On POSIX the levels are nice offsets (+5, 0, -5) from the thread's nice
// value at its start. A process without the right to raise priorities (an ordinary user on Linux may
// lower a nice value but never raise it back) keeps the level in the object only.
class VThread : public VObject {
    V_DECLARE_CLASS(VThread)
public:
    using Entry = ThreadPlatform::Entry;

    static constexpr uint32_t kPriorityBelowNormal = 0;
    static constexpr uint32_t kPriorityNormal = 1;
    static constexpr uint32_t kPriorityAboveNormal = 2;
    static constexpr uint32_t kInfinite = 0xFFFFFFFFu;

    ~VThread() override;

    // Starts a thread running entry(argument) with the default stack size and returns its handle (one
    // reference, the caller's), or logs "Error starting thread: %i" with the platform's error number and
    // returns none. entry must not let an exception escape.
    static VThread* Start(Entry entry, void* argument);

    // No effect when level is unchanged. May be called before the thread has got going; the level is
    // then applied by the thread itself as it starts.
    void SetPriority(uint32_t level);
    uint32_t GetPriority() const;
    // Whether the platform accepted the last priority change (true while none was asked for).
    bool IsPriorityApplied() const;

    // True once the entry function has returned (or the thread called Exit()).
    bool HasEnded() const;
    // Waits up to timeoutMs (kInfinite for ever) for HasEnded(). Must not be called by the thread itself.
    bool WaitForEnd(uint32_t timeoutMs);

    // Ends the calling thread. In a thread started by Start() this unwinds the thread's stack (the
    // destructors of its frames run) by throwing a private exception, so a catch (...) on the way that
    // does not rethrow keeps the thread alive; other threads end at once through the platform.
    [[noreturn]] static void Exit();

protected:
    explicit VThread(VClass* record = nullptr);

private:
    struct State;
    static void RunThread(void* launch);

    std::shared_ptr<State> m_state;
};

} // namespace VFoundation
