#include "ctrl/CtrlImageView.h"
#include "ctrl/CairoGraphicsContext.h"
#include "ctrl/CtrlImageViewStyle.h"
#include "ctrl/CtrlTestSupport.h"
#include "foundation/VImage.h"
#include "foundation/VRef.h"

#include <gtest/gtest.h>

using KisTest::RecordingListener;
using VCtrl::CairoGraphicsContext;
using VCtrl::CtrlEvent;
using VCtrl::CtrlImageView;
using VCtrl::CtrlImageViewStyle;
using VCtrl::VColour;
using VCtrl::VPoint;
using VCtrl::VRect;
using VFoundation::MakeRef;

namespace {

class CtrlImageViewTest : public KisTest::ToolkitTest {};

uint32_t Rgb(const CairoGraphicsContext& context, int x, int y) {
    return context.GetTargetPixel(x, y) & 0xFFFFFF;
}

} // namespace

TEST_F(CtrlImageViewTest, MouseHandleOptionSendsEventOne) {
    RecordingListener listener;
    auto view = MakeRef<CtrlImageView>();
    view->Create(0, VRect{0, 0, 50, 50}, nullptr, &listener);
    EXPECT_FALSE(view->MouseDown(VPoint{5, 5}, 0));
    auto style = MakeRef<CtrlImageViewStyle>(CtrlImageViewStyle::kOptMouseHandle);
    view->SetStyle(style.Get());
    EXPECT_TRUE(view->MouseDown(VPoint{5, 6}, 0));
    ASSERT_EQ(listener.events.size(), 1u);
    EXPECT_EQ(listener.events[0].type, CtrlEvent::kMouseDown);
    EXPECT_EQ(listener.events[0].point.y, 6);
    EXPECT_STREQ(style->GetFlagName(64), "optMouseHandle");
}

TEST_F(CtrlImageViewTest, ShowsThePictureAtItsOriginOverTheBackground) {
    auto image = MakeRef<VFoundation::VImage>();
    ASSERT_TRUE(image->CreateBitmap(4, 4, 24)); // all black
    auto style =
        MakeRef<CtrlImageViewStyle>(CtrlImageViewStyle::kOptBackground | CtrlImageViewStyle::kOptBorder);
    style->SetColourOption("colBackground", VColour(0, 0, 255));
    style->SetColourOption("colBorder", VColour(255, 0, 0));
    auto view = MakeRef<CtrlImageView>(style.Get());
    view->Create(0, VRect{0, 0, 20, 20}, nullptr, nullptr);
    view->SetImage(image.Get(), VPoint{5, 6});
    CairoGraphicsContext context;
    ASSERT_TRUE(context.CreateTarget(20, 20));
    view->Draw(context);
    context.Flush();
    EXPECT_EQ(Rgb(context, 0, 10), 0xFF0000u);
    EXPECT_EQ(Rgb(context, 3, 3), 0x0000FFu);
    EXPECT_EQ(Rgb(context, 5, 6), 0x000000u);
    EXPECT_EQ(Rgb(context, 8, 9), 0x000000u);
    EXPECT_EQ(Rgb(context, 9, 9), 0x0000FFu);

    view->SetImage(nullptr);
    EXPECT_EQ(view->GetImage(), nullptr);
    view->Draw(context);
    context.Flush();
    EXPECT_EQ(Rgb(context, 5, 6), 0x0000FFu);
}
