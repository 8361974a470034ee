#include "ui/CStageDisplayPanel.h"
#include "UiTestSupport.h"
#include "support/TempFolder.h"

using KisTest::Snapshot;
using VFoundation::MakeRef;
using VFoundation::VRef;

namespace {

VRef<CStageDisplayPanel> MakeDisplay(int stages, int current) {
    auto display = MakeRef<CStageDisplayPanel>();
    display->SetFrame(VCtrl::VRect{0, 0, 130, 400});
    const char* names[] = {"Welcome", "Licence Agreement", "Install location", "Install", "Complete"};
    for (int i = 0; i < stages; ++i)
        display->AddStage(names[i]);
    for (int i = 0; i < current; ++i)
        display->NextStage();
    return display;
}

bool IsGrey(uint32_t p) {
    return Snapshot::Red(p) == Snapshot::Green(p) && Snapshot::Green(p) == Snapshot::Blue(p) &&
           Snapshot::Red(p) >= 100 && Snapshot::Red(p) < 200;
}

} // namespace

TEST(CStageDisplayPanel, CurrentStageStaysWithinTheStages) {
    auto display = MakeDisplay(3, 0);
    display->PreviousStage();
    EXPECT_EQ(display->GetCurrentStage(), 0);
    display->NextStage();
    display->NextStage();
    display->NextStage();
    EXPECT_EQ(display->GetCurrentStage(), 2);
    display->PreviousStage();
    EXPECT_EQ(display->GetCurrentStage(), 1);
    EXPECT_STREQ(display->GetStageName(1).GetText(), "Licence Agreement");
    EXPECT_STREQ(display->GetStageName(3).GetText(), "");

    auto empty = MakeDisplay(0, 0);
    empty->NextStage();
    EXPECT_EQ(empty->GetCurrentStage(), 0);
    EXPECT_EQ(Snapshot(*empty).CountNonWhite(0, 0, 130, 400), 0);
}

TEST(CStageDisplayPanel, PlainLookMarksDoneCurrentAndComingStages) {
    auto display = MakeDisplay(3, 1);
    Snapshot shot(*display);
    // Rows of 400 / 3 = 133 pixels from y = 2: squares at (2, 2), (2, 135), (2, 268).
    EXPECT_EQ(shot.At(7, 7), 0x0000FFu);
    EXPECT_EQ(shot.At(7, 140), 0xFF0000u);
    EXPECT_EQ(shot.At(7, 273), 0x808080u);
    for (int y : {2, 135, 268}) {
        EXPECT_EQ(shot.At(2, y + 5), 0x000000u) << y;  // left edge of the outline
        EXPECT_EQ(shot.At(11, y + 5), 0x000000u) << y; // right edge
        EXPECT_EQ(shot.At(12, y + 5), 0xFFFFFFu) << y;
    }
    // Names from (16, y - 2): black, black, grey.
    EXPECT_LT(Snapshot::Red(shot.Darkest(16, 0, 114, 16)), 40);
    EXPECT_LT(Snapshot::Red(shot.Darkest(16, 133, 114, 16)), 40);
    const uint32_t coming = shot.Darkest(16, 266, 114, 16);
    EXPECT_TRUE(IsGrey(coming)) << std::hex << coming;
    // Nothing between the rows.
    EXPECT_EQ(shot.CountNonWhite(0, 20, 130, 110), 0);
}

TEST(CStageDisplayPanel, MarksAreDrawnInRowsBesideColouredNames) {
    KisTest::TempFolder folder;
    const std::string resources = folder / "Installer/Resources";
    KisTest::WriteSolidTarga(resources + "/StageDone.tga", 20, 10, 0, 160, 0);
    KisTest::WriteSolidTarga(resources + "/StageNotDone.tga", 20, 10, 0, 160, 160);
    KisTest::WriteSolidTarga(resources + "/StageCurrent.tga", 20, 16, 160, 0, 160);
    auto display = MakeDisplay(3, 1);
    display->LoadMarks(folder.Text().c_str());
    ASSERT_NE(display->GetCurrentMark(), nullptr);
    Snapshot shot(*display);

    // Row height 10 + 5 = 15. Done mark: top 0 + 5 / 2 + 11 = 13, rows 13..22, columns 5..24.
    EXPECT_EQ(shot.At(5, 13), 0x00A000u);
    EXPECT_EQ(shot.At(24, 22), 0x00A000u);
    EXPECT_EQ(shot.At(4, 13), 0xFFFFFFu);
    EXPECT_EQ(shot.At(25, 13), 0xFFFFFFu);
    EXPECT_EQ(shot.At(5, 12), 0xFFFFFFu);
    // Current mark (16 high): top 15 + (15 - 16) / 2 + 11 = 26, drawn 15 high: rows 26..40.
    EXPECT_EQ(shot.At(5, 26), 0xA000A0u);
    EXPECT_EQ(shot.At(5, 40), 0xA000A0u);
    EXPECT_NE(shot.At(5, 41), 0xA000A0u);
    EXPECT_EQ(shot.At(5, 25), 0xFFFFFFu);
    // Not-done mark: top 30 + 2 + 11 = 43, rows 43..52.
    EXPECT_EQ(shot.At(5, 43), 0x00A0A0u);
    EXPECT_EQ(shot.At(5, 52), 0x00A0A0u);
    EXPECT_EQ(shot.At(5, 53), 0xFFFFFFu);

    // Names from x = 27 at mark top + mark height / 8: black, red, grey.
    EXPECT_LT(Snapshot::Red(shot.Darkest(27, 14, 100, 12)), 40);
    EXPECT_FALSE(shot.HasReddish(27, 14, 100, 12));
    EXPECT_TRUE(shot.HasReddish(27, 28, 100, 13));
    EXPECT_TRUE(IsGrey(shot.Darkest(27, 45, 100, 12))) << std::hex << shot.Darkest(27, 45, 100, 12);
    EXPECT_EQ(shot.CountNonWhite(0, 0, 130, 12), 0);
}

TEST(CStageDisplayPanel, MarksOfDifferentWidthsAreDropped) {
    KisTest::TempFolder folder;
    const std::string resources = folder / "Installer/Resources";
    KisTest::WriteSolidTarga(resources + "/StageDone.tga", 20, 10, 0, 160, 0);
    KisTest::WriteSolidTarga(resources + "/StageNotDone.tga", 20, 10, 0, 160, 160);
    KisTest::WriteSolidTarga(resources + "/StageCurrent.tga", 21, 10, 160, 0, 160);
    auto display = MakeDisplay(2, 0);
    display->LoadMarks(folder.Text().c_str());
    EXPECT_EQ(display->GetDoneMark(), nullptr);
    EXPECT_EQ(display->GetNotDoneMark(), nullptr);
    EXPECT_EQ(display->GetCurrentMark(), nullptr);
    EXPECT_EQ(Snapshot(*display).At(7, 7), 0xFF0000u); // the plain square of the current stage
}

TEST(CStageDisplayPanel, RowWithoutItsMarkStaysEmpty) {
    KisTest::TempFolder folder;
    const std::string resources = folder / "Installer/Resources";
    KisTest::WriteSolidTarga(resources + "/StageDone.tga", 20, 10, 0, 160, 0);
    KisTest::WriteSolidTarga(resources + "/StageNotDone.tga", 20, 10, 0, 160, 160);
    auto display = MakeDisplay(3, 1);
    display->LoadMarks(folder.Text().c_str());
    ASSERT_NE(display->GetDoneMark(), nullptr);
    ASSERT_EQ(display->GetCurrentMark(), nullptr);
    Snapshot shot(*display);
    EXPECT_EQ(shot.At(5, 13), 0x00A000u);
    EXPECT_EQ(shot.At(5, 43), 0x00A0A0u);
    EXPECT_EQ(shot.CountNonWhite(0, 28, 130, 14), 0); // the current row

    // Loading from a folder without marks drops the old ones.
    KisTest::TempFolder none;
    display->LoadMarks(none.Text().c_str());
    EXPECT_EQ(display->GetDoneMark(), nullptr);
    EXPECT_EQ(Snapshot(*display).At(7, 140), 0xFF0000u);
}
