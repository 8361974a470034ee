#include "ctrl/CtrlTableView.h"
#include "ctrl/CairoGraphicsContext.h"
#include "ctrl/CtrlButton.h"
#include "ctrl/CtrlButtonStyle.h"
#include "ctrl/CtrlSlider.h"
#include "ctrl/CtrlSliderStyle.h"
#include "ctrl/CtrlTableColumn.h"
#include "ctrl/CtrlTableHeaderView.h"
#include "ctrl/CtrlTableViewStyle.h"
#include "ctrl/CtrlTestSupport.h"
#include "ctrl/ICtrlTableViewDataSource.h"
#include "ctrl/ICtrlTableViewDelegate.h"
#include "foundation/VRef.h"
#include "foundation/VString.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using VCtrl::CairoGraphicsContext;
using VCtrl::CtrlButton;
using VCtrl::CtrlButtonStyle;
using VCtrl::CtrlTableColumn;
using VCtrl::CtrlTableView;
using VCtrl::VColour;
using VCtrl::VPoint;
using VCtrl::VRect;
using VFoundation::MakeRef;
using VFoundation::VRef;
using VFoundation::VString;

namespace {

// Rows of a check flag and a name, as the component list has them.
class TestSource : public VCtrl::ICtrlTableViewDataSource, public VCtrl::ICtrlTableViewDelegate {
public:
    explicit TestSource(int rows) : ticked(size_t(rows), false) {}

    int GetRowCount(CtrlTableView*) override { return int(ticked.size()); }
    VFoundation::VObject* GetCellValue(CtrlTableView*, CtrlTableColumn* column, int row) override {
        if (row < 0 || row >= int(ticked.size())) return nullptr;
        if (column->GetIdentifier().IsEqual("CheckBox"))
            cell.Assign(ticked[size_t(row)] ? "true" : "false");
        else
            cell.Format("Section %d", row);
        return &cell;
    }
    void CellPressed(CtrlTableView*, CtrlTableColumn* column, int row) override {
        pressed.push_back(std::string(column->GetIdentifier().GetText()) + ":" + std::to_string(row));
        ticked[size_t(row)] = !ticked[size_t(row)];
    }
    bool CanPressCell(CtrlTableView*, CtrlTableColumn* column, int row) override {
        return column->GetIdentifier().IsEqual("CheckBox") && row >= 0 && row < int(ticked.size());
    }
    void SelectionChanged(CtrlTableView* table) override { selections.push_back(table->GetSelectedRow()); }
    void CutRows(CtrlTableView*) override { clipboard.push_back('x'); }
    void CopyRows(CtrlTableView*) override { clipboard.push_back('c'); }
    void PasteRows(CtrlTableView*) override { clipboard.push_back('v'); }

    std::vector<bool> ticked;
    std::vector<std::string> pressed;
    std::vector<int> selections;
    std::string clipboard;
    VString cell;
};

class CtrlTableViewTest : public KisTest::ToolkitTest {
protected:
    // 18 pixels of header and 150 of rows: ten visible rows of 15 pixels (no horizontal scroll bar).
    VRef<CtrlTableView> MakeTable(TestSource& source) {
        auto table = MakeRef<CtrlTableView>();
        table->Create(1, VRect{0, 0, 300, CtrlTableView::kHeaderHeight + 150}, nullptr, nullptr);
        auto checkStyle = MakeRef<CtrlButtonStyle>();
        auto checkCell = MakeRef<CtrlButton>(checkStyle.Get());
        table->AddColumn(MakeRef<CtrlTableColumn>("CheckBox", 50, true, checkCell.Get()).Get());
        table->AddColumn(MakeRef<CtrlTableColumn>("SectionName", 200, false).Get());
        table->SetDataSource(&source);
        table->SetDelegate(&source);
        return table;
    }
};

} // namespace

TEST_F(CtrlTableViewTest, ScrollingCutsTheTopRowToTheRowsThatExist) {
    TestSource source(25);
    auto table = MakeTable(source);
    EXPECT_EQ(table->GetRowHeight(), 15);
    ASSERT_EQ(table->GetVisibleRowCount(), 10);
    table->ScrollToRow(40);
    EXPECT_EQ(table->GetTopRow(), 15);
    EXPECT_DOUBLE_EQ(table->GetVerticalSlider()->GetValue(), 1.0);
    table->ScrollToRow(6);
    EXPECT_DOUBLE_EQ(table->GetVerticalSlider()->GetValue(), 6.0 / 15.0);
    table->ScrollToRow(-3);
    EXPECT_EQ(table->GetTopRow(), 0);

    TestSource few(4);
    table->SetDataSource(&few);
    table->ScrollToRow(2);
    EXPECT_EQ(table->GetTopRow(), 0);
    EXPECT_DOUBLE_EQ(table->GetVerticalSlider()->GetValue(), 0.0);
}

TEST_F(CtrlTableViewTest, KeysMoveTheSelectionAndScroll) {
    TestSource source(25);
    auto table = MakeTable(source);
    EXPECT_TRUE(table->KeyDown(35, 0)); // End
    EXPECT_EQ(table->GetSelectedRow(), 24);
    EXPECT_EQ(table->GetTopRow(), 15);
    EXPECT_TRUE(table->KeyDown(36, 0)); // Home
    EXPECT_EQ(table->GetSelectedRow(), 0);
    EXPECT_EQ(table->GetTopRow(), 0);
    EXPECT_TRUE(table->KeyDown(38, 0)); // Up from the first row stays there
    EXPECT_EQ(table->GetSelectedRow(), 0);
    for (int i = 0; i < 10; ++i)
        table->KeyDown(40, 0); // Down
    EXPECT_EQ(table->GetSelectedRow(), 10);
    EXPECT_EQ(table->GetTopRow(), 1);
    EXPECT_TRUE(table->KeyDown(34, 0)); // Page Down: top 1 + 9, then row 10 + 9
    EXPECT_EQ(table->GetTopRow(), 10);
    EXPECT_EQ(table->GetSelectedRow(), 19);
    EXPECT_TRUE(table->KeyDown(33, 0)); // Page Up: top 10 - 9, selects it
    EXPECT_EQ(table->GetTopRow(), 1);
    EXPECT_EQ(table->GetSelectedRow(), 1);
    EXPECT_EQ(source.selections.size(), 15u);
    EXPECT_EQ(source.selections.back(), 1);
    EXPECT_FALSE(table->KeyDown(65, 0));
    EXPECT_FALSE(table->KeyDown(88, 0)); // X without Control
}

TEST_F(CtrlTableViewTest, ControlXCVAskTheDelegate) {
    TestSource source(3);
    auto table = MakeTable(source);
    EXPECT_TRUE(table->KeyDown(88, CtrlTableView::kModifierControl));
    EXPECT_TRUE(table->KeyDown(67, CtrlTableView::kModifierControl));
    EXPECT_TRUE(table->KeyDown(86, CtrlTableView::kModifierControl));
    EXPECT_EQ(source.clipboard, "xcv");
    EXPECT_TRUE(source.selections.empty());
}

TEST_F(CtrlTableViewTest, PressesSelectRowsOrPressCheckCells) {
    TestSource source(25);
    auto table = MakeTable(source);
    table->ScrollToRow(5);
    const int header = CtrlTableView::kHeaderHeight;
    // A press on a name selects the row under it.
    EXPECT_TRUE(table->MouseDown(VPoint{100, header + 2 * 15 + 3}, 0));
    EXPECT_EQ(table->GetSelectedRow(), 7);
    ASSERT_EQ(source.selections.size(), 1u);
    // The same row again tells nobody.
    table->MouseDown(VPoint{120, header + 2 * 15}, 0);
    EXPECT_EQ(source.selections.size(), 1u);
    // A press on the check column flips the check box only.
    EXPECT_TRUE(table->MouseDown(VPoint{20, header + 4 * 15}, 0));
    ASSERT_EQ(source.pressed.size(), 1u);
    EXPECT_EQ(source.pressed[0], "CheckBox:9");
    EXPECT_TRUE(source.ticked[9]);
    EXPECT_EQ(table->GetSelectedRow(), 7);
    // Past the last row the index is not cut: the delegate refuses the check cell, and the selected row lies
    // past the rows.
    TestSource short3(3);
    table->SetDataSource(&short3);
    table->SetDelegate(&short3);
    EXPECT_EQ(table->GetTopRow(), 0);
    table->MouseDown(VPoint{20, header + 5 * 15}, 0);
    EXPECT_TRUE(short3.pressed.empty());
    EXPECT_EQ(table->GetSelectedRow(), 5);
    EXPECT_EQ(short3.selections, std::vector<int>{5});
    // The header takes its own presses.
    EXPECT_TRUE(table->MouseDown(VPoint{100, 3}, 0));
    EXPECT_EQ(table->GetSelectedRow(), 5);
}

TEST_F(CtrlTableViewTest, ColumnsKeepTheirWidthWithinTheLimitsAndAreFoundByIdentifier) {
    auto column = MakeRef<CtrlTableColumn>("KitPieceSize", 50, false);
    EXPECT_STREQ(column->GetName().GetText(), "KitPieceSize");
    column->SetWidthLimits(20, 80);
    column->SetColumnWidth(200);
    EXPECT_EQ(column->GetColumnWidth(), 80);
    column->SetColumnWidth(5);
    EXPECT_EQ(column->GetColumnWidth(), 20);
    column->SetWidthLimits(30, 10);
    EXPECT_EQ(column->GetMaximumWidth(), 30);
    EXPECT_EQ(column->GetColumnWidth(), 30);

    TestSource source(2);
    auto table = MakeTable(source);
    table->AddColumn(column.Get());
    EXPECT_EQ(table->GetColumnCount(), 3);
    EXPECT_EQ(table->FindColumn("KitPieceSize"), column.Get());
    EXPECT_EQ(table->FindColumn("Nothing"), nullptr);
    EXPECT_EQ(table->GetColumnAtX(49)->GetIdentifier(), "CheckBox");
    EXPECT_EQ(table->GetColumnAtX(50)->GetIdentifier(), "SectionName");
    EXPECT_EQ(column->GetParent(), table->GetHeaderView());
}

TEST_F(CtrlTableViewTest, DrawsTicksTheSelectionAndTheScrollBars) {
    TestSource source(25);
    auto sliderStyle = MakeRef<VCtrl::CtrlSliderStyle>(VColour(0, 0, 0), VColour(127, 161, 208), 96);
    auto style = MakeRef<VCtrl::CtrlTableViewStyle>(VCtrl::CtrlTableViewStyle::kOptGridLines,
                                                    sliderStyle.Get(), sliderStyle.Get());
    auto table = MakeTable(source);
    table->SetStyle(style.Get());
    EXPECT_EQ(table->GetVerticalSlider()->GetStyle(), sliderStyle.Get());
    EXPECT_TRUE(table->GetVerticalSlider()->IsVisible());
    EXPECT_FALSE(table->GetHorizontalSlider()->IsVisible()); // 250 pixels of columns fit
    source.ticked[1] = true;
    table->SelectRow(2);
    CairoGraphicsContext context;
    ASSERT_TRUE(context.CreateTarget(300, CtrlTableView::kHeaderHeight + 150));
    table->Draw(context);
    context.Flush();
    auto dark = [&](int x0, int y0, int x1, int y1) {
        int count = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x)
                if ((context.GetTargetPixel(x, y) & 0xFF) < 80) ++count;
        return count;
    };
    const int header = CtrlTableView::kHeaderHeight;
    // Row 1's check cell holds a tick, row 0's an empty box: more dark pixels in the first.
    EXPECT_GT(dark(2, header + 15 + 2, 48, header + 30 - 2), dark(2, header + 2, 48, header + 15 - 2) + 5);
    // The selected row is highlighted right across.
    EXPECT_EQ(context.GetTargetPixel(240, header + 2 * 15 + 7) & 0xFFFFFF, 0x7FA1D0u);
    EXPECT_EQ(context.GetTargetPixel(240, header + 3 * 15 + 7) & 0xFFFFFF, 0xFFFFFFu);
    // The scroll bar's thumb at the top of its groove.
    EXPECT_EQ(context.GetTargetPixel(300 - 6, header + 5) & 0xFFFFFF, 0x7FA1D0u);
}

TEST_F(CtrlTableViewTest, SpacePressesTheSelectedRowsCheckCell) {
    TestSource source(3);
    auto table = MakeTable(source);
    EXPECT_TRUE(table->KeyDown(32, 0)); // nothing selected: nothing pressed
    EXPECT_TRUE(source.pressed.empty());
    table->KeyDown(40, 0); // Down selects row 0
    table->KeyDown(40, 0);
    EXPECT_TRUE(table->KeyDown(32, 0));
    ASSERT_EQ(source.pressed.size(), 1u);
    EXPECT_EQ(source.pressed[0], "CheckBox:1");
    EXPECT_TRUE(source.ticked[1]);
}
