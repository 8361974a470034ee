#pragma once

#include "ctrl/CWindowAttributes.h"
#include "ctrl/IWindowBackend.h"

#include <memory>
#include <string>

struct HWND__;
struct HDC__;

namespace VCtrl {

class VWindow;

// One top-level window of a window class registered under the window's class name (its style with double
// clicks, the arrow cursor, a white background and the attributes' icon). The system's window messages are
// already the toolkit's (WindowMessages.h keeps their numbers, virtual keys and mouse bits): they go to
// VWindow::HandleMessage with the few conversions the toolkit asks for (the paint rectangle, the wheel's
// client point, dropped files, focus and capture going to another window).
//
// Painting: WM_PAINT begins painting and sends the paint message with the update rectangle; the root draws
// into its off-screen bitmap (a GdiPlusGraphicsContext) and Present copies the rectangle with a plain bit
// copy to the window's device.
class Win32PlatformWindow : public IPlatformWindow {
public:
    Win32PlatformWindow(VWindow& window, const CWindowAttributes& attributes, const VRect& frame,
                        const char* windowClassName);
    ~Win32PlatformWindow() override;
    Win32PlatformWindow(const Win32PlatformWindow&) = delete;
    Win32PlatformWindow& operator=(const Win32PlatformWindow&) = delete;

    // False when the class could not be registered or the window not made.
    bool IsCreated() const { return m_window != nullptr; }

    VApplication::NativeWindow GetNativeWindow() const override { return m_window; }
    void Show(bool show) override;
    bool IsShown() const override;
    void SetTitle(const char* title) override;
    void Invalidate(const VRect& rect) override;
    void Update() override;
    void Present(OffscreenGraphicsContext& offscreen, const VRect& rect) override;
    void SetCapture(bool on) override;
    bool HasCapture() const override;
    void Focus() override;
    bool HasFocus() const override;

    // The window style words as the system takes them: the attributes' style without the low word, which
    // belongs to the window class.
    static uint32_t SystemStyle(const CWindowAttributes& attributes);
    static uint32_t SystemExtendedStyle(const CWindowAttributes& attributes);

private:
    static intptr_t __stdcall WindowProcedure(HWND__* window, unsigned int message, uintptr_t wParam,
                                              intptr_t lParam);
    intptr_t HandleSystemMessage(unsigned int message, uintptr_t wParam, intptr_t lParam, bool& handled);
    intptr_t Send(uint32_t message, uintptr_t wParam, intptr_t lParam);

    VWindow& m_owner;
    HWND__* m_window = nullptr;
    HDC__* m_paintDC = nullptr;
    // Set while the constructor and the destructor run: the messages of making and destroying the window
    // are the system's business, not the toolkit's.
    bool m_quiet = true;
};

class Win32WindowBackend : public IWindowBackend {
public:
    const char* GetName() const override { return "win32"; }
    VSize GetScreenSize() const override;
    std::unique_ptr<IPlatformWindow> CreatePlatformWindow(VWindow& window,
                                                          const CWindowAttributes& attributes,
                                                          const VRect& frame,
                                                          const char* windowClassName) override;
};

} // namespace VCtrl
