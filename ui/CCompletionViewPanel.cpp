#include "ui/CCompletionViewPanel.h"

#include "foundation/VClass.h"

#include <cstdio>

V_IMPLEMENT_ABSTRACT_CLASS(CCompletionViewPanel, IInstallerUIPanel)

CCompletionViewPanel::CCompletionViewPanel(const VFoundation::VString&, CInstallScript*,
                                           VFoundation::VClass* record)
    : IInstallerUIPanel(nullptr, record ? record : GetClassRecord()) {
    // The result wraps below the page head: it may name a long log path or a reason.
    m_resultLabel = AddLabel(0, VCtrl::VRect{10, 15, 450, 330}, nullptr, " ");
    m_resultLabel->SetWrapsText(true);
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

namespace {

VFoundation::VString WithLogPath(const char* text, const VFoundation::VString& logPath) {
    VFoundation::VString result(text);
    if (!logPath.IsEmpty()) {
        result.Append(":\n");
        result.Append(logPath);
    }
    return result;
}

} // namespace

void CCompletionViewPanel::SetResult(bool succeeded, uint32_t failedRows,
                                     const VFoundation::VString& logPath) {
    if (!m_resultLabel) return;
    if (succeeded && failedRows == 0) {
        SetResult(true);
        return;
    }
    char errors[160];
    std::snprintf(errors, sizeof errors, kErrorsText, failedRows);
    m_resultLabel->SetText(WithLogPath(succeeded ? errors : kFailedText, logPath).GetText());
    m_resultLabel->Redraw();
}

void CCompletionViewPanel::SetStartFailure(const VFoundation::VString& reason) {
    if (!m_resultLabel) return;
    VFoundation::VString text(kFailedText);
    text.Append(".\n\nThe installation could not start:\n");
    text.Append(reason);
    m_resultLabel->SetText(text.GetText());
    m_resultLabel->Redraw();
}
