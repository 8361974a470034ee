#include "foundation/VImageIOJPEG.h"
#include "foundation/VImage.h"
#include "foundation/VRef.h"
#include "support/LogCapture.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

using VFoundation::VImage;
using VFoundation::VImageIOJPEG;
using VFoundation::VRef;

namespace {

std::string Input(const char* name) {
    return std::string(KIS_TEST_INPUTS) + "/" + name;
}

std::vector<uint8_t> ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

} // namespace

// Colour13x7.rgb holds ImageMagick's decoding of Colour13x7.jpg: top row first, red, green, blue.
TEST(JpegReader, DecodesLikeImageMagickIntoBottomUpBlueGreenRedRows) {
    const std::vector<uint8_t> expected = ReadAll(Input("Colour13x7.rgb"));
    ASSERT_EQ(expected.size(), 13u * 7u * 3u);

    KisTest::LogCapture log;
    VRef<VImage> image =
        VRef<VImage>::Adopt(VImageIOJPEG::LoadImageFromFile(Input("Colour13x7.jpg").c_str()));
    ASSERT_TRUE(image);
    EXPECT_EQ(image->GetWidth(), 13);
    EXPECT_EQ(image->GetHeight(), 7);
    EXPECT_EQ(image->GetBitsPerPixel(), 24);
    EXPECT_EQ(image->GetStride(), 40); // 39 bytes padded to a multiple of 4
    EXPECT_FALSE(image->HasAlpha());

    int worst = 0;
    for (int y = 0; y < 7; ++y) {
        const uint8_t* row = image->GetRow(6 - y);
        for (int x = 0; x < 13; ++x) {
            const uint8_t* want = &expected[size_t(y * 13 + x) * 3];
            worst = std::max({worst, std::abs(row[x * 3 + 2] - want[0]), std::abs(row[x * 3 + 1] - want[1]),
                              std::abs(row[x * 3 + 0] - want[2])});
        }
    }
    EXPECT_LE(worst, 2);
    EXPECT_TRUE(log.Contains("Width:13  Height:7  Components:3\n"));
    EXPECT_TRUE(log.Contains("Lines decoded: 7  inputfileSize:364   inputBytesRead:"));
}

TEST(JpegReader, RefusesGreyScaleJpeg) {
    KisTest::LogCapture log;
    VImage* image = VImageIOJPEG::LoadImageFromFile(Input("Grey8x8.jpg").c_str());
    EXPECT_EQ(image, nullptr);
    EXPECT_TRUE(log.Contains("Width:8  Height:8  Components:1\n"));
    EXPECT_TRUE(log.Contains(
        "VException in VImageIOJPEG::LoadImageFromFile: Only 3-component jpegs are supported\n"));
    EXPECT_TRUE(log.Contains("Failed to load image: " + Input("Grey8x8.jpg")));
}

TEST(JpegReader, ReportsMissingAndCorruptFilesWithoutThrowing) {
    KisTest::LogCapture log;
    EXPECT_EQ(VImageIOJPEG::LoadImageFromFile("/nonexistent/folder/none.jpg"), nullptr);
    EXPECT_TRUE(log.Contains(
        "VException in VImageIOJPEG::LoadImageFromFile: Error: Unable to open file for reading!\n"));

    const uint8_t garbage[] = "this is not a jpeg file at all";
    EXPECT_EQ(VImageIOJPEG::LoadImageFromData(garbage, sizeof garbage, "garbage.jpg"), nullptr);
    EXPECT_TRUE(log.Contains("VException in VImageIOJPEG::LoadImageFromFile: Error: Decoder failed!\n"));
    // An empty file fails inside the decoder's set-up, which must still be torn down (the leak checker
    // of the sanitizer build watches this).
    EXPECT_EQ(VImageIOJPEG::LoadImageFromData(garbage, 0, "empty.jpg"), nullptr);

    // Cut inside the entropy-coded data: libjpeg pads the picture, which still comes out whole.
    std::vector<uint8_t> cut = ReadAll(Input("Colour13x7.jpg"));
    cut.resize(cut.size() - 40);
    VRef<VImage> padded =
        VRef<VImage>::Adopt(VImageIOJPEG::LoadImageFromData(cut.data(), cut.size(), "cut.jpg"));
    EXPECT_TRUE(log.Contains("Failed to load image: garbage.jpg\n"));
    ASSERT_TRUE(padded);
    EXPECT_EQ(padded->GetHeight(), 7);
}
