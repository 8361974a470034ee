#include "ctrl/platform/win32/Win32WindowBackend.h"
#include "application/platform/win32/Win32Backend.h"
#include "ctrl/OffscreenGraphicsContext.h"
#include "ctrl/VWindowDelegate.h"
#include "ctrl/WindowMessages.h"
#include "ctrl/WindowTestSupport.h"

#include <gtest/gtest.h>

#include <windows.h>
// <windows.h> makes CreateWindow a macro, which would rename VWindow's own operation.
#undef CreateWindow

#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

using namespace VCtrl;

namespace {

// Wine makes top-level windows only with a display (the tests run under Xvfb from scripts/test.sh).
bool CanMakeWindows() {
    HWND probe = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    if (!probe) return false;
    DestroyWindow(probe);
    return true;
}

class Win32WindowTest : public KisTest::ToolkitTest {
protected:
    void SetUp() override {
        if (!CanMakeWindows()) {
            // Under scripts/xvfb-test.sh a display was promised: no windows there is a failure.
            if (std::getenv("KIS_EXPECT_DISPLAY")) FAIL() << "the system makes no windows on the display";
            GTEST_SKIP() << "no display: the system makes no windows";
        }
        ToolkitTest::SetUp();
        m_toolkitUp = true;
        VApplication::InitializeLibrary();
        auto app = std::make_shared<VApplication::Win32Backend>();
        ASSERT_TRUE(app->IsUsable());
        VApplication::SetBackend(app);
        SetWindowBackend(std::make_shared<Win32WindowBackend>());
    }
    void TearDown() override {
        if (!m_toolkitUp) return;
        SetWindowBackend(nullptr);
        VApplication::SetBackend(nullptr);
        VApplication::UninitializeLibrary();
        ToolkitTest::TearDown();
    }

    VFoundation::VRef<VWindow> MakeWindow(int kind) {
        auto window = VFoundation::MakeRef<VWindow>();
        EXPECT_TRUE(window->CreateWindow(CWindowAttributes("Test", kind, VRect{0, 0, 600, 400})));
        return window;
    }

private:
    bool m_toolkitUp = false;
};

class ClosingDelegate : public VWindowDelegate {
public:
    bool WindowShouldClose(VWindow*) override { return allowClose; }
    bool allowClose = false;
};

class KeyDelegate : public VWindowDelegate {
public:
    bool WindowKeyDown(int32_t key, uint32_t modifiers, VWindow*) override {
        keys.emplace_back(key, modifiers);
        return true;
    }
    std::vector<std::pair<int32_t, uint32_t>> keys;
};

TEST_F(Win32WindowTest, MakesTheInstallerWindowOfItsOwnClassWithTheRequestedClientArea) {
    auto window = MakeWindow(CWindowAttributes::kKindFixedMinimisable);
    HWND handle = static_cast<HWND>(window->GetNativeWindow());
    ASSERT_NE(handle, nullptr);
    char className[256] = {};
    GetClassNameA(handle, className, int(sizeof(className)));
    EXPECT_EQ(std::string(className),
              std::string("com.kestrawin.") + VApplication::GetApplicationName().GetText() + ".Test");
    RECT client{};
    GetClientRect(handle, &client);
    EXPECT_EQ(client.right - client.left, 600);
    EXPECT_EQ(client.bottom - client.top, 400);
    const LONG style = GetWindowLongA(handle, GWL_STYLE);
    EXPECT_EQ(style & (WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME),
              LONG(WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX));
    EXPECT_TRUE(GetWindowLongA(handle, GWL_EXSTYLE) & WS_EX_ACCEPTFILES);

    auto splash = MakeWindow(CWindowAttributes::kKindPopup);
    HWND popup = static_cast<HWND>(splash->GetNativeWindow());
    EXPECT_TRUE(GetWindowLongA(popup, GWL_STYLE) & WS_POPUP);
    EXPECT_FALSE(GetWindowLongA(popup, GWL_STYLE) & WS_CAPTION);
    EXPECT_TRUE(GetWindowLongA(popup, GWL_EXSTYLE) & WS_EX_TOPMOST);
}

TEST_F(Win32WindowTest, SystemMouseMessagesReachTheControlUnderThePointer) {
    auto window = MakeWindow(CWindowAttributes::kKindFixedMinimisable);
    KisTest::ProbeCtrl* probe = KisTest::AddProbe(window->GetRoot(), VRect{100, 50, 40, 30}, 1);
    window->Show();
    HWND handle = static_cast<HWND>(window->GetNativeWindow());
    SendMessageA(handle, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(110, 60));
    SendMessageA(handle, WM_LBUTTONUP, 0, MAKELPARAM(110, 60));
    ASSERT_EQ(probe->Count(1), 1);
    EXPECT_EQ(probe->Count(2), 1);
    EXPECT_EQ(probe->calls[0].point.x, 10);
    EXPECT_EQ(probe->calls[0].point.y, 10);
    // The paint draws the tree into the off-screen bitmap that the window is copied from.
    RedrawWindow(handle, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    OffscreenGraphicsContext* offscreen = window->GetRoot()->GetOffscreen();
    ASSERT_NE(offscreen, nullptr);
    EXPECT_EQ(offscreen->GetTargetPixel(120, 60) & 0xFFFFFFu, 0xFF0000u);
}

TEST_F(Win32WindowTest, CaptionedWindowsWithoutAnIconOfTheirOwnShowTheToolkitsIcon) {
    auto window = MakeWindow(CWindowAttributes::kKindFixedMinimisable);
    HWND handle = static_cast<HWND>(window->GetNativeWindow());
    EXPECT_NE(SendMessageA(handle, WM_GETICON, ICON_BIG, 0), 0);
    EXPECT_NE(SendMessageA(handle, WM_GETICON, ICON_SMALL, 0), 0);
    auto splash = MakeWindow(CWindowAttributes::kKindPopup);
    EXPECT_EQ(SendMessageA(static_cast<HWND>(splash->GetNativeWindow()), WM_GETICON, ICON_BIG, 0), 0);
}

// Tab moves the keyboard focus through the controls; keys no control takes, Alt mnemonics among them,
// reach the window's delegate.
TEST_F(Win32WindowTest, SystemKeysMoveTheFocusAndReachTheDelegate) {
    auto window = MakeWindow(CWindowAttributes::kKindFixedMinimisable);
    KeyDelegate delegate;
    window->SetDelegate(&delegate);
    KisTest::ProbeCtrl* first = KisTest::AddProbe(window->GetRoot(), VRect{10, 10, 40, 30}, 1);
    KisTest::ProbeCtrl* second = KisTest::AddProbe(window->GetRoot(), VRect{60, 10, 40, 30}, 2);
    first->acceptsFocus = second->acceptsFocus = true;
    window->Show();
    HWND handle = static_cast<HWND>(window->GetNativeWindow());
    SendMessageA(handle, WM_KEYDOWN, VK_TAB, 0);
    SendMessageA(handle, WM_KEYUP, VK_TAB, 0);
    EXPECT_EQ(window->GetRoot()->GetFocusCtrl(), first);
    EXPECT_TRUE(window->GetRoot()->IsFocusRingShown());
    SendMessageA(handle, WM_KEYDOWN, VK_SHIFT, 0);
    SendMessageA(handle, WM_KEYDOWN, VK_TAB, 0);
    SendMessageA(handle, WM_KEYUP, VK_SHIFT, 0);
    EXPECT_EQ(window->GetRoot()->GetFocusCtrl(), second);

    window->GetRoot()->SetFocusCtrl(nullptr);
    delegate.keys.clear();
    SendMessageA(handle, WM_KEYDOWN, VK_ESCAPE, 0);
    SendMessageA(handle, WM_SYSKEYDOWN, VK_MENU, 0);
    SendMessageA(handle, WM_SYSKEYDOWN, 'N', 0);
    // The character of the mnemonic is taken, not passed on to the system (which would beep).
    SendMessageA(handle, WM_SYSCHAR, 'n', 0);
    SendMessageA(handle, WM_SYSKEYUP, VK_MENU, 0);
    ASSERT_EQ(delegate.keys.size(), 3u);
    EXPECT_EQ(delegate.keys[0], std::make_pair(int32_t(VK_ESCAPE), uint32_t(0)));
    EXPECT_EQ(delegate.keys[2], std::make_pair(int32_t('N'), uint32_t(Modifier::kAlt)));
    window->SetDelegate(nullptr);
}

TEST_F(Win32WindowTest, CloseAsksTheDelegate) {
    auto window = MakeWindow(CWindowAttributes::kKindOverlapped);
    ClosingDelegate delegate;
    window->SetDelegate(&delegate);
    HWND handle = static_cast<HWND>(window->GetNativeWindow());
    SendMessageA(handle, WM_CLOSE, 0, 0);
    EXPECT_TRUE(IsWindow(handle));
    EXPECT_TRUE(window->IsCreated());
    delegate.allowClose = true;
    SendMessageA(handle, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(handle));
    EXPECT_FALSE(window->IsCreated());
    window->SetDelegate(nullptr);
}

} // namespace
