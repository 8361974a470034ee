#pragma once

#include "foundation/VObject.h"
#include "foundation/VString.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace VFoundation {

// A picture held as a device-independent bitmap: rows stored bottom-up (the first row in memory is the
// bottom row of the picture), each row padded to a multiple of 4 bytes. 32-bit pixels are blue, green,
// red, alpha in memory; with alpha the colours are premultiplied (colour * alpha >> 8). 24-bit pixels
// are blue, green, red.
//
// Threads: an image is read and drawn on one thread at a time; loading may happen on any thread.
class VImage : public VObject {
    V_DECLARE_CLASS(VImage)
public:
    // Something a drawing back end derives from its bitmap (a surface, a texture) and keeps with the
    // image. The image owns it and drops it whenever the bitmap changes or the image goes.
    class RenderCache {
    public:
        virtual ~RenderCache() = default;
    };

    // The largest bitmap made: width * height may not exceed this many pixels.
    static constexpr int64_t kMaxPixels = int64_t(1) << 24;

    explicit VImage(VClass* record = nullptr);
    VImage(const VImage& other);
    ~VImage() override;
    VImage& operator=(const VImage&) = delete;

    VObject* Copy() const override;
    void GetDescription(VString& out) const override;

    // Makes a new bitmap of width x height pixels of 24 or 32 bits, cleared to 0, replacing the old one.
    // False (and no bitmap) for other depths, sizes below 1 or above kMaxPixels, or when memory runs out.
    bool CreateBitmap(int width, int height, int bitsPerPixel);
    void FreeBitmap();
    bool HasBitmap() const { return !m_bits.empty(); }

    int GetWidth() const { return m_width; }
    int GetHeight() const { return m_height; }
    int GetBitsPerPixel() const { return m_bitsPerPixel; }
    // Bytes from one row to the next.
    int GetStride() const { return m_stride; }
    const uint8_t* GetBits() const { return m_bits.empty() ? nullptr : m_bits.data(); }
    // Writable pixels; call BitsChanged() after writing so that cached renderings are dropped.
    uint8_t* GetMutableBits() { return m_bits.empty() ? nullptr : m_bits.data(); }
    const uint8_t* GetRow(int memoryRow) const { return GetBits() + size_t(memoryRow) * size_t(m_stride); }
    void BitsChanged() { m_renderCache.reset(); }

    // The pixel word at memory row y (bottom-up) and column x; 0 outside the bitmap or without one.
    // A 24-bit pixel is masked to 24 bits.
    uint32_t GetPixel(int x, int y) const;

    bool HasAlpha() const { return m_hasAlpha != 0; }
    void SetHasAlpha(bool hasAlpha) { m_hasAlpha = hasAlpha ? 1 : 0; }

    // The path the image was loaded from; "" when none.
    const VString& GetName() const;
    void SetName(const char* name);

    RenderCache* GetRenderCache() const { return m_renderCache.get(); }
    // Const: a cache is derived from the pixels and does not change what the image is.
    void SetRenderCache(std::unique_ptr<RenderCache> cache) const { m_renderCache = std::move(cache); }

    // Reads a picture by its extension, ignoring case: "tga" as Targa, "jpeg" or "jpg" as JPEG; none
    // for anything else or when reading fails. The caller owns the result.
    static VImage* LoadFromFile(const char* path);
    // Reads the named Targa file from the resource folder. The caller owns the result.
    static VImage* LoadTargaResource(const char* name);

    // The folder that relative picture names are looked up in (the installer's Installer/Resources).
    // Empty until set; then names are looked up relative to the working folder.
    static void SetResourceFolder(const char* folder);
    static VString GetResourceFolder();
    // path itself when such a file exists, else path inside the resource folder; false when neither
    // names an existing file (out then holds the resource-folder candidate).
    static bool ResolvePath(const char* path, VString& out);
    // Reads the whole file; false when it cannot be opened or read.
    static bool ReadFile(const char* path, std::vector<uint8_t>& out);

private:
    std::vector<uint8_t> m_bits;
    VString* m_name = nullptr;
    uint8_t m_hasAlpha = 0;
    int m_width = 0;
    int m_height = 0;
    int m_bitsPerPixel = 0;
    int m_stride = 0;
    mutable std::unique_ptr<RenderCache> m_renderCache;
};

} // namespace VFoundation
