#include "ui/CUninstallerUI.h"

#include "engine/CInstallLog.h"
#include "engine/CInstallScript.h"
#include "engine/CUninstallScript.h"
#include "engine/CUninstaller.h"
#include "foundation/VClass.h"
#include "ui/CCompletionViewPanel.h"
#include "ui/CInstallProcessPanel.h"
#include "ui/CUninstallSummaryPanel.h"

using namespace VFoundation;

V_IMPLEMENT_ABSTRACT_CLASS(CUninstallerUI, CInstallerUI)

namespace {
const char* const kSummaryViewType = "UninstallView";
} // namespace

CUninstallerUI::CUninstallerUI(CInstallScript* pages, CUninstallScript* script, const VString& location)
    : CInstallerUI(pages, GetClassRecord()), m_uninstallScript(VRef<CUninstallScript>::Retained(script)),
      m_location(location) {}

CUninstallerUI::~CUninstallerUI() = default;

VRef<CInstallScript> CUninstallerUI::MakePagesScript(const CUninstallScript& script) {
    VRef<CInstallScript> pages = MakeRef<CInstallScript>();
    pages->DeclareVariable("APPLICATION_NAME", script.GetProductName().c_str());
    for (const auto& [type, argument] : {std::pair<const char*, const char*>{kSummaryViewType, ""},
                                         {"InstallProcessView", "LogView"},
                                         {"CompletionView", "Done"}})
        pages->GetPages().AddObject(MakeRef<CInstallerPage>(type, argument).Get());
    return pages;
}

VRef<IInstallerUIPanel> CUninstallerUI::MakePanel(const CInstallerPage& page) {
    if (page.GetViewType().IsEqual(kSummaryViewType))
        return MakeRef<CUninstallSummaryPanel>(*m_uninstallScript, m_location);
    VRef<IInstallerUIPanel> panel = CInstallerUI::MakePanel(page);
    if (auto* process = dynamic_cast<CInstallProcessPanel*>(panel.Get())) process->SetStageName("Uninstall");
    return panel;
}

VRef<VJob> CUninstallerUI::MakeInstallJob() {
    VRef<CInstallLog> log = CUninstaller::CreateUninstallLog(*m_uninstallScript, GetCurrentPanel());
    return MakeRef<CUninstaller>(this, m_uninstallScript.Get(), log.Get(), CUninstaller::Scope::WholeScript);
}

void CUninstallerUI::ShowResult(CCompletionViewPanel& panel) {
    panel.SetResultText(HasInstallSucceeded() ? kRemovedText : kNotRemovedText);
}

void CUninstallerUI::ButtonsUpdated() {
    if (GetCurrentPageIndex() + 1 == GetProcessPageIndex()) GetNextButton()->SetText("Uninstall");
}
