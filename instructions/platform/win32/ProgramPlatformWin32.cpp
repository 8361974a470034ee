#include "instructions/ProgramPlatform.h"

#include <windows.h>

#include <objbase.h>
#include <ole2.h>
#include <shellapi.h>
#include <shlobj.h>
#include <shobjidl.h>

namespace ProgramPlatform {

namespace {

// One argument as the runtime library's command-line parser reads it back: quoted when it holds a blank,
// a tab or a quote (or is empty), with the backslashes before a quote doubled.
std::string QuoteArgument(const std::string& argument) {
    if (!argument.empty() && argument.find_first_of(" \t\"") == std::string::npos) return argument;
    std::string out = "\"";
    size_t backslashes = 0;
    for (const char c : argument) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        out.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
        backslashes = 0;
        out += c;
    }
    out.append(backslashes * 2, '\\');
    return out + "\"";
}

std::string ParameterText(const std::vector<std::string>& arguments) {
    std::string text;
    for (const std::string& argument : arguments) {
        if (!text.empty()) text += ' ';
        text += QuoteArgument(argument);
    }
    return text;
}

template <typename Interface> class ComPointer {
public:
    ComPointer() = default;
    ~ComPointer() {
        if (m_pointer) m_pointer->Release();
    }
    ComPointer(const ComPointer&) = delete;
    ComPointer& operator=(const ComPointer&) = delete;
    Interface** Out() { return &m_pointer; }
    void** OutVoid() { return reinterpret_cast<void**>(&m_pointer); }
    Interface* operator->() const { return m_pointer; }
    explicit operator bool() const { return m_pointer != nullptr; }

private:
    Interface* m_pointer = nullptr;
};

} // namespace

// The program is handed to the shell, so that a document or a script starts with its associated program as
// well as a program file does. Without wait that is ShellExecute's "open"; with wait, ShellExecuteEx's
// default action keeps the process handle to wait on.
bool StartProgram(const char* program, const std::vector<std::string>& arguments, bool wait) {
    if (!program || !*program) return false;
    const std::string parameters = ParameterText(arguments);
    if (!wait) {
        const INT_PTR result = reinterpret_cast<INT_PTR>(
            ::ShellExecuteA(nullptr, "open", program, parameters.c_str(), "", SW_SHOW));
        return result > 32;
    }
    SHELLEXECUTEINFOA info = {};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    info.lpFile = program;
    info.lpParameters = parameters.c_str();
    info.nShow = SW_SHOW;
    if (!::ShellExecuteExA(&info) || !info.hProcess) return false;
    const bool waited = ::WaitForSingleObject(info.hProcess, INFINITE) == WAIT_OBJECT_0;
    ::CloseHandle(info.hProcess);
    return waited;
}

std::string FolderURL(const char* path) {
    return std::string("file:///") + (path ? path : "");
}

int OpenWithDesktop(const char* target) {
    if (!target) return ERROR_FILE_NOT_FOUND;
    return static_cast<int>(
        reinterpret_cast<INT_PTR>(::ShellExecuteA(nullptr, "open", target, nullptr, nullptr, SW_SHOWNORMAL)));
}

void InitializeComponents() {
    // A thread already in an apartment keeps it; the answer does not matter then.
    (void)::CoInitialize(nullptr);
}

void InitializeOle() {
    (void)::OleInitialize(nullptr);
}

LibraryCallResult CallLibraryEntryPoint(const char* path, const char* entryName, int32_t& result) {
    if (!path || !*path) return LibraryCallResult::NoLibrary;
    // The entry points of a component library make COM calls of their own.
    InitializeComponents();
    HMODULE library = ::LoadLibraryA(path);
    if (!library) return LibraryCallResult::NoLibrary;
    FARPROC symbol = ::GetProcAddress(library, entryName);
    if (!symbol) {
        ::FreeLibrary(library);
        return LibraryCallResult::NoEntryPoint;
    }
    using EntryPoint = HRESULT(STDAPICALLTYPE*)();
    result = static_cast<int32_t>(reinterpret_cast<EntryPoint>(reinterpret_cast<void*>(symbol))());
    ::FreeLibrary(library);
    return LibraryCallResult::Called;
}

// A shell link (.lnk) made through the shell's link object and saved through its file interface.
ShortcutResult CreateShortcut(const char* shortcutPath, const char* target, const char* workingFolder,
                              const char* description) {
    if (!shortcutPath || !*shortcutPath || !target) return ShortcutResult::SaveFailed;
    ComPointer<IShellLinkA> link;
    if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                  link.OutVoid())))
        return ShortcutResult::LinkObjectFailed;
    if (!link) return ShortcutResult::NoLinkObject;
    link->SetPath(target);
    link->SetWorkingDirectory(workingFolder ? workingFolder : "");
    link->SetDescription(description ? description : "");
    ComPointer<IPersistFile> file;
    if (FAILED(link->QueryInterface(IID_IPersistFile, file.OutVoid()))) return ShortcutResult::PersistFailed;
    if (!file) return ShortcutResult::NoPersistFile;
    WCHAR widePath[MAX_PATH];
    if (::MultiByteToWideChar(CP_ACP, 0, shortcutPath, -1, widePath, MAX_PATH) == 0)
        return ShortcutResult::PathConversionFailed;
    if (FAILED(file->Save(widePath, TRUE))) return ShortcutResult::SaveFailed;
    return ShortcutResult::Created;
}

} // namespace ProgramPlatform
