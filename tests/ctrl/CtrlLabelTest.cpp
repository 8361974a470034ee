#include "ctrl/CtrlLabel.h"
#include "ctrl/CairoGraphicsContext.h"
#include "ctrl/CtrlDrawing.h"
#include "ctrl/CtrlLabelStyle.h"
#include "ctrl/CtrlTestSupport.h"
#include "foundation/VRef.h"

#include <gtest/gtest.h>

using KisTest::RecordingListener;
using VCtrl::CairoGraphicsContext;
using VCtrl::CtrlEvent;
using VCtrl::CtrlLabel;
using VCtrl::CtrlLabelStyle;
using VCtrl::VColour;
using VCtrl::VPoint;
using VCtrl::VRect;
using VFoundation::MakeRef;

namespace {

class CtrlLabelTest : public KisTest::ToolkitTest {};

// The horizontal extent of the pixels that differ from white: first and last column; -1 when none.
struct Extent {
    int first = -1;
    int last = -1;
    int count = 0;
};

int Redness(uint32_t pixel) {
    return int((pixel >> 16) & 0xFF) - int(pixel & 0xFF);
}

Extent InkExtent(const CairoGraphicsContext& context, int width, int height, uint32_t* sample = nullptr) {
    Extent extent;
    for (int x = 0; x < width; ++x)
        for (int y = 0; y < height; ++y) {
            const uint32_t pixel = context.GetTargetPixel(x, y) & 0xFFFFFF;
            if (pixel == 0xFFFFFF) continue;
            if (extent.first < 0) extent.first = x;
            extent.last = x;
            ++extent.count;
            // The most saturated pixel stands for the text's colour.
            if (sample && Redness(pixel) > Redness(*sample)) *sample = pixel;
        }
    return extent;
}

Extent DrawLabel(CtrlLabel& label, CairoGraphicsContext& context, uint32_t* sample = nullptr) {
    context.FillRectangle(0, 0, 200, 25, VColour(255, 255, 255));
    label.Draw(context);
    context.Flush();
    return InkExtent(context, 200, 25, sample);
}

} // namespace

TEST_F(CtrlLabelTest, DrawsItsTextAlignedAsTheStyleSays) {
    CairoGraphicsContext context;
    ASSERT_TRUE(context.CreateTarget(200, 25));
    auto label = MakeRef<CtrlLabel>();
    label->Create(0, VRect{0, 0, 200, 25}, nullptr, nullptr);
    EXPECT_EQ(DrawLabel(*label, context).count, 0);

    label->SetText("Install location");
    const Extent left = DrawLabel(*label, context);
    ASSERT_GT(left.count, 20);
    EXPECT_LT(left.first, 5);

    auto style =
        MakeRef<CtrlLabelStyle>(nullptr, VColour(0, 0, 0), VColour(0, 0, 0), CtrlLabelStyle::kCenteredText);
    label->SetStyle(style.Get());
    const Extent centred = DrawLabel(*label, context);
    EXPECT_NEAR((centred.first + centred.last) / 2, 100, 4);

    style->SetFlagWord(CtrlLabelStyle::kRightAlignText);
    const Extent right = DrawLabel(*label, context);
    EXPECT_GT(right.last, 190);
    EXPECT_EQ(right.last - right.first, left.last - left.first);
}

TEST_F(CtrlLabelTest, DrawsInTheStyleColour) {
    CairoGraphicsContext context;
    ASSERT_TRUE(context.CreateTarget(200, 25));
    auto style = MakeRef<CtrlLabelStyle>(nullptr, VColour(0, 0, 0), VColour(255, 0, 0));
    auto label = MakeRef<CtrlLabel>(style.Get());
    label->Create(4, VRect{0, 0, 200, 25}, nullptr, nullptr);
    label->SetText("120MB / 3.00GB");
    uint32_t sample = 0;
    DrawLabel(*label, context, &sample);
    EXPECT_EQ(sample, 0u) << "black text has no red pixel";
    style->SetTextColour(VColour(255, 0, 0));
    sample = 0;
    DrawLabel(*label, context, &sample);
    EXPECT_EQ(sample, 0xFF0000u);
}

TEST_F(CtrlLabelTest, PressesReachAListenerAsEventOne) {
    RecordingListener listener;
    auto label = MakeRef<CtrlLabel>();
    label->Create(1, VRect{45, 324, 405, 25}, nullptr, &listener);
    EXPECT_TRUE(label->MouseDown(VPoint{3, 4}, 0));
    ASSERT_EQ(listener.events.size(), 1u);
    EXPECT_EQ(listener.events[0].type, CtrlEvent::kMouseDown);
    EXPECT_EQ(listener.events[0].point.x, 3);

    // Without a listener, or not taking input, the press goes on to the parent.
    label->SetListener(nullptr);
    EXPECT_FALSE(label->MouseDown(VPoint{3, 4}, 0));
    label->SetListener(&listener);
    label->SetTakesMouseInput(false);
    EXPECT_FALSE(label->MouseDown(VPoint{3, 4}, 0));
    EXPECT_EQ(listener.events.size(), 1u);
}

TEST(CtrlDrawing, FitTextKeepsBothEndsOfAPathAndWrapTextKeepsEveryWord) {
    CairoGraphicsContext context;
    const char* path = "/home/someone/Programs/Northwind Audio/Aurora Drums/Library/Snares/Maple Snare";
    VCtrl::VSize whole;
    context.MeasureText(path, whole);
    const std::string fitted = VCtrl::CtrlDrawing::FitText(context, path, whole.width / 2, true).GetText();
    VCtrl::VSize size;
    context.MeasureText(fitted.c_str(), size);
    EXPECT_LE(size.width, whole.width / 2);
    EXPECT_EQ(fitted.rfind("/home/", 0), 0u) << fitted;
    EXPECT_NE(fitted.find("..."), std::string::npos) << fitted;
    EXPECT_EQ(fitted.substr(fitted.size() - 5), "Snare") << fitted;
    EXPECT_EQ(std::string(VCtrl::CtrlDrawing::FitText(context, "short", 200).GetText()), "short");

    const std::string text = "Mix presets for stereo projects: a studio and a live balance.";
    const auto lines = VCtrl::CtrlDrawing::WrapText(context, text.c_str(), 100);
    ASSERT_GT(lines.size(), 1u);
    std::string joined;
    for (const auto& line : lines) {
        context.MeasureText(line.GetText(), size);
        EXPECT_LE(size.width, 100) << line.GetText();
        joined += (joined.empty() ? "" : " ") + std::string(line.GetText());
    }
    EXPECT_EQ(joined, text);
}
