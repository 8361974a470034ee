#pragma once

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <system_error>

namespace KisTest {

namespace fs = std::filesystem;

// A fresh folder below the system's temporary folder, removed with everything in it (read-only entries
// included) when the guard goes.
class TempFolder {
public:
    TempFolder() {
        static std::atomic<int> counter{0};
        const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
        m_path = fs::temp_directory_path() /
                 ("kis-test-" + std::to_string(stamp) + "-" + std::to_string(counter++));
        fs::create_directories(m_path);
    }
    ~TempFolder() {
        std::error_code error;
        for (auto it = fs::recursive_directory_iterator(m_path, error); !error && it != fs::end(it);
             it.increment(error))
            if (!fs::is_symlink(it->symlink_status()))
                fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, error);
        fs::remove_all(m_path, error);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const fs::path& Path() const { return m_path; }
    std::string Text() const { return m_path.string(); }
    // The path of name (written with "/") below the folder, in the native form.
    std::string operator/(const std::string& name) const {
        return (m_path / fs::path(name).make_preferred()).string();
    }

private:
    fs::path m_path;
};

// Writes content to path, making its folder first.
inline void WriteFile(const std::string& path, const std::string& content = "data") {
    const fs::path parent = fs::path(path).parent_path();
    if (!parent.empty()) fs::create_directories(parent);
    std::ofstream(path, std::ios::binary) << content;
}

inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// Reads a text file the way the runtime wrote it: where lines end with CR LF, they come back with LF.
inline std::string ReadText(const std::string& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

inline bool IsWritable(const std::string& path) {
    return (fs::status(path).permissions() & fs::perms::owner_write) != fs::perms::none;
}

inline void MakeReadOnly(const std::string& path) {
    fs::permissions(path, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
}

// Bytes that differ from one 64 KiB block to the next, so a dropped or repeated block shows.
inline std::string PatternBytes(size_t size) {
    std::string bytes(size, 0);
    for (size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<char>((i * 131 + i / 65536) & 0xFF);
    return bytes;
}

} // namespace KisTest
