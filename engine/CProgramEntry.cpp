#include "engine/CProgramEntry.h"

#include "application/VApplication.h"
#include "application/VRegistry.h"
#include "application/platform/headless/HeadlessBackend.h"
#include "application/platform/headless/HeadlessResponder.h"
#include "engine/CInstallScript.h"
#include "engine/CUnattendedInstallation.h"
#include "foundation/VException.h"
#include "foundation/VFileManager.h"
#include "foundation/VFoundation.h"
#include "foundation/VLog.h"
#include "foundation/VRef.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

using namespace VFoundation;

namespace {

const char* const kVersion = "kis-installer 0.1.0";

const char* const kUsage =
    "Usage: kis-installer [options]\n"
    "\n"
    "Without options the program finds Installer/InstallScript.kis beside itself and shows the wizard.\n"
    "\n"
    "  --medium DIR          behave as if the program file lay in DIR\n"
    "  --silent              install unattended, accepting the defaults\n"
    "  --accept-licence      silent mode: agree to the licence\n"
    "  --location DIR        silent mode: install into DIR\n"
    "  --set NAME=VALUE      set or declare a script variable after parsing (repeatable)\n"
    "  --confirm yes|no      silent mode: the answer to every confirm box (default yes)\n"
    "  --screenshots DIR     save a picture of each page as it is shown\n"
    "  --registry FILE       the settings store file\n"
    "  --uninstall FILE|NAME remove an installed product by its uninstall script or name\n"
    "  --list                list the installed products\n"
    "  --rollback            undo the changes of an installation that is aborted\n"
    "  --check [FILE]        report every problem of the script, install nothing\n"
    "  --werror              with --check: treat warnings as errors\n"
    "  --jobs N              decode sample libraries with N workers (1 to 16; also KIS_JOBS)\n"
    "  --progress            silent mode: print progress lines on standard error\n"
    "  --quiet               no diagnostic log on standard error\n"
    "  --diagnostics FILE    write the diagnostic log to FILE\n"
    "  --help, --version\n"
    "\n"
    "Exit codes: 0 success, 1 installation aborted or stopped (silent), 2 a page refused to go on\n"
    "(silent), 3 installed with failed steps (silent), 255 start-up failure.\n";

// The file names of the joined paths use the native separator; "Installer/InstallScript.kis" is written
// with slashes and made native, as a script path is.
VString Joined(const VString& base, const char* relative) {
    VString path(base);
    path.AppendPathComponent(relative);
    VFileManager::MakeNativePath(path);
    return path;
}

bool FirstScriptIn(const VString& folder, VString& scriptPath) {
    VRef<VFileInfoArray> entries =
        VFileManager::Instance()->DirectoryContentsAtPath(folder.GetText(), "kis", true, true);
    if (!entries || entries->GetCount() == 0) return false;
    scriptPath.Assign(entries->GetObjectAtIndex(0)->GetName());
    return true;
}

void StopLibraries() {
    VFileManager::ReleaseLogicalDriveRoots();
    VApplication::UninitializeLibrary();
    VFoundation::UninitilizeLibrary(false);
}

} // namespace

// A decoder count from the command line or the environment: a whole number from 1 to kMaxJobs.
static bool ParseJobs(const char* text, const char* source, int& jobs, std::string& message) {
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    if (*text == '\0' || *end != '\0' || value < 1 || value > CProgramOptions::kMaxJobs) {
        message = std::string("kis-installer: ") + source + " takes a whole number from 1 to " +
                  std::to_string(CProgramOptions::kMaxJobs) + ", not \"" + text + "\"";
        return false;
    }
    jobs = static_cast<int>(value);
    return true;
}

bool CProgramOptions::Parse(int argc, const char* const* argv, std::string& message) {
    bool jobsGiven = false;
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= argc) {
                message = "kis-installer: " + option + " needs a value";
                return false;
            }
            out = argv[++i];
            return true;
        };
        if (option == "--silent") {
            silent = true;
        } else if (option == "--accept-licence") {
            acceptLicence = true;
        } else if (option == "--help" || option == "-h") {
            help = true;
        } else if (option == "--version") {
            version = true;
        } else if (option == "--medium") {
            if (!value(medium)) return false;
        } else if (option == "--location") {
            if (!value(location)) return false;
        } else if (option == "--screenshots") {
            if (!value(screenshots)) return false;
        } else if (option == "--registry") {
            if (!value(registry)) return false;
        } else if (option == "--confirm") {
            std::string answer;
            if (!value(answer)) return false;
            if (answer != "yes" && answer != "no") {
                message = "kis-installer: --confirm takes yes or no";
                return false;
            }
            confirmAnswer = answer == "yes";
        } else if (option == "--set") {
            std::string assignment;
            if (!value(assignment)) return false;
            const size_t equals = assignment.find('=');
            if (equals == 0 || equals == std::string::npos) {
                message = "kis-installer: --set takes NAME=VALUE";
                return false;
            }
            variables.emplace_back(assignment.substr(0, equals), assignment.substr(equals + 1));
        } else if (option == "--uninstall") {
            if (!value(uninstall)) return false;
        } else if (option == "--list") {
            list = true;
        } else if (option == "--rollback") {
            rollback = true;
        } else if (option == "--check") {
            check = true;
            if (i + 1 < argc && std::strncmp(argv[i + 1], "--", 2) != 0) checkFile = argv[++i];
        } else if (option == "--werror") {
            werror = true;
        } else if (option == "--jobs") {
            std::string count;
            if (!value(count) || !ParseJobs(count.c_str(), "--jobs", jobs, message)) return false;
            jobsGiven = true;
        } else if (option == "--progress") {
            progress = true;
        } else if (option == "--quiet") {
            quiet = true;
        } else if (option == "--diagnostics") {
            if (!value(diagnostics)) return false;
        } else {
            message = "kis-installer: unknown option " + option;
            return false;
        }
    }
    if (!jobsGiven) {
        const char* environment = std::getenv("KIS_JOBS");
        if (environment && !ParseJobs(environment, "KIS_JOBS", jobs, message)) return false;
    }
    return true;
}

const char* CProgramOptions::Usage() {
    return kUsage;
}

bool CProgramEntry::LocateInstallScript(const VString& baseFolder, VString& scriptPath) {
    VFileManager* files = VFileManager::Instance();
    const VString standard = Joined(baseFolder, "Installer/InstallScript.kis");
    if (files->FileExistsAtPath(standard.GetText())) {
        scriptPath.Assign(standard);
        return true;
    }
    if (FirstScriptIn(Joined(baseFolder, "Installer"), scriptPath)) return true;
    const VString beside = Joined(baseFolder, "InstallScript.kis");
    if (files->FileExistsAtPath(beside.GetText())) {
        scriptPath.Assign(beside);
        return true;
    }
    if (FirstScriptIn(baseFolder, scriptPath)) return true;

    VApplication::AlertText(
        "Unable to automatically locate the InstallScript.\n This file should normally be located in\n"
        "CWD/Installer/InstallScript.kis\nPlease find the file required.");
    static const char kFilter[] = "Installer files (*.KIS)\0*.KIS\0";
    const VString chosen =
        VApplication::OpenFileDialog("Please choose the install script", baseFolder.GetText(), kFilter);
    if (!chosen.IsEmpty() && chosen.HasExtension("kis", false)) {
        scriptPath.Assign(chosen);
        return true;
    }
    VApplication::AlertText(
        "This applications needs an install script (*.kis) to run. Please try again later");
    return false;
}

int CProgramEntry::Run(int argc, const char* const* argv) {
    CProgramOptions options;
    std::string message;
    if (!options.Parse(argc, argv, message)) {
        std::fprintf(stderr, "%s\n\n%s", message.c_str(), kUsage);
        return kStartupFailure;
    }
    if (options.help) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (options.version) {
        std::printf("%s\n", kVersion);
        return 0;
    }
    if (!options.silent && !m_frontEnd) {
        std::fprintf(stderr, "kis-installer: this build installs only unattended; run it with --silent\n");
        return kStartupFailure;
    }
    return RunScript(options);
}

int CProgramEntry::RunScript(const CProgramOptions& options) {
    VFoundation::InitializeLibrary();
    VApplication::InitializeLibrary();
    const char* backendChoice = std::getenv("KIS_BACKEND");
    const bool headless = options.silent || (backendChoice && std::strcmp(backendChoice, "headless") == 0);
    VApplication::SilentResponder::Options answers;
    answers.confirmAnswer = options.confirmAnswer;
    answers.folderPath.Assign(options.location.c_str());
    if (headless)
        VApplication::SetBackend(std::make_shared<VApplication::HeadlessBackend>(
            std::make_shared<VApplication::SilentResponder>(answers)));
    if (m_frontEnd && !m_frontEnd->Start(options, headless)) {
        std::fprintf(stderr,
                     "kis-installer: no display is available; run it with --silent to install unattended\n");
        StopLibraries();
        m_frontEnd->Stop();
        return kStartupFailure;
    }
    VApplication::SetModule();
    if (!options.medium.empty()) {
        VString program(options.medium.c_str());
        program.AppendPathComponent(VApplication::GetModuleFileName().GetText());
        VApplication::SetModulePath(program.GetText());
    }
    VApplication::SetNames("KIS", "Kestrawin");
    if (!options.registry.empty()) VApplication::VRegistry::SetStoreLocation(options.registry.c_str());

    int exitCode = kStartupFailure;
    CInstallScript* script = nullptr;
    try {
        VString baseFolder = VApplication::GetModulePath();
        baseFolder.RemoveLastPathComponent();
        VString scriptPath;
        if (LocateInstallScript(baseFolder, scriptPath)) {
            script = new CInstallScript();
            if (!script->Parse(scriptPath.GetText())) {
                VApplication::AlertText(
                    "Failed to parse the installation script.\nCannot continue with execution.\n"
                    "Please contact Kestrawin technical support\nsupport@kestrawin.com");
            } else {
                for (const auto& [name, value] : options.variables)
                    script->SetVariable(name.c_str(), value.c_str());
                if (m_frontEnd) {
                    exitCode = m_frontEnd->Run(*script, options);
                } else {
                    CUnattendedInstallation installation(*script);
                    installation.ChooseLocation(options.location);
                    script->RunPreRun();
                    exitCode = installation.Run();
                    if (installation.IsRebootNeeded())
                        VApplication::AlertText("Please now reboot your computer!");
                }
            }
        }
    } catch (const VException& exception) {
        VString description;
        exception.GetDescription(description);
        VApplication::AlertBox(
            "Caught vexception in main function. Cannot continue operation.\nError reason: %s",
            description.GetText());
        exitCode = kStartupFailure;
    } catch (...) {
        VApplication::AlertText("Caught unknown exception in main function. Cannot continue operation.\n");
        exitCode = kStartupFailure;
    }
    if (script) script->Release();
    StopLibraries();
    if (m_frontEnd) m_frontEnd->Stop();
    return exitCode;
}
