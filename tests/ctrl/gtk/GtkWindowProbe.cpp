// kis_gtk_window_probe OUTPUT_FOLDER: opens a 600 x 400 window (kind 2) on the GTK backend with one green
// control in its middle. A click on the control turns it blue and prints "clicked X Y"; a control timer then
// prints "timer" once; Escape ends the program (exit 0 after a click, 4 before one). The window is saved as
// OUTPUT_FOLDER/probe.png at the end. Exit 77 without a display, 3 when nothing happens for 60 seconds.
#include "application/BackendFactory.h"
#include "application/VApplication.h"
#include "ctrl/CWindowAttributes.h"
#include "ctrl/Ctrl.h"
#include "ctrl/CtrlButton.h"
#include "ctrl/CtrlButtonStyle.h"
#include "ctrl/CtrlEvent.h"
#include "ctrl/CtrlRoot.h"
#include "ctrl/ICtrlListener.h"
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

// A momentary button filling the probe's control area: green until it has been pressed, then blue. The
// window hears the press (event 9) as the button's listener, reports it and starts a one-shot timer.
class ProbeWindow : public VWindow, public ICtrlListener {
public:
    bool WindowCreated() override {
        m_style = VFoundation::MakeRef<CtrlButtonStyle>(CtrlButtonStyle::kOptMomentary);
        m_style->SetColourOption("colFillOff", VColour(0, 160, 0));
        m_style->SetColourOption("colFillOn", VColour(0, 160, 0));
        m_style->SetColourOption("colBorder", VColour(0, 160, 0));
        m_button = VFoundation::MakeRef<CtrlButton>();
        m_button->SetStyle(m_style.Get());
        m_button->Create(1, VRect{200, 150, 200, 100}, GetRoot(), this);
        m_timerTarget = VFoundation::MakeRef<TimerTarget>();
        m_timerTarget->Create(2, VRect{0, 0, 1, 1}, GetRoot(), nullptr);
        return true;
    }

    void HandleCtrlEvent(const CtrlEvent& event) override {
        if (event.GetCtrl() != m_button.Get() || event.GetType() != 9) return;
        std::printf("pressed button %d\n", event.GetCtrl()->GetId());
        std::fflush(stdout);
        m_style->SetColourOption("colFillOff", VColour(0, 0, 200));
        m_style->SetColourOption("colFillOn", VColour(0, 0, 200));
        m_style->SetColourOption("colBorder", VColour(0, 0, 200));
        m_button->Redraw();
        m_timerTarget->pressed = true;
        // The press made the button the focus control; Escape belongs to the target.
        if (CtrlRoot* root = GetRoot()) {
            root->SetFocusCtrl(m_timerTarget.Get());
            root->StartTimer(1, 200, m_timerTarget.Get());
        }
    }

private:
    // Ends the probe on Escape and reports the one-shot timer.
    class TimerTarget : public Ctrl {
    public:
        bool KeyDown(int32_t key, uint32_t) override {
            if (key != VirtualKey::kEscape) return false;
            std::printf("escape\n");
            std::fflush(stdout);
            VApplication::Quit(pressed ? 0 : 4);
            return true;
        }
        bool HandleTimer(int32_t timerId) override {
            std::printf("timer %d\n", timerId);
            std::fflush(stdout);
            return false;
        }
        bool pressed = false;
    };

    VFoundation::VRef<CtrlButtonStyle> m_style;
    VFoundation::VRef<CtrlButton> m_button;
    VFoundation::VRef<TimerTarget> m_timerTarget;
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
