#pragma once

#include <string>

// Where the built-in folder variables point on this platform. Each backend implements the lookup in
// engine/platform/<backend>/.
namespace BuiltinFolders {

// The platform's value of a built-in folder variable (OS_FOLDER, TEMP_FOLDER, SYSTEM_FOLDER,
// DESKTOP_FOLDER, DOCUMENTS_FOLDER, PROGRAMFILES_FOLDER, RTAS_FOLDER, STARTMENU_FOLDER) and the default of
// VST_FOLDER (VST_FOLDER_DEFAULT), and the user's home folder (HOME_FOLDER), which is no script variable
// but which the uninstaller never removes. False when it cannot be found (for example without a home folder).
bool Lookup(const char* name, std::string& value);

} // namespace BuiltinFolders
