// Feeds arbitrary bytes to the Targa reader; an accepted picture is read back pixel by pixel and must
// survive being written and read again unchanged.
#include "FuzzSupport.h"

#include "foundation/VImage.h"
#include "foundation/VImageIOTarga.h"
#include "foundation/VRef.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>
#include <vector>

using VFoundation::VImage;
using VFoundation::VImageIOTarga;

namespace {

std::string g_roundTripPath;

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    KisFuzz::StartQuietFoundation();
    g_roundTripPath =
        (std::filesystem::temp_directory_path() / ("kis-targa-fuzz-" + std::to_string(::getpid()) + ".tga"))
            .string();
    std::atexit([] {
        std::error_code error;
        std::filesystem::remove(g_roundTripPath, error);
    });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    auto image = VFoundation::MakeRef<VImage>();
    if (!VImageIOTarga::ReadFromData(data, size, *image)) return 0;

    uint32_t sum = 0;
    for (int y = 0; y < image->GetHeight(); ++y)
        for (int x = 0; x < image->GetWidth(); ++x)
            sum += image->GetPixel(x, y);

    // Small pictures only: the round trip goes through a file.
    if (int64_t(image->GetWidth()) * image->GetHeight() <= 4096 &&
        VImageIOTarga::WriteToFile(*image, g_roundTripPath.c_str())) {
        std::ifstream in(g_roundTripPath, std::ios::binary);
        const std::vector<uint8_t> written((std::istreambuf_iterator<char>(in)),
                                           std::istreambuf_iterator<char>());
        auto back = VFoundation::MakeRef<VImage>();
        if (!VImageIOTarga::ReadFromData(written.data(), written.size(), *back)) std::abort();
        for (int y = 0; y < image->GetHeight(); ++y)
            for (int x = 0; x < image->GetWidth(); ++x)
                if (back->GetPixel(x, y) != image->GetPixel(x, y)) std::abort();
    }
    KisFuzz::g_sink = sum;
    return 0;
}
