#pragma once

#include "foundation/VObject.h"

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

namespace VFoundation {

// An unnamed mutex, not initially owned. It is recursive and owned by the thread that locked it: only
// that thread may unlock it, once per successful Lock().
class VMutex : public VObject {
    V_DECLARE_CLASS(VMutex)
public:
    static constexpr uint32_t kInfinite = 0xFFFFFFFFu;

    explicit VMutex(VClass* record = nullptr);
    ~VMutex() override;

    // Waits up to timeoutMs (kInfinite for ever); true when the calling thread now owns the mutex.
    bool Lock(uint32_t timeoutMs = kInfinite);
    // False (and no change) when the calling thread does not own the mutex.
    bool Unlock();
    bool IsOwnedByCurrentThread() const;

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_freed;
    std::thread::id m_owner;
    uint32_t m_depth = 0;
};

} // namespace VFoundation
