#include "ui/CDocumentViewPanel.h"

#include "ctrl/CtrlStyle.h"
#include "foundation/VClass.h"
#include "foundation/VException.h"

using VCtrl::VRect;
using VFoundation::MakeRef;
using VFoundation::VString;

V_IMPLEMENT_ABSTRACT_CLASS(CDocumentViewPanel, IInstallerUIPanel)

CDocumentViewPanel::CDocumentViewPanel(const VString& options, CInstallScript* script,
                                       VFoundation::VClass* record)
    : IInstallerUIPanel(nullptr, record ? record : GetClassRecord()), m_stageName("Welcome") {
    const auto titleStyle = MakeTitleStyle();
    m_titleLabel = AddLabel(0, VRect{10, 15, 450, 25}, titleStyle.Get());
    m_subtitleLabel = AddLabel(1, VRect{10, 43, 450, 25}, nullptr);
    m_footerLabel = AddLabel(2, VRect{10, 324, 450, 25}, nullptr);
    m_documentView = MakeRef<VCtrl::CtrlListBox>();
    m_documentView->Create(3, VRect{10, 78, 450, 236}, this, nullptr);

    const std::vector<VString> pieces = SplitOptions(options);
    if (pieces.empty())
        throw VFoundation::VException(0, this,
                                      "DocumentViewPanels must have at least a title in their options");

    m_stageName = pieces[0];
    VCtrl::CtrlLabel* const labels[] = {m_titleLabel.Get(), m_subtitleLabel.Get(), m_footerLabel.Get()};
    for (size_t i = 1; i < pieces.size() && i <= 4; ++i) {
        VString piece = pieces[i];
        if (i <= 3) {
            ExpandVariables(piece, script);
            labels[i - 1]->SetText(piece.GetText());
            labels[i - 1]->Redraw();
        } else {
            MakeFilePath(piece, script);
            if (IsExistingFile(piece)) m_documentView->FillFromFile(piece.GetText());
        }
    }
}

CDocumentViewPanel::~CDocumentViewPanel() = default;
