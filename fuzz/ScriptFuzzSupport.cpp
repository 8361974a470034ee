#include "ScriptFuzzSupport.h"

#include "FuzzSupport.h"
#include "application/VApplication.h"

#include <cstdlib>

namespace KisFuzz {

std::filesystem::path StartScriptFuzzing() {
    StartQuietFoundation();
    VApplication::InitializeLibrary();
    for (const char* name : {"KIS_DESKTOP_FOLDER", "KIS_DOCUMENTS_FOLDER", "KIS_PROGRAMFILES_FOLDER",
                             "KIS_RTAS_FOLDER", "KIS_VST_FOLDER", "KIS_STARTMENU_FOLDER"})
        setenv(name, "/fuzz/folder", 1);
    return std::filesystem::exists("/dev/shm") ? std::filesystem::path("/dev/shm")
                                               : std::filesystem::temp_directory_path();
}

} // namespace KisFuzz
