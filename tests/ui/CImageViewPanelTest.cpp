#include "ui/CImageViewPanel.h"
#include "UiTestSupport.h"
#include "support/TempFolder.h"

using VFoundation::MakeRef;
using VFoundation::VString;

TEST(CImageViewPanel, ShowsThePictureAtTheViewsOrigin) {
    KisTest::TempFolder folder;
    KisTest::WriteSolidTarga(folder / "Pictures/Done.tga", 40, 30, 10, 20, 250);
    auto script = KisTest::MakeScript();
    script->SetVariable("PICS", (folder / "Pictures").c_str());
    auto panel = MakeRef<CImageViewPanel>(VString(" All done , $PICS$\\Done.tga, later"), script.Get());
    EXPECT_STREQ(panel->GetStageName().GetText(), "All done");
    ASSERT_NE(panel->GetPictureView()->GetImage(), nullptr);
    KisTest::Snapshot shot(*panel);
    EXPECT_EQ(shot.At(10, 15), 0x0A14FAu);
    EXPECT_EQ(shot.At(49, 44), 0x0A14FAu);
    EXPECT_EQ(shot.At(50, 44), 0xFFFFFFu);
}

TEST(CImageViewPanel, WithoutAPictureTheViewStaysEmpty) {
    auto named = MakeRef<CImageViewPanel>(VString("Goodbye"), nullptr);
    EXPECT_STREQ(named->GetStageName().GetText(), "Goodbye");
    EXPECT_EQ(named->GetPictureView()->GetImage(), nullptr);
    auto unnamed = MakeRef<CImageViewPanel>(VString(""), nullptr);
    EXPECT_STREQ(unnamed->GetStageName().GetText(), "Complete");
    auto broken = MakeRef<CImageViewPanel>(VString("Pic, /no/such/picture.tga"), nullptr);
    EXPECT_EQ(broken->GetPictureView()->GetImage(), nullptr);
}
