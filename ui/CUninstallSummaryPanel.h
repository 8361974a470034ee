#pragma once

#include "ctrl/CtrlLabel.h"
#include "ctrl/CtrlListBox.h"
#include "foundation/VRef.h"
#include "foundation/VString.h"
#include "ui/IInstallerUIPanel.h"

class CUninstallScript;

// The first page of the uninstall wizard: what will be removed. It names the product, the number of
// entries and the install location, and lists the entries in the order they will be removed.
class CUninstallSummaryPanel : public IInstallerUIPanel {
    V_DECLARE_CLASS(CUninstallSummaryPanel)
public:
    // location: the recorded install location, or the folder of the uninstall script.
    CUninstallSummaryPanel(const CUninstallScript& script, const VFoundation::VString& location,
                           VFoundation::VClass* record = nullptr);
    ~CUninstallSummaryPanel() override;

    bool PrepareToShow() override { return true; }
    bool PanelShown() override { return true; }
    bool CanAdvance() override { return true; }
    VFoundation::VString GetStageName() override { return VFoundation::VString("Remove"); }

    VCtrl::CtrlLabel* GetTitleLabel() const { return m_titleLabel.Get(); }
    VCtrl::CtrlLabel* GetCountLabel() const { return m_countLabel.Get(); }
    VCtrl::CtrlLabel* GetLocationLabel() const { return m_locationLabel.Get(); }
    VCtrl::CtrlListBox* GetEntryView() const { return m_entryView.Get(); }

private:
    VFoundation::VRef<VCtrl::CtrlLabel> m_titleLabel;
    VFoundation::VRef<VCtrl::CtrlLabel> m_countLabel;
    VFoundation::VRef<VCtrl::CtrlLabel> m_locationLabel;
    VFoundation::VRef<VCtrl::CtrlListBox> m_entryView;
    VFoundation::VRef<VCtrl::CtrlLabel> m_footerLabel;
};
