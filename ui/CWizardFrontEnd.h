#pragma once

#include "engine/CProgramEntry.h"

class CInstallerUI;

// The wizard as the program's front end: the main window on the desktop's backends, or on the headless
// ones driven page by page for unattended runs.
class CWizardFrontEnd : public IInstallerFrontEnd {
public:
    CWizardFrontEnd(int argc, char** argv) : m_argc(argc), m_argv(argv) {}

    bool Start(const CProgramOptions& options, bool headless) override;
    int Run(CInstallScript& script, const CProgramOptions& options) override;
    int RunUninstall(CUninstallScript& script, const CProgramOptions& options) override;
    void Stop() override;

private:
    // Shows window with the title, drives it when headless and runs the message loop.
    int RunWindow(CInstallerUI& window, const char* title, const CProgramOptions& options, bool preRun);

    int m_argc;
    char** m_argv;
    bool m_headless = true;
};
