#pragma once

#include "CtrlTestSupport.h"
#include "application/VApplication.h"
#include "application/platform/headless/HeadlessBackend.h"
#include "ctrl/CWindowAttributes.h"
#include "ctrl/CtrlRoot.h"
#include "ctrl/IWindowBackend.h"
#include "ctrl/VWindow.h"
#include "ctrl/platform/headless/HeadlessWindowBackend.h"

#include <memory>
#include <vector>

namespace KisTest {

// A window test on the headless backends: the application's clock is manual, windows live on a 1280 x 1024
// screen.
class HeadlessWindowTest : public ToolkitTest {
protected:
    void SetUp() override {
        ToolkitTest::SetUp();
        // This thread becomes the user-interface thread.
        VApplication::InitializeLibrary();
        app = std::make_shared<VApplication::HeadlessBackend>();
        app->SetManualClock(true);
        VApplication::SetBackend(app);
        windows = std::make_shared<VCtrl::HeadlessWindowBackend>();
        VCtrl::SetWindowBackend(windows);
    }
    void TearDown() override {
        VCtrl::SetWindowBackend(nullptr);
        VApplication::SetBackend(nullptr);
        VApplication::UninitializeLibrary();
        ToolkitTest::TearDown();
    }

    // A window of kind 2 (the installer's) with a 600 x 400 client area, created.
    VFoundation::VRef<VCtrl::VWindow> MakeWindow(int kind = VCtrl::CWindowAttributes::kKindFixedMinimisable) {
        auto window = VFoundation::MakeRef<VCtrl::VWindow>();
        EXPECT_TRUE(
            window->CreateWindow(VCtrl::CWindowAttributes("Test", kind, VCtrl::VRect{0, 0, 600, 400})));
        return window;
    }
    static VCtrl::HeadlessWindow& Platform(const VCtrl::VWindow& window) {
        VCtrl::HeadlessWindow* platform = VCtrl::HeadlessWindow::From(window);
        EXPECT_NE(platform, nullptr);
        return *platform;
    }

    std::shared_ptr<VApplication::HeadlessBackend> app;
    std::shared_ptr<VCtrl::HeadlessWindowBackend> windows;
};

// A control that fills its frame with a colour (changed without redrawing), and records the mouse, key and
// timer calls it gets, answering them as told.
class ProbeCtrl : public VCtrl::Ctrl {
public:
    struct Call {
        int kind; // the mouse event kinds 1 to 5, 10 key down, 11 key up, 12 character, 20 timer
        VCtrl::VPoint point;
        uint32_t modifiers;
        int32_t value;
    };

    explicit ProbeCtrl(const VCtrl::VColour& colour = VCtrl::VColour(255, 0, 0)) : colour(colour) {}

    void Draw(VCtrl::IGraphicsContext& context) override {
        ++drawCount;
        context.FillRectangle(0, 0, GetWidth(), GetHeight(), colour);
        Ctrl::Draw(context);
    }
    bool MouseDown(const VCtrl::VPoint& p, uint32_t m) override { return Record(1, p, m, 0, handlesMouse); }
    bool MouseUp(const VCtrl::VPoint& p, uint32_t m) override { return Record(2, p, m, 0, handlesMouse); }
    bool MouseDoubleClicked(const VCtrl::VPoint& p, uint32_t m) override {
        return Record(3, p, m, 0, handlesMouse);
    }
    bool RightMouseDown(const VCtrl::VPoint& p, uint32_t m) override {
        return Record(4, p, m, 0, handlesMouse);
    }
    bool RightMouseUp(const VCtrl::VPoint& p, uint32_t m) override {
        return Record(5, p, m, 0, handlesMouse);
    }
    bool KeyDown(int32_t key, uint32_t m) override { return Record(10, {}, m, key, handlesKeys); }
    bool KeyUp(int32_t key, uint32_t m) override { return Record(11, {}, m, key, handlesKeys); }
    bool Character(uint32_t code) override { return Record(12, {}, 0, int32_t(code), handlesKeys); }
    bool AcceptsKeyboardFocus() const override { return acceptsFocus; }
    bool HandleTimer(int32_t timerId) override {
        Record(20, {}, 0, timerId, true);
        if (onTimer) onTimer(*this);
        return keepTimer;
    }

    int Count(int kind) const {
        int n = 0;
        for (const Call& call : calls)
            n += call.kind == kind;
        return n;
    }

    VCtrl::VColour colour;
    bool handlesMouse = true;
    bool handlesKeys = true;
    bool keepTimer = true;
    bool acceptsFocus = false;
    int drawCount = 0;
    std::vector<Call> calls;
    void (*onMouse)(ProbeCtrl&, int kind) = nullptr;
    void (*onTimer)(ProbeCtrl&) = nullptr;

private:
    bool Record(int kind, const VCtrl::VPoint& point, uint32_t modifiers, int32_t value, bool answer) {
        calls.push_back(Call{kind, point, modifiers, value});
        if (onMouse && kind <= 5) onMouse(*this, kind);
        return answer;
    }
};

// Makes a probe control as a child of parent (which keeps the only reference).
inline ProbeCtrl* AddProbe(VCtrl::Ctrl* parent, const VCtrl::VRect& frame, int32_t id,
                           const VCtrl::VColour& colour = VCtrl::VColour(255, 0, 0)) {
    auto probe = VFoundation::MakeRef<ProbeCtrl>(colour);
    probe->Create(id, frame, parent, nullptr);
    return probe.Get();
}

// 0xAARRGGBB of an opaque colour as cairo keeps it.
constexpr uint32_t Opaque(uint32_t rgb) {
    return 0xFF000000u | rgb;
}

} // namespace KisTest
