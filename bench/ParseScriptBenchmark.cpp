// Parses a generated install script of 200,000 instruction lines several times and prints the lines per
// second (median run) and the process's peak memory.
#include "BenchSupport.h"

#include "application/VApplication.h"
#include "engine/CInstallScript.h"
#include "foundation/VFoundation.h"
#include "foundation/VLog.h"
#include "foundation/VRef.h"

#include <cstdio>
#include <fstream>
#include <sys/resource.h>

namespace {

constexpr int kSections = 2000;
constexpr int kLinesPerSection = 100;
constexpr int kRuns = 5;

void WriteScript(const std::filesystem::path& path) {
    std::ofstream out(path);
    out << "{KestrawinInstallSystem}\n{Variables}\nINSTALL_DIR, $PROGRAMFILES_FOLDER$/Product\n"
           "{GlobalSetup}\nAPPLICATION_NAME, Product\nAPPLICATION_LOGPATH, $INSTALL_DIR$/Logs\n{Pages}\n"
           "InstallProcessView, Progress\n{MainInstall}\n";
    const char* const lines[] = {
        "CopyFile, $CWD_FOLDER$/Payload/file%d.dat, $INSTALL_DIR$/data/file%d.dat, 00777",
        "CreateDirectory, $INSTALL_DIR$/folder%d",
        "If FileExists, $INSTALL_DIR$/old%d.ini, 1, 2",
        "DeleteFile, $INSTALL_DIR$/old%d.ini, force",
        "CopyDirectory, $CWD_FOLDER$/Payload/dir%d, $INSTALL_DIR$/dir%d, [recursive]",
        "SetMessage, Installing part %d",
        "WriteRegistryEntry, Software\\Maker\\Product, Value%d, $INSTALL_DIR$",
        "NoOp",
    };
    char line[512];
    for (int s = 0; s < kSections; ++s) {
        out << "{Section}, " << s << ", Section " << s << ", Part " << s << " of the product, Optional\n";
        for (int i = 0; i < kLinesPerSection; ++i) {
            const int n = s * kLinesPerSection + i;
            std::snprintf(line, sizeof line, lines[n % 8], n, n);
            out << line << '\n';
        }
    }
}

} // namespace

int main() {
    VFoundation::InitializeLibrary();
    VApplication::InitializeLibrary();
    const std::filesystem::path folder = KisBench::MakeWorkFolder(nullptr, "parse");
    const std::filesystem::path script = folder / "InstallScript.kis";
    WriteScript(script);
    const double lines = static_cast<double>(kSections) * kLinesPerSection;

    std::vector<double> times;
    for (int run = 0; run < kRuns; ++run) {
        const auto start = std::chrono::steady_clock::now();
        {
            VFoundation::VRef<CInstallScript> parsed =
                VFoundation::VRef<CInstallScript>::Adopt(new CInstallScript());
            if (!parsed->Parse(script.c_str())) {
                std::fprintf(stderr, "parse failed\n");
                return 1;
            }
        }
        times.push_back(KisBench::Seconds(start));
    }
    struct rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    const double median = KisBench::Median(times);
    std::printf("script: %d instruction lines in %d sections, %.1f MB\n", kSections * kLinesPerSection,
                kSections, static_cast<double>(std::filesystem::file_size(script)) / 1e6);
    std::printf("parse (median of %d): %.3f s, %.0f lines/s\n", kRuns, median, lines / median);
    std::printf("fastest: %.3f s, %.0f lines/s\n", *std::min_element(times.begin(), times.end()),
                lines / *std::min_element(times.begin(), times.end()));
    std::printf("peak memory (max resident set): %.1f MB\n", static_cast<double>(usage.ru_maxrss) / 1024.0);
    std::filesystem::remove_all(folder);
    VApplication::UninitializeLibrary();
    VFoundation::UninitilizeLibrary(true);
    return 0;
}
