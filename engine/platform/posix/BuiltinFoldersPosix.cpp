#include "engine/BuiltinFolders.h"

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <pwd.h>
#include <unistd.h>

namespace BuiltinFolders {

namespace {

bool IsRoot() {
    return geteuid() == 0;
}

bool Home(std::string& home) {
    const char* value = std::getenv("HOME");
    if (value && *value) {
        home = value;
        return true;
    }
    if (const passwd* entry = getpwuid(getuid()); entry && entry->pw_dir && *entry->pw_dir) {
        home = entry->pw_dir;
        return true;
    }
    return false;
}

std::string DataHome(const std::string& home) {
    const char* value = std::getenv("XDG_DATA_HOME");
    if (value && *value == '/') return value;
    return home + "/.local/share";
}

// The folder the XDG user-dirs file names for key (XDG_DESKTOP_DIR="$HOME/Desktop"), or fallback.
std::string UserDir(const std::string& home, const char* key, const char* fallback) {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    const std::string file =
        (config && *config == '/' ? std::string(config) : home + "/.config") + "/user-dirs.dirs";
    std::ifstream in(file);
    std::string line;
    const std::string prefix = std::string(key) + "=\"";
    while (std::getline(in, line)) {
        if (line.compare(0, prefix.size(), prefix) != 0) continue;
        std::string value = line.substr(prefix.size());
        const size_t quote = value.find('"');
        if (quote == std::string::npos) continue;
        value.resize(quote);
        if (value.compare(0, 5, "$HOME") == 0) value = home + value.substr(5);
        if (!value.empty() && value[0] == '/') return value;
    }
    return home + "/" + fallback;
}

} // namespace

bool Lookup(const char* name, std::string& value) {
    if (std::strcmp(name, "OS_FOLDER") == 0) {
        value = "/usr";
        return true;
    }
    if (std::strcmp(name, "TEMP_FOLDER") == 0) {
        const char* temp = std::getenv("TMPDIR");
        value = temp && *temp ? temp : "/tmp";
        return true;
    }
    if (std::strcmp(name, "SYSTEM_FOLDER") == 0) {
        value = "/usr/lib";
        return true;
    }
    if (std::strcmp(name, "PROGRAMFILES_FOLDER") == 0 && IsRoot()) {
        value = "/opt";
        return true;
    }
    if (std::strcmp(name, "RTAS_FOLDER") == 0 && IsRoot()) {
        value = "/usr/local/lib/Digidesign/DAE/Plug-Ins";
        return true;
    }
    if (std::strcmp(name, "VST_FOLDER_DEFAULT") == 0 && IsRoot()) {
        value = "/usr/lib/vst";
        return true;
    }
    if (std::strcmp(name, "STARTMENU_FOLDER") == 0 && IsRoot()) {
        value = "/usr/share/applications";
        return true;
    }

    std::string home;
    if (!Home(home)) return false;
    if (std::strcmp(name, "DESKTOP_FOLDER") == 0)
        value = UserDir(home, "XDG_DESKTOP_DIR", "Desktop");
    else if (std::strcmp(name, "DOCUMENTS_FOLDER") == 0)
        value = UserDir(home, "XDG_DOCUMENTS_DIR", "Documents");
    else if (std::strcmp(name, "PROGRAMFILES_FOLDER") == 0)
        value = DataHome(home);
    else if (std::strcmp(name, "RTAS_FOLDER") == 0)
        value = home + "/.local/lib/Digidesign/DAE/Plug-Ins";
    else if (std::strcmp(name, "VST_FOLDER_DEFAULT") == 0)
        value = home + "/.vst";
    else if (std::strcmp(name, "STARTMENU_FOLDER") == 0)
        value = DataHome(home) + "/applications";
    else if (std::strcmp(name, "HOME_FOLDER") == 0)
        value = home;
    else
        return false;
    return true;
}

} // namespace BuiltinFolders
