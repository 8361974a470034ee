#include "engine/InstallOutcome.h"

#include "engine/CInstallScript.h"
#include "engine/CInstallerSection.h"
#include "foundation/VObjectArrayTmpl.h"

#include <cstdio>
#include <mutex>

namespace InstallOutcome {

int ExitCode(const Record& record) {
    if (!record.ran) return kSucceeded;
    if (!record.finished) return kStopped;
    const bool stepsFailed = record.failedRows > record.excusedRows;
    return stepsFailed || record.recordFailed ? kFailedSteps : kSucceeded;
}

std::string SummaryLine(const Record& record) {
    const char* result = "succeeded";
    if (!record.finished)
        result = "stopped";
    else if (ExitCode(record) == kFailedSteps)
        result = "finished with failures";
    char line[128];
    std::snprintf(line, sizeof line, "Installation %s: %u failed row%s; install log: ", result,
                  record.failedRows, record.failedRows == 1 ? "" : "s");
    std::string text = line + record.logPath;
    if (record.recordFailed) text += " (could not be written in full)";
    return text;
}

namespace {
std::mutex g_pendingGuard;
std::string g_pendingSummary;
} // namespace

void SetPendingSummary(const Record& record) {
    std::lock_guard<std::mutex> lock(g_pendingGuard);
    g_pendingSummary = SummaryLine(record);
}

void PrintPendingSummary() {
    std::string line;
    {
        std::lock_guard<std::mutex> lock(g_pendingGuard);
        line.swap(g_pendingSummary);
    }
    if (line.empty()) return;
    std::fprintf(stderr, "%s\n", line.c_str());
    std::fflush(stderr);
}

bool HasNothingToInstall(const CInstallScript& script) {
    for (CInstallerSection* section : script.GetSections())
        if (section->GetInstructionCount() > 0) return false;
    return true;
}

void PrintNothingToInstall() {
    std::fprintf(stderr, "kis-installer: nothing to install\n");
    std::fflush(stderr);
}

} // namespace InstallOutcome
