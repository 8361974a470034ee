#include "ui/CLicenceViewPanel.h"
#include "UiTestSupport.h"
#include "ctrl/CtrlButtonStyle.h"
#include "ctrl/CtrlEvent.h"
#include "support/LogCapture.h"
#include "support/TempFolder.h"

#include <string>

using VFoundation::MakeRef;
using VFoundation::VString;

namespace {

const char* const kAlert =
    "To continue the installation you must agree to the terms and conditions detailed on the "
    "licence page\n\nPlease click the check box to agree then click the 'next' button again to "
    "continue";

// A click as the root delivers it: the control under the point gets the press.
void ClickAt(IInstallerUIPanel& panel, int x, int y) {
    VCtrl::Ctrl* target = panel.HitTest(VCtrl::VPoint{x, y});
    ASSERT_NE(target, nullptr);
    const VCtrl::VPoint local{x - target->GetAbsoluteX() + panel.GetAbsoluteX(),
                              y - target->GetAbsoluteY() + panel.GetAbsoluteY()};
    target->MouseDown(local, 0);
    target->MouseUp(local, 0);
}

} // namespace

TEST(CLicenceViewPanel, NextIsRefusedWithTheAlertUntilTheLabelIsClicked) {
    KisTest::ScriptedDialogs dialogs;
    auto panel = MakeRef<CLicenceViewPanel>(VString(""), nullptr);
    EXPECT_STREQ(panel->GetStageName().GetText(), "Licence Agreement");
    EXPECT_STREQ(panel->GetTitleLabel()->GetText().GetText(),
                 "Please read and agree to the licence conditions below");
    EXPECT_STREQ(panel->GetAgreementLabel()->GetText().GetText(),
                 "I agree with the terms and conditions detailed above");
    EXPECT_FALSE(panel->IsAgreed());

    EXPECT_FALSE(panel->CanAdvance());
    auto requests = dialogs.responder->GetRequests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].kind, VApplication::DialogKind::Alert);
    EXPECT_STREQ(requests[0].caption.GetText(), "Alert");
    EXPECT_STREQ(requests[0].text.GetText(), kAlert);

    // A click on the label's text, well away from the box.
    ClickAt(*panel, 200, 336);
    EXPECT_TRUE(panel->IsAgreed());
    EXPECT_TRUE(panel->CanAdvance());
    EXPECT_EQ(dialogs.responder->GetRequests().size(), 1u);

    ClickAt(*panel, 60, 330);
    EXPECT_FALSE(panel->IsAgreed());
    EXPECT_FALSE(panel->CanAdvance());
    EXPECT_EQ(dialogs.responder->GetRequests().size(), 2u);
}

TEST(CLicenceViewPanel, OnlyTheAgreementLabelFlipsTheBox) {
    auto panel = MakeRef<CLicenceViewPanel>(VString(""), nullptr);
    KisTest::LogCapture log;
    VCtrl::CtrlEvent event;
    event.Set(VCtrl::CtrlEvent::kMouseDown, panel->GetLicenceView());
    panel->HandleCtrlEvent(event);
    EXPECT_FALSE(panel->IsAgreed());
    EXPECT_EQ(log.Text(), "Control with id 3 not handled in event handler properly\n");

    log.Clear();
    event.Set(VCtrl::CtrlEvent::kPressed, panel->GetAgreementLabel());
    panel->HandleCtrlEvent(event);
    EXPECT_FALSE(panel->IsAgreed());
    EXPECT_EQ(log.Text(), "Event with id 9 not handled in event handler properly\n");

    log.Clear();
    event.Set(VCtrl::CtrlEvent::kMouseDown, nullptr);
    panel->HandleCtrlEvent(event);
    EXPECT_EQ(log.Text(), "");

    event.Set(VCtrl::CtrlEvent::kMouseDown, panel->GetAgreementLabel());
    panel->HandleCtrlEvent(event);
    EXPECT_TRUE(panel->IsAgreed());
}

TEST(CLicenceViewPanel, PathIsTheTextBeforeTheFirstCommaBlanksIncluded) {
    KisTest::TempFolder folder;
    KisTest::WriteFile(folder / "licence.txt", "the wrong file\n");
    KisTest::WriteFile(folder / "licence.txt ", "Terms\nMore terms\n");
    auto script = KisTest::MakeScript();
    script->SetVariable("HERE", folder.Text().c_str());

    auto panel = MakeRef<CLicenceViewPanel>(VString("$HERE$/licence.txt , something, else"), script.Get());
    ASSERT_EQ(panel->GetLicenceView()->GetRowCount(), 2);
    EXPECT_STREQ(panel->GetLicenceView()->GetRowText(1).GetText(), "More terms");

    auto whole = MakeRef<CLicenceViewPanel>(VString("$HERE$/licence.txt"), script.Get());
    ASSERT_EQ(whole->GetLicenceView()->GetRowCount(), 1);
    EXPECT_STREQ(whole->GetLicenceView()->GetRowText(0).GetText(), "the wrong file");
}

TEST(CLicenceViewPanel, BoxShowsThePicturesOfTheResourcesFolder) {
    KisTest::TempFolder folder;
    KisTest::WriteSolidTarga(folder / "Installer/Resources/Off.tga", 15, 15, 0, 200, 0);
    KisTest::WriteSolidTarga(folder / "Installer/Resources/On.tga", 15, 15, 200, 0, 200);
    auto script = KisTest::MakeScript();
    script->SetVariable("CWD_FOLDER", folder.Text().c_str());

    auto panel = MakeRef<CLicenceViewPanel>(VString(""), script.Get());
    VString up;
    ASSERT_TRUE(panel->GetAgreementBox()->GetStyle()->GetStringOption("imUp", up));
    EXPECT_EQ(std::string(up.GetText()), folder / "Installer/Resources/Off.tga");

    EXPECT_EQ(KisTest::Snapshot(*panel).At(27, 337), 0x00C800u);
    VCtrl::CtrlEvent event;
    event.Set(VCtrl::CtrlEvent::kMouseDown, panel->GetAgreementLabel());
    panel->HandleCtrlEvent(event);
    EXPECT_EQ(KisTest::Snapshot(*panel).At(27, 337), 0xC800C8u);
}

TEST(CLicenceViewPanel, PlainBoxIsVisibleAndChangesWhenTicked) {
    auto script = KisTest::MakeScript();
    KisTest::TempFolder folder; // no pictures there
    script->SetVariable("CWD_FOLDER", folder.Text().c_str());
    auto panel = MakeRef<CLicenceViewPanel>(VString(""), script.Get());
    KisTest::Snapshot off(*panel);
    EXPECT_EQ(off.At(20, 337), 0x000000u); // the box's border
    EXPECT_EQ(off.At(27, 337), 0xFFFFFFu);
    panel->GetAgreementBox()->SetValue(true);
    KisTest::Snapshot on(*panel);
    EXPECT_NE(on.At(27, 337), 0xFFFFFFu);
    // The agreement text sits beside the box.
    EXPECT_GT(on.CountNonWhite(45, 324, 405, 25), 0);
}
