#include "ctrl/IWindowBackend.h"

#include <mutex>

namespace VCtrl {

namespace {

std::mutex g_backendGuard;
std::shared_ptr<IWindowBackend> g_backend;

} // namespace

void SetWindowBackend(std::shared_ptr<IWindowBackend> backend) {
    std::lock_guard<std::mutex> lock(g_backendGuard);
    g_backend = std::move(backend);
}

std::shared_ptr<IWindowBackend> GetWindowBackend() {
    std::lock_guard<std::mutex> lock(g_backendGuard);
    if (!g_backend) g_backend = MakeHeadlessWindowBackend();
    return g_backend;
}

} // namespace VCtrl
