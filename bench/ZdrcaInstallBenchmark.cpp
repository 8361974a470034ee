// Installs a generated compressed sample library with the ZdrcaCopyDirectory instruction (in-process
// FLAC decoding, install log and uninstall script included) and decodes the same files with one
// `flac -d` process, alternately, and prints the medians, the decoded MB/s and the ratio (the flac tool's
// time over ours: 1.0 is the tool's speed).
//
//   bench_zdrca_install [--megabytes N] [--runs N] [--folder PARENT]

#include "BenchSupport.h"

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

void Put(std::string& out, uint32_t value, int bytes) {
    for (int b = 0; b < bytes; ++b)
        out.push_back(static_cast<char>((value >> (8 * b)) & 0xFF));
}

// A drum-like one-shot: a decaying mix of a falling tone and noise, stereo, in a plain PCM header (16-bit)
// or an extensible one (24-bit), as the flac tool reads them.
void WriteOneShot(const fs::path& path, int bits, int frames, uint32_t seed) {
    const int bytes = bits / 8;
    std::string out;
    out.reserve(static_cast<size_t>(frames) * 2 * bytes + 80);
    const bool extensible = bits != 16;
    const uint32_t dataSize = static_cast<uint32_t>(frames) * 2 * bytes;
    out += "RIFF";
    Put(out, 4 + 8 + (extensible ? 40 : 16) + 8 + dataSize, 4);
    out += "WAVEfmt ";
    Put(out, extensible ? 40 : 16, 4);
    Put(out, extensible ? 0xFFFE : 1, 2);
    Put(out, 2, 2);
    Put(out, 44100, 4);
    Put(out, 44100 * 2 * bytes, 4);
    Put(out, 2 * bytes, 2);
    Put(out, bits, 2);
    if (extensible) {
        Put(out, 22, 2);
        Put(out, bits, 2);
        Put(out, 3, 4);
        out += std::string("\x01\x00\x00\x00\x00\x00\x10\x00\x80\x00\x00\xAA\x00\x38\x9B\x71", 16);
    }
    out += "data";
    Put(out, dataSize, 4);
    const double peak = std::ldexp(1.0, bits - 1) - 1;
    uint32_t noise = seed * 2654435761u + 1;
    double phase = 0;
    for (int i = 0; i < frames; ++i) {
        const double envelope = std::exp(-i / (44100.0 * 0.25));
        phase += 2 * 3.14159265358979 * (60 + 140 * std::exp(-i / 4000.0)) / 44100.0;
        for (int c = 0; c < 2; ++c) {
            noise = noise * 1664525u + 1013904223u;
            const double white = (static_cast<int32_t>(noise) / 2147483648.0) * (0.3 + 0.1 * c);
            const double value = envelope * (0.6 * std::sin(phase + c * 0.3) + white) * peak * 0.9;
            Put(out, static_cast<uint32_t>(static_cast<int32_t>(value)), bytes);
        }
    }
    std::ofstream(path, std::ios::binary).write(out.data(), static_cast<std::streamsize>(out.size()));
}

struct Library {
    uint64_t waveBytes = 0;
    int files = 0;
    int folders = 0;
    std::vector<std::string> relativeFiles; // the .zdrca files, relative to the root
};

// Names are unique over the library: the flac tool writes every output into the one prefix folder.
std::string HitName(int kit, int bits, int index) {
    return "Kit" + std::to_string(kit) + "_" + std::to_string(bits) + "_Hit" + std::to_string(index);
}

// Kits with a 16-bit and a 24-bit folder of one-shots (0.5 to 2 seconds), encoded with the flac tool at
// its default level and renamed to ".zdrca".
Library GenerateLibrary(const fs::path& root, uint64_t targetBytes) {
    Library library;
    for (int kit = 0; library.waveBytes < targetBytes; ++kit) {
        for (int bits : {16, 24}) {
            const std::string relativeFolder = "Library" + std::to_string(kit % 3) + "/Kit" +
                                               std::to_string(kit) + (bits == 16 ? "/Soft" : "/Hard");
            const fs::path folder = root / relativeFolder;
            fs::create_directories(folder);
            for (int i = 0; i < 24; ++i) {
                const int frames = 22050 + ((kit * 24 + i) * 7919) % 66150;
                const std::string name = HitName(kit, bits, i);
                WriteOneShot(folder / (name + ".wav"), bits, frames,
                             static_cast<uint32_t>(kit * 100 + i + bits));
                library.waveBytes += static_cast<uint64_t>(frames) * 2 * (bits / 8) + (bits == 16 ? 44 : 68);
                library.relativeFiles.push_back(relativeFolder + "/" + name + ".zdrca");
                ++library.files;
            }
            const std::string encode =
                "cd " + KisBench::Quoted(folder) + " && flac -s -f --delete-input-file *.wav";
            if (std::system(encode.c_str()) != 0) return {};
            for (int i = 0; i < 24; ++i)
                fs::rename(folder / (HitName(kit, bits, i) + ".flac"),
                           folder / (HitName(kit, bits, i) + ".zdrca"));
            ++library.folders;
        }
    }
    return library;
}

uint64_t FolderBytes(const fs::path& folder) {
    uint64_t total = 0;
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        if (entry.is_regular_file() && entry.path().extension() == ".wav") total += entry.file_size();
    return total;
}

} // namespace

int main(int argc, char** argv) {
    const KisBench::TreeOptions options = KisBench::ParseTreeOptions(argc, argv, 5);
    const uint64_t megabytes = options.megabytes;
    const int runs = options.runs;
    const char* parent = options.parent;
    InitializeLibrary();
    VApplication::InitializeLibrary();
    const fs::path work = KisBench::MakeWorkFolder(parent, "zdrca");
    const fs::path source = work / "source";
    const Library library = GenerateLibrary(source, megabytes << 20);
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

    std::vector<double> ours, theirs, oursCpu, theirsCpu;
    bool failed = false;
    for (int run = 0; run < runs && !failed; ++run) {
        for (int turn = 0; turn < 2 && !failed; ++turn) {
            const bool toolTurn = (run + turn) % 2 == 0;
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
                theirs.push_back(KisBench::Seconds(start));
                theirsCpu.push_back(KisBench::ProcessorSeconds(true) - cpuStart);
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
                failed = !instruction->Execute();
                log.Reset();
                ours.push_back(KisBench::Seconds(start));
                oursCpu.push_back(KisBench::ProcessorSeconds(false) - cpuStart);
            }
            const uint64_t written = FolderBytes(target);
            if (written != library.waveBytes) {
                std::fprintf(stderr, "%s wrote %llu bytes of WAVE files, expected %llu\n",
                             toolTurn ? "flac" : "install", static_cast<unsigned long long>(written),
                             static_cast<unsigned long long>(library.waveBytes));
                failed = true;
            }
            if (!failed)
                std::printf("run %d %-22s %.3f s wall, %.3f s processor\n", run + 1,
                            toolTurn ? "flac -d" : "ZdrcaCopyDirectory",
                            toolTurn ? theirs.back() : ours.back(),
                            toolTurn ? theirsCpu.back() : oursCpu.back());
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
    const double ourMedian = KisBench::Median(ours);
    const double theirMedian = KisBench::Median(theirs);
    const double ourCpu = KisBench::Median(oursCpu);
    const double theirCpu = KisBench::Median(theirsCpu);
    std::printf("median ZdrcaCopyDirectory: %.3f s wall (%.0f MB/s decoded), %.3f s processor\n", ourMedian,
                megabytesOut / ourMedian, ourCpu);
    std::printf("median flac -d:            %.3f s wall (%.0f MB/s decoded), %.3f s processor\n", theirMedian,
                megabytesOut / theirMedian, theirCpu);
    std::printf("speed relative to flac -d: %.2f wall, %.2f processor (goal >= 1.00)\n",
                theirMedian / ourMedian, theirCpu / ourCpu);
    UninitilizeLibrary(true);
    return 0;
}
