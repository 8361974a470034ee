// Lists and sorts a folder of 100,000 files with VFileManager::DirectoryContentsAtPath and prints the
// median time, with `ls -l` of the same folder (which also reads every entry's status and sorts) as the
// reference, and `ls -1` (names only, no status) for scale.
//
//   bench_listing [--files N] [--runs N] [--folder PARENT]

#include "BenchSupport.h"

#include "foundation/VFileManager.h"
#include "foundation/VFoundation.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>

using namespace VFoundation;
namespace fs = std::filesystem;

int main(int argc, char** argv) {
    int files = 100000;
    int runs = 7;
    const char* parent = nullptr;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (!std::strcmp(argv[i], "--files"))
            files = std::atoi(argv[i + 1]);
        else if (!std::strcmp(argv[i], "--runs"))
            runs = std::atoi(argv[i + 1]);
        else if (!std::strcmp(argv[i], "--folder"))
            parent = argv[i + 1];
    }
    InitializeLibrary();
    const fs::path folder = KisBench::MakeWorkFolder(parent, "listing");
    // Mixed case and a few folders and "._" names, so the sort and the filters have work to do.
    for (int i = 0; i < files; ++i) {
        char name[64];
        std::snprintf(name, sizeof name, i % 3 ? "Sample_%07d.wav" : "sample_%07d.WAV", (i * 7919) % files);
        if (i % 1000 == 0)
            fs::create_directory(folder / (std::string("Folder") + name));
        else
            std::ofstream(folder / (i % 500 == 1 ? std::string("._") + name : std::string(name)));
    }

    std::vector<double> sorted, filtered, reference, namesOnly;
    int count = 0;
    for (int run = 0; run < runs; ++run) {
        auto start = std::chrono::steady_clock::now();
        {
            VRef<VFileInfoArray> list =
                VFileManager::Instance()->DirectoryContentsAtPath(folder.c_str(), nullptr, true, false);
            count = list ? list->GetCount() : -1;
        }
        sorted.push_back(KisBench::Seconds(start));
        start = std::chrono::steady_clock::now();
        {
            VRef<VFileInfoArray> list =
                VFileManager::Instance()->DirectoryContentsAtPath(folder.c_str(), "wav", true, true);
        }
        filtered.push_back(KisBench::Seconds(start));
        for (const char* options : {"-l", "-1"}) {
            start = std::chrono::steady_clock::now();
            const std::string command =
                std::string("ls ") + options + " " + KisBench::Quoted(folder) + " > /dev/null";
            (void)std::system(command.c_str());
            (options[1] == 'l' ? reference : namesOnly).push_back(KisBench::Seconds(start));
        }
    }
    fs::remove_all(folder);
    std::printf("entries listed: %d of %d\n", count, files);
    std::printf("median DirectoryContentsAtPath, sorted, bare names:          %.1f ms\n",
                KisBench::Median(sorted) * 1e3);
    std::printf("median DirectoryContentsAtPath, \"wav\", sorted, full paths:  %.1f ms\n",
                KisBench::Median(filtered) * 1e3);
    std::printf("median ls -l (reference: reads every status, sorts):         %.1f ms\n",
                KisBench::Median(reference) * 1e3);
    std::printf("median ls -1 (names only, for scale):                        %.1f ms\n",
                KisBench::Median(namesOnly) * 1e3);
    UninitilizeLibrary(true);
    return 0;
}
