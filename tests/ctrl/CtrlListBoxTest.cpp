#include "ctrl/CtrlListBox.h"
#include "ctrl/CairoGraphicsContext.h"
#include "ctrl/CtrlListBoxStyle.h"
#include "ctrl/CtrlSlider.h"
#include "ctrl/CtrlTestSupport.h"
#include "foundation/VRef.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <string>

using KisTest::RecordingListener;
using VCtrl::CairoGraphicsContext;
using VCtrl::CtrlEvent;
using VCtrl::CtrlListBox;
using VCtrl::VColour;
using VCtrl::VPoint;
using VCtrl::VRect;
using VFoundation::MakeRef;
using VFoundation::VRef;

namespace {

class CtrlListBoxTest : public KisTest::ToolkitTest {
protected:
    // Ten visible rows: (134 - 4) / 13.
    VRef<CtrlListBox> MakeList(int rows) {
        auto list = MakeRef<CtrlListBox>();
        list->Create(3, VRect{0, 0, 200, 134}, nullptr, &listener);
        for (int i = 0; i < rows; ++i)
            list->AddRow(("row " + std::to_string(i)).c_str());
        return list;
    }
    RecordingListener listener;
};

uint32_t Rgb(const CairoGraphicsContext& context, int x, int y) {
    return context.GetTargetPixel(x, y) & 0xFFFFFF;
}

} // namespace

TEST_F(CtrlListBoxTest, StartsWithTenRowsOfThirteenPixels) {
    auto list = MakeRef<CtrlListBox>();
    EXPECT_EQ(list->GetVisibleRowCount(), 10);
    EXPECT_EQ(list->GetRowHeight(), 13);
    EXPECT_EQ(list->GetSelectedRow(), -1);
    list->Create(3, VRect{10, 78, 450, 236}, nullptr, nullptr);
    EXPECT_EQ(list->GetVisibleRowCount(), (236 - 4) / 13);
}

TEST_F(CtrlListBoxTest, SelectingScrollsToShowTheRow) {
    auto list = MakeList(30);
    list->ScrollToRow(0);
    list->SelectRow(9, false);
    EXPECT_EQ(list->GetSelectedRow(), 9);
    EXPECT_EQ(list->GetTopRow(), 0);
    list->SelectRow(12, false);
    EXPECT_EQ(list->GetTopRow(), 3); // 12 - 10 + 1
    list->SelectRow(11, false);
    EXPECT_EQ(list->GetTopRow(), 3); // not past top + visible - 2
    list->SelectRow(2, false);
    EXPECT_EQ(list->GetTopRow(), 2);
    EXPECT_TRUE(listener.events.empty());

    list->SelectRow(99, true); // past the end: the last row
    EXPECT_EQ(list->GetSelectedRow(), 29);
    EXPECT_EQ(list->GetTopRow(), 20);
    EXPECT_DOUBLE_EQ(list->GetScrollBar()->GetValue(), 1.0);
    ASSERT_EQ(listener.events.size(), 1u);
    EXPECT_EQ(listener.events[0].type, CtrlEvent::kPressed);

    list->SelectRow(29, true); // already selected: nothing
    EXPECT_EQ(listener.events.size(), 1u);
    list->SelectRow(-1, true);
    EXPECT_EQ(list->GetSelectedRow(), -1);
    EXPECT_EQ(list->GetTopRow(), 20);
    EXPECT_EQ(listener.events.size(), 1u);
}

TEST_F(CtrlListBoxTest, PressSelectsTheRowUnderItFromYTwoOn) {
    auto list = MakeList(30);
    list->ScrollToRow(4);
    EXPECT_TRUE(list->MouseDown(VPoint{20, 1}, 0));
    EXPECT_EQ(list->GetSelectedRow(), -1);
    EXPECT_TRUE(list->MouseDown(VPoint{20, 2 + 13 * 3 + 12}, 0));
    EXPECT_EQ(list->GetSelectedRow(), 7);
    ASSERT_EQ(listener.events.size(), 1u);
    EXPECT_EQ(listener.events[0].ctrl, list.Get());
    EXPECT_TRUE(list->MouseDown(VPoint{20, 2}, 0));
    EXPECT_EQ(list->GetSelectedRow(), 4);
}

TEST_F(CtrlListBoxTest, AppendingKeepsTheLastRowVisibleAndClearingGoesBackToTheTop) {
    auto list = MakeList(10);
    EXPECT_EQ(list->GetTopRow(), 0);
    EXPECT_FALSE(list->GetScrollBar()->IsVisible());
    list->AddRow("eleven");
    list->AddRow("twelve");
    EXPECT_EQ(list->GetTopRow(), 2);
    EXPECT_TRUE(list->GetScrollBar()->IsVisible());
    list->SelectRow(5, false);
    list->RemoveAllRows();
    EXPECT_EQ(list->GetRowCount(), 0);
    EXPECT_EQ(list->GetTopRow(), 0);
    EXPECT_EQ(list->GetSelectedRow(), -1);
    EXPECT_DOUBLE_EQ(list->GetScrollBar()->GetValue(), 0.0);
    list->SelectRow(0, true); // nothing to select
    EXPECT_EQ(list->GetSelectedRow(), -1);
    EXPECT_TRUE(listener.events.empty());
}

TEST_F(CtrlListBoxTest, ScrollBarMovesTheRows) {
    auto list = MakeList(30);
    list->ScrollToRow(0);
    list->GetScrollBar()->SetValue(0.5);
    list->HandleCtrlEvent([&] {
        CtrlEvent event;
        event.Set(CtrlEvent::kPressed, list->GetScrollBar());
        return event;
    }());
    EXPECT_EQ(list->GetTopRow(), 10);
    EXPECT_TRUE(list->MouseWheel(VPoint{}, 1.0, 0));
    EXPECT_EQ(list->GetTopRow(), 7);
}

TEST_F(CtrlListBoxTest, FillsFromAFileOneRowPerLine) {
    KisTest::TempFolder folder;
    const std::string path = folder / "licence.txt";
    const std::string longLine(1500, 'a');
    const std::string exactLine(1023, 'b');
    KisTest::WriteFile(path,
                       "first\r\nsecond\n\n" + longLine + "\n" + exactLine + "\r\n" + exactLine + "\nlast");
    auto list = MakeList(20);
    list->SelectRow(15, false);
    ASSERT_TRUE(list->FillFromFile(path.c_str()));
    ASSERT_EQ(list->GetRowCount(), 8);
    EXPECT_STREQ(list->GetRowText(0).GetText(), "first");
    EXPECT_STREQ(list->GetRowText(1).GetText(), "second");
    EXPECT_STREQ(list->GetRowText(2).GetText(), "");
    // A line longer than 1023 characters becomes several rows.
    EXPECT_EQ(list->GetRowText(3).GetLength(), 1023u);
    EXPECT_EQ(list->GetRowText(4).GetLength(), 1500u - 1023u);
    // A line of exactly 1023 characters is one row, whatever its line end.
    EXPECT_EQ(std::string(list->GetRowText(5).GetText()), exactLine);
    EXPECT_EQ(std::string(list->GetRowText(6).GetText()), exactLine);
    EXPECT_STREQ(list->GetRowText(7).GetText(), "last");
    EXPECT_EQ(list->GetTopRow(), 0);
    EXPECT_EQ(list->GetSelectedRow(), -1);

    EXPECT_FALSE(list->FillFromFile((folder / "missing.txt").c_str()));
    EXPECT_EQ(list->GetRowCount(), 8);
}

TEST_F(CtrlListBoxTest, DrawsTheSharedColourBehindTheRowsAndTheSelection) {
    const VColour before = CtrlListBox::GetSharedDrawingColour();
    EXPECT_EQ(before, VColour(255, 255, 255));
    auto list = MakeList(3);
    CairoGraphicsContext context;
    ASSERT_TRUE(context.CreateTarget(200, 134));
    CtrlListBox::SetSharedDrawingColour(VColour(0, 128, 0));
    list->Draw(context);
    context.Flush();
    EXPECT_EQ(Rgb(context, 0, 0), 0x000000u); // border
    EXPECT_EQ(Rgb(context, 150, 100), 0x008000u);
    EXPECT_EQ(Rgb(context, 198, 2 + 13 + 6), 0x008000u);
    list->SelectRow(1, false);
    list->Draw(context);
    context.Flush();
    EXPECT_EQ(Rgb(context, 198, 2 + 13 + 6), 0x7FA1D0u);
    // A style's fill wins over the shared colour.
    auto style = MakeRef<VCtrl::CtrlListBoxStyle>();
    style->SetColourOption("colFill", VColour(255, 255, 0));
    list->SetStyle(style.Get());
    list->Draw(context);
    context.Flush();
    EXPECT_EQ(Rgb(context, 150, 100), 0xFFFF00u);
    CtrlListBox::SetSharedDrawingColour(before);

    // The rows' text is drawn: there is ink in the first row.
    int ink = 0;
    for (int x = 2; x < 60; ++x)
        for (int y = 2; y < 15; ++y)
            if (Rgb(context, x, y) != 0xFFFF00u) ++ink;
    EXPECT_GT(ink, 5);
}
