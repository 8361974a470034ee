#include "ui/CUninstallSummaryPanel.h"

#include "engine/CInstallLog.h"
#include "engine/CUninstallScript.h"
#include "foundation/VClass.h"

#include <string>

using VCtrl::VRect;
using VFoundation::MakeRef;
using VFoundation::VString;

V_IMPLEMENT_ABSTRACT_CLASS(CUninstallSummaryPanel, IInstallerUIPanel)

namespace {

const char* KindName(int kind) {
    switch (kind) {
    case UninstallFile:
        return "File";
    case UninstallFolder:
        return "Folder";
    case UninstallRegistry:
        return "Registry value";
    case UninstallShared:
        return "Shared file (kept)";
    case UninstallRegisterDLL:
        return "Registered library";
    default:
        return "Unreadable entry";
    }
}

} // namespace

CUninstallSummaryPanel::CUninstallSummaryPanel(const CUninstallScript& script, const VString& location,
                                               VFoundation::VClass* record)
    : IInstallerUIPanel(nullptr, record ? record : GetClassRecord()) {
    const std::string& product = script.GetProductName();
    const auto titleStyle = MakeTitleStyle();
    m_titleLabel = AddLabel(0, VRect{10, 15, 450, 25}, titleStyle.Get(), ("Remove " + product).c_str());
    const size_t count = script.GetRemainingCount();
    const std::string countText = std::to_string(count) + (count == 1 ? " entry" : " entries") +
                                  " of the installation will be removed, newest first.";
    m_countLabel = AddLabel(1, VRect{10, 43, 450, 20}, nullptr, countText.c_str());
    m_locationLabel = AddLabel(2, VRect{10, 63, 450, 20}, nullptr,
                               (std::string("Install location: ") + location.GetText()).c_str());
    m_entryView = MakeRef<VCtrl::CtrlListBox>();
    m_entryView->Create(3, VRect{10, 88, 450, 226}, this, nullptr);
    const auto& entries = script.GetEntries();
    for (size_t index = entries.size(); index-- > 0;) {
        if (entries[index].done) continue;
        const std::string row = std::string(KindName(entries[index].kind)) + ": " +
                                (entries[index].kind == CUninstallScript::kUnreadable ? entries[index].line
                                                                                      : entries[index].text);
        m_entryView->AddRow(CInstallLog::EscapeRowText(VString(row.c_str())).GetText());
    }
    // The list reads from the first entry to go.
    m_entryView->ScrollToRow(0);
    m_footerLabel = AddLabel(4, VRect{10, 324, 450, 25}, nullptr,
                             ("Click Uninstall to remove " + product + ", or Cancel to keep it.").c_str());
}

CUninstallSummaryPanel::~CUninstallSummaryPanel() = default;
