// kis_gtk_window_probe OUTPUT_FOLDER: opens a 600 x 400 window (kind 2) on the GTK backend with one green
// control in its middle. A click on the control turns it blue and prints "clicked X Y"; a control timer then
// prints "timer" once; Escape ends the program (exit 0 after a click, 4 before one). The window is saved as
// OUTPUT_FOLDER/probe.png at the end. Exit 77 without a display, 3 when nothing happens for 60 seconds.
#include "application/BackendFactory.h"
#include "application/VApplication.h"
#include "ctrl/CWindowAttributes.h"
#include "ctrl/Ctrl.h"
#include "ctrl/CtrlRoot.h"
#include "ctrl/IGraphicsContext.h"
#include "ctrl/IWindowBackend.h"
#include "ctrl/VCtrl.h"
#include "ctrl/VWindow.h"
#include "ctrl/WindowMessages.h"
#include "foundation/VFoundation.h"

#include <cstdio>
#include <string>

namespace {

using namespace VCtrl;

class ClickCtrl : public Ctrl {
public:
    void Draw(IGraphicsContext& context) override {
        context.FillRectangle(0, 0, GetWidth(), GetHeight(),
                              clicked ? VColour(0, 0, 200) : VColour(0, 160, 0));
    }
    bool MouseDown(const VPoint&, uint32_t) override { return true; }
    bool MouseUp(const VPoint& point, uint32_t) override {
        if (point.x < 0 || point.y < 0 || point.x >= GetWidth() || point.y >= GetHeight()) return true;
        clicked = true;
        std::printf("clicked %d %d\n", point.x, point.y);
        std::fflush(stdout);
        Redraw();
        if (CtrlRoot* root = CtrlRoot::FindRoot(this)) root->StartTimer(1, 200, this);
        return true;
    }
    bool KeyDown(int32_t key, uint32_t) override {
        if (key != VirtualKey::kEscape) return false;
        std::printf("escape\n");
        std::fflush(stdout);
        VApplication::Quit(clicked ? 0 : 4);
        return true;
    }
    bool HandleTimer(int32_t timerId) override {
        std::printf("timer %d\n", timerId);
        std::fflush(stdout);
        return false;
    }

    bool clicked = false;
};

class ProbeWindow : public VWindow {
public:
    bool WindowCreated() override {
        auto control = VFoundation::MakeRef<ClickCtrl>();
        control->Create(1, VRect{200, 150, 200, 100}, GetRoot(), nullptr);
        return true;
    }
};

} // namespace

int main(int argc, char** argv) {
    const std::string folder = argc > 1 ? argv[1] : ".";
    VFoundation::InitializeLibrary();
    VApplication::InitializeLibrary();
    VApplication::SetNames("KIS Probe", nullptr);
    VCtrl::InitializeLibrary();
    int code = 77;
    {
        std::shared_ptr<VApplication::IApplicationBackend> backend =
            VApplication::MakeDesktopBackend(argc, argv);
        std::shared_ptr<IWindowBackend> windows = backend ? MakeDesktopWindowBackend() : nullptr;
        if (backend && windows) {
            VApplication::SetBackend(backend);
            SetWindowBackend(windows);
            auto window = VFoundation::MakeRef<ProbeWindow>();
            if (window->CreateWindow(CWindowAttributes(
                    "KIS Window Probe", CWindowAttributes::kKindFixedMinimisable, VRect{0, 0, 600, 400}))) {
                window->Show();
                const VApplication::TimerId watchdog = VApplication::StartTimer(60000, []() {
                    VApplication::Quit(3);
                    return false;
                });
                code = VApplication::RunMessageLoop();
                VApplication::StopTimer(watchdog);
                if (!window->SaveAsPNG((folder + "/probe.png").c_str())) code = 5;
                window->DestroyWindow();
            } else {
                code = 6;
            }
            SetWindowBackend(nullptr);
            VApplication::SetBackend(nullptr);
        } else {
            std::fprintf(stderr, "kis_gtk_window_probe: no display\n");
        }
    }
    VCtrl::UninitializeLibrary();
    VApplication::UninitializeLibrary();
    VFoundation::UninitilizeLibrary(false);
    return code;
}
