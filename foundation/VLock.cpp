#include "foundation/VLock.h"

#include "foundation/VClass.h"

#include <chrono>

namespace VFoundation {

V_IMPLEMENT_CLASS(VLock, VObject)

VLock::VLock(VClass* record) : VObject(record ? record : GetClassRecord()) {}

VLock::~VLock() = default;

bool VLock::WaitFor(uint32_t timeoutMs) {
    std::unique_lock<std::mutex> lock(m_mutex);
    bool acquired;
    if (timeoutMs == kInfinite) {
        m_freed.wait(lock, [this] { return m_free; });
        acquired = true;
    } else {
        acquired = m_freed.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return m_free; });
    }
    if (acquired) m_free = false;
    m_held.store(acquired);
    return acquired;
}

void VLock::Release() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_held.store(false);
        m_free = true;
    }
    m_freed.notify_one();
}

} // namespace VFoundation
