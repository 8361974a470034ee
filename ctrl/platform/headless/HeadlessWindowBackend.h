#pragma once

#include "ctrl/CWindowAttributes.h"
#include "ctrl/IWindowBackend.h"
#include "ctrl/OffscreenGraphicsContext.h"
#include "foundation/VString.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace VCtrl {

class VWindow;

// The windows of the headless backend: no display, a screen of its own. Painting goes to the root's
// off-screen surface and, when presented, to the window's "screen" surface (what a display would show);
// invalidations are painted from a task posted to the user-interface thread (VApplication::PostToUIThread),
// or at once by Update. Tests drive the window with the Inject operations, which send the same window
// messages as a desktop platform would and return VWindow::HandleMessage's result.
//
// A window's operations may end the window itself (an allowed close): after such a call the HeadlessWindow
// is gone, so take it again from the VWindow (From) rather than keeping the pointer across calls.
class HeadlessWindow : public IPlatformWindow {
public:
    HeadlessWindow(VWindow& window, const CWindowAttributes& attributes, const VRect& frame,
                   const char* windowClassName);
    ~HeadlessWindow() override;
    HeadlessWindow(const HeadlessWindow&) = delete;
    HeadlessWindow& operator=(const HeadlessWindow&) = delete;

    // The headless platform window of window; none when the window has none or another backend made it.
    static HeadlessWindow* From(const VWindow& window);

    VApplication::NativeWindow GetNativeWindow() const override;
    void Show(bool show) override;
    bool IsShown() const override { return m_shown; }
    void SetTitle(const char* title) override;
    void Invalidate(const VRect& rect) override;
    void Update() override;
    void Present(OffscreenGraphicsContext& offscreen, const VRect& rect) override;
    void SetCapture(bool on) override { m_captured = on; }
    bool HasCapture() const override { return m_captured; }
    void Focus() override;
    bool HasFocus() const override { return m_focused; }

    const char* GetTitle() const { return m_title.c_str(); }
    const std::string& GetWindowClassName() const { return m_windowClassName; }
    const CWindowAttributes& GetAttributes() const { return m_attributes; }
    // The client frame on the headless screen.
    VRect GetFrame() const { return m_frame; }
    // What waits to be painted.
    VRect GetInvalidRect() const { return m_invalid; }
    int GetPaintCount() const { return m_paintCount; }
    // The last rectangle presented.
    VRect GetPresentedRect() const { return m_presented; }
    // A pixel of what the window shows (0xAARRGGBB, premultiplied); 0 outside.
    uint32_t GetScreenPixel(int x, int y) const;
    bool SaveScreenAsPNG(const char* path) const;

    // Input as a user would give it; points are client coordinates.
    intptr_t InjectMouseMove(int x, int y);
    intptr_t InjectMouseDown(int x, int y, bool right = false);
    intptr_t InjectMouseUp(int x, int y, bool right = false);
    intptr_t InjectDoubleClick(int x, int y);
    // Down, then up, at the same point.
    void InjectClick(int x, int y, bool right = false);
    intptr_t InjectMouseWheel(int x, int y, int delta);
    // A virtual key pressed (key down, then the character for printable keys) or released. With Alt held
    // (the Alt key itself included) the system key messages are sent.
    intptr_t InjectKey(int32_t virtualKey, bool down, uint32_t character = 0);
    intptr_t InjectCharacter(uint32_t code);
    intptr_t InjectDropFiles(int x, int y, const std::vector<std::string>& paths);
    intptr_t InjectFocus(bool focused);
    intptr_t InjectResize(int width, int height);
    // The user asks to close the window. True when it closed (the delegate allowed it).
    bool RequestClose();

private:
    intptr_t Send(uint32_t message, uintptr_t wParam, intptr_t lParam);
    uintptr_t MouseStateBits() const;
    void MakeScreen();

    VWindow& m_window;
    CWindowAttributes m_attributes;
    VRect m_frame;
    std::string m_title;
    std::string m_windowClassName;
    bool m_shown = false;
    bool m_captured = false;
    bool m_focused = false;
    bool m_leftDown = false;
    bool m_rightDown = false;
    bool m_altDown = false;
    bool m_shiftDown = false;
    bool m_controlDown = false;
    VRect m_invalid;
    bool m_paintPosted = false;
    int m_paintCount = 0;
    VRect m_presented;
    VFoundation::VRef<OffscreenGraphicsContext> m_screen;
    // Posted paints hold it weakly: a paint posted for a window that went meanwhile does nothing.
    std::shared_ptr<HeadlessWindow*> m_token;
};

class HeadlessWindowBackend : public IWindowBackend {
public:
    explicit HeadlessWindowBackend(const VSize& screenSize = VSize{1280, 1024});

    const char* GetName() const override { return "headless"; }
    VSize GetScreenSize() const override { return m_screenSize; }
    std::unique_ptr<IPlatformWindow> CreatePlatformWindow(VWindow& window,
                                                          const CWindowAttributes& attributes,
                                                          const VRect& frame,
                                                          const char* windowClassName) override;

    // Makes the next window creations fail, as a platform that refuses a window would.
    void SetFailCreation(bool fail) { m_failCreation = fail; }

private:
    VSize m_screenSize;
    bool m_failCreation = false;
};

} // namespace VCtrl
