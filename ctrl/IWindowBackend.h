#pragma once

#include "application/IApplicationBackend.h"
#include "ctrl/VGeometry.h"

#include <memory>

namespace VCtrl {

class CWindowAttributes;
class OffscreenGraphicsContext;
class VWindow;

// One top-level platform window, made for and owned by a VWindow. The platform window turns its events into
// the window messages of WindowMessages.h and hands them to VWindow::HandleMessage on the user-interface
// thread, from the message loop; every operation below is called on that thread.
class IPlatformWindow {
public:
    // Destroys the platform window without sending any message.
    virtual ~IPlatformWindow() = default;

    virtual VApplication::NativeWindow GetNativeWindow() const = 0;
    virtual void Show(bool show) = 0;
    virtual bool IsShown() const = 0;
    virtual void SetTitle(const char* title) = 0;
    // Marks rect (client coordinates) for repainting; the paint message follows from the message loop.
    virtual void Invalidate(const VRect& rect) = 0;
    // Sends the paint message for what is marked now, without waiting for the loop.
    virtual void Update() = 0;
    // Called while the paint message is handled: copies rect of the off-screen bitmap (client-sized, client
    // coordinates) to the window. The context is of the build's drawing library (see
    // OffscreenGraphicsContext), so a backend may take its concrete kind.
    virtual void Present(OffscreenGraphicsContext& offscreen, const VRect& rect) = 0;
    // Mouse capture: while captured, the mouse messages come to this window wherever the pointer is.
    virtual void SetCapture(bool on) = 0;
    virtual bool HasCapture() const = 0;
    virtual void Focus() = 0;
    virtual bool HasFocus() const = 0;
};

// Makes the platform windows. One backend is selected at start (SetWindowBackend): the GTK one when the
// program has a display, the headless one for silent runs and tests. It must match the application backend
// (VApplication::SetBackend): GTK windows need GTK's message loop, headless windows paint from posted tasks.
class IWindowBackend {
public:
    virtual ~IWindowBackend() = default;

    virtual const char* GetName() const = 0;
    // The size of the primary screen, on which windows are centred.
    virtual VSize GetScreenSize() const = 0;
    // Makes the platform window, hidden, with the client frame (screen coordinates), the attributes' title,
    // styles and icon; VWindow shows it. The window class name is for backends that group windows by it.
    // nullptr when the platform cannot make it.
    virtual std::unique_ptr<IPlatformWindow> CreatePlatformWindow(VWindow& window,
                                                                  const CWindowAttributes& attributes,
                                                                  const VRect& frame,
                                                                  const char* windowClassName) = 0;
};

inline VRect IntersectRects(const VRect& a, const VRect& b) {
    const int32_t left = a.x > b.x ? a.x : b.x, top = a.y > b.y ? a.y : b.y;
    const int32_t right = a.x + a.width < b.x + b.width ? a.x + a.width : b.x + b.width;
    const int32_t bottom = a.y + a.height < b.y + b.height ? a.y + a.height : b.y + b.height;
    if (right <= left || bottom <= top) return VRect{};
    return VRect{left, top, right - left, bottom - top};
}

// The smallest rectangle holding both; an empty rectangle adds nothing.
inline VRect UniteRects(const VRect& a, const VRect& b) {
    if (a.IsEmpty()) return b.IsEmpty() ? VRect{} : b;
    if (b.IsEmpty()) return a;
    const int32_t left = a.x < b.x ? a.x : b.x, top = a.y < b.y ? a.y : b.y;
    const int32_t right = a.x + a.width > b.x + b.width ? a.x + a.width : b.x + b.width;
    const int32_t bottom = a.y + a.height > b.y + b.height ? a.y + a.height : b.y + b.height;
    return VRect{left, top, right - left, bottom - top};
}

// Selects the backend for the windows made from now on; call on the user-interface thread before any window
// exists. nullptr goes back to the default.
void SetWindowBackend(std::shared_ptr<IWindowBackend> backend);
// The selected backend; a headless one is made on first use when none was selected.
std::shared_ptr<IWindowBackend> GetWindowBackend();
std::shared_ptr<IWindowBackend> MakeHeadlessWindowBackend();
// The desktop backend (GTK) when the program was built with it and GTK is connected to a display (after
// VApplication::MakeDesktopBackend succeeded); else nullptr.
std::shared_ptr<IWindowBackend> MakeDesktopWindowBackend();

} // namespace VCtrl
