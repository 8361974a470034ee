// Installs a generated compressed sample library with the real program, unattended (--silent), in this
// process, and prints the wall time, the peak resident memory and the main (user-interface) thread's
// share of the processor time: its own time over that of every other thread (the installer thread and
// the decoders). Each run is a fresh process (the benchmark starts itself again with --child), so the
// memory figure is that of one installation.
//
//   bench_silent_install [--megabytes N] [--runs N] [--folder PARENT] [--jobs N]

#include "BenchSupport.h"
#include "SampleLibrary.h"

#include "engine/CProgramEntry.h"
#include "ui/CWizardFrontEnd.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

// Processor seconds of one thread of this process, from /proc/self/task/TID/stat (user and system).
double ThreadSeconds(pid_t tid) {
    std::ifstream stat("/proc/self/task/" + std::to_string(tid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    const size_t close = text.rfind(')');
    if (close == std::string::npos) return 0;
    std::istringstream fields(text.substr(close + 2));
    std::string field;
    unsigned long long utime = 0, stime = 0;
    // After the name: state is field 3; utime and stime are fields 14 and 15.
    for (int index = 3; index <= 15 && fields >> field; ++index) {
        if (index == 14) utime = std::stoull(field);
        if (index == 15) stime = std::stoull(field);
    }
    return static_cast<double>(utime + stime) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

void WriteScript(const fs::path& medium, const fs::path& target, const fs::path& logs) {
    fs::create_directories(medium / "Installer");
    std::ofstream script(medium / "Installer" / "InstallScript.kis");
    script
        << "{KestrawinInstallSystem}\n"
           "{Variables}\n"
           "INSTALL_DIR, "
        << target.string()
        << "\n"
           "{GlobalSetup}\n"
           "APPLICATION_NAME, Bench\n"
           "APPLICATION_LOGPATH, "
        << logs.string()
        << "\n"
           "{Pages}\n"
           "ZDRKitPieceView, INSTALL_DIR, 1.0, $CWD_FOLDER$/Library, Kit pieces, [{100000:Full:Every file}]\n"
           "InstallProcessView, LogView\n"
           "CompletionView, Done\n"
           "{MainInstall}\n"
           "{Section}, 1, Library, The sample library, Required\n"
           "ZdrcaCopyDirectory, $CWD_FOLDER$/Library, $INSTALL_DIR$\n";
}

// One installation in this process; prints "result WALL TOTAL MAIN MAXRSS_KB".
int RunChild(const char* medium, const char* registry, const char* jobs) {
    const char* arguments[] = {"kis-installer", "--silent", "--medium", medium,   "--registry",
                               registry,        "--jobs",   jobs,       "--quiet"};
    const int count = static_cast<int>(sizeof arguments / sizeof arguments[0]);
    const auto start = std::chrono::steady_clock::now();
    CWizardFrontEnd wizard(count, const_cast<char**>(arguments));
    const int code = CProgramEntry(&wizard).Run(count, arguments);
    const double wall = KisBench::Seconds(start);
    const double main = ThreadSeconds(getpid());
    const double total = KisBench::ProcessorSeconds(false);
    struct rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("result %d %.6f %.6f %.6f %ld\n", code, wall, total, main, usage.ru_maxrss);
    return code;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 5 && std::strcmp(argv[1], "--child") == 0) return RunChild(argv[2], argv[3], argv[4]);

    const KisBench::TreeOptions options = KisBench::ParseTreeOptions(argc, argv, 5);
    std::string jobs = "2";
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "--jobs") == 0) jobs = argv[i + 1];
    const fs::path work = KisBench::MakeWorkFolder(options.parent, "silent");
    const fs::path medium = work / "medium";
    const KisBench::Library library = KisBench::GenerateLibrary(medium / "Library", options.megabytes << 20);
    if (library.files == 0) {
        std::fprintf(stderr, "could not generate the library (is the flac tool installed?)\n");
        return 1;
    }
    std::printf("library: %d compressed files in %d folders, %.1f MB of WAVE output; --jobs %s\n",
                library.files, library.folders, static_cast<double>(library.waveBytes) / 1e6, jobs.c_str());
    const fs::path target = work / "target";
    WriteScript(medium, target, work / "logs");
    KisBench::Settle();

    std::vector<double> walls, shares, memories;
    bool failed = false;
    for (int run = 0; run < options.runs && !failed; ++run) {
        fs::remove_all(target);
        fs::remove_all(work / "logs");
        fs::remove(work / "registry.db");
        const std::string command = KisBench::Quoted(fs::read_symlink("/proc/self/exe")) + " --child " +
                                    KisBench::Quoted(medium) + " " + KisBench::Quoted(work / "registry.db") +
                                    " " + jobs + " 2>" + KisBench::Quoted(work / "child-stderr.txt");
        FILE* child = popen(command.c_str(), "r");
        char line[512];
        int code = -1;
        double wall = 0, total = 0, main = 0;
        long maxrss = 0;
        while (child && std::fgets(line, sizeof line, child))
            if (std::sscanf(line, "result %d %lf %lf %lf %ld", &code, &wall, &total, &main, &maxrss) != 5)
                std::fputs(line, stderr);
        if (child) pclose(child);
        const uint64_t written = fs::exists(target) ? KisBench::FolderBytes(target) : 0;
        if (code != 0 || written != library.waveBytes) {
            std::fprintf(stderr, "run %d: exit code %d, %llu bytes of WAVE files, expected %llu\n", run + 1,
                         code, static_cast<unsigned long long>(written),
                         static_cast<unsigned long long>(library.waveBytes));
            failed = true;
            break;
        }
        const double share = main / (total - main);
        walls.push_back(wall);
        shares.push_back(share);
        memories.push_back(static_cast<double>(maxrss) / 1024.0);
        std::printf("run %d: %.3f s wall, %.3f s processor, main thread %.3f s (%.2f %% of the others), "
                    "peak %.1f MB\n",
                    run + 1, wall, total, main, 100.0 * share, memories.back());
        KisBench::Settle();
    }
    if (failed) {
        std::fprintf(stderr, "the program's messages are in %s\n", (work / "child-stderr.txt").c_str());
        return 1;
    }
    fs::remove_all(work);
    std::printf(
        "median: %.3f s wall, main thread %.2f %% of the other threads' processor time (goal < 5 %%), "
        "peak resident memory %.1f MB (goal < 64 MB)\n",
        KisBench::Median(walls), 100.0 * KisBench::Median(shares), KisBench::Median(memories));
    return 0;
}
