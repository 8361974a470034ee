#include "engine/CProgramEntry.h"

#include "application/VApplication.h"
#include "application/VRegistry.h"
#include "application/platform/headless/HeadlessBackend.h"
#include "application/platform/headless/HeadlessResponder.h"
#include "engine/CInstallScript.h"
#include "engine/CScriptChecker.h"
#include "engine/CUnattendedInstallation.h"
#include "engine/CUninstallCommand.h"
#include "engine/InstallOutcome.h"
#include "foundation/VException.h"
#include "foundation/VFileManager.h"
#include "foundation/VFoundation.h"
#include "foundation/VLog.h"
#include "foundation/VRef.h"
#include "instructions/CZdrcaCopyDirectoryInstruction.h"

#include <cerrno>
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

// " (InstallScript.kis, line 24)" for a script error met on a line, also written to standard error in the
// form compilers use; empty when the parse met no line.
std::string ScriptPlace(const VString& scriptPath, uint32_t line, const char* message) {
    if (line == 0) return std::string();
    std::fprintf(stderr, "%s:%u: error: %s\n", scriptPath.GetText(), line, message);
    VString name;
    scriptPath.GetLastPathComponent(name);
    return " (" + std::string(name.GetText()) + ", line " + std::to_string(line) + ")";
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
    if (FindInstallScript(baseFolder, scriptPath)) return true;
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

bool CProgramEntry::FindInstallScript(const VString& baseFolder, VString& scriptPath) {
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
    return FirstScriptIn(baseFolder, scriptPath);
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
    if (options.check) return RunCheck(options);
    if (options.list) return ListProducts(options);
    if (!options.silent && !m_frontEnd && options.uninstall.empty()) {
        std::fprintf(stderr, "kis-installer: this build installs only unattended; run it with --silent\n");
        return kStartupFailure;
    }
    return RunWithDiagnostics(options);
}

// The diagnostic log goes where the options say for the whole run, the start-up and the shut-down (and its
// memory report) included.
int CProgramEntry::RunWithDiagnostics(const CProgramOptions& options) {
    FILE* file = nullptr;
    if (!options.diagnostics.empty()) {
        file = std::fopen(options.diagnostics.c_str(), "w");
        if (!file) {
            std::fprintf(stderr, "kis-installer: cannot write the diagnostic log %s: %s\n",
                         options.diagnostics.c_str(), std::strerror(errno));
            return kStartupFailure;
        }
        VFoundation::RedirectConsoleStream(file);
    } else if (options.quiet) {
        VFoundation::RedirectConsoleStream(nullptr);
    }
    const int code = RunScript(options);
    if (file || options.quiet) VFoundation::RestoreConsoleStream();
    if (file) std::fclose(file);
    return code;
}

int CProgramEntry::RunCheck(const CProgramOptions& options) {
    VFoundation::InitializeLibrary();
    VApplication::InitializeLibrary();
    VApplication::SetBackend(std::make_shared<VApplication::HeadlessBackend>(
        std::make_shared<VApplication::SilentResponder>(VApplication::SilentResponder::Options())));
    VApplication::SetModule();
    VApplication::SetNames("KIS", "Kestrawin");
    if (!options.registry.empty()) VApplication::VRegistry::SetStoreLocation(options.registry.c_str());
    std::string scriptPath = options.checkFile, medium;
    int exitCode = kStartupFailure;
    if (!scriptPath.empty()) {
        medium = options.medium.empty() ? CScriptChecker::MediumOf(scriptPath) : options.medium;
    } else {
        VString baseFolder(options.medium.c_str());
        if (options.medium.empty()) {
            baseFolder = VApplication::GetModulePath();
            baseFolder.RemoveLastPathComponent();
        }
        VString found;
        if (FindInstallScript(baseFolder, found))
            scriptPath = found.GetText();
        else
            std::fprintf(stderr, "kis-installer: no install script found in %s\n", baseFolder.GetText());
        medium = baseFolder.GetText();
    }
    if (!scriptPath.empty()) exitCode = CScriptChecker::Run(scriptPath, medium, options.werror, stdout);
    StopLibraries();
    return exitCode;
}

int CProgramEntry::ListProducts(const CProgramOptions& options) {
    VFoundation::InitializeLibrary();
    VApplication::InitializeLibrary();
    if (!options.registry.empty()) VApplication::VRegistry::SetStoreLocation(options.registry.c_str());
    const int code = CUninstallCommand::List();
    StopLibraries();
    return code;
}

int CProgramEntry::RunScript(const CProgramOptions& options) {
    VFoundation::InitializeLibrary();
    VApplication::InitializeLibrary();
    const char* backendChoice = std::getenv("KIS_BACKEND");
    // Without a window backend every run is unattended.
    const bool headless =
        options.silent || !m_frontEnd || (backendChoice && std::strcmp(backendChoice, "headless") == 0);
    VApplication::SilentResponder::Options answers;
    answers.confirmAnswer = options.confirmAnswer;
    answers.folderPath.Assign(options.location.c_str());
    if (headless)
        VApplication::SetBackend(std::make_shared<VApplication::HeadlessBackend>(
            std::make_shared<VApplication::SilentResponder>(answers)));
    // An uninstall without a display runs unattended, as with --silent.
    const auto startHeadless = [&] {
        m_frontEnd->Stop();
        VApplication::SetBackend(std::make_shared<VApplication::HeadlessBackend>(
            std::make_shared<VApplication::SilentResponder>(answers)));
        return m_frontEnd->Start(options, true);
    };
    if (m_frontEnd && !m_frontEnd->Start(options, headless) &&
        (options.uninstall.empty() || headless || !startHeadless())) {
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
    CZdrcaCopyDirectoryInstruction::SetDefaultJobCount(
        options.jobs > 0 ? options.jobs : CZdrcaCopyDirectoryInstruction::OnlineProcessorJobs());

    int exitCode = kStartupFailure;
    CInstallScript* script = nullptr;
    VString scriptPath;
    try {
        VString baseFolder = VApplication::GetModulePath();
        baseFolder.RemoveLastPathComponent();
        if (!options.uninstall.empty()) {
            exitCode = CUninstallCommand::Run(options, m_frontEnd);
        } else if (LocateInstallScript(baseFolder, scriptPath)) {
            script = new CInstallScript();
            if (!script->Parse(scriptPath.GetText())) {
                const std::string place = ScriptPlace(scriptPath, script->GetFailureLine(),
                                                      "the installation script cannot be parsed");
                VApplication::AlertBox(
                    "Failed to parse the installation script.\nCannot continue with execution.\n"
                    "Please contact Kestrawin technical support\nsupport@kestrawin.com%s",
                    place.c_str());
            } else {
                for (const auto& [name, value] : options.variables)
                    script->SetVariable(name.c_str(), value.c_str());
                if (options.rollback) script->SetVariable("APPLICATION_ROLLBACK", "true");
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
        const std::string place = script ? ScriptPlace(scriptPath, script->GetFailureLine(),
                                                       exception.GetDescriptionText().GetText())
                                         : std::string();
        VApplication::AlertBox(
            "Caught vexception in main function. Cannot continue operation.\nError reason: %s%s",
            description.GetText(), place.c_str());
        exitCode = kStartupFailure;
    } catch (...) {
        VApplication::AlertText("Caught unknown exception in main function. Cannot continue operation.\n");
        exitCode = kStartupFailure;
    }
    if (script) script->Release();
    StopLibraries();
    if (m_frontEnd) m_frontEnd->Stop();
    InstallOutcome::PrintPendingSummary();
    return exitCode;
}
