// Feeds arbitrary bytes to the install script parser as a script file. A script error is a VException
// and fine; anything else (a crash, a hang, a leak, another exception) is a failure. Every declared
// variable is expanded afterwards, which exercises the bounded expansion on hostile values.
#include "FuzzSupport.h"

#include "application/VApplication.h"
#include "engine/CInstallScript.h"
#include "foundation/VException.h"
#include "foundation/VRef.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

std::string g_scriptPath;

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
    g_scriptPath = (folder / ("kis-script-fuzz-" + std::to_string(::getpid()) + ".kis")).string();
    std::atexit([] {
        std::error_code error;
        std::filesystem::remove(g_scriptPath, error);
    });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    {
        std::ofstream out(g_scriptPath, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    auto script = VFoundation::VRef<CInstallScript>::Adopt(new CInstallScript());
    try {
        if (script->Parse(g_scriptPath.c_str())) {
            uint32_t total = 0;
            for (CInstallerVariable* variable : script->GetVariables()) {
                VFoundation::VString value(variable->GetValue());
                script->ExpandVariables(value);
                total += value.GetLength();
            }
            KisFuzz::g_sink = total + static_cast<uint32_t>(script->GetSections().GetCount());
        }
    } catch (const VFoundation::VException&) {
    }
    return 0;
}
