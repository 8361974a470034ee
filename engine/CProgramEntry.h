#pragma once

#include <string>
#include <utility>
#include <vector>

namespace VFoundation {
class VString;
}

// What the command line asks for. With no options the program finds the script beside it and shows
// the wizard.
struct CProgramOptions {
    bool silent = false;
    bool acceptLicence = false;
    bool confirmAnswer = true;
    bool help = false;
    bool version = false;
    std::string medium;
    std::string location;
    std::string screenshots;
    std::string registry;
    std::vector<std::pair<std::string, std::string>> variables;

    // Uninstalling and listing installed products.
    std::string uninstall; // --uninstall FILE.kus|NAME
    bool list = false;
    bool rollback = false;
    // Checking a script without installing it; checkFile is empty when the medium's script is meant.
    bool check = false;
    std::string checkFile;
    bool werror = false;
    // Decoders for sample libraries: 0 when neither --jobs nor KIS_JOBS chose a number.
    int jobs = 0;
    bool progress = false;
    // The diagnostic log: suppressed, or written to a file instead of standard error.
    bool quiet = false;
    std::string diagnostics;

    // Reads argv; false (with message) for an unknown option, a missing or malformed value. KIS_JOBS
    // is read too; --jobs wins over it.
    bool Parse(int argc, const char* const* argv, std::string& message);
    // The largest number of decoders --jobs and KIS_JOBS accept.
    static constexpr int kMaxJobs = 16;
    static const char* Usage();
};

class CInstallScript;
class CUninstallScript;

// What shows the installation: the wizard window. The engine runs a script unattended without one.
// Called on the user-interface thread, in this order.
class IInstallerFrontEnd {
public:
    virtual ~IInstallerFrontEnd() = default;
    // Starts the toolkit and chooses the backends: headless when asked, else the desktop's. False when
    // no display can be had.
    virtual bool Start(const CProgramOptions& options, bool headless) = 0;
    // Opens the window on the parsed script, runs the pre-run list and the message loop, and tells the user
    // to restart when an instruction asked for it. Returns the exit code.
    virtual int Run(CInstallScript& script, const CProgramOptions& options) = 0;
    // Shows the uninstall wizard for the script, removes the product and returns the exit code: 0 when
    // everything was removed, 1 when something failed or the user aborted.
    virtual int RunUninstall(CUninstallScript& script, const CProgramOptions& options) = 0;
    virtual void Stop() = 0;
};

// The program: starts the libraries, finds and parses the install script, runs it and stops the
// libraries again. Returns the exit code: the message loop's code, in silent mode 0 for a successful
// installation, 1 for an aborted or stopped one, 2 when a page refused to go on and 3 when it ran to its
// end with failed steps or an incomplete install record, and 255 for every start-up failure.
class CProgramEntry {
public:
    static constexpr int kStartupFailure = 255;

    // Without a front end the program installs only unattended.
    explicit CProgramEntry(IInstallerFrontEnd* frontEnd = nullptr) : m_frontEnd(frontEnd) {}

    int Run(int argc, const char* const* argv);

    // Finds the install script below base folder by the four tries, else asks for one.
    static bool LocateInstallScript(const VFoundation::VString& baseFolder, VFoundation::VString& scriptPath);
    // The four tries of LocateInstallScript, without asking.
    static bool FindInstallScript(const VFoundation::VString& baseFolder, VFoundation::VString& scriptPath);

private:
    int RunScript(const CProgramOptions& options);
    // --check: reports the script's problems on standard output; installs, shows and writes nothing.
    int RunCheck(const CProgramOptions& options);
    int ListProducts(const CProgramOptions& options);
    int RunWithDiagnostics(const CProgramOptions& options);

    IInstallerFrontEnd* m_frontEnd;
};
