#include "ctrl/CtrlComboBox.h"
#include "ctrl/CtrlTestSupport.h"
#include "foundation/VRef.h"

#include <gtest/gtest.h>

using KisTest::RecordingListener;
using VCtrl::Ctrl;
using VCtrl::CtrlComboBox;
using VCtrl::CtrlEvent;
using VCtrl::VPoint;
using VCtrl::VRect;
using VFoundation::MakeRef;

namespace {

class CtrlComboBoxTest : public KisTest::ToolkitTest {};

} // namespace

TEST_F(CtrlComboBoxTest, ChoosingInTheOpenListSelectsAndReportsWhileCodeSelectsSilently) {
    RecordingListener listener;
    auto panel = MakeRef<Ctrl>();
    panel->Create(1000, VRect{130, 0, 470, 360}, nullptr, nullptr);
    auto combo = MakeRef<CtrlComboBox>();
    combo->Create(2, VRect{10, 300, 100, 18}, panel.Get(), &listener);
    EXPECT_EQ(combo->GetSelectedIndex(), -1);
    EXPECT_EQ(combo->AddItem("Small", 1), 0);
    EXPECT_EQ(combo->AddItem("Full", 1000), 1);
    combo->SelectItem(0);
    EXPECT_EQ(combo->GetSelectedIndex(), 0);
    combo->SelectItem(7);
    EXPECT_EQ(combo->GetSelectedIndex(), -1);
    combo->SelectItem(0);
    EXPECT_TRUE(listener.events.empty());

    // The list opens over the panel, below the box (items of 16 pixels inside a one pixel border).
    EXPECT_TRUE(combo->MouseDown(VPoint{5, 5}, 0));
    ASSERT_TRUE(combo->IsListOpen());
    const VPoint second{15, 318 + 1 + 16 + 3};
    Ctrl* popup = panel->HitTest(second);
    ASSERT_NE(popup, nullptr);
    EXPECT_NE(popup, combo.Get());
    EXPECT_TRUE(popup->MouseDown(second, 0));
    EXPECT_FALSE(combo->IsListOpen());
    EXPECT_EQ(combo->GetSelectedIndex(), 1);
    ASSERT_EQ(listener.events.size(), 1u);
    EXPECT_EQ(listener.events[0].type, CtrlEvent::kPressed);
    EXPECT_EQ(listener.events[0].ctrl, combo.Get());
    EXPECT_EQ(combo->GetItemData(1), 1000);

    // A press outside the items closes the list without a choice.
    combo->MouseDown(VPoint{5, 5}, 0);
    ASSERT_TRUE(combo->IsListOpen());
    panel->HitTest(VPoint{400, 10})->MouseDown(VPoint{400, 10}, 0);
    EXPECT_FALSE(combo->IsListOpen());
    EXPECT_EQ(panel->GetChildCount(), 1);
    EXPECT_EQ(listener.events.size(), 1u);

    // Without room below, the list opens above the box.
    combo->SetFrame(VRect{10, 330, 100, 18});
    combo->MouseDown(VPoint{5, 5}, 0);
    ASSERT_TRUE(combo->IsListOpen());
    const VPoint first{15, 330 - 34 + 1 + 3};
    panel->HitTest(first)->MouseDown(first, 0);
    EXPECT_EQ(combo->GetSelectedIndex(), 0);
    EXPECT_EQ(listener.events.size(), 2u);

    // Down chooses the item below, Up the item above.
    EXPECT_TRUE(combo->KeyDown(40, 0));
    EXPECT_EQ(combo->GetSelectedIndex(), 1);
    EXPECT_TRUE(combo->KeyDown(38, 0));
    EXPECT_EQ(combo->GetSelectedIndex(), 0);
    EXPECT_EQ(listener.events.size(), 4u);
    EXPECT_FALSE(combo->KeyDown(38, 0));
}
