#include "ui/CWizardFrontEnd.h"

#include "application/BackendFactory.h"
#include "application/VApplication.h"
#include "ctrl/CWindowAttributes.h"
#include "ctrl/IWindowBackend.h"
#include "ctrl/VCtrl.h"
#include "engine/CInstallScript.h"
#include "engine/CInstalledProducts.h"
#include "engine/CUninstallScript.h"
#include "engine/ISplashScreenPresenter.h"
#include "foundation/VException.h"
#include "foundation/VFileManager.h"
#include "foundation/VRef.h"
#include "ui/CInstallerSplashScreen.h"
#include "ui/CInstallerUI.h"
#include "ui/CPageScreenshots.h"
#include "ui/CSilentWizardDriver.h"
#include "ui/CUninstallerUI.h"

using namespace VFoundation;

bool CWizardFrontEnd::Start(const CProgramOptions&, bool headless) {
    VCtrl::InitializeLibrary();
    m_headless = headless;
    if (headless) {
        VCtrl::SetWindowBackend(VCtrl::MakeHeadlessWindowBackend());
    } else {
        std::shared_ptr<VApplication::IApplicationBackend> desktop =
            VApplication::MakeDesktopBackend(m_argc, m_argv);
        std::shared_ptr<VCtrl::IWindowBackend> windows =
            desktop ? VCtrl::MakeDesktopWindowBackend() : nullptr;
        if (!desktop || !windows) return false;
        VApplication::SetBackend(desktop);
        VCtrl::SetWindowBackend(windows);
    }
    ISplashScreenPresenter::SetPresenter(&CInstallerSplashScreen::Presenter());
    return true;
}

int CWizardFrontEnd::Run(CInstallScript& script, const CProgramOptions& options) {
    const CInstallerVariable* name = script.FindVariable("APPLICATION_NAME");
    VString title(name ? name->GetValue().GetText() : "KIS");
    title.Append(" Installer");
    VRef<CInstallerUI> window = MakeRef<CInstallerUI>(&script);
    return RunWindow(*window, title.GetText(), options, true);
}

int CWizardFrontEnd::RunUninstall(CUninstallScript& script, const CProgramOptions& options) {
    VString title(script.GetProductName().c_str());
    title.Append(" Uninstaller");
    // The first page names the recorded install location when the record belongs to this script.
    VString location(script.GetFolder().c_str());
    CInstalledProducts::Product product;
    if (CInstalledProducts::Find(script.GetProductName().c_str(), product) &&
        product.Get("UninstallScript") == script.GetPath() && !product.Get("InstallLocation").empty())
        location.Assign(product.Get("InstallLocation").c_str());
    VRef<CInstallScript> pages = CUninstallerUI::MakePagesScript(script);
    VRef<CUninstallerUI> window = MakeRef<CUninstallerUI>(pages.Get(), &script, location);
    const int code = RunWindow(*window, title.GetText(), options, false);
    if (code == CProgramEntry::kStartupFailure) return code;
    return window->HasInstallSucceeded() ? 0 : 1;
}

int CWizardFrontEnd::RunWindow(CInstallerUI& window, const char* title, const CProgramOptions& options,
                               bool preRun) {
    VCtrl::CWindowAttributes attributes(title, VCtrl::CWindowAttributes::kKindFixedMinimisable,
                                        VCtrl::VRect{0, 0, 600, 400});
    VString icon = VApplication::GetModulePath();
    icon.RemoveLastPathComponent();
    icon.AppendPathComponent("Installer");
    icon.AppendPathComponent("Icon.ico");
    if (VFileManager::Instance()->FileExistsAtPath(icon.GetText()))
        attributes.icon = VApplication::GetIcon(icon.GetText(), 0);

    window.CreateWindow(attributes);
    CInstallerUI::SetMainWindow(&window);
    if (preRun && window.GetScript()) window.GetScript()->RunPreRun();
    if (!CInstallerSplashScreen::IsAnyShowing()) window.Show();

    std::unique_ptr<CSilentWizardDriver> driver;
    std::unique_ptr<CPageScreenshots> screenshots;
    if (m_headless) {
        driver = std::make_unique<CSilentWizardDriver>(window, options);
        driver->Start();
    } else if (!options.screenshots.empty()) {
        screenshots = std::make_unique<CPageScreenshots>(window, options.screenshots);
        screenshots->Prepare();
        screenshots->Watch();
    }
    const int code = VApplication::RunMessageLoop();
    if (window.IsRebootNeeded()) VApplication::AlertText("Please now reboot your computer!");
    CInstallerUI::SetMainWindow(nullptr);
    if (driver && driver->HasError()) {
        const VException error(driver->GetError());
        driver.reset();
        throw error;
    }
    return code;
}

void CWizardFrontEnd::Stop() {
    ISplashScreenPresenter::SetPresenter(nullptr);
    VCtrl::SetWindowBackend(nullptr);
    VCtrl::UninitializeLibrary();
}
