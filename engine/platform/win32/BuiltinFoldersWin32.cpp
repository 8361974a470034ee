#include "engine/BuiltinFolders.h"

#include "foundation/VFileManager.h"

#include <windows.h>

#include <shlobj.h>

#include <cstring>

namespace BuiltinFolders {

namespace {

bool IsFolder(const std::string& path) {
    return VFoundation::VFileManager::Instance()->DirectoryExistsAtPath(path.c_str());
}

std::string Joined(const std::string& folder, const char* part) {
    if (!folder.empty() && folder.back() == '\\') return folder + part;
    return folder + "\\" + part;
}

// A shell folder, looked up with no window, no token and the folder's current path; a negative result is
// a failure.
bool ShellFolder(int csidl, std::string& value) {
    char buffer[MAX_PATH + 1] = {};
    if (FAILED(::SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, buffer))) return false;
    value = buffer;
    return !value.empty();
}

bool WindowsFolder(std::string& value) {
    char buffer[MAX_PATH + 1] = {};
    const UINT length = ::GetWindowsDirectoryA(buffer, sizeof buffer);
    if (length == 0 || length > MAX_PATH) return false;
    value.assign(buffer, length);
    return true;
}

// The shell folder, else profileName below the user profile when that is an existing folder.
bool UserFolder(int csidl, const char* profileName, std::string& value) {
    if (ShellFolder(csidl, value)) return true;
    std::string profile;
    if (!ShellFolder(CSIDL_PROFILE, profile)) return false;
    value = Joined(profile, profileName);
    return IsFolder(value);
}

} // namespace

bool Lookup(const char* name, std::string& value) {
    if (std::strcmp(name, "OS_FOLDER") == 0) return WindowsFolder(value);
    if (std::strcmp(name, "TEMP_FOLDER") == 0) {
        std::string profile;
        if (!ShellFolder(CSIDL_PROFILE, profile)) return false;
        value = Joined(profile, "Local Settings\\Temp");
        if (IsFolder(value)) return true;
        std::string windows;
        if (!WindowsFolder(windows)) return false;
        value = Joined(windows, "Temp");
        return true;
    }
    if (std::strcmp(name, "SYSTEM_FOLDER") == 0) {
        if (ShellFolder(CSIDL_SYSTEM, value)) return true;
        std::string windows;
        if (!WindowsFolder(windows)) return false;
        value = Joined(windows, "System32");
        return IsFolder(value);
    }
    if (std::strcmp(name, "DESKTOP_FOLDER") == 0) return UserFolder(CSIDL_DESKTOPDIRECTORY, "Desktop", value);
    if (std::strcmp(name, "DOCUMENTS_FOLDER") == 0) return UserFolder(CSIDL_PERSONAL, "My Documents", value);
    if (std::strcmp(name, "PROGRAMFILES_FOLDER") == 0) {
        if (ShellFolder(CSIDL_PROGRAM_FILES, value)) return true;
        value = "C:\\Program Files";
        return IsFolder(value);
    }
    if (std::strcmp(name, "RTAS_FOLDER") == 0) {
        std::string common;
        if (ShellFolder(CSIDL_PROGRAM_FILES_COMMON, common)) {
            value = Joined(common, "Digidesign\\DAE\\Plug-Ins");
            return true;
        }
        value = "C:\\Program Files\\Common\\Digidesign\\DAE\\Plug-Ins";
        return IsFolder("C:\\Program Files\\Common");
    }
    if (std::strcmp(name, "VST_FOLDER_DEFAULT") == 0) {
        value = "C:\\Program Files\\VstPlugins";
        return true;
    }
    if (std::strcmp(name, "STARTMENU_FOLDER") == 0) return ShellFolder(CSIDL_COMMON_PROGRAMS, value);
    return false;
}

} // namespace BuiltinFolders
