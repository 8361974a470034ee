#include "ctrl/CairoGraphicsContext.h"
#include "foundation/VImage.h"
#include "foundation/VRef.h"
#include "foundation/VString.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

using VCtrl::CairoGraphicsContext;
using VCtrl::VColour;
using VCtrl::VRect;
using VCtrl::VSize;
using VFoundation::VImage;
using VFoundation::VRef;

namespace {

// Colours are objects counted by their class record: made per use, never as globals that outlive the
// library.
VColour White() {
    return VColour(255, 255, 255);
}
VColour Black() {
    return VColour(0, 0, 0);
}

// A context on a fresh off-screen surface painted opaque white.
VRef<CairoGraphicsContext> MakeContext(int width = 20, int height = 20) {
    auto context = VFoundation::MakeRef<CairoGraphicsContext>();
    EXPECT_TRUE(context->CreateTarget(width, height));
    context->FillRectangle(0, 0, width, height, White());
    return context;
}

int Red(uint32_t pixel) {
    return int((pixel >> 16) & 0xFF);
}
int Green(uint32_t pixel) {
    return int((pixel >> 8) & 0xFF);
}
int Blue(uint32_t pixel) {
    return int(pixel & 0xFF);
}

// A 32-bit image with premultiplied alpha, every pixel the same.
VRef<VImage> SolidImage(int width, int height, uint8_t b, uint8_t g, uint8_t r, uint8_t a) {
    auto image = VFoundation::MakeRef<VImage>();
    EXPECT_TRUE(image->CreateBitmap(width, height, 32));
    image->SetHasAlpha(true);
    uint8_t* bits = image->GetMutableBits();
    for (int i = 0; i < width * height; ++i) {
        bits[i * 4 + 0] = b;
        bits[i * 4 + 1] = g;
        bits[i * 4 + 2] = r;
        bits[i * 4 + 3] = a;
    }
    return image;
}

} // namespace

TEST(CairoGraphicsContext, RectangleOutlineOfTenByTenCoversPixelsZeroToNine) {
    auto context = MakeContext();
    context->SetOrigin(3, 4);
    context->DrawRectangle(0, 0, 10, 10, Black(), 0, 1.0);
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(context->GetTargetPixel(3 + i, 4), 0xFF000000u) << "top " << i;
        EXPECT_EQ(context->GetTargetPixel(3 + i, 13), 0xFF000000u) << "bottom " << i;
        EXPECT_EQ(context->GetTargetPixel(3, 4 + i), 0xFF000000u) << "left " << i;
        EXPECT_EQ(context->GetTargetPixel(12, 4 + i), 0xFF000000u) << "right " << i;
        EXPECT_EQ(context->GetTargetPixel(13, 4 + i), 0xFFFFFFFFu) << "past right " << i;
        EXPECT_EQ(context->GetTargetPixel(3 + i, 14), 0xFFFFFFFFu) << "past bottom " << i;
    }
    EXPECT_EQ(context->GetTargetPixel(4, 5), 0xFFFFFFFFu);
    EXPECT_EQ(context->GetTargetPixel(11, 12), 0xFFFFFFFFu);
    // A colour of alpha 0 draws no outline at all.
    context->DrawRectangle(5, 5, 4, 4, VColour(255, 0, 0, 0), 0, 3.0);
    EXPECT_EQ(context->GetTargetPixel(8, 9), 0xFFFFFFFFu);
}

TEST(CairoGraphicsContext, FillRectangleHonoursAlpha) {
    auto context = MakeContext();
    context->FillRectangle(2, 2, 4, 3, VColour(255, 0, 0, 0));
    EXPECT_EQ(context->GetTargetPixel(3, 3), 0xFFFFFFFFu);

    context->FillRectangle(2, 2, 4, 3, VColour(0, 0, 0, 128));
    const uint32_t half = context->GetTargetPixel(2, 2);
    EXPECT_NEAR(Red(half), 127, 1);
    EXPECT_NEAR(Blue(half), 127, 1);
    EXPECT_EQ(context->GetTargetPixel(5, 4), half);
    EXPECT_EQ(context->GetTargetPixel(6, 4), 0xFFFFFFFFu);
    EXPECT_EQ(context->GetTargetPixel(5, 5), 0xFFFFFFFFu);

    context->FillRectangle(0, 0, 1, 1, VColour(10, 20, 30, 255));
    EXPECT_EQ(context->GetTargetPixel(0, 0), 0xFF0A141Eu);
}

TEST(CairoGraphicsContext, ImageOpacityIsClampedToZeroToOne) {
    auto image = SolidImage(2, 2, 0, 0, 255, 255);
    auto reference = MakeContext();
    reference->DrawImageAlpha(image.Get(), 0, 0, 2, 2, 0, 0, 2, 2, 1.0);
    auto tooMuch = MakeContext();
    tooMuch->DrawImageAlpha(image.Get(), 0, 0, 2, 2, 0, 0, 2, 2, 2.0);
    EXPECT_EQ(tooMuch->GetTargetPixel(1, 1), reference->GetTargetPixel(1, 1));
    EXPECT_EQ(reference->GetTargetPixel(1, 1), 0xFFFF0000u);

    auto negative = MakeContext();
    negative->DrawImageAlpha(image.Get(), 0, 0, 2, 2, 0, 0, 2, 2, -1.0);
    EXPECT_EQ(negative->GetTargetPixel(1, 1), 0xFFFFFFFFu);

    // 0.5 * 255 truncates to 127.
    auto half = MakeContext();
    half->DrawImageAlpha(image.Get(), 0, 0, 2, 2, 0, 0, 2, 2, 0.5);
    EXPECT_EQ(Red(half->GetTargetPixel(0, 0)), 255);
    EXPECT_NEAR(Green(half->GetTargetPixel(0, 0)), 128, 1);
}

TEST(CairoGraphicsContext, CopiesImagesWithoutAlphaAndBlendsImagesWithAlpha) {
    auto context = MakeContext();
    // A 24-bit bitmap, bottom-up: memory row 0 is the picture's bottom row.
    auto opaque = VFoundation::MakeRef<VImage>();
    ASSERT_TRUE(opaque->CreateBitmap(2, 2, 24));
    uint8_t* bits = opaque->GetMutableBits();
    const uint8_t bottom[6] = {1, 2, 3, 4, 5, 6}, top[6] = {7, 8, 9, 10, 11, 12};
    std::copy(bottom, bottom + 6, bits);
    std::copy(top, top + 6, bits + opaque->GetStride());
    context->DrawImage(opaque.Get(), 5, 6);
    EXPECT_EQ(context->GetTargetPixel(5, 6), 0xFF090807u);
    EXPECT_EQ(context->GetTargetPixel(6, 6), 0xFF0C0B0Au);
    EXPECT_EQ(context->GetTargetPixel(5, 7), 0xFF030201u);
    EXPECT_EQ(context->GetTargetPixel(7, 7), 0xFFFFFFFFu);

    // Stretched to 4 x 4 the picture still covers exactly the destination.
    context->DrawImage(opaque.Get(), 10, 10, 4, 4, 0, 0, 2, 2);
    EXPECT_NE(context->GetTargetPixel(13, 13), 0xFFFFFFFFu);
    EXPECT_EQ(context->GetTargetPixel(14, 14), 0xFFFFFFFFu);

    // Premultiplied (blue 200, green 100, red 50, alpha 128) as read from a Targa file: blended on white.
    auto translucent = SolidImage(1, 1, 100, 50, 25, 128);
    context->DrawImage(translucent.Get(), 0, 0);
    const uint32_t blended = context->GetTargetPixel(0, 0);
    EXPECT_NEAR(Blue(blended), 100 + 127, 1);
    EXPECT_NEAR(Green(blended), 50 + 127, 1);
    EXPECT_NEAR(Red(blended), 25 + 127, 1);
}

TEST(CairoGraphicsContext, TransparentCopyLeavesOutTheKeyColour) {
    auto context = MakeContext();
    auto image = SolidImage(3, 1, 0, 0, 255, 255);
    image->SetHasAlpha(false);
    image->GetMutableBits()[4 + 1] = 255; // middle pixel red + green: not the key
    context->DrawImageTransparent(image.Get(), 1, 1, 3, 1, 0, 0, VColour(255, 0, 0));
    EXPECT_EQ(context->GetTargetPixel(1, 1), 0xFFFFFFFFu);
    EXPECT_EQ(context->GetTargetPixel(2, 1), 0xFFFFFF00u);
    EXPECT_EQ(context->GetTargetPixel(3, 1), 0xFFFFFFFFu);
}

TEST(CairoGraphicsContext, LineToLeavesOutTheEndPointAndMovesThePen) {
    auto context = MakeContext();
    context->SetLineColour(VColour(0, 0, 255));
    context->MoveTo(2, 3);
    context->LineTo(7, 3);
    context->LineTo(7, 6);
    EXPECT_EQ(context->GetTargetPixel(2, 3), 0xFF0000FFu);
    EXPECT_EQ(context->GetTargetPixel(6, 3), 0xFF0000FFu);
    EXPECT_EQ(context->GetTargetPixel(7, 3), 0xFF0000FFu); // drawn by the second line
    EXPECT_EQ(context->GetTargetPixel(7, 5), 0xFF0000FFu);
    EXPECT_EQ(context->GetTargetPixel(7, 6), 0xFFFFFFFFu);
    EXPECT_EQ(context->GetTargetPixel(1, 3), 0xFFFFFFFFu);
}

TEST(CairoGraphicsContext, SaveBeyondThirtyTwoLevelsIsIgnored) {
    auto context = MakeContext(100, 100);
    for (int level = 1; level <= 33; ++level) {
        context->ClipRect(0, 0, 100 - level, 100 - level);
        context->SaveState();
    }
    EXPECT_EQ(context->GetSavedStateCount(), 32);
    context->ClipRect(0, 0, 10, 10);

    VRect box;
    context->RestoreState(); // matches the ignored 33rd save: back to the 32nd level
    ASSERT_TRUE(context->GetClipBox(box));
    EXPECT_EQ(box.width, 68);
    context->RestoreState(); // matches the 32nd save
    ASSERT_TRUE(context->GetClipBox(box));
    EXPECT_EQ(box.width, 68);
    context->RestoreState();
    ASSERT_TRUE(context->GetClipBox(box));
    EXPECT_EQ(box.width, 69);
    EXPECT_EQ(context->GetSavedStateCount(), 30);

    for (int i = 0; i < 40; ++i)
        context->RestoreState(); // more restores than saves do nothing
    EXPECT_EQ(context->GetSavedStateCount(), 0);
    ASSERT_TRUE(context->GetClipBox(box));
    EXPECT_EQ(box.width, 99);
    context->FillRectangle(0, 0, 100, 100, Black());
    EXPECT_EQ(context->GetTargetPixel(98, 98), 0xFF000000u);
    EXPECT_EQ(context->GetTargetPixel(99, 99), 0xFFFFFFFFu);
}

TEST(CairoGraphicsContext, MeasuresAndDrawsTextInTheDefaultFont) {
    auto context = MakeContext(200, 40);
    VSize shortSize, longSize, none{5, 5};
    context->MeasureText("Install", shortSize);
    context->MeasureText(VFoundation::VString("Install the complete library"), longSize);
    context->MeasureText(nullptr, none);
    EXPECT_GT(shortSize.width, 0);
    EXPECT_GT(shortSize.height, 0);
    EXPECT_GT(longSize.width, shortSize.width);
    EXPECT_EQ(longSize.height, shortSize.height);
    EXPECT_EQ(none.width, 0);

    // A Windows-1252 text (not UTF-8) is measured and drawn, not refused.
    VSize latin;
    context->MeasureText("Caf\xE9", latin);
    EXPECT_GT(latin.width, 0);

    context->DrawText(4, 4, "Install", Black());
    int dark = 0;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 200; ++x)
            if (Red(context->GetTargetPixel(x, y)) < 128) {
                ++dark;
                EXPECT_GE(x, 4);
                EXPECT_LT(x, 4 + shortSize.width + 1);
            }
    EXPECT_GT(dark, 10);

    VRef<CairoGraphicsContext> detached = VFoundation::MakeRef<CairoGraphicsContext>();
    VSize measured;
    detached->MeasureText("Install", measured);
    EXPECT_EQ(measured.width, shortSize.width);
}

TEST(CairoGraphicsContext, SavesTheTargetAsPng) {
    auto context = MakeContext(8, 8);
    context->FillEllipse(0, 0, 8, 8, VColour(0, 128, 0));
    const std::string path =
        (std::filesystem::temp_directory_path() / ("kis-context-" + std::to_string(::getpid()) + ".png"))
            .string();
    ASSERT_TRUE(context->SaveTargetAsPNG(path.c_str()));
    std::ifstream in(path, std::ios::binary);
    char signature[8] = {};
    in.read(signature, 8);
    EXPECT_EQ(std::string(signature + 1, 3), "PNG");
    std::filesystem::remove(path);
}
