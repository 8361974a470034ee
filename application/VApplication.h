#pragma once

#include "application/IApplicationBackend.h"
#include "foundation/VString.h"

#include <cstdint>
#include <functional>
#include <memory>

// The application frame: start-up, the program's module and names, the message loop of the user-interface
// thread, timers and the standard dialogs. Every operation goes through the backend selected at start.
//
// Threads: the user-interface thread is the one that started the library (and the one that runs the
// message loop). PostToUIThread, Quit, IsUIThread and the name getters may be called from any thread.
// AlertBox, ConfirmBox and the file and folder dialogs called from another thread are posted to the
// user-interface thread and the caller blocks until they are answered: the user-interface thread must then
// be running RunMessageLoop (and must not itself be waiting for the caller), or the caller waits for ever.
// Timers are started and stopped on the user-interface thread.
namespace VApplication {

// Counted start: only the first call acts. Installs the frame's alert box as VFoundation's alert handler.
bool InitializeLibrary();
// Counted stop: the call matching the first start restores the previous alert handler and releases the
// backend. The frame's names stay until the process ends.
void UninitializeLibrary();
bool IsLibraryInitialized();

// Selects the backend; call on the user-interface thread while no message loop runs. When none was
// selected, the first operation that needs one makes a headless backend with a silent responder.
void SetBackend(std::shared_ptr<IApplicationBackend> backend);
std::shared_ptr<IApplicationBackend> GetBackend();

// Remembers the running program: on POSIX the module is the program file itself, so the handle is kept
// only for backends that want it. Derives the default application name from the program file's name and
// resets the developer name to "Kestrawin".
void SetModule(void* moduleHandle = nullptr);
// As SetModule, for a program file given by path (tests, and programs that act on behalf of another file).
void SetModulePath(const char* path);
// Sets both names; a null name leaves that one unchanged. Fills the module path first when it is unset.
void SetNames(const char* applicationName, const char* developerName);
void* GetModuleHandle();
VFoundation::VString GetModulePath();
VFoundation::VString GetModuleFileName();
VFoundation::VString GetApplicationName();
VFoundation::VString GetDeveloperName();
// The program file name cut at its last "." ("Setup.1.5.exe" gives "Setup.1.5"). A name stays whole when
// it has no such extension: no dot after its first character ("kis-installer", ".profile"), or only digits
// after the last dot, a version rather than an extension ("Setup.1.5").
VFoundation::VString MakeDefaultApplicationName(const char* moduleFileName);

// Formats into 2,080 bytes (longer texts are cut) and shows it with the caption "Alert" and an OK button.
int AlertBox(const char* format, ...) __attribute__((format(printf, 1, 2)));
// Shows text unformatted with the caption "Alert".
int AlertText(const char* text);
// Shows text with the caption "Confirm:" and the OK and Cancel buttons; true only for OK.
bool ConfirmBox(const char* text);

// The file dialogs. filter is a list of description and pattern pairs, each ended by a NUL byte, the
// whole ended by a second NUL byte ("Installer files (*.KIS)\0*.KIS\0"). A null title gives "Choose a
// file:", a null or empty filter "All Files (*.*)". An empty result means cancelled.
VFoundation::VString OpenFileDialog(const char* title = nullptr, const char* initialPath = nullptr,
                                    const char* filter = nullptr);
// As OpenFileDialog, proposing the name "unnamed" and asking before overwriting.
VFoundation::VString SaveFileDialog(const char* title = nullptr, const char* initialPath = nullptr,
                                    const char* filter = nullptr);
// Picks a folder of the file system; empty when cancelled. The dialog opens in initialFolder when it
// names an existing folder (else where the platform chooses).
VFoundation::VString FolderDialog(NativeWindow owner, const char* title, uint32_t flags = 0,
                                  const char* initialFolder = nullptr);
// Splits a NUL-separated filter list as the file dialogs do.
std::vector<FileFilter> ParseFileFilter(const char* filter);

// Runs the loop until Quit; returns the quit code.
int RunMessageLoop();
// Ends the running loop with code once the tasks posted before it have run.
void Quit(int code = 0);
// Runs task on the user-interface thread; tasks run in the order they were posted (FIFO).
void PostToUIThread(std::function<void()> task);
bool IsUIThread();

// Control timers, fired on the user-interface thread by the message loop.
TimerId StartTimer(uint32_t periodMs, TimerCallback callback);
bool StopTimer(TimerId id);

// The icon with the given index of an icon file. POSIX has no icon resources: the result is the file's
// path when it exists and holds that index (an ".ico" directory is checked, any other image file holds
// only index 0), else empty. Backends load the picture from the path.
VFoundation::VString GetIcon(const char* filePath, int index = 0);

} // namespace VApplication
