#include "application/BackendFactory.h"

// Built when no desktop toolkit was found: the program always runs on the headless backend.
namespace VApplication {

std::shared_ptr<IApplicationBackend> MakeDesktopBackend(int&, char**&) {
    return nullptr;
}

std::shared_ptr<IApplicationBackend> MakeDesktopBackend() {
    return nullptr;
}

} // namespace VApplication
