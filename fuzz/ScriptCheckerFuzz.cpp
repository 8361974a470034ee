// Feeds arbitrary bytes to the script checker as a script file on a small medium. Whatever the bytes,
// the check must end with its diagnostics: a crash, a hang, a leak or an escaping exception is a failure.
#include "FuzzSupport.h"

#include "application/VApplication.h"
#include "engine/CScriptChecker.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

std::filesystem::path g_medium;
std::string g_scriptPath;
std::FILE* g_sinkFile = nullptr;

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    KisFuzz::StartQuietFoundation();
    VApplication::InitializeLibrary();
    // The built-in folders come from the environment, so no input reaches the settings store.
    for (const char* name : {"KIS_DESKTOP_FOLDER", "KIS_DOCUMENTS_FOLDER", "KIS_PROGRAMFILES_FOLDER",
                             "KIS_RTAS_FOLDER", "KIS_VST_FOLDER", "KIS_STARTMENU_FOLDER"})
        setenv(name, "/fuzz/folder", 1);
    const std::filesystem::path folder = std::filesystem::exists("/dev/shm")
                                             ? std::filesystem::path("/dev/shm")
                                             : std::filesystem::temp_directory_path();
    // A medium with a few files, so that the medium checks find some and miss others.
    g_medium = folder / ("kis-checker-fuzz-" + std::to_string(::getpid()));
    std::filesystem::create_directories(g_medium / "Installer" / "Slides");
    std::ofstream(g_medium / "Installer" / "Licence.txt") << "terms\n";
    std::ofstream(g_medium / "Payload.txt") << "payload\n";
    g_scriptPath = (g_medium / "Installer" / "InstallScript.kis").string();
    g_sinkFile = std::fopen("/dev/null", "w");
    std::atexit([] {
        std::error_code error;
        std::filesystem::remove_all(g_medium, error);
        if (g_sinkFile) std::fclose(g_sinkFile);
    });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    {
        std::ofstream out(g_scriptPath, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    CScriptChecker checker(g_scriptPath, g_medium.string());
    if (checker.Check()) {
        KisFuzz::g_sink = static_cast<uint32_t>(checker.GetDiagnostics().size());
        checker.Print(g_sinkFile, false);
    }
    return 0;
}
