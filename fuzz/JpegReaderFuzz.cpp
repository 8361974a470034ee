// Feeds arbitrary bytes to the JPEG reader; an accepted picture is read pixel by pixel.
#include "FuzzSupport.h"

#include "foundation/VImage.h"
#include "foundation/VImageIOJPEG.h"
#include "foundation/VRef.h"

#include <cstdint>

using VFoundation::VImage;
using VFoundation::VImageIOJPEG;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    KisFuzz::StartQuietFoundation();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    auto image = VFoundation::VRef<VImage>::Adopt(VImageIOJPEG::LoadImageFromData(data, size, "fuzz.jpg"));
    if (!image) return 0;
    if (image->GetBitsPerPixel() != 24 || image->HasAlpha()) __builtin_trap();
    uint32_t sum = 0;
    for (int y = 0; y < image->GetHeight(); ++y)
        for (int x = 0; x < image->GetWidth(); ++x)
            sum += image->GetPixel(x, y);
    KisFuzz::g_sink = sum;
    return 0;
}
