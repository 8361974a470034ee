// Feeds arbitrary bytes to the install script parser as a script file. A script error is a VException
// and fine; anything else (a crash, a hang, a leak, another exception) is a failure. Every declared
// variable is expanded afterwards, which exercises the bounded expansion on hostile values.
#include "FuzzSupport.h"
#include "ScriptFuzzSupport.h"

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
    const std::filesystem::path folder = KisFuzz::StartScriptFuzzing();
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
