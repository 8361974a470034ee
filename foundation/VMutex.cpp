#include "foundation/VMutex.h"

#include "foundation/VClass.h"

#include <chrono>

namespace VFoundation {

V_IMPLEMENT_CLASS(VMutex, VObject)

VMutex::VMutex(VClass* record) : VObject(record ? record : GetClassRecord()) {}

VMutex::~VMutex() = default;

bool VMutex::Lock(uint32_t timeoutMs) {
    const std::thread::id self = std::this_thread::get_id();
    std::unique_lock<std::mutex> lock(m_mutex);
    if (m_depth > 0 && m_owner == self) {
        ++m_depth;
        return true;
    }
    const auto isFree = [this] { return m_depth == 0; };
    if (timeoutMs == kInfinite)
        m_freed.wait(lock, isFree);
    else if (!m_freed.wait_for(lock, std::chrono::milliseconds(timeoutMs), isFree))
        return false;
    m_owner = self;
    m_depth = 1;
    return true;
}

bool VMutex::Unlock() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_depth == 0 || m_owner != std::this_thread::get_id()) return false;
        if (--m_depth > 0) return true;
        m_owner = std::thread::id();
    }
    m_freed.notify_one();
    return true;
}

bool VMutex::IsOwnedByCurrentThread() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_depth > 0 && m_owner == std::this_thread::get_id();
}

} // namespace VFoundation
