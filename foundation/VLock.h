#pragma once

#include "foundation/VObject.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace VFoundation {

// A binary lock that is not bound to a thread: any thread may release it, and it is not recursive.
class VLock : public VObject {
    V_DECLARE_CLASS(VLock)
public:
    static constexpr uint32_t kInfinite = 0xFFFFFFFFu;

    explicit VLock(VClass* record = nullptr);
    ~VLock() override;

    // Note that Release() here gives up the lock, not a reference: hold VLocks as members or in a VRef.
    // Waits up to timeoutMs (kInfinite for ever); the held flag tells whether the wait succeeded.
    bool WaitFor(uint32_t timeoutMs);
    void Release();
    bool IsHeld() const { return m_held.load(); }

    using VObject::Release;

private:
    // A semaphore of maximum count 1; releasing a free lock leaves it free, as the platform's does.
    std::mutex m_mutex;
    std::condition_variable m_freed;
    bool m_free = true;
    std::atomic<bool> m_held{false};
};

} // namespace VFoundation
