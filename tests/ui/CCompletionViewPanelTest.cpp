#include "ui/CCompletionViewPanel.h"
#include "UiTestSupport.h"

using VFoundation::MakeRef;
using VFoundation::VString;

TEST(CCompletionViewPanel, ShowsABlankUntilTheResultIsSet) {
    auto panel = MakeRef<CCompletionViewPanel>(VString("whatever, options"), nullptr);
    EXPECT_STREQ(panel->GetStageName().GetText(), "Complete");
    EXPECT_STREQ(panel->GetResultLabel()->GetText().GetText(), " ");
    EXPECT_EQ(panel->GetResultLabel()->GetFrame().y, 15);

    panel->SetResult(true);
    EXPECT_STREQ(panel->GetResultLabel()->GetText().GetText(), "Installation has completed sucessfully");
    panel->SetResult(false);
    EXPECT_STREQ(panel->GetResultLabel()->GetText().GetText(),
                 "Installation was either aborted or failed. More details can be found in the log file");
}

TEST(CCompletionViewPanel, TheLongerResultFitsItsLabel) {
    auto panel = MakeRef<CCompletionViewPanel>(VString(""), nullptr);
    panel->SetResult(false);
    KisTest::Snapshot shot(*panel);
    EXPECT_GT(shot.CountNonWhite(10, 15, 40, 25), 0);
    // The text ends before the label's right edge instead of being cut by it.
    EXPECT_EQ(shot.CountNonWhite(452, 15, 8, 25), 0);
}
