#pragma once

#include "ctrl/CtrlButton.h"
#include "ctrl/CtrlLabel.h"
#include "ctrl/CtrlListBox.h"
#include "ctrl/ICtrlListener.h"
#include "foundation/VRef.h"
#include "foundation/VString.h"
#include "ui/IInstallerUIPanel.h"

// The page kind "LicenceView": the licence text in a list box and an agreement box that the user ticks by
// clicking the agreement label beside it. Next is refused, with an alert that says why, until the box is
// ticked.
//
// Options: the licence file path is the options text up to its first "," (untrimmed), with the script's
// variables expanded. When the script declares CWD_FOLDER, the box is drawn with the pictures "Off.tga" and
// "On.tga" of Installer/Resources below that folder; without them it is a plain box, filled when ticked.
//
// Constructing the panel sets the list boxes' shared drawing colour to opaque white.
class CLicenceViewPanel : public IInstallerUIPanel, public VCtrl::ICtrlListener {
    V_DECLARE_CLASS(CLicenceViewPanel)
public:
    CLicenceViewPanel(const VFoundation::VString& options, CInstallScript* script,
                      VFoundation::VClass* record = nullptr);
    ~CLicenceViewPanel() override;

    bool PrepareToShow() override { return true; }
    bool PanelShown() override { return true; }
    // True when the agreement box is ticked; otherwise shows the alert and answers false.
    bool CanAdvance() override;
    VFoundation::VString GetStageName() override { return VFoundation::VString("Licence Agreement"); }

    // A mouse press on the agreement label flips the agreement box.
    void HandleCtrlEvent(const VCtrl::CtrlEvent& event) override;

    bool IsAgreed() const { return m_agreementBox && m_agreementBox->GetValue(); }
    VCtrl::CtrlLabel* GetTitleLabel() const { return m_titleLabel.Get(); }
    VCtrl::CtrlLabel* GetAgreementLabel() const { return m_agreementLabel.Get(); }
    VCtrl::CtrlListBox* GetLicenceView() const { return m_licenceView.Get(); }
    VCtrl::CtrlButton* GetAgreementBox() const { return m_agreementBox.Get(); }

    static constexpr const char* kNotAgreedAlert =
        "To continue the installation you must agree to the terms and conditions detailed on the licence "
        "page\n\nPlease click the check box to agree then click the 'next' button again to continue";

private:
    VFoundation::VRef<VCtrl::CtrlLabel> m_titleLabel;
    VFoundation::VRef<VCtrl::CtrlLabel> m_agreementLabel;
    VFoundation::VRef<VCtrl::CtrlListBox> m_licenceView;
    VFoundation::VRef<VCtrl::CtrlButton> m_agreementBox;
};
