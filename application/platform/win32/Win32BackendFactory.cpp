#include "application/BackendFactory.h"
#include "application/platform/win32/Win32Backend.h"

#include <windows.h>

namespace VApplication {

std::shared_ptr<IApplicationBackend> MakeDesktopBackend(int&, char**&) {
    return MakeDesktopBackend();
}

std::shared_ptr<IApplicationBackend> MakeDesktopBackend() {
    // The program is a console program, so that unattended runs report on standard error. Started from the
    // desktop, the console is its own and only in the way of the window: let it go.
    DWORD processes[2] = {};
    if (GetConsoleProcessList(processes, 2) == 1) FreeConsole();
    auto backend = std::make_shared<Win32Backend>();
    if (!backend->IsUsable()) return nullptr;
    return backend;
}

} // namespace VApplication
