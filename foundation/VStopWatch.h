#pragma once

#include "foundation/VObject.h"

#include <cstdint>

namespace VFoundation {

// Measures elapsed seconds on the performance counter from the moment it was made (or restarted).
class VStopWatch : public VObject {
    V_DECLARE_CLASS(VStopWatch)
public:
    explicit VStopWatch(VClass* record = nullptr);
    ~VStopWatch() override;

    void Start();
    double GetElapsedSeconds() const;

    // The performance counter and its frequency (read once, at first use).
    static int64_t GetCounter();
    static int64_t GetCounterFrequency();

private:
    int64_t m_start;
};

} // namespace VFoundation
