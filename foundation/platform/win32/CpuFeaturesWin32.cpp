#include "foundation/FoundationPlatform.h"

#include <intrin.h>

namespace VFoundation::Platform {

CpuIdLeaf1 ReadCpuFeatures() {
    CpuIdLeaf1 leaf;
    int highest[4] = {};
    __cpuid(highest, 0);
    if (highest[0] < 1) return leaf;
    int words[4] = {};
    __cpuid(words, 1);
    leaf.ecx = static_cast<uint32_t>(words[2]);
    leaf.edx = static_cast<uint32_t>(words[3]);
    return leaf;
}

} // namespace VFoundation::Platform
