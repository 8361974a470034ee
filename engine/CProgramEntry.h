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

    // Reads argv; false (with message) for an unknown option or a missing value.
    bool Parse(int argc, const char* const* argv, std::string& message);
    static const char* Usage();
};

// The program: starts the libraries, finds and parses the install script, runs it and stops the
// libraries again. Returns the exit code: the message loop's code, in silent mode 0 for a successful
// installation and 1 for a failed or aborted one, and 255 for every start-up failure.
class CProgramEntry {
public:
    static constexpr int kStartupFailure = 255;

    int Run(int argc, const char* const* argv);

    // Finds the install script below base folder by the four tries, else asks for one.
    static bool LocateInstallScript(const VFoundation::VString& baseFolder, VFoundation::VString& scriptPath);

private:
    int RunScript(const CProgramOptions& options);
};
