#pragma once

#include "ctrl/CtrlLabel.h"
#include "ctrl/CtrlListBox.h"
#include "foundation/VRef.h"
#include "foundation/VString.h"
#include "ui/IInstallerUIPanel.h"

// The page kind "DocumentView": a text file (welcome, read-me) shown in a list box under a title and a
// subtitle, with a footer below.
//
// Options: stage name, title, subtitle, footer, document file. The stage name is taken as written (trimmed);
// the other pieces have the script's variables expanded. A document file that does not exist leaves the
// view empty. Options without any piece are refused with a VException.
class CDocumentViewPanel : public IInstallerUIPanel {
    V_DECLARE_CLASS(CDocumentViewPanel)
public:
    CDocumentViewPanel(const VFoundation::VString& options, CInstallScript* script,
                       VFoundation::VClass* record = nullptr);
    ~CDocumentViewPanel() override;

    bool PrepareToShow() override { return true; }
    bool PanelShown() override { return true; }
    bool CanAdvance() override { return true; }
    VFoundation::VString GetStageName() override { return m_stageName; }

    VCtrl::CtrlLabel* GetTitleLabel() const { return m_titleLabel.Get(); }
    VCtrl::CtrlLabel* GetSubtitleLabel() const { return m_subtitleLabel.Get(); }
    VCtrl::CtrlLabel* GetFooterLabel() const { return m_footerLabel.Get(); }
    VCtrl::CtrlListBox* GetDocumentView() const { return m_documentView.Get(); }

private:
    VFoundation::VRef<VCtrl::CtrlLabel> m_titleLabel;
    VFoundation::VRef<VCtrl::CtrlLabel> m_subtitleLabel;
    VFoundation::VRef<VCtrl::CtrlLabel> m_footerLabel;
    VFoundation::VRef<VCtrl::CtrlListBox> m_documentView;
    VFoundation::VString m_stageName;
};
