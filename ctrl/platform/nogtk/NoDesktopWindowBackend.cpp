#include "ctrl/IWindowBackend.h"

// Built when no desktop toolkit was found: windows are always headless.
namespace VCtrl {

std::shared_ptr<IWindowBackend> MakeDesktopWindowBackend() {
    return nullptr;
}

} // namespace VCtrl
