#include "foundation/VImageIOTarga.h"

#include "foundation/VClass.h"
#include "foundation/VImage.h"
#include "foundation/VLog.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <vector>

namespace VFoundation {

V_IMPLEMENT_CLASS(VImageIOTarga, VObject)

namespace {

constexpr char kSignature[] = "TRUEVISION-XFILE";
constexpr size_t kSignatureCompared = 16;
constexpr uint8_t kImageTypeRunLengthBit = 8;

uint16_t ReadLE16(const uint8_t* p) {
    return uint16_t(p[0] | (p[1] << 8));
}

void WriteLE16(uint8_t* p, int value) {
    p[0] = uint8_t(value & 0xFF);
    p[1] = uint8_t((value >> 8) & 0xFF);
}

// The inverse of the reader's colour * alpha >> 8: the smallest straight colour that premultiplies back
// to the same byte, so that a written file reads back to the very same bitmap.
uint8_t Unpremultiply(uint8_t colour, uint8_t alpha) {
    if (alpha == 0) return 0;
    const unsigned straight = (unsigned(colour) * 256u + alpha - 1u) / alpha;
    return uint8_t(straight > 255u ? 255u : straight);
}

} // namespace

VImageIOTarga::VImageIOTarga() : VObject(GetClassRecord()) {}

bool VImageIOTarga::ReadFromData(const uint8_t* data, size_t size, VImage& image) {
    if (!data || size < kMinimumSize) return false;
    if (std::memcmp(data + size - 18, kSignature, kSignatureCompared) != 0) return false;

    const size_t idLength = data[0];
    const uint8_t colourMapType = data[1];
    const uint8_t imageType = data[2];
    const size_t colourMapLength = ReadLE16(data + 5);
    const size_t colourMapEntryBits = data[7];
    const int width = ReadLE16(data + 12);
    const int height = ReadLE16(data + 14);
    const int depth = data[16];

    // Only raw true-colour pixels can be taken as they are: other depths would be read with the wrong
    // pixel step, and run-length data is not pixels at all.
    if (depth != 24 && depth != 32) return false;
    if (imageType & kImageTypeRunLengthBit) return false;
    const bool hasAlpha = depth == 32;
    const size_t bytesPerPixel = size_t(depth / 8);

    // A colour map that a true-colour file may carry lies between the image ID and the pixels.
    size_t offset = kHeaderSize + idLength;
    if (colourMapType != 0) offset += colourMapLength * ((colourMapEntryBits + 7) / 8);

    const uint64_t pixelBytes = uint64_t(width) * uint64_t(height) * bytesPerPixel;
    if (uint64_t(size) < pixelBytes + offset + kFooterSize) return false;

    if (!image.CreateBitmap(width, height, 32)) return false;
    image.SetHasAlpha(hasAlpha);
    uint8_t* bits = image.GetMutableBits();
    const uint8_t* source = data + offset;
    for (int row = 0; row < height; ++row) {
        uint8_t* target = bits + size_t(row) * size_t(image.GetStride());
        for (int x = 0; x < width; ++x, source += bytesPerPixel, target += 4) {
            if (hasAlpha) {
                const unsigned alpha = source[3];
                target[0] = uint8_t((source[0] * alpha) >> 8);
                target[1] = uint8_t((source[1] * alpha) >> 8);
                target[2] = uint8_t((source[2] * alpha) >> 8);
                target[3] = uint8_t(alpha);
            } else {
                target[0] = source[0];
                target[1] = source[1];
                target[2] = source[2];
                target[3] = 0;
            }
        }
    }
    image.BitsChanged();
    return true;
}

bool VImageIOTarga::WriteToFile(const VImage& image, const char* path) {
    if (!path || !image.HasBitmap()) return false;
    const int width = image.GetWidth();
    const int height = image.GetHeight();
    if (width > 0xFFFF || height > 0xFFFF) return false;

    // A bitmap without alpha is written as 24-bit: writing its zero fourth bytes as alpha would make
    // every pixel transparent when the file is read back.
    const bool withAlpha = image.HasAlpha();
    uint8_t header[kHeaderSize] = {};
    header[2] = 2;
    WriteLE16(header + 12, width);
    WriteLE16(header + 14, height);
    header[16] = withAlpha ? 32 : 24;
    header[17] = withAlpha ? 8 : 0;

    std::ofstream stream(path, std::ios::binary | std::ios::trunc);
    if (!stream) return false;
    stream.write(reinterpret_cast<const char*>(header), sizeof header);

    const size_t bytesPerPixel = withAlpha ? 4 : 3;
    std::vector<uint8_t> row(size_t(width) * bytesPerPixel);
    for (int y = 0; y < height; ++y) {
        uint8_t* out = row.data();
        for (int x = 0; x < width; ++x, out += bytesPerPixel) {
            const uint32_t pixel = image.GetPixel(x, y);
            const uint8_t blue = uint8_t(pixel), green = uint8_t(pixel >> 8), red = uint8_t(pixel >> 16);
            if (withAlpha) {
                const uint8_t alpha = uint8_t(pixel >> 24);
                out[0] = Unpremultiply(blue, alpha);
                out[1] = Unpremultiply(green, alpha);
                out[2] = Unpremultiply(red, alpha);
                out[3] = alpha;
            } else {
                out[0] = blue;
                out[1] = green;
                out[2] = red;
            }
        }
        stream.write(reinterpret_cast<const char*>(row.data()), std::streamsize(row.size()));
    }

    const uint8_t offsets[8] = {};
    stream.write(reinterpret_cast<const char*>(offsets), sizeof offsets);
    stream.write("TRUEVISION-XFILE.", 18); // the signature and its terminating zero byte
    stream.close();
    return !stream.fail();
}

VImage* VImageIOTarga::LoadImageFromFile(const char* path) {
    VString resolved;
    std::vector<uint8_t> data;
    if (VImage::ResolvePath(path, resolved) && VImage::ReadFile(resolved.GetText(), data)) {
        VImage* image = new VImage();
        if (ReadFromData(data.data(), data.size(), *image)) {
            image->SetName(resolved.GetText());
            return image;
        }
        image->Release();
    }
    VFoundation::LogPrintf("Failed to load image: %s\n", path ? path : "");
    return nullptr;
}

} // namespace VFoundation
