#pragma once

#include "ctrl/CtrlButton.h"
#include "ctrl/CtrlButtonStyle.h"
#include "ctrl/CtrlLabel.h"
#include "ctrl/ICtrlListener.h"
#include "engine/CInstallerVariable.h"
#include "foundation/VRef.h"
#include "foundation/VString.h"
#include "ui/IInstallerUIPanel.h"

#include <string>
#include <vector>

// The page kind "InstallLocationView": the folder to install into, chosen with a "Browse..." button that
// opens the platform's folder dialog. Next refuses a root, offers to create a missing folder and then
// writes the folder into the target variable, which the install sections read.
//
// Options, cut at "," and trimmed:
//   1 the target variable (declared in the script; its own variables expanded)
//   2 the stage name (default "Install location"), 3 the title, both expanded
//   4 the start path, or in registry mode the value name to read; 5 unused
//   6 "true", "True" or "TRUE" for registry mode
// Without all of pieces 4 to 6 the location starts empty. In path mode the start path "$..$" means the
// target variable's current value. In registry mode the value named by piece 4 is read under the key path
// that APPLICATION_REGISTRY holds; when nothing is stored there the target variable's current value is
// shown instead. Start paths that come from the script are shown with the platform's separators.
//
// Construction throws VException when there is no script, no target variable, or registry mode cannot
// find APPLICATION_REGISTRY.
//
// Unattended runs: the wizard driver calls Browse (the silent responder answers the folder dialog with
// the --location folder) or ChooseLocation with that folder, then presses Next as usual.
class CInstallLocationPanel : public IInstallerUIPanel, public VCtrl::ICtrlListener {
    V_DECLARE_CLASS(CInstallLocationPanel)
public:
    static constexpr int32_t kBrowseButtonId = 1000;
    static constexpr int32_t kLocationLabelId = 1;
    static constexpr int32_t kTitleLabelId = 0;
    static constexpr int32_t kSpaceLabelId = 2;
    // %s: the folder tried (the chosen one or the nearest one above it that exists), the system's reason.
    static constexpr const char* kNotWritableAlert =
        "The folder %s cannot be written to (%s).\nPlease choose another location to install to";

    static constexpr const char* kDefaultStageName = "Install location";
    static constexpr const char* kDialogTitle = "Please choose the installation location";
    static constexpr const char* kRootAlert =
        "This is root volume of a drive. You cannot install here. Please select a folder to install to";
    static constexpr const char* kCreateQuestion =
        "The folder you have selected to install to doesnt exist.\nWould you like to create this folder?";
    static constexpr const char* kCreateFailedAlert =
        "An error has occurred and we have been unable to create the disk folder.\nPlease check that you are "
        "able to write to the selected disk and that there is enough free space to create a folder";

    CInstallLocationPanel(const VFoundation::VString& options, CInstallScript* script,
                          VFoundation::VClass* record = nullptr);
    ~CInstallLocationPanel() override;

    // Shows the space the selected sections need beside the space free (the choice may have changed).
    bool PrepareToShow() override;
    bool PanelShown() override { return true; }
    // Refuses a root (alert), offers to create a missing folder (confirm; Cancel keeps the page), and on
    // success writes the folder into the target variable. A folder it creates is given to UNAME when the
    // script declares it and made writable, its whole tree; failures of those two are not reported.
    bool CanAdvance() override;
    VFoundation::VString GetStageName() override { return m_stageName; }

    // A press of the browse button runs Browse; other sources and event types are reported on the log.
    void HandleCtrlEvent(const VCtrl::CtrlEvent& event) override;

    // Asks the folder dialog (no owner, the dialog title) and shows the chosen folder; a cancelled dialog
    // changes nothing.
    void Browse();
    // Shows path as the chosen folder, as an answer of the folder dialog would; an empty path changes
    // nothing, a relative one is taken below the current folder.
    void ChooseLocation(const VFoundation::VString& path);

    const VFoundation::VString& GetLocation() const;
    CInstallerVariable* GetTargetVariable() const { return m_targetVariable.Get(); }
    // The folders Next made for a chosen location that did not exist, outermost first.
    const std::vector<std::string>& GetMadeFolders() const { return m_madeFolders; }
    VCtrl::CtrlButton* GetBrowseButton() const { return m_browseButton.Get(); }
    VCtrl::CtrlLabel* GetLocationLabel() const { return m_locationLabel.Get(); }
    VCtrl::CtrlLabel* GetTitleLabel() const { return m_titleLabel.Get(); }
    VCtrl::CtrlLabel* GetSpaceLabel() const { return m_spaceLabel.Get(); }

private:
    void ReadOptions(const VFoundation::VString& options);
    void ReadStartFromRegistry(const VFoundation::VString& valueName);
    void BuildButtonStyle();
    void ShowLocation(const VFoundation::VString& path);
    void UpdateSpace();

    VFoundation::VRef<VCtrl::CtrlButton> m_browseButton;
    VFoundation::VRef<VCtrl::CtrlLabel> m_locationLabel;
    VFoundation::VRef<VCtrl::CtrlLabel> m_titleLabel;
    VFoundation::VRef<VCtrl::CtrlLabel> m_spaceLabel;
    VFoundation::VString m_stageName;
    const VFoundation::VString m_dialogTitle;
    CInstallScript* m_script; // not owned
    VFoundation::VRef<CInstallerVariable> m_targetVariable;
    std::vector<std::string> m_madeFolders;
    VFoundation::VRef<VCtrl::CtrlButtonStyle> m_buttonStyle;
};
