#include "ctrl/CtrlButton.h"
#include "ctrl/CairoGraphicsContext.h"
#include "ctrl/CtrlButtonStyle.h"
#include "ctrl/CtrlTestSupport.h"
#include "foundation/VDictionary.h"
#include "foundation/VImage.h"
#include "foundation/VRef.h"

#include <gtest/gtest.h>

using KisTest::RecordingListener;
using VCtrl::CairoGraphicsContext;
using VCtrl::CtrlButton;
using VCtrl::CtrlButtonStyle;
using VCtrl::CtrlEvent;
using VCtrl::CtrlStyle;
using VCtrl::VColour;
using VCtrl::VPoint;
using VCtrl::VRect;
using VFoundation::MakeRef;
using VFoundation::VRef;

namespace {

class CtrlButtonTest : public KisTest::ToolkitTest {
protected:
    VRef<CtrlButton> MakeButton(CtrlButtonStyle* style) {
        auto button = MakeRef<CtrlButton>(style);
        button->Create(7, VRect{0, 0, 75, 23}, nullptr, &listener);
        return button;
    }
    int CountEvents(int32_t type) const {
        int count = 0;
        for (const auto& event : listener.events)
            if (event.type == type) ++count;
        return count;
    }
    RecordingListener listener;
};

uint32_t Rgb(const CairoGraphicsContext& context, int x, int y) {
    return context.GetTargetPixel(x, y) & 0xFFFFFF;
}

// A solid 24-bit picture of one colour.
VRef<VFoundation::VImage> SolidImage(int width, int height, uint8_t red, uint8_t green, uint8_t blue) {
    auto image = MakeRef<VFoundation::VImage>();
    EXPECT_TRUE(image->CreateBitmap(width, height, 24));
    for (int y = 0; y < height; ++y) {
        uint8_t* row = image->GetMutableBits() + size_t(y) * size_t(image->GetStride());
        for (int x = 0; x < width; ++x) {
            row[x * 3] = blue;
            row[x * 3 + 1] = green;
            row[x * 3 + 2] = red;
        }
    }
    image->BitsChanged();
    return image;
}

} // namespace

TEST_F(CtrlButtonTest, MomentaryButtonReleasedInsideIsOnWhilePressedAndReportsThePress) {
    auto style = MakeRef<CtrlButtonStyle>(CtrlButtonStyle::kOptMomentary);
    auto button = MakeButton(style.Get());
    EXPECT_TRUE(button->MouseDown(VPoint{10, 5}, 0));
    EXPECT_TRUE(button->GetValue());
    EXPECT_TRUE(listener.events.empty());
    // Sliding out and back in follows the pointer.
    button->MouseMoved(VPoint{100, 5}, 0);
    EXPECT_FALSE(button->GetValue());
    button->MouseMoved(VPoint{20, 5}, 0);
    EXPECT_TRUE(button->GetValue());
    EXPECT_TRUE(button->MouseUp(VPoint{75, 23}, 0)); // the far edge still counts as inside
    EXPECT_FALSE(button->GetValue());
    ASSERT_EQ(listener.events.size(), 1u);
    EXPECT_EQ(listener.events[0].type, CtrlEvent::kPressed);
    EXPECT_EQ(listener.events[0].ctrl, button.Get());
    EXPECT_EQ(listener.events[0].point.x, 75);
    EXPECT_EQ(listener.events[0].point.y, 23);
    EXPECT_STREQ(button->GetValueText(), "false");
}

TEST_F(CtrlButtonTest, MomentaryButtonReleasedOutsideSendsNothingAndEndsOff) {
    auto style = MakeRef<CtrlButtonStyle>(CtrlButtonStyle::kOptMomentary);
    auto button = MakeButton(style.Get());
    button->MouseDown(VPoint{10, 5}, 0);
    EXPECT_TRUE(button->MouseUp(VPoint{76, 5}, 0));
    EXPECT_FALSE(button->GetValue());
    EXPECT_TRUE(listener.events.empty());
    button->MouseDown(VPoint{10, 5}, 0);
    button->MouseUp(VPoint{10, -1}, 0);
    EXPECT_TRUE(listener.events.empty());
}

TEST_F(CtrlButtonTest, OnlyThePressedButtonTakesTheRelease) {
    auto style = MakeRef<CtrlButtonStyle>(CtrlButtonStyle::kOptMomentary);
    auto button = MakeButton(style.Get());
    EXPECT_FALSE(button->MouseUp(VPoint{10, 5}, 0));
    EXPECT_TRUE(listener.events.empty());
    button->SetEnabled(false);
    EXPECT_FALSE(button->MouseDown(VPoint{10, 5}, 0));
    EXPECT_FALSE(button->IsTracking());
}

TEST_F(CtrlButtonTest, ButtonWithoutStyleActsMomentary) {
    auto button = MakeButton(nullptr);
    button->MouseDown(VPoint{1, 1}, 0);
    EXPECT_TRUE(button->GetValue());
    button->MouseUp(VPoint{1, 1}, 0);
    EXPECT_FALSE(button->GetValue());
    EXPECT_EQ(CountEvents(CtrlEvent::kPressed), 1);
    button->MouseDown(VPoint{1, 1}, 0);
    button->MouseUp(VPoint{-5, 1}, 0);
    EXPECT_EQ(CountEvents(CtrlEvent::kPressed), 1);
}

TEST_F(CtrlButtonTest, SendOnMouseDownReportsThePressAtOnceAndNeverOnRelease) {
    auto style =
        MakeRef<CtrlButtonStyle>(CtrlButtonStyle::kOptMomentary | CtrlButtonStyle::kOptSendOnMouseDown);
    auto button = MakeButton(style.Get());
    button->MouseDown(VPoint{3, 3}, 0);
    EXPECT_EQ(CountEvents(CtrlEvent::kPressed), 1);
    button->MouseUp(VPoint{3, 3}, 0);
    EXPECT_EQ(CountEvents(CtrlEvent::kPressed), 1);
    EXPECT_FALSE(button->GetValue());

    // Without optMomentary the press flips the state.
    style->SetFlags(false, CtrlButtonStyle::kOptMomentary);
    button->MouseDown(VPoint{3, 3}, 0);
    button->MouseUp(VPoint{3, 3}, 0);
    EXPECT_TRUE(button->GetValue());
    EXPECT_EQ(CountEvents(CtrlEvent::kPressed), 2);
}

TEST_F(CtrlButtonTest, CheckBoxStyleFlipsOnAReleaseInsideWithoutAnEvent) {
    auto style = MakeRef<CtrlButtonStyle>(0);
    auto box = MakeButton(style.Get());
    box->MouseDown(VPoint{3, 3}, 0);
    EXPECT_FALSE(box->GetValue());
    box->MouseUp(VPoint{3, 3}, 0);
    EXPECT_TRUE(box->GetValue());
    box->MouseDown(VPoint{3, 3}, 0);
    box->MouseUp(VPoint{300, 3}, 0);
    EXPECT_TRUE(box->GetValue());
    box->MouseDown(VPoint{3, 3}, 0);
    box->MouseUp(VPoint{3, 3}, 0);
    EXPECT_FALSE(box->GetValue());
    EXPECT_TRUE(listener.events.empty());
}

TEST_F(CtrlButtonTest, RightPressSendsEventFourWithThePoint) {
    auto button = MakeButton(nullptr);
    EXPECT_TRUE(button->RightMouseDown(VPoint{4, 6}, 0));
    ASSERT_EQ(listener.events.size(), 1u);
    EXPECT_EQ(listener.events[0].type, CtrlEvent::kRightMouseDown);
    EXPECT_EQ(listener.events[0].point.y, 6);
    EXPECT_FALSE(button->GetValue());
}

TEST_F(CtrlButtonTest, StyleOptionsSurviveARoundTripThroughADictionary) {
    auto style = MakeRef<CtrlButtonStyle>(CtrlButtonStyle::kOptMomentary | CtrlButtonStyle::kOptDrawText,
                                          "Up.tga", "Down.tga", "Over.tga");
    style->SetColourOption("colFillOn", VColour(1, 2, 3, 4));
    style->SetIntOption("textOffset", 6);
    VFoundation::VDictionary options;
    style->GetOptions(options);

    auto copy = MakeRef<CtrlButtonStyle>(CtrlButtonStyle::kOptSmartTile);
    copy->SetOptions(options);
    EXPECT_EQ(copy->GetFlags(), CtrlButtonStyle::kOptMomentary | CtrlButtonStyle::kOptDrawText);
    EXPECT_EQ(copy->GetFillColour(true), VColour(1, 2, 3, 4));
    EXPECT_EQ(copy->GetFillColour(false), VColour(255, 255, 255)); // the default
    EXPECT_EQ(copy->GetTextOffset(), 6);
    VFoundation::VString name;
    ASSERT_TRUE(copy->GetStringOption("imDown", name));
    EXPECT_STREQ(name.GetText(), "Down.tga");
    ASSERT_TRUE(copy->GetStringOption("imMouseOver", name));
    EXPECT_STREQ(name.GetText(), "Over.tga");
    EXPECT_STREQ(copy->GetFlagName(CtrlButtonStyle::kOptSendOnMouseDown), "optSendOnMouseDown");
    EXPECT_STREQ(copy->GetFlagName(1024), "optSmartTile");
    EXPECT_STREQ(copy->GetFlagName(1), "highlight");
}

TEST_F(CtrlButtonTest, DrawsItsStateAndReadableText) {
    auto style = MakeRef<CtrlButtonStyle>(CtrlButtonStyle::kOptMomentary | CtrlButtonStyle::kOptDrawText);
    // The installer's navigation buttons: both fills black.
    style->SetColourOption("colFillOn", VColour(0, 0, 0));
    style->SetColourOption("colFillOff", VColour(0, 0, 0));
    auto button = MakeButton(style.Get());
    button->SetText("Next >");
    CairoGraphicsContext context;
    ASSERT_TRUE(context.CreateTarget(75, 23));
    button->Draw(context);
    context.Flush();
    EXPECT_EQ(Rgb(context, 2, 2), 0x000000u);
    // The black text colour would vanish on the black fill: it is drawn light instead.
    int light = 0;
    for (int y = 0; y < 23; ++y)
        for (int x = 0; x < 75; ++x)
            if ((Rgb(context, x, y) & 0xFF) > 128) ++light;
    EXPECT_GT(light, 10);

    // A pressed button shows an inner frame that an unpressed one has not.
    button->SetValue(true);
    context.FillRectangle(0, 0, 75, 23, VColour(0, 0, 0));
    button->Draw(context);
    context.Flush();
    int frame = 0;
    for (int x = 1; x < 74; ++x)
        if (Rgb(context, x, 1) != 0) ++frame;
    EXPECT_GT(frame, 10);
}

TEST_F(CtrlButtonTest, DrawsThePictureOfItsState) {
    auto style =
        MakeRef<CtrlButtonStyle>(uint32_t(CtrlButtonStyle::kOptMomentary) | CtrlStyle::kFlagHighlight);
    auto up = SolidImage(15, 15, 255, 0, 0), down = SolidImage(15, 15, 0, 255, 0),
         over = SolidImage(15, 15, 0, 0, 255);
    style->SetImages(up.Get(), down.Get(), over.Get());
    auto box = MakeRef<CtrlButton>(style.Get());
    box->Create(4, VRect{0, 0, 15, 15}, nullptr, nullptr);
    CairoGraphicsContext context;
    ASSERT_TRUE(context.CreateTarget(15, 15));
    box->Draw(context);
    context.Flush();
    EXPECT_EQ(Rgb(context, 7, 7), 0xFF0000u);
    box->MouseEntered();
    box->Draw(context);
    context.Flush();
    EXPECT_EQ(Rgb(context, 7, 7), 0x0000FFu);
    box->SetValue(true);
    box->Draw(context);
    context.Flush();
    EXPECT_EQ(Rgb(context, 7, 7), 0x00FF00u);
}
