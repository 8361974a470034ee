#include "application/ApplicationPlatform.h"

#include <cstdlib>
#include <pwd.h>
#include <unistd.h>

#include <climits>
#include <vector>

namespace VApplication::Platform {

namespace {

std::string HomeFolder() {
    const char* home = std::getenv("HOME");
    if (home && *home) return home;
    // A service started without HOME still has a password entry.
    if (const passwd* entry = getpwuid(geteuid()); entry && entry->pw_dir && *entry->pw_dir)
        return entry->pw_dir;
    return std::string();
}

} // namespace

std::string GetExecutablePath() {
    std::vector<char> buffer(PATH_MAX + 1);
    const ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
    if (length <= 0) return std::string();
    return std::string(buffer.data(), static_cast<size_t>(length));
}

std::string GetDefaultRegistryPath() {
    if (geteuid() == 0) return "/var/lib/kis/registry.db";
    const char* dataHome = std::getenv("XDG_DATA_HOME");
    std::string folder;
    // The XDG rules ignore a relative XDG_DATA_HOME.
    if (dataHome && dataHome[0] == '/') {
        folder = dataHome;
    } else {
        const std::string home = HomeFolder();
        if (home.empty()) return std::string();
        folder = home + "/.local/share";
    }
    return folder + "/kis/registry.db";
}

} // namespace VApplication::Platform
