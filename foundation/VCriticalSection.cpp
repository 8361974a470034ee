#include "foundation/VCriticalSection.h"

#include "foundation/VClass.h"

#include <algorithm>
#include <chrono>
#include <thread>

namespace VFoundation {

V_IMPLEMENT_CLASS(VCriticalSection, VObject)

VCriticalSection::VCriticalSection(VClass* record) : VObject(record ? record : GetClassRecord()) {}

VCriticalSection::~VCriticalSection() = default;

void VCriticalSection::Enter() {
    m_mutex.lock();
}

void VCriticalSection::Leave() {
    m_mutex.unlock();
}

bool VCriticalSection::TryEnter(uint32_t timeoutMs) {
    const uint32_t step = std::min<uint32_t>(timeoutMs, 5);
    int64_t remaining = timeoutMs;
    for (;;) {
        if (m_mutex.try_lock()) return true;
        if (remaining < 1) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(std::min<int64_t>(remaining, step)));
        remaining -= step;
        if (remaining <= 0) return m_mutex.try_lock();
    }
}

VCriticalSectionLock::VCriticalSectionLock(VCriticalSection* section) {
    Hold(section);
}

VCriticalSectionLock::VCriticalSectionLock(VCriticalSection* section, uint32_t timeoutMs) {
    if (section && section->TryEnter(timeoutMs)) {
        section->Retain();
        m_section = section;
    }
}

VCriticalSectionLock::~VCriticalSectionLock() {
    Unlock();
}

void VCriticalSectionLock::Hold(VCriticalSection* section) {
    Unlock();
    if (!section) return;
    section->Retain();
    section->Enter();
    m_section = section;
}

void VCriticalSectionLock::Unlock() {
    if (!m_section) return;
    VCriticalSection* section = m_section;
    m_section = nullptr;
    section->Leave();
    section->Release();
}

} // namespace VFoundation
