#pragma once

#include "ctrl/CtrlLabel.h"
#include "foundation/VRef.h"
#include "foundation/VString.h"
#include "ui/IInstallerUIPanel.h"

#include <cstdint>

// The page kind "CompletionView", always the last page: says whether the installation succeeded. The main
// window calls SetResult when the page becomes current; until then the result label shows one blank.
// The options are ignored.
class CCompletionViewPanel : public IInstallerUIPanel {
    V_DECLARE_CLASS(CCompletionViewPanel)
public:
    static constexpr const char* kSucceededText = "Installation has completed sucessfully";
    static constexpr const char* kFailedText =
        "Installation was either aborted or failed. More details can be found in the log file";
    static constexpr const char* kErrorsText =
        "Installation finished with errors: %u steps failed. More details can be found in the log file";

    CCompletionViewPanel(const VFoundation::VString& options, CInstallScript* script,
                         VFoundation::VClass* record = nullptr);
    ~CCompletionViewPanel() override;

    bool PrepareToShow() override { return true; }
    bool PanelShown() override { return true; }
    bool CanAdvance() override { return true; }
    VFoundation::VString GetStageName() override { return VFoundation::VString("Complete"); }

    void SetResult(bool succeeded);
    // Another end: an installation rolled back, or an uninstall.
    static constexpr const char* kRolledBackText =
        "The installation was cancelled and the changes it made were undone.";
    void SetResultText(const char* text);
    // The result with what the user needs to follow it up: a run that wrote failure or exception rows
    // finished with errors, and every result short of success names the install log's path (when known).
    void SetResult(bool succeeded, uint32_t failedRows, const VFoundation::VString& logPath);
    // The installation could not start: a failed installation, with the reason.
    void SetStartFailure(const VFoundation::VString& reason);

    VCtrl::CtrlLabel* GetResultLabel() const { return m_resultLabel.Get(); }

private:
    VFoundation::VRef<VCtrl::CtrlLabel> m_resultLabel;
};
