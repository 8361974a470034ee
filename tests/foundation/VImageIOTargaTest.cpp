#include "foundation/VImageIOTarga.h"
#include "foundation/VImage.h"
#include "foundation/VRef.h"
#include "support/LogCapture.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

using VFoundation::VImage;
using VFoundation::VImageIOTarga;
using VFoundation::VRef;

namespace {

struct TargaLayout {
    int width = 2;
    int height = 2;
    int depth = 32;
    int imageType = 2;
    int idLength = 0;
    int colourMapType = 0;
    int colourMapLength = 0;
    int colourMapEntryBits = 0;
    bool footer = true;
};

// A Targa file whose pixels are given as stored; the colour map (when any) is filled with 0xEE.
std::vector<uint8_t> MakeTarga(const TargaLayout& layout, const std::vector<uint8_t>& pixels) {
    std::vector<uint8_t> data(18, 0);
    data[0] = uint8_t(layout.idLength);
    data[1] = uint8_t(layout.colourMapType);
    data[2] = uint8_t(layout.imageType);
    data[5] = uint8_t(layout.colourMapLength & 0xFF);
    data[6] = uint8_t(layout.colourMapLength >> 8);
    data[7] = uint8_t(layout.colourMapEntryBits);
    data[12] = uint8_t(layout.width & 0xFF);
    data[13] = uint8_t(layout.width >> 8);
    data[14] = uint8_t(layout.height & 0xFF);
    data[15] = uint8_t(layout.height >> 8);
    data[16] = uint8_t(layout.depth);
    data.insert(data.end(), size_t(layout.idLength), uint8_t('I'));
    data.insert(data.end(), size_t(layout.colourMapLength * ((layout.colourMapEntryBits + 7) / 8)),
                uint8_t(0xEE));
    data.insert(data.end(), pixels.begin(), pixels.end());
    data.insert(data.end(), 8, uint8_t(0));
    const char* signature = layout.footer ? "TRUEVISION-XFILE." : "NOT-A-TRUEVISION.";
    data.insert(data.end(), signature, signature + 17);
    data.push_back(0);
    return data;
}

std::vector<uint8_t> Pixels(size_t count, uint8_t b, uint8_t g, uint8_t r, int alpha = -1) {
    std::vector<uint8_t> out;
    for (size_t i = 0; i < count; ++i) {
        out.insert(out.end(), {b, g, r});
        if (alpha >= 0) out.push_back(uint8_t(alpha));
    }
    return out;
}

class TempFolder {
public:
    TempFolder() {
        m_path = std::filesystem::temp_directory_path() /
                 ("kis-image-test-" + std::to_string(::getpid()) + "-" + std::to_string(s_counter++));
        std::filesystem::create_directories(m_path);
    }
    ~TempFolder() {
        std::error_code error;
        std::filesystem::remove_all(m_path, error);
    }
    std::string File(const char* name) const { return (m_path / name).string(); }
    std::string Path() const { return m_path.string(); }

private:
    static inline int s_counter = 0;
    std::filesystem::path m_path;
};

void WriteBytes(const std::string& path, const std::vector<uint8_t>& data) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(data.data()), std::streamsize(data.size()));
}

} // namespace

TEST(TargaReader, RefusesFileWithoutFooterEvenWhenHeaderAndPixelsAreValid) {
    TargaLayout layout;
    const std::vector<uint8_t> pixels = Pixels(4, 10, 20, 30, 255);
    VImage image;
    layout.footer = false;
    const std::vector<uint8_t> unsigned_ = MakeTarga(layout, pixels);
    EXPECT_FALSE(VImageIOTarga::ReadFromData(unsigned_.data(), unsigned_.size(), image));
    EXPECT_FALSE(image.HasBitmap());

    layout.footer = true;
    const std::vector<uint8_t> signed_ = MakeTarga(layout, pixels);
    ASSERT_TRUE(VImageIOTarga::ReadFromData(signed_.data(), signed_.size(), image));
    EXPECT_EQ(image.GetWidth(), 2);
    EXPECT_EQ(image.GetHeight(), 2);
}

TEST(TargaReader, RefusesDataShorterThanItsPixels) {
    TargaLayout layout;
    std::vector<uint8_t> data = MakeTarga(layout, Pixels(4, 1, 2, 3, 255));
    // One byte of pixels missing: the footer is still intact, the length rule must catch it.
    data.erase(data.begin() + 18);
    VImage image;
    EXPECT_FALSE(VImageIOTarga::ReadFromData(data.data(), data.size(), image));
    const uint8_t tiny[43] = {};
    EXPECT_FALSE(VImageIOTarga::ReadFromData(tiny, sizeof tiny, image));
}

TEST(TargaReader, Reads24BitPixelsWithoutAlphaAndKeepsStoredRowOrder) {
    TargaLayout layout;
    layout.depth = 24;
    layout.width = 3; // 9 bytes a row in the file, rows of 12 bytes in the bitmap
    std::vector<uint8_t> pixels = Pixels(3, 1, 2, 3);
    const std::vector<uint8_t> second = Pixels(3, 40, 50, 60);
    pixels.insert(pixels.end(), second.begin(), second.end());
    layout.idLength = 5;
    const std::vector<uint8_t> data = MakeTarga(layout, pixels);
    VImage image;
    ASSERT_TRUE(VImageIOTarga::ReadFromData(data.data(), data.size(), image));
    EXPECT_FALSE(image.HasAlpha());
    EXPECT_EQ(image.GetBitsPerPixel(), 32);
    EXPECT_EQ(image.GetPixel(2, 0), 0x00030201u); // first stored row is memory row 0, fourth byte 0
    EXPECT_EQ(image.GetPixel(0, 1), 0x003C3228u);
}

TEST(TargaReader, PremultipliesColoursByAlphaShiftingRightByEight) {
    TargaLayout layout;
    layout.width = 1;
    layout.height = 1;
    const std::vector<uint8_t> data = MakeTarga(layout, {200, 100, 50, 128});
    VImage image;
    ASSERT_TRUE(VImageIOTarga::ReadFromData(data.data(), data.size(), image));
    EXPECT_TRUE(image.HasAlpha());
    const uint8_t* p = image.GetBits();
    EXPECT_EQ(p[0], 100);
    EXPECT_EQ(p[1], 50);
    EXPECT_EQ(p[2], 25);
    EXPECT_EQ(p[3], 128);
    // 255 * 255 >> 8 is 254, not 255: the shift, not a division by 255.
    const std::vector<uint8_t> opaque = MakeTarga(layout, {255, 0, 0, 255});
    ASSERT_TRUE(VImageIOTarga::ReadFromData(opaque.data(), opaque.size(), image));
    EXPECT_EQ(image.GetBits()[0], 254);
}

TEST(TargaReader, RefusesDepthsAndEncodingsItCannotTakeAsRawPixels) {
    TargaLayout layout;
    VImage image;
    layout.depth = 16;
    std::vector<uint8_t> data = MakeTarga(layout, std::vector<uint8_t>(64, 7));
    EXPECT_FALSE(VImageIOTarga::ReadFromData(data.data(), data.size(), image));
    layout.depth = 8;
    data = MakeTarga(layout, std::vector<uint8_t>(64, 7));
    EXPECT_FALSE(VImageIOTarga::ReadFromData(data.data(), data.size(), image));
    layout.depth = 32;
    layout.imageType = 10; // run-length encoded
    data = MakeTarga(layout, std::vector<uint8_t>(64, 7));
    EXPECT_FALSE(VImageIOTarga::ReadFromData(data.data(), data.size(), image));
    layout.width = 0; // no bitmap can be made of no pixels
    layout.imageType = 2;
    data = MakeTarga(layout, {});
    EXPECT_FALSE(VImageIOTarga::ReadFromData(data.data(), data.size(), image));
}

TEST(TargaReader, SkipsAColourMapBeforeThePixels) {
    TargaLayout layout;
    layout.width = 1;
    layout.height = 1;
    layout.colourMapType = 1;
    layout.colourMapLength = 3;
    layout.colourMapEntryBits = 24;
    layout.idLength = 2;
    const std::vector<uint8_t> data = MakeTarga(layout, {9, 8, 7, 255});
    VImage image;
    ASSERT_TRUE(VImageIOTarga::ReadFromData(data.data(), data.size(), image));
    EXPECT_EQ(image.GetPixel(0, 0), 0xFF060708u);
}

TEST(TargaWriter, WrittenImageReadsBackToTheSameBitmap) {
    TempFolder folder;
    TargaLayout layout;
    layout.width = 3;
    layout.height = 2;
    std::vector<uint8_t> pixels;
    for (int i = 0; i < 6; ++i)
        pixels.insert(pixels.end(), {uint8_t(40 * i), uint8_t(255 - i), 77, uint8_t(i * 51)});
    const std::vector<uint8_t> data = MakeTarga(layout, pixels);
    VImage original;
    ASSERT_TRUE(VImageIOTarga::ReadFromData(data.data(), data.size(), original));

    const std::string path = folder.File("written.tga");
    ASSERT_TRUE(VImageIOTarga::WriteToFile(original, path.c_str()));
    VRef<VImage> back = VRef<VImage>::Adopt(VImageIOTarga::LoadImageFromFile(path.c_str()));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->GetWidth(), 3);
    EXPECT_EQ(back->GetHeight(), 2);
    EXPECT_TRUE(back->HasAlpha());
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            EXPECT_EQ(back->GetPixel(x, y), original.GetPixel(x, y)) << x << "," << y;
    EXPECT_STREQ(back->GetName().GetText(), path.c_str());
}

TEST(TargaWriter, ImageWithoutAlphaIsWrittenAs24BitAndStaysVisible) {
    TempFolder folder;
    VImage original;
    ASSERT_TRUE(original.CreateBitmap(5, 1, 24));
    uint8_t* bits = original.GetMutableBits();
    for (int i = 0; i < 15; ++i)
        bits[i] = uint8_t(10 + i);
    const std::string path = folder.File("opaque.tga");
    ASSERT_TRUE(VImageIOTarga::WriteToFile(original, path.c_str()));
    VRef<VImage> back = VRef<VImage>::Adopt(VImageIOTarga::LoadImageFromFile(path.c_str()));
    ASSERT_TRUE(back);
    EXPECT_FALSE(back->HasAlpha());
    for (int x = 0; x < 5; ++x)
        EXPECT_EQ(back->GetPixel(x, 0), original.GetPixel(x, 0));

    VImage empty;
    EXPECT_FALSE(VImageIOTarga::WriteToFile(empty, folder.File("empty.tga").c_str()));
    EXPECT_FALSE(VImageIOTarga::WriteToFile(original, folder.File("missing/x.tga").c_str()));
}

TEST(ImageLoading, ChoosesTheReaderByExtensionIgnoringCase) {
    TempFolder folder;
    const std::string jpeg = std::string(KIS_TEST_INPUTS) + "/Colour13x7.jpg";
    std::filesystem::copy_file(jpeg, folder.File("Picture.JPG"));
    std::filesystem::copy_file(jpeg, folder.File("Picture.png"));
    TargaLayout layout;
    WriteBytes(folder.File("Picture.TgA"), MakeTarga(layout, Pixels(4, 1, 2, 3, 255)));

    KisTest::LogCapture log;
    VRef<VImage> fromJpeg = VRef<VImage>::Adopt(VImage::LoadFromFile(folder.File("Picture.JPG").c_str()));
    ASSERT_TRUE(fromJpeg);
    EXPECT_EQ(fromJpeg->GetBitsPerPixel(), 24);
    VRef<VImage> fromTarga = VRef<VImage>::Adopt(VImage::LoadFromFile(folder.File("Picture.TgA").c_str()));
    ASSERT_TRUE(fromTarga);
    EXPECT_EQ(fromTarga->GetBitsPerPixel(), 32);
    EXPECT_EQ(VImage::LoadFromFile(folder.File("Picture.png").c_str()), nullptr);
    EXPECT_EQ(VImage::LoadFromFile(nullptr), nullptr);
}

TEST(ImageLoading, LooksUpNamesThatAreNotFilesInTheResourceFolder) {
    TempFolder folder;
    TargaLayout layout;
    WriteBytes(folder.File("Button.tga"), MakeTarga(layout, Pixels(4, 1, 2, 3, 255)));
    VImage::SetResourceFolder(folder.Path().c_str());

    VRef<VImage> found = VRef<VImage>::Adopt(VImage::LoadFromFile("Button.tga"));
    VRef<VImage> resource = VRef<VImage>::Adopt(VImage::LoadTargaResource("Button.tga"));

    KisTest::LogCapture log;
    VImage* missing = VImage::LoadTargaResource("Missing.tga");
    VImage::SetResourceFolder("");

    ASSERT_TRUE(found);
    EXPECT_STREQ(found->GetName().GetText(), folder.File("Button.tga").c_str());
    EXPECT_TRUE(resource);
    EXPECT_EQ(missing, nullptr);
    EXPECT_TRUE(log.Contains("Can't find image resource: " + folder.File("Missing.tga") + "\n"));
    EXPECT_TRUE(log.Contains("Failed to load image: " + folder.File("Missing.tga") + "\n"));
    EXPECT_TRUE(log.Contains("Error loading targa resource: Missing.tga\n"));
}

TEST(Image, GetPixelIsZeroOutsideTheBitmap) {
    VImage image;
    EXPECT_EQ(image.GetPixel(0, 0), 0u);
    ASSERT_TRUE(image.CreateBitmap(2, 2, 24));
    std::memset(image.GetMutableBits(), 0xAB, size_t(image.GetStride()) * 2);
    EXPECT_EQ(image.GetPixel(1, 1), 0x00ABABABu); // masked to 24 bits
    EXPECT_EQ(image.GetPixel(2, 0), 0u);
    EXPECT_EQ(image.GetPixel(0, 2), 0u);
    EXPECT_EQ(image.GetPixel(-1, 0), 0u);
    EXPECT_EQ(image.GetPixel(0, -1), 0u);
    EXPECT_FALSE(image.CreateBitmap(4, 4, 16));
    EXPECT_FALSE(image.HasBitmap());
}
