#pragma once

#include "foundation/VObject.h"

#include <cstddef>
#include <cstdint>

namespace VFoundation {

class VImage;

// Reads and writes uncompressed true-colour Targa files that carry the version 2 footer
// ("TRUEVISION-XFILE."). Reading gives a 32-bit bitmap: 32-bit files keep their alpha (the colours
// premultiplied), 24-bit files get alpha 0 and no alpha flag. Nothing is thrown out of the reader.
class VImageIOTarga : public VObject {
    V_DECLARE_CLASS(VImageIOTarga)
public:
    static constexpr size_t kHeaderSize = 18;
    static constexpr size_t kFooterSize = 26;
    static constexpr size_t kMinimumSize = 44;

    VImageIOTarga();

    // Fills image from the bytes of a Targa file; false when the data is refused (image unchanged) or
    // no bitmap could be made.
    static bool ReadFromData(const uint8_t* data, size_t size, VImage& image);
    // Writes image as a Targa file: 32-bit with straight (not premultiplied) alpha for an image with
    // alpha, else 24-bit. False when the image has no bitmap or the file cannot be written.
    static bool WriteToFile(const VImage& image, const char* path);
    // Reads the file at path (resolved against the resource folder); none on failure, after writing
    // "Failed to load image" to the standard error stream. The caller owns the result.
    static VImage* LoadImageFromFile(const char* path);
};

} // namespace VFoundation
