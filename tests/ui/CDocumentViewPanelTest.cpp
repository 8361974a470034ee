#include "ui/CDocumentViewPanel.h"
#include "UiTestSupport.h"
#include "support/TempFolder.h"

#include <string>

using VFoundation::MakeRef;
using VFoundation::VString;

TEST(CDocumentViewPanel, StageNameAloneLeavesEverythingEmpty) {
    auto panel = MakeRef<CDocumentViewPanel>(VString("Welcome"), nullptr);
    EXPECT_STREQ(panel->GetStageName().GetText(), "Welcome");
    EXPECT_STREQ(panel->GetTitleLabel()->GetText().GetText(), "");
    EXPECT_STREQ(panel->GetSubtitleLabel()->GetText().GetText(), "");
    EXPECT_STREQ(panel->GetFooterLabel()->GetText().GetText(), "");
    EXPECT_EQ(panel->GetDocumentView()->GetRowCount(), 0);
    EXPECT_TRUE(panel->PrepareToShow());
    EXPECT_TRUE(panel->PanelShown());
    EXPECT_TRUE(panel->CanAdvance());
}

TEST(CDocumentViewPanel, ReadsTheDocumentNamedThroughAScriptVariable) {
    KisTest::TempFolder folder;
    KisTest::WriteFile(folder / "Docs/ReadMe.txt", "First line\r\nSecond line\n\nFourth, with comma\n");
    auto script = KisTest::MakeScript();
    script->SetVariable("DOCS", folder.Text().c_str());
    script->SetVariable("PRODUCT", "Kit");

    // Windows separators in the script still find the file here.
    auto panel = MakeRef<CDocumentViewPanel>(
        VString("  $PRODUCT$ notes , About $PRODUCT$ ,, ,$DOCS$\\Docs\\ReadMe.txt, ignored"), script.Get());
    EXPECT_STREQ(panel->GetStageName().GetText(), "$PRODUCT$ notes"); // the stage name is not expanded
    EXPECT_STREQ(panel->GetTitleLabel()->GetText().GetText(), "About Kit");
    EXPECT_STREQ(panel->GetSubtitleLabel()->GetText().GetText(), "");
    EXPECT_STREQ(panel->GetFooterLabel()->GetText().GetText(), "");
    VCtrl::CtrlListBox* view = panel->GetDocumentView();
    ASSERT_EQ(view->GetRowCount(), 4);
    EXPECT_STREQ(view->GetRowText(0).GetText(), "First line");
    EXPECT_STREQ(view->GetRowText(1).GetText(), "Second line");
    EXPECT_STREQ(view->GetRowText(2).GetText(), "");
    EXPECT_STREQ(view->GetRowText(3).GetText(), "Fourth, with comma");
    EXPECT_EQ(view->GetTopRow(), 0);
}

TEST(CDocumentViewPanel, MissingDocumentOrFolderLeavesTheViewEmpty) {
    KisTest::TempFolder folder;
    auto missing = MakeRef<CDocumentViewPanel>(
        VString(("Read me, Title, Sub, Foot, " + (folder / "nothing.txt")).c_str()), nullptr);
    EXPECT_EQ(missing->GetDocumentView()->GetRowCount(), 0);
    EXPECT_STREQ(missing->GetFooterLabel()->GetText().GetText(), "Foot");
    auto directory = MakeRef<CDocumentViewPanel>(
        VString(("Read me, Title, Sub, Foot, " + folder.Text()).c_str()), nullptr);
    EXPECT_EQ(directory->GetDocumentView()->GetRowCount(), 0);
}

TEST(CDocumentViewPanel, LayoutKeepsTheLabelsApartAndInsideThePanel) {
    KisTest::TempFolder folder;
    std::string text;
    for (int i = 0; i < 40; ++i)
        text += "Line " + std::to_string(i) + " of the document\n";
    KisTest::WriteFile(folder / "doc.txt", text);
    auto panel = MakeRef<CDocumentViewPanel>(
        VString(("Welcome, Welcome to the installer, Please read this, Click Next to go on, " +
                 (folder / "doc.txt"))
                    .c_str()),
        nullptr);
    KisTest::Snapshot shot(*panel);
    // Title, subtitle, list and footer each show something, and nothing spills below the footer's frame.
    EXPECT_GT(shot.CountNonWhite(10, 15, 450, 25), 0);
    EXPECT_GT(shot.CountNonWhite(10, 43, 450, 25), 0);
    EXPECT_GT(shot.CountNonWhite(12, 80, 440, 230), 0);
    EXPECT_GT(shot.CountNonWhite(10, 324, 450, 25), 0);
    EXPECT_EQ(shot.CountNonWhite(0, 350, 470, 10), 0);
    EXPECT_EQ(shot.CountNonWhite(462, 0, 8, 360), 0);
}
