#pragma once

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/resource.h>
#include <vector>

namespace KisBench {

// The options every tree benchmark takes: --megabytes N (the size to generate), --runs N and --folder
// PARENT (where to work).
struct TreeOptions {
    uint64_t megabytes = 300;
    int runs = 5;
    const char* parent = nullptr;
};

inline TreeOptions ParseTreeOptions(int argc, char** argv, int defaultRuns) {
    TreeOptions options;
    options.runs = defaultRuns;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string name = argv[i];
        if (name == "--megabytes")
            options.megabytes = std::strtoull(argv[i + 1], nullptr, 10);
        else if (name == "--runs")
            options.runs = std::atoi(argv[i + 1]);
        else if (name == "--folder")
            options.parent = argv[i + 1];
    }
    return options;
}

inline double Seconds(const std::chrono::steady_clock::time_point& start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

inline double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n == 0 ? 0.0 : (n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2);
}

// Processor seconds (user and system) used so far by this process, or by its finished children: steadier
// than wall time on a machine shared with other work.
inline double ProcessorSeconds(bool children) {
    struct rusage usage {};
    getrusage(children ? RUSAGE_CHILDREN : RUSAGE_SELF, &usage);
    auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// A folder for the run below the given parent (the system's temporary folder by default).
inline std::filesystem::path MakeWorkFolder(const char* parent, const char* tag) {
    const std::filesystem::path base =
        parent ? std::filesystem::path(parent) : std::filesystem::temp_directory_path();
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    std::filesystem::path folder = base / (std::string("kis-bench-") + tag + "-" + std::to_string(stamp));
    std::filesystem::create_directories(folder);
    return folder;
}

inline std::string Quoted(const std::filesystem::path& path) {
    std::string quoted = "'";
    for (char c : path.string())
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

// Writes dirty pages out between runs so one run's write-back does not slow the next.
inline void Settle() {
    (void)std::system("sync");
}

} // namespace KisBench
