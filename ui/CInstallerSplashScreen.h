#pragma once

#include "ctrl/Ctrl.h"
#include "ctrl/CtrlImageView.h"
#include "ctrl/ICtrlListener.h"
#include "ctrl/VWindow.h"
#include "ctrl/VWindowDelegate.h"
#include "engine/ISplashScreenPresenter.h"
#include "foundation/VImage.h"
#include "foundation/VRef.h"

#include <cstdint>

class CInstallerSplashScreenDelegate;

// A borderless picture window shown before the wizard: it hides the main window, shows one picture for
// its time-out or until it is clicked, then shows the main window again. A time-out of 0xFFFFFFFF (-1)
// keeps it until it is clicked. User-interface thread only.
class CInstallerSplashScreen : public VCtrl::VWindow,
                               public VCtrl::VWindowDelegate,
                               public VCtrl::ICtrlListener {
    V_DECLARE_CLASS(CInstallerSplashScreen)
public:
    static constexpr int32_t kPictureId = 10000;
    static constexpr int32_t kTimerId = 10001;
    static constexpr uint32_t kUntilClicked = 0xFFFFFFFFu;

    // Throws VException without a picture. Creates the platform window (a pop-up of the picture's size).
    CInstallerSplashScreen(VFoundation::VImage* picture, uint32_t timeoutMs);
    ~CInstallerSplashScreen() override;

    bool WindowCreated() override;
    // Hides the main window when there is one and shows the splash window; whether it was shown.
    bool ShowSplash();
    bool WindowShouldClose(VCtrl::VWindow* window) override;
    void HandleCtrlEvent(const VCtrl::CtrlEvent& event) override;
    bool HandleSplashTimer();

    // The presenter that the ShowSplashScreen instruction uses; registered by the program at start.
    static ISplashScreenPresenter& Presenter();
    // Whether a splash screen is on screen now (the main window waits for it to close).
    static bool IsAnyShowing();

private:
    class CTimerControl : public VCtrl::Ctrl {
    public:
        void SetOwner(CInstallerSplashScreen* owner) { m_owner = owner; }
        bool HandleTimer(int32_t timerId) override;

    private:
        CInstallerSplashScreen* m_owner = nullptr;
    };

    void Close();

    VFoundation::VRef<VCtrl::CtrlImageView> m_pictureView;
    VFoundation::VRef<VFoundation::VImage> m_picture;
    VFoundation::VRef<CTimerControl> m_timerControl;
    uint32_t m_timeout;
    bool m_showing = false;
    CInstallerSplashScreenDelegate* m_delegate = nullptr;
};
