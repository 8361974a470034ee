#pragma once

#include <cstdint>
#include <string>

class CInstallScript;

// How an unattended installation ended: its exit code and the summary line it leaves on standard error,
// for people and wrapper scripts alike.
namespace InstallOutcome {

constexpr int kSucceeded = 0;
// Aborted (by the user or an AbortInstallation without Exit) or stopped by an error of the run.
constexpr int kStopped = 1;
// A page refused to go on.
constexpr int kRefused = 2;
// Ran to its end, but a step failed or the install log or uninstall script could not be written.
constexpr int kFailedSteps = 3;

struct Record {
    bool ran = false;      // an installation was started
    bool finished = false; // it ran to its end (or an AbortInstallation with Exit ended it)
    // Failure and Exception rows of the log, and how many of them are not failed steps (the row that
    // AbortInstallation with Exit writes: the Exit form counts as a successful end).
    uint32_t failedRows = 0;
    uint32_t excusedRows = 0;
    bool recordFailed = false;
    std::string logPath;
};

int ExitCode(const Record& record);

// The summary line, without its line end: the result, the count of failed rows and the log's path.
std::string SummaryLine(const Record& record);
// Keeps the summary line for PrintPendingSummary: the program writes it to standard error as its very
// last line (after the libraries' own closing diagnostics), not through the diagnostic log, which may be
// silenced.
void SetPendingSummary(const Record& record);
void PrintPendingSummary();

// True when no section of script holds an instruction: the run has nothing to install.
bool HasNothingToInstall(const CInstallScript& script);
// Writes "nothing to install" to standard error.
void PrintNothingToInstall();

} // namespace InstallOutcome
