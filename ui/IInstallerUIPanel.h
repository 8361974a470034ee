#pragma once

#include "ctrl/Ctrl.h"
#include "ctrl/CtrlLabel.h"
#include "ctrl/CtrlStyle.h"
#include "foundation/VRef.h"
#include "foundation/VString.h"

#include <vector>

class CInstallScript;

// A wizard page: a control of kPanelWidth x kPanelHeight that the main window shows in its panel area
// while the page is current.
//
// Contract with the main window (all on the user-interface thread):
// - PrepareToShow is asked before the panel is attached after Back or Next, and for the first page; false
//   leaves the panel current but not attached.
// - PanelShown follows right after the attachment; its result is ignored.
// - CanAdvance is asked when Next is pressed on the panel's page; a panel that answers false has told the
//   user why itself.
// - GetStageName is asked once while the panels are built; the stage display lists it.
// The window creates the panel on its root with the id 1000 and the frame (130, 0, 470, 360) and detaches
// it again when another page becomes current; the panel keeps its child controls meanwhile.
//
// Panel kinds are constructed with the page's options text and the install script (which may be absent);
// they build and lay out their children in the constructor, in their own coordinates inside
// (0, 0, 470, 360), and throw VException when they cannot work with their options.
class IInstallerUIPanel : public VCtrl::Ctrl {
    V_DECLARE_CLASS(IInstallerUIPanel)
public:
    static constexpr int kPanelWidth = 470;
    static constexpr int kPanelHeight = 360;

    explicit IInstallerUIPanel(VCtrl::CtrlStyle* style = nullptr, VFoundation::VClass* record = nullptr);
    ~IInstallerUIPanel() override;

    virtual bool PrepareToShow() = 0;
    virtual bool PanelShown() = 0;
    virtual bool CanAdvance() = 0;
    virtual VFoundation::VString GetStageName() = 0;

protected:
    // The options text cut at each ",", every piece trimmed; empty pieces are kept.
    static std::vector<VFoundation::VString> SplitOptions(const VFoundation::VString& options);
    // Expands the script variables named in text when there is a script.
    static void ExpandVariables(VFoundation::VString& text, const CInstallScript* script);
    // A piece that names a file: expanded, and its separators made the platform's.
    static void MakeFilePath(VFoundation::VString& path, const CInstallScript* script);
    static bool IsExistingFile(const VFoundation::VString& path);
    // The folder "Installer/Resources" below the value of CWD_FOLDER; false when the script is absent or
    // does not declare it.
    static bool GetResourcesFolder(const CInstallScript* script, VFoundation::VString& out);
    // A new label on this panel at frame, not taking mouse input, drawn in style (none: plain black).
    VFoundation::VRef<VCtrl::CtrlLabel> AddLabel(int32_t id, const VCtrl::VRect& frame,
                                                 VCtrl::CtrlStyle* style, const char* text = nullptr);
    // The look of page titles, shared by the panels: a larger bold face.
    static VFoundation::VRef<VCtrl::CtrlStyle> MakeTitleStyle();
};
