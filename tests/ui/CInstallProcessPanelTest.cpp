#include "ui/CInstallProcessPanel.h"
#include "application/VApplication.h"
#include "application/platform/headless/HeadlessBackend.h"
#include "ctrl/CtrlEvent.h"
#include "ctrl/CtrlRoot.h"
#include "ctrl/IWindowBackend.h"
#include "ctrl/VWindow.h"
#include "foundation/VImage.h"
#include "foundation/VImageIOTarga.h"
#include "foundation/VRef.h"
#include "support/LogCapture.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <thread>

using namespace VFoundation;

namespace {

// A headless window whose timers run on a clock that the test moves.
class ProcessPanelTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_previous = VApplication::GetBackend();
        m_app = std::make_shared<VApplication::HeadlessBackend>();
        m_app->SetManualClock(true);
        VApplication::SetBackend(m_app);
        VCtrl::SetWindowBackend(VCtrl::MakeHeadlessWindowBackend());
        m_window = MakeRef<VCtrl::VWindow>();
        ASSERT_TRUE(m_window->CreateWindow(VCtrl::CWindowAttributes(
            "Test", VCtrl::CWindowAttributes::kKindFixedMinimisable, VCtrl::VRect{0, 0, 600, 400})));
    }
    void TearDown() override {
        m_window.Reset();
        VCtrl::SetWindowBackend(nullptr);
        VApplication::SetBackend(m_previous);
    }

    // A picture folder of count 2 x 2 pictures, each of its own colour.
    std::string PictureFolder(int count) {
        const std::string folder = m_folder / "slides";
        KisTest::fs::create_directories(folder);
        for (int i = 0; i < count; ++i) {
            VRef<VImage> picture = MakeRef<VImage>();
            picture->CreateBitmap(2, 2, 32);
            uint8_t* bits = picture->GetMutableBits();
            for (int byte = 0; byte < 2 * picture->GetStride(); byte += 4) {
                bits[byte] = static_cast<uint8_t>(40 * (i + 1));
                bits[byte + 3] = 255;
            }
            VImageIOTarga::WriteToFile(*picture, (folder + "/slide" + std::to_string(i) + ".tga").c_str());
        }
        KisTest::WriteFile(folder + "/notes.txt", "not a picture");
        return folder;
    }

    VRef<CInstallProcessPanel> Shown(const std::string& options) {
        VRef<CInstallProcessPanel> panel = MakeRef<CInstallProcessPanel>(VString(options.c_str()), nullptr);
        panel->Create(1000, VCtrl::VRect{130, 0, 470, 360}, m_window->GetRoot(), nullptr);
        panel->PanelShown();
        return panel;
    }

    KisTest::TempFolder m_folder;
    std::shared_ptr<VApplication::IApplicationBackend> m_previous;
    std::shared_ptr<VApplication::HeadlessBackend> m_app;
    VRef<VCtrl::VWindow> m_window;
};

TEST_F(ProcessPanelTest, RowsFromTheInstallerThreadArriveInOrderInFewBatches) {
    VRef<CInstallProcessPanel> panel = Shown("LogView");
    std::thread([&panel] {
        for (int i = 0; i < 300; ++i)
            panel->AddLogLine(VString(("row " + std::to_string(i)).c_str()));
    }).join();
    // One task gathered every row (and one paint follows it), not one task per row.
    EXPECT_LE(m_app->RunPending(), 3);
    ASSERT_EQ(panel->GetLogView()->GetRowCount(), 300);
    EXPECT_STREQ(panel->GetLogView()->GetRowText(299).GetText(), "row 299");
    // A row soon after the last batch waits for the batch spacing, then comes.
    std::thread([&panel] { panel->AddLogLine(VString("late row")); }).join();
    m_app->RunPending();
    m_app->AdvanceClock(1000 / CInstallProcessPanel::kRowFlushesPerSecond + 1);
    ASSERT_EQ(panel->GetLogView()->GetRowCount(), 301);
    EXPECT_STREQ(panel->GetLogView()->GetRowText(300).GetText(), "late row");
    m_window->GetRoot()->RemoveChild(panel.Get());
}

} // namespace

TEST_F(ProcessPanelTest, LogViewOptionsAndAMissingFolderShowTheLog) {
    for (const std::string& options : {std::string("LogView"), m_folder / "no-such-folder"}) {
        VRef<CInstallProcessPanel> panel = Shown(options);
        EXPECT_FALSE(panel->IsShowingSlideshow());
        EXPECT_EQ(panel->GetLogView()->GetParent(), panel.Get());
        EXPECT_EQ(panel->GetToggleButton()->GetParent(), nullptr);
        EXPECT_EQ(panel->GetInstructionBar()->GetFrame().width, 450);
        m_window->GetRoot()->RemoveChild(panel.Get());
    }
}

TEST_F(ProcessPanelTest, SlideshowStepsWithItsPeriodAndTheToggleShowsTheLog) {
    KisTest::LogCapture quiet;
    VRef<CInstallProcessPanel> panel = Shown(PictureFolder(2) + ", 3000");
    ASSERT_TRUE(panel->IsShowingSlideshow());
    EXPECT_EQ(panel->GetSlideCount(), 2);
    EXPECT_EQ(panel->GetSlidePeriod(), 3000);
    EXPECT_STREQ(panel->GetToggleButton()->GetText().GetText(), "View Log");
    EXPECT_EQ(panel->GetSlideIndex(), 0);

    m_app->AdvanceClock(VCtrl::CtrlRoot::kRefreshPeriodMs);
    m_app->AdvanceClock(2900);
    EXPECT_EQ(panel->GetSlideIndex(), 0);
    m_app->AdvanceClock(200);
    EXPECT_EQ(panel->GetSlideIndex(), 1);
    m_app->AdvanceClock(3000);
    EXPECT_EQ(panel->GetSlideIndex(), 0);

    // Rows written meanwhile appear when the log is shown.
    panel->AddLogLine(VString("first row"));
    VRef<VCtrl::CtrlEvent> press = MakeRef<VCtrl::CtrlEvent>();
    press->Set(VCtrl::CtrlEvent::kPressed, panel->GetToggleButton());
    panel->HandleCtrlEvent(*press);
    EXPECT_STREQ(panel->GetToggleButton()->GetText().GetText(), "Slideshow");
    EXPECT_EQ(panel->GetLogView()->GetParent(), panel.Get());
    EXPECT_EQ(panel->GetSlideshowView()->GetParent(), nullptr);
    ASSERT_EQ(panel->GetLogView()->GetRowCount(), 1);
    m_app->AdvanceClock(9000);
    EXPECT_EQ(panel->GetSlideIndex(), 0);
    m_window->GetRoot()->RemoveChild(panel.Get());
}

TEST_F(ProcessPanelTest, ProgressIsSetInPercentAndClamped) {
    VRef<CInstallProcessPanel> panel = Shown("LogView");
    panel->SetOverallProgress(50.0f);
    panel->SetInstructionProgress(150.0f);
    EXPECT_FLOAT_EQ(panel->GetOverallBar()->GetValue(), 50.0f);
    EXPECT_FLOAT_EQ(panel->GetInstructionBar()->GetValue(), 100.0f);
    m_window->GetRoot()->RemoveChild(panel.Get());
}
