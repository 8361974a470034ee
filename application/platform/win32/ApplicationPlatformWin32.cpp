#include "application/ApplicationPlatform.h"

#include <windows.h>

#include <vector>

namespace VApplication::Platform {

std::string GetExecutablePath() {
    // Paths may be longer than MAX_PATH: the buffer grows until the name fits.
    std::vector<char> buffer(MAX_PATH + 1);
    for (;;) {
        const DWORD length = ::GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) return std::string();
        if (length < buffer.size()) return std::string(buffer.data(), length);
        if (buffer.size() >= 32768) return std::string();
        buffer.resize(buffer.size() * 2);
    }
}

// The settings are the system registry's local-machine hive.
std::string GetDefaultRegistryPath() {
    return "HKEY_LOCAL_MACHINE";
}

} // namespace VApplication::Platform
