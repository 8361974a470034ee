#include "foundation/FoundationPlatform.h"

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#endif

namespace VFoundation::Platform {

CpuIdLeaf1 ReadCpuFeatures() {
    CpuIdLeaf1 leaf;
#if defined(__x86_64__) || defined(__i386__)
    unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
    if (__get_cpuid(1, &eax, &ebx, &ecx, &edx)) {
        leaf.ecx = ecx;
        leaf.edx = edx;
    }
#endif
    return leaf;
}

} // namespace VFoundation::Platform
