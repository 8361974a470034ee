// Copies a generated tree of about 300 MB with VFileManager::CopyDirectoryAtPath and with `cp -r`,
// alternately, and prints the median times and the ratio (cp's time over ours: 1.0 is cp's speed), for
// wall-clock time and for processor time (user and system), which other work on the machine disturbs less.
//
//   bench_copy_tree [--megabytes N] [--runs N] [--folder PARENT]

#include "BenchSupport.h"

#include "foundation/VFileManager.h"
#include "foundation/VFoundation.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>

using namespace VFoundation;
namespace fs = std::filesystem;

namespace {

// A sample-library-like mix per group folder: one 4 MiB file, four of 512 KiB, sixteen of 32 KiB and
// thirty-two of 4 KiB (6.6 MiB in 53 files); groups spread over nine top folders.
uint64_t GenerateTree(const fs::path& root, uint64_t targetBytes) {
    struct Kind {
        int count;
        size_t size;
    };
    const Kind kinds[] = {{1, 4u << 20}, {4, 512u << 10}, {16, 32u << 10}, {32, 4u << 10}};
    std::vector<char> block(4u << 20);
    uint64_t state = 0x9E3779B97F4A7C15ull;
    uint64_t total = 0;
    for (int group = 0; total < targetBytes; ++group) {
        const fs::path folder =
            root / ("Library" + std::to_string(group % 9)) / ("Kit" + std::to_string(group));
        fs::create_directories(folder);
        for (const Kind& kind : kinds)
            for (int i = 0; i < kind.count; ++i) {
                for (size_t j = 0; j < kind.size; j += 8) {
                    state ^= state << 13, state ^= state >> 7, state ^= state << 17;
                    std::memcpy(block.data() + j, &state, 8);
                }
                std::ofstream out(
                    folder / ("Sample" + std::to_string(i) + "_" + std::to_string(kind.size) + ".wav"),
                    std::ios::binary);
                out.write(block.data(), static_cast<std::streamsize>(kind.size));
                total += kind.size;
            }
    }
    return total;
}

} // namespace

int main(int argc, char** argv) {
    const KisBench::TreeOptions options = KisBench::ParseTreeOptions(argc, argv, 7);
    const uint64_t megabytes = options.megabytes;
    const int runs = options.runs;
    const char* parent = options.parent;
    InitializeLibrary();
    const fs::path work = KisBench::MakeWorkFolder(parent, "copy");
    const fs::path source = work / "source";
    const uint64_t bytes = GenerateTree(source, megabytes << 20);
    size_t files = 0;
    for (const auto& entry : fs::recursive_directory_iterator(source))
        files += entry.is_regular_file();
    std::printf("tree: %.1f MB in %zu files\n", static_cast<double>(bytes) / 1e6, files);
    KisBench::Settle();

    std::vector<double> ours, theirs, oursCpu, theirsCpu;
    bool failed = false;
    for (int run = 0; run < runs && !failed; ++run) {
        // Alternate who goes first, so neither always finds the cache warmer.
        for (int turn = 0; turn < 2; ++turn) {
            const bool cpTurn = (run + turn) % 2 == 0;
            const fs::path target = work / (cpTurn ? "cp" : "kis");
            const auto start = std::chrono::steady_clock::now();
            const double cpuStart = KisBench::ProcessorSeconds(cpTurn);
            if (cpTurn) {
                const std::string command =
                    "cp -r " + KisBench::Quoted(source) + " " + KisBench::Quoted(target);
                failed = std::system(command.c_str()) != 0;
                theirs.push_back(KisBench::Seconds(start));
                theirsCpu.push_back(KisBench::ProcessorSeconds(true) - cpuStart);
            } else {
                failed = !VFileManager::Instance()->CopyDirectoryAtPath(source.c_str(), target.c_str(), true);
                ours.push_back(KisBench::Seconds(start));
                oursCpu.push_back(KisBench::ProcessorSeconds(false) - cpuStart);
            }
            if (failed) break;
            std::printf("run %d %-20s %.3f s wall, %.3f s processor\n", run + 1,
                        cpTurn ? "cp -r" : "CopyDirectoryAtPath", cpTurn ? theirs.back() : ours.back(),
                        cpTurn ? theirsCpu.back() : oursCpu.back());
            fs::remove_all(target);
            KisBench::Settle();
        }
    }
    fs::remove_all(work);
    if (failed) {
        std::fprintf(stderr, "a copy failed\n");
        UninitilizeLibrary(true);
        return 1;
    }
    const double ourMedian = KisBench::Median(ours);
    const double theirMedian = KisBench::Median(theirs);
    const double ourCpu = KisBench::Median(oursCpu);
    const double theirCpu = KisBench::Median(theirsCpu);
    std::printf("median CopyDirectoryAtPath: %.3f s wall (%.0f MB/s), %.3f s processor\n", ourMedian,
                bytes / 1e6 / ourMedian, ourCpu);
    std::printf("median cp -r:               %.3f s wall (%.0f MB/s), %.3f s processor\n", theirMedian,
                bytes / 1e6 / theirMedian, theirCpu);
    std::printf("speed relative to cp: %.2f wall, %.2f processor (goal >= 0.90)\n", theirMedian / ourMedian,
                theirCpu / ourCpu);
    UninitilizeLibrary(true);
    return 0;
}
