// The same scenes drawn by the build's graphics context (cairo on POSIX, GDI+ on Windows) and compared with
// pictures the cairo context drew (tests/ctrl/inputs/scenes), so that controls look alike on every platform.
// KIS_WRITE_SCENES=<folder> writes this build's pictures there instead of comparing (to renew the references
// from the POSIX build).
#include "ctrl/OffscreenGraphicsContext.h"
#include "foundation/VImage.h"
#include "foundation/VImageIOTarga.h"
#include "foundation/VRef.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

using VCtrl::IGraphicsContext;
using VCtrl::OffscreenGraphicsContext;
using VCtrl::VColour;
using VCtrl::VPoint;
using VCtrl::VPointReal;
using VCtrl::VRect;
using VFoundation::VImage;
using VFoundation::VRef;

namespace {

constexpr int kWidth = 160;
constexpr int kHeight = 100;

// A 24-bit picture of horizontal and vertical colour ramps, with a magenta key column.
VRef<VImage> RampImage(int width, int height) {
    auto image = VFoundation::MakeRef<VImage>();
    EXPECT_TRUE(image->CreateBitmap(width, height, 24));
    for (int row = 0; row < height; ++row) {
        uint8_t* p = image->GetMutableBits() + size_t(row) * size_t(image->GetStride());
        for (int x = 0; x < width; ++x, p += 3) {
            const bool key = x % 5 == 2;
            p[0] = key ? 255 : uint8_t(x * 255 / width);
            p[1] = key ? 0 : uint8_t(row * 255 / height);
            p[2] = key ? 255 : 90;
        }
    }
    image->BitsChanged();
    return image;
}

// A 32-bit picture with premultiplied alpha: opaque blue in the middle fading to transparent at the sides.
VRef<VImage> FadeImage(int width, int height) {
    auto image = VFoundation::MakeRef<VImage>();
    EXPECT_TRUE(image->CreateBitmap(width, height, 32));
    image->SetHasAlpha(true);
    for (int row = 0; row < height; ++row) {
        uint8_t* p = image->GetMutableBits() + size_t(row) * size_t(image->GetStride());
        for (int x = 0; x < width; ++x, p += 4) {
            const int alpha = 255 - std::abs(2 * x - width) * 255 / width;
            p[0] = uint8_t(alpha);
            p[1] = uint8_t(alpha * 60 / 255);
            p[2] = 0;
            p[3] = uint8_t(alpha);
        }
    }
    image->BitsChanged();
    return image;
}

void DrawFigures(IGraphicsContext& gc) {
    gc.FillRectangle(4, 4, 30, 20, VColour(200, 40, 40));
    gc.FillRectangle(20, 14, 30, 20, VColour(40, 40, 200, 128));
    gc.DrawRectangle(56, 4, 30, 20, VColour(0, 0, 0), IGraphicsContext::kDashSolid, 1.0);
    gc.DrawRectangle(92, 4, 30, 20, VColour(0, 120, 0), IGraphicsContext::kDashSolid, 3.0);
    gc.FillRoundedRectangle(128, 4, 28, 30, 6, VColour(240, 160, 0));
    gc.DrawRoundedRectangle(128, 4, 28, 30, 6, VColour(0, 0, 0), IGraphicsContext::kDashSolid, 1.0);
    gc.FillEllipse(4, 40, 40, 26, VColour(0, 150, 150));
    gc.DrawEllipse(50, 40, 40, 26, VColour(120, 0, 120), IGraphicsContext::kDashSolid, 2.0);
    gc.DrawArc(96, 40, 40, 40, 30.0, 200.0, VColour(0, 0, 0), IGraphicsContext::kDashSolid, 2.0);
    const VPoint triangle[3] = {{140, 44}, {158, 80}, {122, 80}};
    gc.FillPolygon(triangle, 3, VColour(60, 60, 60));
    gc.DrawLine(4, 76, 90, 96, VColour(200, 0, 0), IGraphicsContext::kDashSolid, 2.0);
    gc.DrawLine(4, 92, 90, 92, VColour(0, 0, 200), IGraphicsContext::kDashDashed, 2.0);
    const VPointReal zigzag[4] = {{96.0, 96.0}, {106.0, 84.0}, {116.0, 96.0}, {126.0, 84.0}};
    gc.DrawLines(zigzag, 4, VColour(0, 100, 0), IGraphicsContext::kDashSolid, 1.5);
    gc.SetLineColour(VColour(0, 0, 0));
    gc.MoveTo(130, 96);
    gc.LineTo(158, 86);
    gc.SetPixel(158, 98, VColour(255, 0, 0));
}

void DrawClipsAndOrigins(IGraphicsContext& gc) {
    gc.SaveState();
    gc.ClipRect(10, 10, 60, 40);
    gc.FillEllipse(0, 0, 100, 80, VColour(30, 90, 200));
    gc.SaveState();
    gc.ClipRect(40, 30, 80, 60);
    gc.FillRectangle(0, 0, kWidth, kHeight, VColour(220, 220, 0));
    gc.RestoreState();
    gc.DrawLine(0, 45, 160, 45, VColour(0, 0, 0), IGraphicsContext::kDashSolid, 1.0);
    gc.RestoreState();
    gc.OffsetOrigin(90, 50);
    gc.SaveState();
    gc.ClipRect(0, 0, 60, 40);
    gc.FillRoundedRectangle(-10, -10, 50, 70, 8, VColour(0, 160, 80));
    gc.DrawRectangle(0, 0, 60, 40, VColour(0, 0, 0), IGraphicsContext::kDashSolid, 1.0);
    gc.RestoreState();
    gc.SetOrigin(0, 0);
}

void DrawImages(IGraphicsContext& gc) {
    const VRef<VImage> ramp = RampImage(40, 30);
    const VRef<VImage> fade = FadeImage(40, 30);
    gc.DrawImage(ramp.Get(), 4, 4);
    gc.DrawImage(ramp.Get(), 50, 4, 60, 45, 0, 0, 40, 30);
    gc.DrawImageTransparent(ramp.Get(), 116, 4, 40, 30, 0, 0, VColour(255, 0, 255));
    gc.FillRectangle(0, 55, kWidth, 45, VColour(240, 200, 120));
    gc.DrawImage(fade.Get(), 4, 60);
    gc.DrawImageAlpha(fade.Get(), 50, 60, 40, 30, 0, 0, 40, 30, 0.5);
    gc.DrawImageAlpha(fade.Get(), 96, 60, 60, 36, 0, 0, 40, 30, 2.0);
}

// Three text operations in three bands of the picture.
void DrawTexts(IGraphicsContext& gc) {
    gc.DrawText(6, 4, "Choose Install Location", VColour(0, 0, 0));
    gc.DrawTextInRect(4, 0, "Next >", VColour(0, 0, 160), VRect{40, 30, 80, 24});
    gc.DrawTextInBox(6, 58, 148, 40, "The installer copies the chosen pieces into the folder below.",
                     VColour(0, 0, 0));
}

constexpr VRect kTextBands[3] = {{0, 0, kWidth, 26}, {0, 28, kWidth, 28}, {0, 56, kWidth, 44}};

struct Scene {
    const char* name;
    std::function<void(IGraphicsContext&)> draw;
};

const std::vector<Scene>& Scenes() {
    static const std::vector<Scene> scenes = {{"figures", DrawFigures},
                                              {"clips", DrawClipsAndOrigins},
                                              {"images", DrawImages},
                                              {"text", DrawTexts}};
    return scenes;
}

VRef<OffscreenGraphicsContext> Render(const Scene& scene) {
    VRef<OffscreenGraphicsContext> context = VCtrl::MakeOffscreenGraphicsContext();
    EXPECT_TRUE(context->CreateTarget(kWidth, kHeight));
    context->FillRectangle(0, 0, kWidth, kHeight, VColour(255, 255, 255));
    scene.draw(*context);
    context->Flush();
    return context;
}

std::string ReferencePath(const char* name) {
    return std::string(KIS_TEST_INPUTS) + "/scenes/" + name + ".tga";
}

// A 24-bit image of the context's opaque picture.
VRef<VImage> ToImage(const OffscreenGraphicsContext& context) {
    auto image = VFoundation::MakeRef<VImage>();
    EXPECT_TRUE(image->CreateBitmap(kWidth, kHeight, 24));
    for (int y = 0; y < kHeight; ++y) {
        uint8_t* p = image->GetMutableBits() + size_t(kHeight - 1 - y) * size_t(image->GetStride());
        for (int x = 0; x < kWidth; ++x, p += 3) {
            const uint32_t pixel = context.GetTargetPixel(x, y);
            p[0] = uint8_t(pixel);
            p[1] = uint8_t(pixel >> 8);
            p[2] = uint8_t(pixel >> 16);
        }
    }
    return image;
}

bool ReadReference(const char* name, VImage& reference) {
    std::vector<uint8_t> data;
    return VImage::ReadFile(ReferencePath(name).c_str(), data) &&
           VFoundation::VImageIOTarga::ReadFromData(data.data(), data.size(), reference) &&
           reference.GetWidth() == kWidth && reference.GetHeight() == kHeight;
}

// The box of the pixels in band that are darker than light grey; empty when there are none.
template <typename PixelAt> VRect InkBox(const VRect& band, PixelAt pixelAt) {
    int left = kWidth, top = kHeight, right = -1, bottom = -1;
    for (int y = band.y; y < band.y + band.height; ++y) {
        for (int x = band.x; x < band.x + band.width; ++x) {
            const uint32_t pixel = pixelAt(x, y);
            if (int((pixel >> 16) & 0xFF) + int((pixel >> 8) & 0xFF) + int(pixel & 0xFF) > 3 * 160) continue;
            left = std::min(left, x);
            top = std::min(top, y);
            right = std::max(right, x);
            bottom = std::max(bottom, y);
        }
    }
    return right < 0 ? VRect{} : VRect{left, top, right - left + 1, bottom - top + 1};
}

TEST(GraphicsContextScenes, MatchTheCairoReferencesWithinTolerance) {
    if (const char* folder = std::getenv("KIS_WRITE_SCENES")) {
        for (const Scene& scene : Scenes()) {
            const std::string path = std::string(folder) + "/" + scene.name + ".tga";
            ASSERT_TRUE(VFoundation::VImageIOTarga::WriteToFile(*ToImage(*Render(scene)), path.c_str()))
                << path;
        }
        GTEST_SKIP() << "wrote the scene pictures to " << folder;
    }
    for (const Scene& scene : Scenes()) {
        if (std::string(scene.name) == "text") continue;
        SCOPED_TRACE(scene.name);
        VImage reference;
        ASSERT_TRUE(ReadReference(scene.name, reference)) << ReferencePath(scene.name);
        const VRef<OffscreenGraphicsContext> drawn = Render(scene);
        // Smoothing differs between drawing libraries at the edges of figures, and an edge may fall a pixel
        // to either side: a pixel counts as wrong only when no reference pixel next to it has its colour. A
        // figure out of place or of another colour makes whole runs of wrong pixels.
        auto difference = [](uint32_t a, uint32_t b) {
            int worst = 0;
            for (int shift = 0; shift < 24; shift += 8)
                worst = std::max(worst, std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)));
            return worst;
        };
        int wrong = 0;
        for (int y = 0; y < kHeight; ++y) {
            for (int x = 0; x < kWidth; ++x) {
                const uint32_t got = drawn->GetTargetPixel(x, y);
                int best = 255;
                for (int dy = -1; dy <= 1; ++dy)
                    for (int dx = -1; dx <= 1; ++dx)
                        if (x + dx >= 0 && x + dx < kWidth && y + dy >= 0 && y + dy < kHeight)
                            best = std::min(
                                best, difference(got, reference.GetPixel(x + dx, kHeight - 1 - y - dy)));
                if (best > 48) ++wrong;
            }
        }
        EXPECT_LE(wrong, kWidth * kHeight / 200);
    }
}

// Fonts differ between systems, so text is compared by where its ink lies: the same start, the same line
// height and breaks, a similar length.
TEST(GraphicsContextScenes, TextKeepsTheLayoutOfTheCairoReference) {
    if (std::getenv("KIS_WRITE_SCENES")) GTEST_SKIP();
    VImage reference;
    ASSERT_TRUE(ReadReference("text", reference)) << ReferencePath("text");
    const Scene& scene = Scenes().back();
    const VRef<OffscreenGraphicsContext> drawn = Render(scene);
    for (const VRect& band : kTextBands) {
        SCOPED_TRACE(band.y);
        const VRect want = InkBox(band, [&](int x, int y) { return reference.GetPixel(x, kHeight - 1 - y); });
        const VRect got = InkBox(band, [&](int x, int y) { return drawn->GetTargetPixel(x, y); });
        ASSERT_FALSE(want.IsEmpty());
        ASSERT_FALSE(got.IsEmpty());
        EXPECT_NEAR(got.x, want.x, 3);
        EXPECT_NEAR(got.y, want.y, 4);
        EXPECT_NEAR(got.height, want.height, 6);
        EXPECT_NEAR(got.width, want.width, want.width / 4 + 4);
    }
}

} // namespace
