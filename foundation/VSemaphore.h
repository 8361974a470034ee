#pragma once

#include "foundation/VObject.h"

#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace VFoundation {

// A counting semaphore with a maximum count, not bound to a thread: any thread may signal it.
class VSemaphore : public VObject {
    V_DECLARE_CLASS(VSemaphore)
public:
    static constexpr uint32_t kInfinite = 0xFFFFFFFFu;
    static constexpr int32_t kDefaultMaximum = 0x7FFFFFFF;

    // A negative initial count counts as 0, a maximum below 1 as 1, an initial count above the maximum
    // as the maximum.
    explicit VSemaphore(int32_t initialCount = 0, int32_t maximumCount = kDefaultMaximum,
                        VClass* record = nullptr);
    ~VSemaphore() override;

    // Waits up to timeoutMs (kInfinite for ever) for a count above 0 and takes one.
    bool WaitFor(uint32_t timeoutMs);
    // Adds count; refused (false, no change) when count is not positive or the maximum would be passed.
    bool Signal(int32_t count = 1);
    int32_t GetCount() const;
    int32_t GetMaximumCount() const { return m_maximum; }

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_signalled;
    int32_t m_count;
    const int32_t m_maximum;
};

} // namespace VFoundation
