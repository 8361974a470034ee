#include "ui/CInstallerSplashScreen.h"

#include "ctrl/CWindowAttributes.h"
#include "ctrl/CtrlEvent.h"
#include "ctrl/CtrlImageViewStyle.h"
#include "ctrl/CtrlRoot.h"
#include "foundation/VClass.h"
#include "foundation/VException.h"
#include "foundation/VLog.h"
#include "ui/CInstallerUI.h"

#include <cstdio>

using namespace VFoundation;
using namespace VCtrl;

V_IMPLEMENT_ABSTRACT_CLASS(CInstallerSplashScreen, VWindow)

namespace {

int g_showing = 0;

// Shows the ShowSplashScreen instruction's picture in a splash screen that the instruction keeps.
class SplashPresenter : public ISplashScreenPresenter {
public:
    bool ShowSplashScreen(VImage* image, int32_t timeoutMs, VRef<VObject>& window) override {
        VRef<CInstallerSplashScreen> splash =
            MakeRef<CInstallerSplashScreen>(image, static_cast<uint32_t>(timeoutMs));
        window = splash;
        return splash->ShowSplash();
    }
};

} // namespace

ISplashScreenPresenter& CInstallerSplashScreen::Presenter() {
    static SplashPresenter presenter;
    return presenter;
}

bool CInstallerSplashScreen::CTimerControl::HandleTimer(int32_t timerId) {
    if (timerId != kTimerId || !m_owner) return false;
    return m_owner->HandleSplashTimer();
}

CInstallerSplashScreen::CInstallerSplashScreen(VImage* picture, uint32_t timeoutMs)
    : VWindow(GetClassRecord()), m_timeout(timeoutMs) {
    if (!picture)
        throw VException(0, nullptr, "Image is NULL, cannot construct a splash screen with no image!");
    SetDelegate(this);
    m_picture = VRef<VImage>::Retained(picture);
    if (CInstallerUI* main = CInstallerUI::GetMainWindow()) m_delegate = main;
    CreateWindow(CWindowAttributes("SplashScreen", CWindowAttributes::kKindPopup,
                                   VRect{0, 0, picture->GetWidth(), picture->GetHeight()}));
}

CInstallerSplashScreen::~CInstallerSplashScreen() {
    if (m_showing) --g_showing;
    if (m_pictureView) m_pictureView->SetListener(nullptr);
    SetDelegate(nullptr);
}

bool CInstallerSplashScreen::WindowCreated() {
    CtrlRoot* root = GetRoot();
    VRef<CtrlImageViewStyle> style = MakeRef<CtrlImageViewStyle>(66u);
    m_pictureView = MakeRef<CtrlImageView>(style.Get());
    m_pictureView->SetImage(m_picture.Get());
    m_timerControl = MakeRef<CTimerControl>();
    m_timerControl->Create(kTimerId, VRect{0, 0, 1, 1}, root, nullptr);
    m_timerControl->SetVisible(false);
    m_timerControl->SetOwner(this);
    m_pictureView->Create(kPictureId, VRect{0, 0, root->GetWidth(), root->GetHeight()}, root, this);
    m_pictureView->Redraw();
    root->StartTimer(kTimerId, m_timeout == kUntilClicked ? 1000 : m_timeout, m_timerControl.Get());
    return true;
}

bool CInstallerSplashScreen::IsAnyShowing() {
    return g_showing > 0;
}

bool CInstallerSplashScreen::ShowSplash() {
    if (CInstallerUI* main = CInstallerUI::GetMainWindow()) main->Hide();
    if (!IsCreated()) return false;
    Show();
    if (IsVisible() && !m_showing) {
        m_showing = true;
        ++g_showing;
    }
    return IsVisible();
}

void CInstallerSplashScreen::Close() {
    Hide();
    if (m_showing) {
        m_showing = false;
        --g_showing;
    }
    if (m_delegate) m_delegate->SplashScreenClosed();
}

bool CInstallerSplashScreen::HandleSplashTimer() {
    if (m_timeout == kUntilClicked) return true;
    Close();
    return false;
}

bool CInstallerSplashScreen::WindowShouldClose(VWindow*) {
    return true;
}

void CInstallerSplashScreen::HandleCtrlEvent(const CtrlEvent& event) {
    if (event.GetType() == 1 && event.GetCtrl() && event.GetCtrl()->GetId() == kPictureId) {
        Close();
        return;
    }
    VFoundation::LogPrintf("Event with id %d not handled in event handler properly\n", event.GetType());
}
