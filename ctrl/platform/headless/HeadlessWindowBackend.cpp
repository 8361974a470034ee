#include "ctrl/platform/headless/HeadlessWindowBackend.h"

#include "application/VApplication.h"
#include "ctrl/VWindow.h"
#include "ctrl/WindowMessages.h"

namespace VCtrl {

// HeadlessWindow

HeadlessWindow::HeadlessWindow(VWindow& window, const CWindowAttributes& attributes, const VRect& frame,
                               const char* windowClassName)
    : m_window(window), m_attributes(attributes), m_frame(frame), m_title(attributes.title.GetText()),
      m_windowClassName(windowClassName ? windowClassName : ""),
      m_token(std::make_shared<HeadlessWindow*>(this)) {
    MakeScreen();
}

HeadlessWindow::~HeadlessWindow() = default;

HeadlessWindow* HeadlessWindow::From(const VWindow& window) {
    return dynamic_cast<HeadlessWindow*>(window.GetPlatformWindow());
}

void HeadlessWindow::MakeScreen() {
    m_screen = nullptr;
    if (m_frame.width <= 0 || m_frame.height <= 0) return;
    m_screen = MakeOffscreenGraphicsContext();
    if (!m_screen->CreateTarget(m_frame.width, m_frame.height)) {
        m_screen = nullptr;
        return;
    }
    m_screen->FillRectangle(0, 0, m_frame.width, m_frame.height, VColour(255, 255, 255, 255));
    m_screen->Flush();
}

VApplication::NativeWindow HeadlessWindow::GetNativeWindow() const {
    return const_cast<HeadlessWindow*>(this);
}

void HeadlessWindow::Show(bool show) {
    m_shown = show;
}

void HeadlessWindow::SetTitle(const char* title) {
    m_title = title ? title : "";
}

void HeadlessWindow::Invalidate(const VRect& rect) {
    m_invalid = UniteRects(m_invalid, IntersectRects(rect, VRect{0, 0, m_frame.width, m_frame.height}));
    if (m_paintPosted || m_invalid.IsEmpty()) return;
    m_paintPosted = true;
    std::weak_ptr<HeadlessWindow*> token = m_token;
    VApplication::PostToUIThread([token]() {
        if (std::shared_ptr<HeadlessWindow*> alive = token.lock()) {
            (*alive)->m_paintPosted = false;
            (*alive)->Update();
        }
    });
}

void HeadlessWindow::Update() {
    if (m_invalid.IsEmpty()) return;
    const VRect rect = m_invalid;
    m_invalid = VRect{};
    ++m_paintCount;
    Send(WindowMessage::kPaint, 0, reinterpret_cast<intptr_t>(&rect));
}

void HeadlessWindow::Present(OffscreenGraphicsContext& offscreen, const VRect& rect) {
    if (!m_screen) return;
    m_screen->CopyFrom(offscreen, rect);
    m_presented = rect;
}

void HeadlessWindow::Focus() {
    if (m_focused) return;
    m_focused = true;
    Send(WindowMessage::kSetFocus, 0, 0);
}

uint32_t HeadlessWindow::GetScreenPixel(int x, int y) const {
    return m_screen ? m_screen->GetTargetPixel(x, y) : 0;
}

bool HeadlessWindow::SaveScreenAsPNG(const char* path) const {
    return m_screen && path && m_screen->SaveTargetAsPNG(path);
}

// Input. The window may end while a message is handled, and this object with it: nothing below touches a
// member after Send.

intptr_t HeadlessWindow::Send(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    return m_window.HandleMessage(message, wParam, lParam);
}

uintptr_t HeadlessWindow::MouseStateBits() const {
    uintptr_t bits = 0;
    if (m_leftDown) bits |= MouseState::kLeftButton;
    if (m_rightDown) bits |= MouseState::kRightButton;
    if (m_shiftDown) bits |= MouseState::kShift;
    if (m_controlDown) bits |= MouseState::kControl;
    return bits;
}

intptr_t HeadlessWindow::InjectMouseMove(int x, int y) {
    return Send(WindowMessage::kMouseMove, MouseStateBits(), MakePointParam(x, y));
}

intptr_t HeadlessWindow::InjectMouseDown(int x, int y, bool right) {
    (right ? m_rightDown : m_leftDown) = true;
    return Send(right ? WindowMessage::kRightButtonDown : WindowMessage::kLeftButtonDown, MouseStateBits(),
                MakePointParam(x, y));
}

intptr_t HeadlessWindow::InjectMouseUp(int x, int y, bool right) {
    (right ? m_rightDown : m_leftDown) = false;
    return Send(right ? WindowMessage::kRightButtonUp : WindowMessage::kLeftButtonUp, MouseStateBits(),
                MakePointParam(x, y));
}

intptr_t HeadlessWindow::InjectDoubleClick(int x, int y) {
    m_leftDown = true;
    return Send(WindowMessage::kLeftButtonDoubleClick, MouseStateBits(), MakePointParam(x, y));
}

void HeadlessWindow::InjectClick(int x, int y, bool right) {
    VWindow& window = m_window;
    InjectMouseDown(x, y, right);
    if (HeadlessWindow* still = From(window)) still->InjectMouseUp(x, y, right);
}

intptr_t HeadlessWindow::InjectMouseWheel(int x, int y, int delta) {
    const uintptr_t wParam = (uintptr_t(uint16_t(int16_t(delta))) << 16) | MouseStateBits();
    return Send(WindowMessage::kMouseWheel, wParam, MakePointParam(x, y));
}

intptr_t HeadlessWindow::InjectKey(int32_t virtualKey, bool down, uint32_t character) {
    if (virtualKey == VirtualKey::kShift) m_shiftDown = down;
    if (virtualKey == VirtualKey::kControl) m_controlDown = down;
    const bool system = m_altDown || virtualKey == VirtualKey::kMenu;
    if (virtualKey == VirtualKey::kMenu) m_altDown = down;
    uint32_t message;
    if (down)
        message = system ? WindowMessage::kSystemKeyDown : WindowMessage::kKeyDown;
    else
        message = system ? WindowMessage::kSystemKeyUp : WindowMessage::kKeyUp;
    VWindow& window = m_window;
    const intptr_t result = Send(message, uintptr_t(virtualKey), 0);
    if (down && character && !system) window.HandleMessage(WindowMessage::kChar, character, 0);
    return result;
}

intptr_t HeadlessWindow::InjectCharacter(uint32_t code) {
    return Send(WindowMessage::kChar, code, 0);
}

intptr_t HeadlessWindow::InjectDropFiles(int x, int y, const std::vector<std::string>& paths) {
    if (!m_attributes.AcceptsFiles()) return 0;
    DroppedFiles dropped;
    dropped.x = x;
    dropped.y = y;
    dropped.paths = paths;
    return Send(WindowMessage::kDropFiles, 0, reinterpret_cast<intptr_t>(&dropped));
}

intptr_t HeadlessWindow::InjectFocus(bool focused) {
    if (focused == m_focused) return 0;
    m_focused = focused;
    return Send(focused ? WindowMessage::kSetFocus : WindowMessage::kKillFocus, 0, 0);
}

intptr_t HeadlessWindow::InjectResize(int width, int height) {
    m_frame.width = width < 0 ? 0 : width;
    m_frame.height = height < 0 ? 0 : height;
    MakeScreen();
    return Send(WindowMessage::kSize, 0,
                intptr_t(uint32_t(m_frame.width & 0xFFFF) | (uint32_t(m_frame.height & 0xFFFF) << 16)));
}

bool HeadlessWindow::RequestClose() {
    return Send(WindowMessage::kClose, 0, 0) != -1;
}

// HeadlessWindowBackend

HeadlessWindowBackend::HeadlessWindowBackend(const VSize& screenSize) : m_screenSize(screenSize) {}

std::unique_ptr<IPlatformWindow>
HeadlessWindowBackend::CreatePlatformWindow(VWindow& window, const CWindowAttributes& attributes,
                                            const VRect& frame, const char* windowClassName) {
    if (m_failCreation) return nullptr;
    return std::make_unique<HeadlessWindow>(window, attributes, frame, windowClassName);
}

std::shared_ptr<IWindowBackend> MakeHeadlessWindowBackend() {
    return std::make_shared<HeadlessWindowBackend>();
}

} // namespace VCtrl
