#pragma once

#include "foundation/VObject.h"

#include <cstddef>
#include <cstdint>

namespace VFoundation {

class VImage;

// Reads three-component (colour) JPEG files through libjpeg into a 24-bit bitmap: rows bottom-up,
// pixels blue, green, red, rows padded to 4 bytes, no alpha. Nothing is thrown out of the reader.
class VImageIOJPEG : public VObject {
    V_DECLARE_CLASS(VImageIOJPEG)
public:
    VImageIOJPEG();

    // Reads the file at path (resolved against the resource folder). None on failure, after writing
    // "Failed to load image" to the standard error stream. The caller owns the result.
    static VImage* LoadImageFromFile(const char* path);
    // The same on the bytes of a file already read; name is what failures report and what the image is
    // named after.
    static VImage* LoadImageFromData(const uint8_t* data, size_t size, const char* name);
};

} // namespace VFoundation
