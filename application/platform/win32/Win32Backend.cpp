#include "application/platform/win32/Win32Backend.h"

#include "foundation/VString.h"

#include <windows.h>
// After <windows.h>, which they build on.
#include <commdlg.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <algorithm>
#include <string>

namespace VApplication {

using VFoundation::VString;

namespace {

constexpr const char* kHiddenWindowClass = "KISApplicationMessages";
constexpr UINT kWakeMessage = WM_APP + 1;
// Paths the dialogs return are cut to the platform's 259 characters.
constexpr size_t kMaxPath = MAX_PATH;

HINSTANCE ModuleInstance() {
    return GetModuleHandleA(nullptr);
}

bool RegisterHiddenClass(WNDPROC procedure) {
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    if (GetClassInfoExA(ModuleInstance(), kHiddenWindowClass, &windowClass)) return true;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = ModuleInstance();
    windowClass.lpszClassName = kHiddenWindowClass;
    return RegisterClassExA(&windowClass) != 0;
}

// The text of a wide path in the program's 8-bit code page; empty when it does not fit a path.
VString NarrowPath(const wchar_t* path) {
    char buffer[kMaxPath + 1] = {};
    const int length =
        WideCharToMultiByte(CP_ACP, 0, path, -1, buffer, int(sizeof(buffer)), nullptr, nullptr);
    if (length <= 0 || size_t(length) > kMaxPath) return VString();
    return VString(buffer);
}

std::wstring WidePath(const char* text) {
    const int needed = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    if (needed <= 0) return std::wstring();
    std::wstring out(size_t(needed), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text, -1, out.data(), needed);
    out.resize(size_t(needed - 1));
    return out;
}

bool IsFolder(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// Where a folder dialog opens: the folder asked for when it exists, else the folder that would hold it
// (an installation's proposed location is often not made yet); empty for the system's choice.
std::string InitialFolderOf(const VString& wanted) {
    std::string path = wanted.GetText();
    if (path.empty() || IsFolder(path)) return path;
    const size_t cut = path.find_last_of("\\/");
    if (cut == std::string::npos) return std::string();
    // "C:" alone would name the drive's current folder, "C:\" its root.
    path.resize(cut > 0 && path[cut - 1] == ':' ? cut + 1 : cut);
    return IsFolder(path) ? path : std::string();
}

// The folder picker of the modern file dialog; false when the system has none (the caller falls back).
bool PickFolderModern(HWND owner, const char* title, const std::string& initialFolder, VString& chosen) {
    IFileDialog* dialog = nullptr;
    if (FAILED(CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER, IID_IFileDialog,
                                reinterpret_cast<void**>(&dialog))))
        return false;
    DWORD options = 0;
    dialog->GetOptions(&options);
    dialog->SetOptions(options | FOS_PICKFOLDERS | FOS_FORCEFILESYSTEM | FOS_PATHMUSTEXIST);
    if (title && *title) dialog->SetTitle(WidePath(title).c_str());
    if (!initialFolder.empty()) {
        IShellItem* folder = nullptr;
        if (SUCCEEDED(SHCreateItemFromParsingName(WidePath(initialFolder.c_str()).c_str(), nullptr,
                                                  IID_IShellItem, reinterpret_cast<void**>(&folder)))) {
            dialog->SetFolder(folder);
            folder->Release();
        }
    }
    chosen = VString();
    if (SUCCEEDED(dialog->Show(owner))) {
        IShellItem* item = nullptr;
        if (SUCCEEDED(dialog->GetResult(&item))) {
            wchar_t* path = nullptr;
            if (SUCCEEDED(item->GetDisplayName(SIGDN_FILESYSPATH, &path))) {
                chosen = NarrowPath(path);
                CoTaskMemFree(path);
            }
            item->Release();
        }
    }
    dialog->Release();
    return true;
}

// Selects the initial folder (lpData) once the folder browser is up.
int __stdcall SelectInitialFolder(HWND window, UINT message, LPARAM, LPARAM data) {
    if (message == BFFM_INITIALIZED && data) SendMessageA(window, BFFM_SETSELECTIONA, TRUE, data);
    return 0;
}

VString PickFolderClassic(HWND owner, const char* title, uint32_t flags, const std::string& initialFolder) {
    BROWSEINFOA info{};
    info.hwndOwner = owner;
    info.lpszTitle = title;
    info.ulFlags = flags | BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
    if (!initialFolder.empty()) {
        info.lpfn = &SelectInitialFolder;
        info.lParam = reinterpret_cast<LPARAM>(initialFolder.c_str());
    }
    PIDLIST_ABSOLUTE list = SHBrowseForFolderA(&info);
    if (!list) return VString();
    char path[kMaxPath] = {};
    const bool converted = SHGetPathFromIDListA(list, path);
    // The item list belongs to the shell's allocator.
    CoTaskMemFree(list);
    return converted ? VString(path) : VString();
}

} // namespace

Win32Backend::Win32Backend() {
    if (!RegisterHiddenClass(reinterpret_cast<WNDPROC>(&Win32Backend::WindowProcedure))) return;
    m_window = CreateWindowExA(0, kHiddenWindowClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                               ModuleInstance(), nullptr);
    if (m_window) SetWindowLongPtrA(m_window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

Win32Backend::~Win32Backend() {
    std::deque<Item> dropped;
    {
        std::lock_guard<std::mutex> lock(m_guard);
        for (const auto& [id, callback] : m_timers)
            if (m_window) KillTimer(m_window, id);
        m_timers.clear();
        dropped.swap(m_queue);
    }
    if (m_window) {
        SetWindowLongPtrA(m_window, GWLP_USERDATA, 0);
        DestroyWindow(m_window);
    }
    // The dropped tasks go here, outside the guard: a dropped dialog task breaks its promise, which wakes the
    // thread that waits for the answer.
}

intptr_t __stdcall Win32Backend::WindowProcedure(HWND__* window, unsigned int message, uintptr_t wParam,
                                                 intptr_t lParam) {
    auto* self = reinterpret_cast<Win32Backend*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (self && message == kWakeMessage) {
        self->DispatchOne();
        return 0;
    }
    if (self && message == WM_TIMER) {
        self->OnTimer(TimerId(wParam));
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

void Win32Backend::ScheduleLocked() {
    if (m_queue.empty() || m_held || m_wakePosted || !m_window) return;
    m_wakePosted = PostMessageA(m_window, kWakeMessage, 0, 0) != 0;
}

void Win32Backend::DispatchOne() {
    Item item;
    {
        std::lock_guard<std::mutex> lock(m_guard);
        m_wakePosted = false;
        if (m_queue.empty() || m_held) return;
        if (m_queue.front().quit) {
            // Without a loop of ours (a modal dialog's loop shown before any ran) the request stays at the
            // head and ends the next loop.
            m_held = true;
            if (m_loops.empty()) return;
            Loop* innermost = m_loops.back();
            innermost->code = m_queue.front().code;
            innermost->done = true;
            m_queue.pop_front();
            return;
        }
        item = std::move(m_queue.front());
        m_queue.pop_front();
        // The next wake goes out before this task runs: the task may run a nested loop.
        ScheduleLocked();
    }
    item.task();
}

int Win32Backend::RunMessageLoop() {
    Loop loop;
    {
        std::lock_guard<std::mutex> lock(m_guard);
        m_loops.push_back(&loop);
        m_held = false;
        ScheduleLocked();
    }
    while (!loop.done) {
        MSG message;
        const BOOL got = GetMessageA(&message, nullptr, 0, 0);
        if (got == 0) {
            // The system's own quit message (PostQuitMessage elsewhere) ends the loop with its code.
            loop.code = int(message.wParam);
            break;
        }
        if (got == -1) break;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    {
        std::lock_guard<std::mutex> lock(m_guard);
        m_loops.erase(std::find(m_loops.begin(), m_loops.end(), &loop));
        m_held = false;
        ScheduleLocked();
    }
    return loop.code;
}

void Win32Backend::Quit(int code) {
    std::lock_guard<std::mutex> lock(m_guard);
    Item item;
    item.quit = true;
    item.code = code;
    m_queue.push_back(std::move(item));
    ScheduleLocked();
}

void Win32Backend::Post(std::function<void()> task) {
    if (!task) return;
    std::lock_guard<std::mutex> lock(m_guard);
    Item item;
    item.task = std::move(task);
    m_queue.push_back(std::move(item));
    ScheduleLocked();
}

size_t Win32Backend::GetLoopDepth() const {
    std::lock_guard<std::mutex> lock(m_guard);
    return m_loops.size();
}

size_t Win32Backend::GetTimerCount() const {
    std::lock_guard<std::mutex> lock(m_guard);
    return m_timers.size();
}

TimerId Win32Backend::StartTimer(uint32_t periodMs, TimerCallback callback) {
    if (!callback || !m_window) return 0;
    std::lock_guard<std::mutex> lock(m_guard);
    const TimerId id = m_nextTimerId++;
    if (!SetTimer(m_window, id, std::max<uint32_t>(periodMs, 1), nullptr)) return 0;
    m_timers.emplace(id, std::make_shared<TimerCallback>(std::move(callback)));
    return id;
}

bool Win32Backend::StopTimer(TimerId id) {
    std::shared_ptr<TimerCallback> stopped;
    {
        std::lock_guard<std::mutex> lock(m_guard);
        auto found = m_timers.find(id);
        if (found == m_timers.end()) return false;
        // The callback may be the one running now (a timer stopping itself): it stays alive until it returns.
        stopped = std::move(found->second);
        m_timers.erase(found);
    }
    KillTimer(m_window, id);
    return true;
}

void Win32Backend::OnTimer(TimerId id) {
    std::shared_ptr<TimerCallback> callback;
    {
        std::lock_guard<std::mutex> lock(m_guard);
        auto found = m_timers.find(id);
        if (found == m_timers.end()) {
            // A tick that was already queued when the timer stopped.
            return;
        }
        callback = found->second;
    }
    if ((*callback)()) return;
    StopTimer(id);
}

// Dialogs

int Win32Backend::ShowAlert(const VString& caption, const VString& text) {
    // No owner, as designed; task-modal so that the program's windows wait for the answer.
    MessageBoxA(nullptr, text.GetText(), caption.GetText(), MB_OK | MB_TASKMODAL);
    return kAlertOK;
}

bool Win32Backend::ShowConfirm(const VString& caption, const VString& text) {
    return MessageBoxA(nullptr, text.GetText(), caption.GetText(), MB_OKCANCEL | MB_TASKMODAL) == IDOK;
}

std::string Win32Backend::MakeFilterList(const std::vector<FileFilter>& filters) {
    std::string list;
    for (const FileFilter& filter : filters) {
        list += filter.description.GetText();
        list.push_back('\0');
        list += filter.pattern.IsEmpty() ? "*.*" : filter.pattern.GetText();
        list.push_back('\0');
    }
    if (list.empty()) {
        list = "All Files (*.*)";
        list.push_back('\0');
        list += "*.*";
        list.push_back('\0');
    }
    list.push_back('\0');
    return list;
}

VString Win32Backend::ShowFileDialog(const FileDialogRequest& request, bool save) {
    const std::string filter = MakeFilterList(request.filters);
    char path[kMaxPath] = {};
    if (save && !request.presetName.IsEmpty())
        lstrcpynA(path, request.presetName.GetText(), int(sizeof(path)));
    OPENFILENAMEA dialog{};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = request.owner ? static_cast<HWND>(request.owner) : GetForegroundWindow();
    dialog.hInstance = ModuleInstance();
    dialog.lpstrFilter = filter.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = path;
    dialog.nMaxFile = DWORD(sizeof(path));
    dialog.lpstrInitialDir = request.initialPath.IsEmpty() ? nullptr : request.initialPath.GetText();
    dialog.lpstrTitle = request.title.IsEmpty() ? nullptr : request.title.GetText();
    dialog.Flags = OFN_HIDEREADONLY | OFN_EXPLORER | OFN_LONGNAMES | OFN_ENABLESIZING |
                   (save ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST);
    const BOOL chosen = save ? GetSaveFileNameA(&dialog) : GetOpenFileNameA(&dialog);
    return chosen ? VString(path) : VString();
}

VString Win32Backend::ShowOpenFileDialog(const FileDialogRequest& request) {
    return ShowFileDialog(request, false);
}

VString Win32Backend::ShowSaveFileDialog(const FileDialogRequest& request) {
    return ShowFileDialog(request, true);
}

VString Win32Backend::ShowFolderDialog(const FolderDialogRequest& request) {
    // COM once for the user-interface thread, left initialised for the process.
    static const bool comStarted = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    (void)comStarted;
    const HWND owner = static_cast<HWND>(request.owner);
    const std::string initialFolder = InitialFolderOf(request.initialFolder);
    VString chosen;
    if (PickFolderModern(owner, request.title.GetText(), initialFolder, chosen)) return chosen;
    return PickFolderClassic(owner, request.title.GetText(), request.flags, initialFolder);
}

} // namespace VApplication
