#include "application/VApplication.h"

#include "application/ApplicationPlatform.h"
#include "application/VRegistry.h"
#include "application/platform/headless/HeadlessBackend.h"
#include "foundation/VFoundation.h"
#include "foundation/VLog.h"

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <exception>
#include <fstream>
#include <future>
#include <mutex>
#include <string>
#include <thread>
#include <utility>

namespace VApplication {

namespace {

constexpr size_t kAlertBufferSize = 2080;
constexpr const char* kDefaultDeveloperName = "Kestrawin";
constexpr const char* kAlertCaption = "Alert";
constexpr const char* kConfirmCaption = "Confirm:";

// The frame's process-wide state. The names are written at start on the user-interface thread but read
// from any thread (the installer thread asks for the module path), so they share one guard.
struct Frame {
    std::mutex guard;
    int startCount = 0;
    bool initialised = false;
    VFoundation::AlertHandler previousAlertHandler = nullptr;
    std::shared_ptr<IApplicationBackend> backend;
    std::atomic<std::thread::id> uiThread{};
    void* moduleHandle = nullptr;
    std::string modulePath;
    std::string moduleFileName;
    std::string applicationName;
    std::string developerName = kDefaultDeveloperName;
};

Frame& GetFrame() {
    // Never destroyed: other libraries' static destructors may still ask for names or post tasks.
    static Frame* frame = new Frame();
    return *frame;
}

int FrameAlertHandler(const char* text) {
    return AlertText(text);
}

std::string LastPathComponent(const std::string& path) {
    const size_t separator = path.find_last_of("\\/");
    return separator == std::string::npos ? path : path.substr(separator + 1);
}

void StoreModulePath(Frame& frame, const std::string& path) {
    frame.modulePath = path;
    frame.moduleFileName = LastPathComponent(path);
}

// Runs a dialog on the user-interface thread and hands its answer to the calling thread.
template <typename Result> Result RunOnUIThread(std::function<Result(IApplicationBackend&)> show) {
    std::shared_ptr<IApplicationBackend> backend = GetBackend();
    // Before the library starts there is no user-interface thread to wait for.
    if (IsUIThread() || !IsLibraryInitialized()) return show(*backend);
    auto answer = std::make_shared<std::promise<Result>>();
    std::future<Result> future = answer->get_future();
    // The task holds the backend by address: a backend owns its queue, so a task never outlives it. A
    // backend destroyed before answering breaks the promise, and the caller gets the cancel answer.
    IApplicationBackend* target = backend.get();
    backend->Post([answer, show, target] {
        try {
            answer->set_value(show(*target));
        } catch (...) {
            answer->set_exception(std::current_exception());
        }
    });
    try {
        return future.get();
    } catch (const std::exception& error) {
        VFoundation::LogPrintf(
            "VApplication: a dialog posted to the user-interface thread was not answered: %s\n",
            error.what());
        return Result();
    }
}

FileDialogRequest MakeFileRequest(const char* title, const char* initialPath, const char* filter) {
    FileDialogRequest request;
    request.title = title ? title : "Choose a file:";
    request.initialPath = initialPath ? initialPath : "";
    request.filters = ParseFileFilter(filter);
    return request;
}

} // namespace

bool InitializeLibrary() {
    Frame& frame = GetFrame();
    std::lock_guard<std::mutex> lock(frame.guard);
    if (++frame.startCount > 1 && frame.initialised) return true;
    frame.uiThread = std::this_thread::get_id();
    VRegistry::GetClassRecord();
    frame.previousAlertHandler = VFoundation::SetAlertHandler(&FrameAlertHandler);
    frame.initialised = true;
    return true;
}

void UninitializeLibrary() {
    Frame& frame = GetFrame();
    std::shared_ptr<IApplicationBackend> backend;
    {
        std::lock_guard<std::mutex> lock(frame.guard);
        if (frame.startCount == 0 || --frame.startCount > 0) return;
        VFoundation::SetAlertHandler(frame.previousAlertHandler);
        frame.previousAlertHandler = nullptr;
        backend = std::move(frame.backend);
        frame.initialised = false;
    }
    // Released outside the guard: a backend's destructor may still run tasks that ask for names.
    backend.reset();
}

bool IsLibraryInitialized() {
    Frame& frame = GetFrame();
    std::lock_guard<std::mutex> lock(frame.guard);
    return frame.initialised;
}

void SetBackend(std::shared_ptr<IApplicationBackend> backend) {
    Frame& frame = GetFrame();
    std::shared_ptr<IApplicationBackend> previous;
    {
        std::lock_guard<std::mutex> lock(frame.guard);
        previous = std::exchange(frame.backend, std::move(backend));
    }
}

std::shared_ptr<IApplicationBackend> GetBackend() {
    Frame& frame = GetFrame();
    std::lock_guard<std::mutex> lock(frame.guard);
    if (!frame.backend) frame.backend = std::make_shared<HeadlessBackend>();
    return frame.backend;
}

void SetModule(void* moduleHandle) {
    Frame& frame = GetFrame();
    const std::string path = Platform::GetExecutablePath();
    {
        std::lock_guard<std::mutex> lock(frame.guard);
        frame.moduleHandle = moduleHandle;
    }
    SetModulePath(path.c_str());
}

void SetModulePath(const char* path) {
    Frame& frame = GetFrame();
    std::lock_guard<std::mutex> lock(frame.guard);
    StoreModulePath(frame, path ? path : "");
    frame.applicationName = MakeDefaultApplicationName(frame.moduleFileName.c_str()).GetText();
    frame.developerName = kDefaultDeveloperName;
}

void SetNames(const char* applicationName, const char* developerName) {
    Frame& frame = GetFrame();
    std::string path;
    bool needPath;
    {
        std::lock_guard<std::mutex> lock(frame.guard);
        needPath = frame.modulePath.empty();
    }
    if (needPath) path = Platform::GetExecutablePath();
    std::lock_guard<std::mutex> lock(frame.guard);
    if (applicationName) frame.applicationName = applicationName;
    if (developerName) frame.developerName = developerName;
    if (needPath && frame.modulePath.empty()) StoreModulePath(frame, path);
}

void* GetModuleHandle() {
    Frame& frame = GetFrame();
    std::lock_guard<std::mutex> lock(frame.guard);
    return frame.moduleHandle;
}

VFoundation::VString GetModulePath() {
    Frame& frame = GetFrame();
    std::lock_guard<std::mutex> lock(frame.guard);
    return VFoundation::VString(frame.modulePath.c_str());
}

VFoundation::VString GetModuleFileName() {
    Frame& frame = GetFrame();
    std::lock_guard<std::mutex> lock(frame.guard);
    return VFoundation::VString(frame.moduleFileName.c_str());
}

VFoundation::VString GetApplicationName() {
    Frame& frame = GetFrame();
    std::lock_guard<std::mutex> lock(frame.guard);
    return VFoundation::VString(frame.applicationName.c_str());
}

VFoundation::VString GetDeveloperName() {
    Frame& frame = GetFrame();
    std::lock_guard<std::mutex> lock(frame.guard);
    return VFoundation::VString(frame.developerName.c_str());
}

VFoundation::VString MakeDefaultApplicationName(const char* moduleFileName) {
    const std::string name = moduleFileName ? moduleFileName : "";
    const size_t dot = name.rfind('.');
    // A program file always had an extension where this rule was made. POSIX programs mostly have none, and
    // a version number in their name ("Setup.1.5") is not one; nor does a leading dot (a hidden file) start
    // one.
    if (dot == std::string::npos || dot == 0) return VFoundation::VString(name.c_str());
    const std::string suffix = name.substr(dot + 1);
    if (!suffix.empty() && suffix.find_first_not_of("0123456789") == std::string::npos)
        return VFoundation::VString(name.c_str());
    return VFoundation::VString(name.substr(0, dot).c_str());
}

int AlertBox(const char* format, ...) {
    char text[kAlertBufferSize];
    text[0] = '\0';
    if (format) {
        va_list arguments;
        va_start(arguments, format);
        if (std::vsnprintf(text, sizeof text, format, arguments) < 0) text[0] = '\0';
        va_end(arguments);
    }
    return AlertText(text);
}

int AlertText(const char* text) {
    const VFoundation::VString message(text ? text : "");
    return RunOnUIThread<int>(
        [message](IApplicationBackend& backend) { return backend.ShowAlert(kAlertCaption, message); });
}

bool ConfirmBox(const char* text) {
    const VFoundation::VString message(text ? text : "");
    return RunOnUIThread<bool>(
        [message](IApplicationBackend& backend) { return backend.ShowConfirm(kConfirmCaption, message); });
}

std::vector<FileFilter> ParseFileFilter(const char* filter) {
    std::vector<FileFilter> filters;
    if (filter) {
        const char* cursor = filter;
        while (*cursor) {
            FileFilter entry;
            entry.description = cursor;
            cursor += std::strlen(cursor) + 1;
            // A description without its pattern (the list ends early) offers every file.
            entry.pattern = *cursor ? cursor : "*";
            if (*cursor) cursor += std::strlen(cursor) + 1;
            filters.push_back(entry);
        }
    }
    if (filters.empty()) filters.push_back(FileFilter{"All Files (*.*)", "*.*"});
    return filters;
}

VFoundation::VString OpenFileDialog(const char* title, const char* initialPath, const char* filter) {
    const FileDialogRequest request = MakeFileRequest(title, initialPath, filter);
    return RunOnUIThread<VFoundation::VString>(
        [request](IApplicationBackend& backend) { return backend.ShowOpenFileDialog(request); });
}

VFoundation::VString SaveFileDialog(const char* title, const char* initialPath, const char* filter) {
    FileDialogRequest request = MakeFileRequest(title, initialPath, filter);
    request.presetName = "unnamed";
    return RunOnUIThread<VFoundation::VString>(
        [request](IApplicationBackend& backend) { return backend.ShowSaveFileDialog(request); });
}

VFoundation::VString FolderDialog(NativeWindow owner, const char* title, uint32_t flags,
                                  const char* initialFolder) {
    FolderDialogRequest request;
    request.owner = owner;
    request.title = title ? title : "";
    request.flags = flags;
    request.initialFolder = initialFolder ? initialFolder : "";
    return RunOnUIThread<VFoundation::VString>(
        [request](IApplicationBackend& backend) { return backend.ShowFolderDialog(request); });
}

int RunMessageLoop() {
    std::shared_ptr<IApplicationBackend> backend = GetBackend();
    GetFrame().uiThread = std::this_thread::get_id();
    return backend->RunMessageLoop();
}

void Quit(int code) {
    GetBackend()->Quit(code);
}

void PostToUIThread(std::function<void()> task) {
    if (task) GetBackend()->Post(std::move(task));
}

bool IsUIThread() {
    return GetFrame().uiThread.load() == std::this_thread::get_id();
}

TimerId StartTimer(uint32_t periodMs, TimerCallback callback) {
    if (!callback) return 0;
    return GetBackend()->StartTimer(periodMs, std::move(callback));
}

bool StopTimer(TimerId id) {
    return id != 0 && GetBackend()->StopTimer(id);
}

VFoundation::VString GetIcon(const char* filePath, int index) {
    if (!filePath || !*filePath || index < 0) return VFoundation::VString();
    std::ifstream file(filePath, std::ios::binary);
    if (!file) return VFoundation::VString();
    unsigned char head[6] = {};
    file.read(reinterpret_cast<char*>(head), sizeof head);
    const bool isIconDirectory =
        file.gcount() == 6 && head[0] == 0 && head[1] == 0 && head[2] == 1 && head[3] == 0;
    const int count = isIconDirectory ? head[4] | (head[5] << 8) : 1;
    if (index >= count) return VFoundation::VString();
    return VFoundation::VString(filePath);
}

} // namespace VApplication
