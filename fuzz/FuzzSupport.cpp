#include "FuzzSupport.h"

#include "foundation/VFoundation.h"
#include "foundation/VLog.h"

namespace KisFuzz {

volatile uint32_t g_sink = 0;

namespace {

class QuietLog : public VFoundation::VLog {
public:
    void Write(const char*) override {}
};

} // namespace

void StartQuietFoundation() {
    VFoundation::InitializeLibrary();
    VFoundation::VLog* log = new QuietLog();
    VFoundation::SetLog(log);
    log->Release();
}

} // namespace KisFuzz
