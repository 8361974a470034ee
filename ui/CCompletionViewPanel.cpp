#include "ui/CCompletionViewPanel.h"

#include "foundation/VClass.h"

V_IMPLEMENT_ABSTRACT_CLASS(CCompletionViewPanel, IInstallerUIPanel)

CCompletionViewPanel::CCompletionViewPanel(const VFoundation::VString&, CInstallScript*,
                                           VFoundation::VClass* record)
    : IInstallerUIPanel(nullptr, record ? record : GetClassRecord()) {
    // The plain face: the longer of the two results only just fits the label's width in it.
    m_resultLabel = AddLabel(0, VCtrl::VRect{10, 15, 450, 25}, nullptr, " ");
}

CCompletionViewPanel::~CCompletionViewPanel() = default;

void CCompletionViewPanel::SetResult(bool succeeded) {
    if (!m_resultLabel) return;
    m_resultLabel->SetText(succeeded ? kSucceededText : kFailedText);
    m_resultLabel->Redraw();
}

void CCompletionViewPanel::SetResultText(const char* text) {
    if (!m_resultLabel) return;
    m_resultLabel->SetText(text);
    m_resultLabel->Redraw();
}
