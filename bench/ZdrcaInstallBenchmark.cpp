// Installs a generated compressed sample library with the ZdrcaCopyDirectory instruction (in-process
// FLAC decoding, install log and uninstall script included), with one decoding job and with N, and
// decodes the same files with one `flac -d` process, alternately, and prints the medians, the decoded
// MB/s and the ratios (the slower time over the faster: 2.0 is twice as fast).
//
//   bench_zdrca_install [--megabytes N] [--runs N] [--folder PARENT] [--jobs N]
//
// With --jobs (default 2) the instruction runs with one job and with N jobs, so each run has three turns.

#include "BenchSupport.h"
#include "SampleLibrary.h"

#include "application/VApplication.h"
#include "engine/CInstallLog.h"
#include "engine/IZdrcaInstallHost.h"
#include "foundation/VFoundation.h"
#include "foundation/VRef.h"
#include "foundation/VString.h"
#include "instructions/CZdrcaCopyDirectoryInstruction.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>

using namespace VFoundation;
namespace fs = std::filesystem;

namespace {

// Every kit is chosen and every file taken.
class WholeLibraryHost : public IZdrcaInstallHost {
public:
    explicit WholeLibraryHost(int32_t folders) : m_folders(folders) {}
    bool IsInstallPath(const VString&) override { return true; }
    bool IsOnInstallPath(const VString&) override { return true; }
    int32_t GetMaxFilesPerFolder() override { return 1 << 30; }
    int32_t GetInstallPathCount() override { return m_folders; }

private:
    int32_t m_folders;
};

} // namespace

int main(int argc, char** argv) {
    const KisBench::TreeOptions options = KisBench::ParseTreeOptions(argc, argv, 5);
    int jobs = 2;
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "--jobs") == 0) jobs = std::atoi(argv[i + 1]);
    if (jobs < 1 || jobs > CZdrcaCopyDirectoryInstruction::kMaxJobs) {
        std::fprintf(stderr, "--jobs takes 1 to %d\n", CZdrcaCopyDirectoryInstruction::kMaxJobs);
        return 2;
    }
    InitializeLibrary();
    VApplication::InitializeLibrary();
    const fs::path work = KisBench::MakeWorkFolder(options.parent, "zdrca");
    const fs::path source = work / "source";
    const KisBench::Library library = KisBench::GenerateLibrary(source, options.megabytes << 20);
    if (library.files == 0) {
        std::fprintf(stderr, "could not generate the library (is the flac tool installed?)\n");
        return 1;
    }
    std::printf("library: %d compressed files in %d folders, %.1f MB of WAVE output\n", library.files,
                library.folders, static_cast<double>(library.waveBytes) / 1e6);

    // The flac tool gets every file on one command line, run from the source root; it writes every
    // output (named after the input file without its folder) into the prefix folder.
    std::string toolFiles;
    for (const std::string& file : library.relativeFiles)
        toolFiles += " " + KisBench::Quoted(file);
    KisBench::Settle();

    // Three contenders in turn, who goes first changing every run: the instruction with one job, with
    // the asked number of jobs, and one flac -d process.
    struct Contender {
        std::string name;
        int jobs; // 0: the flac tool
        std::vector<double> wall, cpu;
    };
    std::vector<Contender> contenders{{"ZdrcaCopyDirectory N=1", 1, {}, {}},
                                      {"ZdrcaCopyDirectory N=" + std::to_string(jobs), jobs, {}, {}},
                                      {"flac -d", 0, {}, {}}};
    bool failed = false;
    for (int run = 0; run < options.runs && !failed; ++run) {
        for (size_t turn = 0; turn < contenders.size() && !failed; ++turn) {
            Contender& contender = contenders[(run + turn) % contenders.size()];
            const bool toolTurn = contender.jobs == 0;
            const fs::path target = work / (toolTurn ? "tool" : "kis");
            fs::create_directories(target);
            if (toolTurn)
                for (const auto& entry : fs::recursive_directory_iterator(source))
                    if (entry.is_directory())
                        fs::create_directories(target / fs::relative(entry.path(), source));
            const auto start = std::chrono::steady_clock::now();
            const double cpuStart = KisBench::ProcessorSeconds(toolTurn);
            if (toolTurn) {
                const std::string command =
                    "cd " + KisBench::Quoted(source) +
                    " && flac -d -s -f --output-prefix=" + KisBench::Quoted(target.string() + "/") +
                    toolFiles;
                failed = std::system(command.c_str()) != 0;
            } else {
                VRef<CInstallLog> log = MakeRef<CInstallLog>();
                log->Open(VString(work.c_str()), VString("Bench"));
                log->WriteTableHead();
                const VString arguments((source.string() + "," + target.string()).c_str());
                VRef<CZdrcaCopyDirectoryInstruction> instruction =
                    MakeRef<CZdrcaCopyDirectoryInstruction>(arguments);
                WholeLibraryHost host(library.folders);
                instruction->SetInstallHost(&host);
                instruction->SetLog(log.Get());
                instruction->SetJobCount(contender.jobs);
                failed = !instruction->Execute();
                log.Reset();
            }
            contender.wall.push_back(KisBench::Seconds(start));
            contender.cpu.push_back(KisBench::ProcessorSeconds(toolTurn) - cpuStart);
            const uint64_t written = KisBench::FolderBytes(target);
            if (written != library.waveBytes) {
                std::fprintf(stderr, "%s wrote %llu bytes of WAVE files, expected %llu\n",
                             contender.name.c_str(), static_cast<unsigned long long>(written),
                             static_cast<unsigned long long>(library.waveBytes));
                failed = true;
            }
            if (!failed)
                std::printf("run %d %-24s %.3f s wall, %.3f s processor\n", run + 1, contender.name.c_str(),
                            contender.wall.back(), contender.cpu.back());
            fs::remove_all(target);
            KisBench::Settle();
        }
    }
    fs::remove_all(work);
    VApplication::UninitializeLibrary();
    if (failed) {
        std::fprintf(stderr, "a run failed\n");
        UninitilizeLibrary(true);
        return 1;
    }
    const double megabytesOut = static_cast<double>(library.waveBytes) / 1e6;
    for (const Contender& contender : contenders) {
        const double wall = KisBench::Median(contender.wall);
        std::printf("median %-24s %.3f s wall (%.0f MB/s decoded), %.3f s processor\n",
                    contender.name.c_str(), wall, megabytesOut / wall, KisBench::Median(contender.cpu));
    }
    const double serial = KisBench::Median(contenders[0].wall);
    const double parallel = KisBench::Median(contenders[1].wall);
    const double tool = KisBench::Median(contenders[2].wall);
    std::printf("N=1 relative to flac -d: %.2f wall, %.2f processor\n", tool / serial,
                KisBench::Median(contenders[2].cpu) / KisBench::Median(contenders[0].cpu));
    std::printf("N=%d relative to N=1: %.2f wall (goal >= 1.70 with 2 cores)\n", jobs, serial / parallel);
    std::printf("N=%d relative to flac -d: %.2f wall (goal >= 1.80 with 2 cores)\n", jobs, tool / parallel);
    UninitilizeLibrary(true);
    return 0;
}
