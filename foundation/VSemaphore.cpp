#include "foundation/VSemaphore.h"

#include "foundation/VClass.h"

#include <algorithm>
#include <chrono>

namespace VFoundation {

V_IMPLEMENT_CLASS(VSemaphore, VObject)

VSemaphore::VSemaphore(int32_t initialCount, int32_t maximumCount, VClass* record)
    : VObject(record ? record : GetClassRecord()), m_count(0), m_maximum(std::max<int32_t>(maximumCount, 1)) {
    m_count = std::clamp<int32_t>(initialCount, 0, m_maximum);
}

VSemaphore::~VSemaphore() = default;

bool VSemaphore::WaitFor(uint32_t timeoutMs) {
    std::unique_lock<std::mutex> lock(m_mutex);
    const auto available = [this] { return m_count > 0; };
    if (timeoutMs == kInfinite)
        m_signalled.wait(lock, available);
    else if (!m_signalled.wait_for(lock, std::chrono::milliseconds(timeoutMs), available))
        return false;
    --m_count;
    return true;
}

bool VSemaphore::Signal(int32_t count) {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (count <= 0 || count > m_maximum - m_count) return false;
        m_count += count;
    }
    if (count == 1)
        m_signalled.notify_one();
    else
        m_signalled.notify_all();
    return true;
}

int32_t VSemaphore::GetCount() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_count;
}

} // namespace VFoundation
