#pragma once

#include "application/VApplication.h"
#include "application/platform/headless/HeadlessBackend.h"
#include "application/platform/headless/HeadlessResponder.h"
#include "ctrl/CairoGraphicsContext.h"
#include "ctrl/Ctrl.h"
#include "ctrl/VColour.h"
#include "engine/CInstallScript.h"
#include "foundation/VImage.h"
#include "foundation/VImageIOTarga.h"
#include "foundation/VRef.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

namespace KisTest {

// An off-screen picture of one control: a white surface of the control's size with the control drawn on
// it, as its parent would draw it.
class Snapshot {
public:
    explicit Snapshot(VCtrl::Ctrl& ctrl) {
        EXPECT_TRUE(m_context.CreateTarget(ctrl.GetWidth(), ctrl.GetHeight()));
        m_context.FillRectangle(0, 0, ctrl.GetWidth(), ctrl.GetHeight(), VCtrl::VColour(255, 255, 255));
        m_context.SaveState();
        m_context.ClipRect(0, 0, ctrl.GetWidth(), ctrl.GetHeight());
        ctrl.Draw(m_context);
        m_context.RestoreState();
        m_context.Flush();
    }

    // Opaque pixels as 0xRRGGBB.
    uint32_t At(int x, int y) const { return m_context.GetTargetPixel(x, y) & 0xFFFFFF; }
    static int Red(uint32_t p) { return int(p >> 16) & 0xFF; }
    static int Green(uint32_t p) { return int(p >> 8) & 0xFF; }
    static int Blue(uint32_t p) { return int(p) & 0xFF; }

    // The darkest pixel (least sum of channels) of the area; white when the area is blank.
    uint32_t Darkest(int x, int y, int w, int h) const {
        uint32_t darkest = 0xFFFFFF;
        for (int j = y; j < y + h; ++j)
            for (int i = x; i < x + w; ++i) {
                const uint32_t p = At(i, j);
                if (Red(p) + Green(p) + Blue(p) < Red(darkest) + Green(darkest) + Blue(darkest)) darkest = p;
            }
        return darkest;
    }
    // Whether some pixel of the area is strongly red (text drawn in red).
    bool HasReddish(int x, int y, int w, int h) const {
        for (int j = y; j < y + h; ++j)
            for (int i = x; i < x + w; ++i) {
                const uint32_t p = At(i, j);
                if (Red(p) > 200 && Green(p) < 90 && Blue(p) < 90) return true;
            }
        return false;
    }
    int CountNonWhite(int x, int y, int w, int h) const {
        int count = 0;
        for (int j = y; j < y + h; ++j)
            for (int i = x; i < x + w; ++i)
                if (At(i, j) != 0xFFFFFF) ++count;
        return count;
    }
    void Save(const char* path) const { m_context.SaveTargetAsPNG(path); }

private:
    VCtrl::CairoGraphicsContext m_context;
};

// Writes a 24-bit Targa picture of one colour.
inline void WriteSolidTarga(const std::string& path, int width, int height, int red, int green, int blue) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    VFoundation::VImage image;
    ASSERT_TRUE(image.CreateBitmap(width, height, 24));
    uint8_t* bits = image.GetMutableBits();
    for (int row = 0; row < height; ++row)
        for (int x = 0; x < width; ++x) {
            uint8_t* pixel = bits + size_t(row) * size_t(image.GetStride()) + size_t(x) * 3;
            pixel[0] = uint8_t(blue);
            pixel[1] = uint8_t(green);
            pixel[2] = uint8_t(red);
        }
    image.BitsChanged();
    ASSERT_TRUE(VFoundation::VImageIOTarga::WriteToFile(image, path.c_str()));
}

inline VFoundation::VRef<CInstallScript> MakeScript() {
    return VFoundation::VRef<CInstallScript>::Adopt(new CInstallScript());
}

// Answers the alert and confirm boxes of a test from a scripted responder, and puts a plain headless
// backend back afterwards.
class ScriptedDialogs {
public:
    ScriptedDialogs() : responder(std::make_shared<VApplication::ScriptedResponder>()) {
        responder->SetCallback(
            [](const VApplication::DialogRequest&) { return VApplication::DialogAnswer::Yes(); });
        VApplication::SetBackend(std::make_shared<VApplication::HeadlessBackend>(responder));
    }
    ~ScriptedDialogs() { VApplication::SetBackend(std::make_shared<VApplication::HeadlessBackend>()); }
    ScriptedDialogs(const ScriptedDialogs&) = delete;
    ScriptedDialogs& operator=(const ScriptedDialogs&) = delete;

    std::shared_ptr<VApplication::ScriptedResponder> responder;
};

} // namespace KisTest
