#pragma once

#include "application/VApplication.h"
#include "ctrl/CtrlButton.h"
#include "ctrl/CtrlButtonStyle.h"
#include "ctrl/CtrlImageView.h"
#include "ctrl/CtrlListBox.h"
#include "ctrl/ICtrlListener.h"
#include "ctrl/VProgressBar.h"
#include "engine/CInstallLog.h"
#include "foundation/VImage.h"
#include "foundation/VObjectArrayTmpl.h"
#include "foundation/VRef.h"
#include "ui/IInstallerUIPanel.h"

#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

// The page kind "InstallProcessView": the page on which the installation runs. Two progress bars, fed by
// the main window's progress timer, and either a log view that receives every row of the install log, or
// a slideshow of the pictures of a folder; a toggle button switches between the two.
//
// Options: "LogView", or a picture folder (variables expanded) and the slide period in milliseconds
// (default 1000). A folder that does not exist gives the log view.
//
// Threads: AddLogLine is called on the installer thread and hands the row to the user-interface thread,
// where rows arrive in the order they were written. Rows written in a burst are gathered and added to the
// log view together, at most about kRowFlushesPerSecond times a second, so that a fast installation does
// not spend the user-interface thread on laying out rows nobody can read. Everything else runs on the
// user-interface thread.
class CInstallProcessPanel : public IInstallerUIPanel, public VCtrl::ICtrlListener, public ILogRowReceiver {
    V_DECLARE_CLASS(CInstallProcessPanel)
public:
    static constexpr int32_t kSlideshowTimerId = 8523;

    CInstallProcessPanel(const VFoundation::VString& options, CInstallScript* script,
                         VFoundation::VClass* record = nullptr);
    ~CInstallProcessPanel() override;

    bool PrepareToShow() override { return true; }
    bool PanelShown() override;
    bool CanAdvance() override { return true; }
    VFoundation::VString GetStageName() override { return VFoundation::VString(m_stageName.c_str()); }
    // The uninstall wizard names the stage after what it does; before the window asks for the name.
    void SetStageName(const char* name) { m_stageName = name; }

    void HandleCtrlEvent(const VCtrl::CtrlEvent& event) override;
    bool HandleTimer(int32_t timerId) override;
    void AddLogLine(const VFoundation::VString& text) override;
    // Adds the rows still gathered to the log view now (user-interface thread); the window calls it when
    // the installation ends.
    void FlushLogRows();
    static constexpr int kRowFlushesPerSecond = 30;

    void SetOverallProgress(float percent);
    void SetInstructionProgress(float percent);

    bool IsShowingSlideshow() const;
    int GetSlideCount() const { return m_slides.GetCount(); }
    int GetSlideIndex() const { return m_slideIndex; }
    int32_t GetSlidePeriod() const { return m_slidePeriod; }
    VCtrl::CtrlListBox* GetLogView() const { return m_logView.Get(); }
    VCtrl::VProgressBar* GetInstructionBar() const { return m_instructionBar.Get(); }
    VCtrl::VProgressBar* GetOverallBar() const { return m_overallBar.Get(); }
    VCtrl::CtrlImageView* GetSlideshowView() const { return m_slideshowView.Get(); }
    VCtrl::CtrlButton* GetToggleButton() const { return m_toggleButton.Get(); }

private:
    void ReadOptions(const VFoundation::VString& options, CInstallScript* script);
    void UseLogLayout();
    bool BuildSlideshow(const VFoundation::VString& folder);
    void Toggle();
    void StartSlideshowTimer();
    void StopSlideshowTimer();

    VFoundation::VRef<VCtrl::CtrlListBox> m_logView;
    VFoundation::VRef<VCtrl::VProgressBar> m_instructionBar;
    VFoundation::VRef<VCtrl::VProgressBar> m_overallBar;
    VFoundation::VRef<VCtrl::CtrlImageView> m_slideshowView;
    VFoundation::VRef<VCtrl::CtrlButton> m_toggleButton;
    VFoundation::VRef<VCtrl::CtrlButtonStyle> m_buttonStyle;
    VFoundation::VObjectArrayTmpl<VFoundation::VImage> m_slides;
    int32_t m_slideIndex = 0;
    int32_t m_slidePeriod = 1000;

    void FlushSoon();
    // Rows written on the installer thread and not yet in the log view.
    std::mutex m_rowGuard;
    std::vector<std::string> m_pendingRows;
    bool m_flushPosted = false;
    // User-interface thread only.
    std::chrono::steady_clock::time_point m_lastFlush{};
    VApplication::TimerId m_flushTimer = 0;
    std::string m_stageName = "Install";
};
