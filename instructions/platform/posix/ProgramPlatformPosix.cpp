#include "instructions/ProgramPlatform.h"

#include "foundation/VFileManager.h"

#include <cerrno>
#include <chrono>
#include <climits>
#include <csignal>
#include <cstring>
#include <dlfcn.h>
#include <spawn.h>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace ProgramPlatform {

namespace {

// The shell's codes that OpenWithDesktop reports.
constexpr int kOpened = 42;
constexpr int kFileNotFound = 2;
constexpr int kAccessDenied = 5;
constexpr int kOutOfMemory = 8;
constexpr int kNoAssociation = 31;

// How long OpenWithDesktop waits for the opener to report; an opener still running then has handed the
// target to a program that it waits for.
constexpr auto kOpenerPatience = std::chrono::seconds(10);

// Spawns argv[0] with the installer's environment, default signal handling and no blocked signals (the
// installer thread may block some). usePath searches PATH for a bare name. Returns 0 or an errno value.
int Spawn(const std::vector<std::string>& arguments, bool usePath, pid_t& pid) {
    std::vector<char*> argv;
    argv.reserve(arguments.size() + 1);
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);

    posix_spawnattr_t attributes;
    if (int error = posix_spawnattr_init(&attributes)) return error;
    sigset_t none;
    sigset_t all;
    sigemptyset(&none);
    sigfillset(&all);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &all);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    const int error = usePath ? posix_spawnp(&pid, argv[0], nullptr, &attributes, argv.data(), environ)
                              : posix_spawn(&pid, argv[0], nullptr, &attributes, argv.data(), environ);
    posix_spawnattr_destroy(&attributes);
    return error;
}

bool WaitFor(pid_t pid, int& status) {
    for (;;) {
        if (waitpid(pid, &status, 0) == pid) return true;
        if (errno != EINTR) return false;
    }
}

// A program nobody waits for is reaped when it ends, so it does not linger as a zombie.
void ReapLater(pid_t pid) {
    std::thread([pid] {
        int status = 0;
        WaitFor(pid, status);
    }).detach();
}

// A Desktop Entry string value: backslashes and control characters escaped.
std::string EscapeValue(const std::string& text) {
    std::string out;
    for (const char c : text) {
        switch (c) {
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\r':
            out += "\\r";
            break;
        default:
            out += c;
        }
    }
    if (!out.empty() && out[0] == ' ') out.replace(0, 1, "\\s");
    return out;
}

// One argument of an Exec line: quoted, with the characters that are special inside quotes escaped and
// '%' (a field code) doubled.
std::string QuoteExecArgument(const std::string& text) {
    std::string out = "\"";
    for (const char c : text) {
        if (c == '"' || c == '`' || c == '$' || c == '\\') out += '\\';
        if (c == '%') out += '%';
        out += c;
    }
    return out + "\"";
}

bool IsExecutableFile(const char* path) {
    struct stat info {};
    return stat(path, &info) == 0 && S_ISREG(info.st_mode) && access(path, X_OK) == 0;
}

std::string FileStem(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const size_t dot = name.find_last_of('.');
    if (dot != std::string::npos && dot > 0) name.erase(dot);
    return name;
}

} // namespace

bool StartProgram(const char* program, const std::vector<std::string>& arguments, bool wait) {
    if (!program || !*program) return false;
    std::vector<std::string> argv;
    argv.reserve(arguments.size() + 1);
    argv.emplace_back(program);
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    pid_t pid = 0;
    if (Spawn(argv, false, pid) != 0) return false;
    if (!wait) {
        ReapLater(pid);
        return true;
    }
    int status = 0;
    return WaitFor(pid, status);
}

std::string FolderURL(const char* path) {
    std::string folder = path ? path : "";
    if (folder.empty() || folder[0] != '/') {
        char buffer[PATH_MAX];
        if (getcwd(buffer, sizeof buffer))
            folder = std::string(buffer) + (folder.empty() ? "" : "/" + folder);
    }
    return "file://" + folder;
}

int OpenWithDesktop(const char* target) {
    if (!target) return kFileNotFound;
    pid_t pid = 0;
    switch (Spawn({"xdg-open", target}, true, pid)) {
    case 0:
        break;
    case ENOENT:
        return kNoAssociation;
    case EACCES:
        return kAccessDenied;
    case ENOMEM:
        return kOutOfMemory;
    default:
        return 0;
    }

    const auto deadline = std::chrono::steady_clock::now() + kOpenerPatience;
    int status = 0;
    for (;;) {
        const pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid) break;
        if (done < 0 && errno != EINTR) return 0;
        if (std::chrono::steady_clock::now() >= deadline) {
            ReapLater(pid);
            return kOpened;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    if (!WIFEXITED(status)) return 0;
    // xdg-open: 0 done, 1 bad command line, 2 no such file, 3 no tool for it, 4 the action failed.
    switch (WEXITSTATUS(status)) {
    case 0:
        return kOpened;
    case 2:
        return kFileNotFound;
    case 3:
        return kNoAssociation;
    default:
        return 0;
    }
}

void InitializeComponents() {}

void InitializeOle() {}

LibraryCallResult CallLibraryEntryPoint(const char* path, const char* entryName, int32_t& result) {
    if (!path || !*path) return LibraryCallResult::NoLibrary;
    // A bare name would make the loader search the library folders instead of opening this file.
    const std::string file = std::strchr(path, '/') ? std::string(path) : "./" + std::string(path);
    void* library = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!library) return LibraryCallResult::NoLibrary;
    void* symbol = dlsym(library, entryName);
    if (!symbol) {
        dlclose(library);
        return LibraryCallResult::NoEntryPoint;
    }
    using EntryPoint = int32_t (*)();
    result = reinterpret_cast<EntryPoint>(symbol)();
    dlclose(library);
    return LibraryCallResult::Called;
}

ShortcutResult CreateShortcut(const char* shortcutPath, const char* target, const char* workingFolder,
                              const char* description) {
    if (!shortcutPath || !*shortcutPath || !target) return ShortcutResult::SaveFailed;
    const std::string targetPath = target;
    const std::string exec = IsExecutableFile(target) ? QuoteExecArgument(targetPath)
                                                      : "xdg-open " + QuoteExecArgument(targetPath);
    std::ostringstream out;
    out << "[Desktop Entry]\n"
        << "Type=Application\n"
        << "Version=1.0\n"
        << "Name=" << EscapeValue(FileStem(shortcutPath)) << "\n"
        << "Comment=" << EscapeValue(description ? description : "") << "\n"
        << "Exec=" << EscapeValue(exec) << "\n"
        << "Path=" << EscapeValue(workingFolder ? workingFolder : "") << "\n"
        << "Icon=" << EscapeValue(targetPath) << "\n"
        << "Terminal=false\n";
    const std::string entry = out.str();
    // Desktops start only entries marked executable; whoever may read the entry may start it. The entry
    // replaces what is at the path (a link there included) only once it is complete.
    if (!VFoundation::VFileManager::Instance()->WriteFileAtPath(shortcutPath, entry.data(), entry.size(),
                                                                true))
        return ShortcutResult::SaveFailed;
    return ShortcutResult::Created;
}

} // namespace ProgramPlatform
