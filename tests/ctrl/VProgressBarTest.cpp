#include "ctrl/VProgressBar.h"
#include "ctrl/CairoGraphicsContext.h"
#include "ctrl/CtrlStyle.h"
#include "ctrl/CtrlTestSupport.h"
#include "foundation/VRef.h"

#include <gtest/gtest.h>

#include <cmath>

using VCtrl::CairoGraphicsContext;
using VCtrl::VColour;
using VCtrl::VProgressBar;
using VCtrl::VRect;
using VFoundation::MakeRef;

namespace {

class VProgressBarTest : public KisTest::ToolkitTest {};

uint32_t Rgb(const CairoGraphicsContext& context, int x, int y) {
    return context.GetTargetPixel(x, y) & 0xFFFFFF;
}

} // namespace

TEST_F(VProgressBarTest, ClampsTheValueToZeroToOneHundred) {
    auto bar = MakeRef<VProgressBar>();
    bar->SetValue(150.0f);
    EXPECT_EQ(bar->GetValue(), 100.0f);
    bar->SetValue(-5.0f);
    EXPECT_EQ(bar->GetValue(), 0.0f);
    bar->SetValue(42.5f);
    EXPECT_EQ(bar->GetValue(), 42.5f);
    bar->SetValue(std::nanf(""));
    EXPECT_EQ(bar->GetValue(), 0.0f);
    EXPECT_TRUE(bar->SetRealValue(1e9));
    EXPECT_EQ(bar->GetValue(), 100.0f);
}

TEST_F(VProgressBarTest, DrawsAWhiteFieldWithBlackOutlineAndTheBarForTheValue) {
    CairoGraphicsContext context;
    ASSERT_TRUE(context.CreateTarget(102, 18));
    context.FillRectangle(0, 0, 102, 18, VColour(0, 255, 0));
    auto bar = MakeRef<VProgressBar>();
    bar->Create(1, VRect{0, 0, 102, 18}, nullptr, nullptr);
    bar->SetBarColour(VColour(127, 161, 208));
    bar->SetValue(50.0f);
    bar->Draw(context);
    context.Flush();
    EXPECT_EQ(Rgb(context, 0, 9), 0x000000u);
    EXPECT_EQ(Rgb(context, 101, 9), 0x000000u);
    EXPECT_EQ(Rgb(context, 50, 0), 0x000000u);
    EXPECT_EQ(Rgb(context, 1, 9), 0x7FA1D0u);
    EXPECT_EQ(Rgb(context, 50, 9), 0x7FA1D0u);
    EXPECT_EQ(Rgb(context, 51, 9), 0xFFFFFFu);
    EXPECT_EQ(Rgb(context, 100, 16), 0xFFFFFFu);

    bar->SetValue(100.0f);
    bar->Draw(context);
    context.Flush();
    EXPECT_EQ(Rgb(context, 100, 16), 0x7FA1D0u);

    // Without the default drawing only the bar is drawn.
    auto style = MakeRef<VCtrl::CtrlStyle>(VCtrl::CtrlStyle::kFlagNoDefaultDrawing);
    bar->SetStyle(style.Get());
    bar->SetValue(0.0f);
    context.FillRectangle(0, 0, 102, 18, VColour(0, 255, 0));
    bar->Draw(context);
    context.Flush();
    EXPECT_EQ(Rgb(context, 0, 9), 0x00FF00u);
    EXPECT_EQ(Rgb(context, 50, 9), 0x00FF00u);
}
