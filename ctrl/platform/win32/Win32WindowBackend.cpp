#include "ctrl/platform/win32/Win32WindowBackend.h"

#include "ctrl/DefaultWindowIcon.h"
#include "ctrl/VWindow.h"
#include "ctrl/WindowMessages.h"
#include "ctrl/platform/win32/GdiPlusGraphicsContext.h"

#include <windows.h>
// After <windows.h>, which it builds on.
#include <shellapi.h>

#include <algorithm>
#include <vector>

namespace VCtrl {

namespace {

HINSTANCE ModuleInstance() {
    return GetModuleHandleA(nullptr);
}

// Registers the class once for the process; windows of the same class name share it.
bool RegisterWindowClass(const char* name, const CWindowAttributes& attributes, WNDPROC procedure) {
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    if (GetClassInfoExA(ModuleInstance(), name, &windowClass)) return true;
    windowClass.style = CS_DBLCLKS;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = ModuleInstance();
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    windowClass.lpszClassName = name;
    if (!attributes.icon.IsEmpty()) {
        windowClass.hIcon = static_cast<HICON>(LoadImageA(nullptr, attributes.icon.GetText(), IMAGE_ICON, 0,
                                                          0, LR_LOADFROMFILE | LR_DEFAULTSIZE));
        windowClass.hIconSm = static_cast<HICON>(LoadImageA(nullptr, attributes.icon.GetText(), IMAGE_ICON,
                                                            GetSystemMetrics(SM_CXSMICON),
                                                            GetSystemMetrics(SM_CYSMICON), LR_LOADFROMFILE));
    }
    return RegisterClassExA(&windowClass) != 0;
}

// The toolkit's default icon as a system icon of size x size pixels; nullptr when it cannot be made.
HICON MakeDefaultIcon(int size) {
    VFoundation::VRef<OffscreenGraphicsContext> picture = MakeDefaultWindowIcon(size);
    if (!picture) return nullptr;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = size;
    info.bmiHeader.biHeight = -size;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP colour = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!colour) return nullptr;
    // Icons keep their colours apart from the alpha; the bitmap's are premultiplied.
    auto* pixels = static_cast<uint32_t*>(bits);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const uint32_t pixel = picture->GetTargetPixel(x, y);
            const uint32_t alpha = pixel >> 24;
            uint32_t straight = 0;
            if (alpha) {
                straight = alpha << 24;
                for (int shift = 0; shift < 24; shift += 8)
                    straight |= std::min<uint32_t>(255, ((pixel >> shift) & 0xFF) * 255 / alpha) << shift;
            }
            pixels[size_t(y) * size_t(size) + size_t(x)] = straight;
        }
    }
    // The alpha decides; the mask stays clear.
    const std::vector<uint8_t> clear(size_t((size + 15) / 16 * 2) * size_t(size), 0);
    HBITMAP mask = CreateBitmap(size, size, 1, 1, clear.data());
    ICONINFO parts{};
    parts.fIcon = TRUE;
    parts.hbmMask = mask;
    parts.hbmColor = colour;
    HICON icon = mask ? CreateIconIndirect(&parts) : nullptr;
    if (mask) DeleteObject(mask);
    DeleteObject(colour);
    return icon;
}

bool IsWindowOfThisProgram(HWND window) {
    if (!window) return false;
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    return process == GetCurrentProcessId();
}

} // namespace

uint32_t Win32PlatformWindow::SystemStyle(const CWindowAttributes& attributes) {
    // Shown by VWindow, not by the creation.
    return attributes.style & 0xFFFF0000u & ~uint32_t(WS_VISIBLE);
}

uint32_t Win32PlatformWindow::SystemExtendedStyle(const CWindowAttributes& attributes) {
    return attributes.extendedStyle;
}

Win32PlatformWindow::Win32PlatformWindow(VWindow& window, const CWindowAttributes& attributes,
                                         const VRect& frame, const char* windowClassName)
    : m_owner(window) {
    const char* className = windowClassName && *windowClassName ? windowClassName : "KISWindow";
    if (!RegisterWindowClass(className, attributes, reinterpret_cast<WNDPROC>(&WindowProcedure))) return;
    const DWORD style = SystemStyle(attributes), extendedStyle = SystemExtendedStyle(attributes);
    // The frame is the client area; the window around it is larger by the borders and the caption.
    RECT outer{frame.x, frame.y, frame.x + frame.width, frame.y + frame.height};
    AdjustWindowRectEx(&outer, style, FALSE, extendedStyle);
    m_window = CreateWindowExA(extendedStyle, className, attributes.title.GetText(), style, outer.left,
                               outer.top, outer.right - outer.left, outer.bottom - outer.top, nullptr,
                               nullptr, ModuleInstance(), this);
    if (m_window && attributes.AcceptsFiles()) DragAcceptFiles(m_window, TRUE);
    // A window with a caption always has an icon: its class's, or the toolkit's own (made once, shared by
    // the windows and kept for the process).
    if (m_window && attributes.HasCaption() && !GetClassLongPtrA(m_window, GCLP_HICON)) {
        static const HICON bigIcon = MakeDefaultIcon(GetSystemMetrics(SM_CXICON));
        static const HICON smallIcon = MakeDefaultIcon(GetSystemMetrics(SM_CXSMICON));
        if (bigIcon) SendMessageA(m_window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon));
        if (smallIcon) SendMessageA(m_window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon));
    }
    m_quiet = false;
}

Win32PlatformWindow::~Win32PlatformWindow() {
    m_quiet = true;
    if (!m_window) return;
    SetWindowLongPtrA(m_window, GWLP_USERDATA, 0);
    DestroyWindow(m_window);
}

intptr_t Win32PlatformWindow::Send(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    return m_owner.HandleMessage(message, wParam, lParam);
}

void Win32PlatformWindow::Show(bool show) {
    if (!m_window) return;
    ShowWindow(m_window, show ? SW_SHOW : SW_HIDE);
    if (show) UpdateWindow(m_window);
}

bool Win32PlatformWindow::IsShown() const {
    return m_window && IsWindowVisible(m_window);
}

void Win32PlatformWindow::SetTitle(const char* title) {
    if (m_window) SetWindowTextA(m_window, title ? title : "");
}

void Win32PlatformWindow::Invalidate(const VRect& rect) {
    if (!m_window) return;
    const RECT area{rect.x, rect.y, rect.x + rect.width, rect.y + rect.height};
    InvalidateRect(m_window, &area, FALSE);
}

void Win32PlatformWindow::Update() {
    if (m_window) UpdateWindow(m_window);
}

void Win32PlatformWindow::Present(OffscreenGraphicsContext& offscreen, const VRect& rect) {
    if (!m_window) return;
    if (!m_paintDC) {
        // Outside a paint the copy happens at the next one.
        Invalidate(rect);
        return;
    }
    auto& context = static_cast<GdiPlusGraphicsContext&>(offscreen);
    context.Flush();
    if (HDC source = context.GetTargetDC())
        BitBlt(m_paintDC, rect.x, rect.y, rect.width, rect.height, source, rect.x, rect.y, SRCCOPY);
}

void Win32PlatformWindow::SetCapture(bool on) {
    if (!m_window) return;
    if (on)
        ::SetCapture(m_window);
    else if (GetCapture() == m_window)
        ReleaseCapture();
}

bool Win32PlatformWindow::HasCapture() const {
    return m_window && GetCapture() == m_window;
}

void Win32PlatformWindow::Focus() {
    if (!m_window) return;
    SetForegroundWindow(m_window);
    SetFocus(m_window);
}

bool Win32PlatformWindow::HasFocus() const {
    return m_window && GetFocus() == m_window;
}

intptr_t __stdcall Win32PlatformWindow::WindowProcedure(HWND__* window, unsigned int message,
                                                        uintptr_t wParam, intptr_t lParam) {
    if (message == WM_NCCREATE) {
        const auto* creation = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(creation->lpCreateParams));
    }
    auto* self = reinterpret_cast<Win32PlatformWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (self && !self->m_quiet) {
        bool handled = false;
        const intptr_t result = self->HandleSystemMessage(message, wParam, lParam, handled);
        if (handled) return result;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// Whatever reaches the toolkit may end the window, and this object with it: nothing below touches a member
// after Send.
intptr_t Win32PlatformWindow::HandleSystemMessage(unsigned int message, uintptr_t wParam, intptr_t lParam,
                                                  bool& handled) {
    handled = true;
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(m_window, &paint);
        const VRect rect{paint.rcPaint.left, paint.rcPaint.top, paint.rcPaint.right - paint.rcPaint.left,
                         paint.rcPaint.bottom - paint.rcPaint.top};
        m_paintDC = dc;
        const HWND window = m_window;
        // The paint message may not end the window: painting changes no state the toolkit acts on.
        Send(WindowMessage::kPaint, 0, reinterpret_cast<intptr_t>(&rect));
        m_paintDC = nullptr;
        EndPaint(window, &paint);
        return 0;
    }
    case WM_ERASEBKGND:
        // The paint covers everything.
        return 1;
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
        // The mouse bits and the packed client point are the toolkit's as they are.
        Send(message, wParam & 0x0F, lParam);
        return 0;
    case WM_RBUTTONDBLCLK:
        // The toolkit knows no right double click: the second press is a press.
        Send(WindowMessage::kRightButtonDown, wParam & 0x0F, lParam);
        return 0;
    case WM_MOUSEWHEEL: {
        POINT point{PointParamX(lParam), PointParamY(lParam)};
        ScreenToClient(m_window, &point);
        Send(WindowMessage::kMouseWheel, (wParam & 0xFFFF0000u) | (wParam & 0x0F),
             MakePointParam(point.x, point.y));
        return 0;
    }
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_CHAR:
        Send(message, wParam, lParam);
        return 0;
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP: {
        Send(message, wParam, lParam);
        // Alt+F4 still asks the window to close, as everywhere on the system.
        handled = wParam != VK_F4;
        return 0;
    }
    case WM_SYSCHAR:
        // Alt with a letter is a mnemonic, already sent with the key press; the system, finding no menu bar
        // to open, would only beep. Alt+Space still opens the window menu.
        handled = wParam != ' ';
        return 0;
    case WM_SETFOCUS:
        Send(WindowMessage::kSetFocus, 0, 0);
        return 0;
    case WM_KILLFOCUS:
        Send(WindowMessage::kKillFocus, IsWindowOfThisProgram(reinterpret_cast<HWND>(wParam)) ? 1 : 0, 0);
        return 0;
    case WM_CAPTURECHANGED: {
        const HWND taker = reinterpret_cast<HWND>(lParam);
        Send(WindowMessage::kCaptureChanged, 0, taker && taker != m_window ? 1 : 0);
        return 0;
    }
    case WM_DROPFILES: {
        HDROP drop = reinterpret_cast<HDROP>(wParam);
        DroppedFiles dropped;
        POINT point{};
        DragQueryPoint(drop, &point);
        dropped.x = point.x;
        dropped.y = point.y;
        const UINT count = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
        for (UINT i = 0; i < count; ++i) {
            char path[MAX_PATH + 1] = {};
            if (DragQueryFileA(drop, i, path, UINT(sizeof(path)))) dropped.paths.emplace_back(path);
        }
        DragFinish(drop);
        if (!dropped.paths.empty()) Send(WindowMessage::kDropFiles, 0, reinterpret_cast<intptr_t>(&dropped));
        return 0;
    }
    case WM_SIZE:
        // A minimised window keeps its client size for the toolkit.
        if (wParam != SIZE_MINIMIZED) Send(WindowMessage::kSize, 0, lParam);
        handled = false;
        return 0;
    case WM_MOVE:
        Send(WindowMessage::kMove, 0, lParam);
        handled = false;
        return 0;
    case WM_CLOSE:
        // Allowed, the close destroys this object (VWindow ends its platform window); refused, nothing
        // happens.
        Send(WindowMessage::kClose, 0, 0);
        return 0;
    case WM_DESTROY: {
        // Destroyed from outside (the destructor is quiet): the window ends with it.
        m_window = nullptr;
        Send(WindowMessage::kDestroy, 0, 0);
        return 0;
    }
    default:
        handled = false;
        return 0;
    }
}

VSize Win32WindowBackend::GetScreenSize() const {
    return VSize{GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

std::unique_ptr<IPlatformWindow> Win32WindowBackend::CreatePlatformWindow(VWindow& window,
                                                                          const CWindowAttributes& attributes,
                                                                          const VRect& frame,
                                                                          const char* windowClassName) {
    auto platform = std::make_unique<Win32PlatformWindow>(window, attributes, frame, windowClassName);
    if (!platform->IsCreated()) return nullptr;
    return platform;
}

std::shared_ptr<IWindowBackend> MakeDesktopWindowBackend() {
    // A session without a desktop (a service, Wine without a display) makes no top-level windows: the
    // program then says so at start rather than running a wizard nobody sees.
    HWND probe =
        CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, ModuleInstance(), nullptr);
    if (!probe) return nullptr;
    DestroyWindow(probe);
    return std::make_shared<Win32WindowBackend>();
}

} // namespace VCtrl
