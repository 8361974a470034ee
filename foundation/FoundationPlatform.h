#pragma once

#include <cstdint>

// What the foundation asks of the platform at start-up. Each backend implements it in
// foundation/platform/<backend>/.
namespace VFoundation::Platform {

struct CpuIdLeaf1 {
    uint32_t ecx = 0;
    uint32_t edx = 0;
};

// The feature words of CPUID leaf 1; zero on processors without CPUID.
CpuIdLeaf1 ReadCpuFeatures();

} // namespace VFoundation::Platform
