#pragma once

#include "foundation/VRef.h"
#include "foundation/VString.h"
#include "ui/CInstallerUI.h"

class CUninstallScript;

// The uninstall wizard: the main window on a script of three pages made for it (what will be removed,
// the install process page with its log view, the completion page). Its install step removes what the
// uninstall script lists, on the window's job server as an installation runs there.
class CUninstallerUI : public CInstallerUI {
    V_DECLARE_CLASS(CUninstallerUI)
public:
    static constexpr const char* kRemovedText = "Uninstallation has completed successfully";
    static constexpr const char* kNotRemovedText =
        "Uninstallation was aborted or failed. Details are in the uninstall log";

    // pages: a script made by MakePagesScript; location: what the first page names as install location.
    CUninstallerUI(CInstallScript* pages, CUninstallScript* script, const VFoundation::VString& location);
    ~CUninstallerUI() override;

    // A script holding the uninstall wizard's pages and the product's name (for the window and the
    // skin's folder variables). The caller releases it.
    static VFoundation::VRef<CInstallScript> MakePagesScript(const CUninstallScript& script);

protected:
    VFoundation::VRef<IInstallerUIPanel> MakePanel(const CInstallerPage& page) override;
    VFoundation::VRef<VFoundation::VJob> MakeInstallJob() override;
    void ShowResult(CCompletionViewPanel& panel) override;
    // Next on the first page starts the removal.
    void ButtonsUpdated() override;

private:
    VFoundation::VRef<CUninstallScript> m_uninstallScript;
    VFoundation::VString m_location;
};
