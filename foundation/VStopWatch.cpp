#include "foundation/VStopWatch.h"

#include "foundation/VClass.h"

#include <chrono>

namespace VFoundation {

V_IMPLEMENT_CLASS(VStopWatch, VObject)

VStopWatch::VStopWatch(VClass* record) : VObject(record ? record : GetClassRecord()), m_start(GetCounter()) {}

VStopWatch::~VStopWatch() = default;

void VStopWatch::Start() {
    m_start = GetCounter();
}

double VStopWatch::GetElapsedSeconds() const {
    static const double period = 1.0 / static_cast<double>(GetCounterFrequency());
    return static_cast<double>(GetCounter() - m_start) * period;
}

int64_t VStopWatch::GetCounter() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

int64_t VStopWatch::GetCounterFrequency() {
    return 1000000000;
}

} // namespace VFoundation
