#pragma once

#include "foundation/VObject.h"

#include <cstdint>
#include <mutex>

namespace VFoundation {

// A recursive lock owned by the thread that entered it. Code that holds one for a scope retains it
// first and releases it after leaving; VCriticalSectionLock does exactly that.
class VCriticalSection : public VObject {
    V_DECLARE_CLASS(VCriticalSection)
public:
    explicit VCriticalSection(VClass* record = nullptr);
    ~VCriticalSection() override;

    void Enter();
    void Leave();
    // Tries to enter within timeout milliseconds, polling every min(timeout, 5) ms; a time-out of 0 makes
    // exactly one attempt.
    bool TryEnter(uint32_t timeoutMs);

private:
    std::recursive_mutex m_mutex;
};

// Holds a critical section for a scope (entered at once, or within a time-out).
class VCriticalSectionLock {
public:
    explicit VCriticalSectionLock(VCriticalSection* section);
    VCriticalSectionLock(VCriticalSection* section, uint32_t timeoutMs);
    VCriticalSectionLock() = default;
    ~VCriticalSectionLock();
    VCriticalSectionLock(const VCriticalSectionLock&) = delete;
    VCriticalSectionLock& operator=(const VCriticalSectionLock&) = delete;

    // Holds section (entered at once) after giving up what was held before.
    void Hold(VCriticalSection* section);
    void Unlock();
    bool IsLocked() const { return m_section != nullptr; }

private:
    VCriticalSection* m_section = nullptr;
};

} // namespace VFoundation
