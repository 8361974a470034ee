#include "ui/CInstallerSplashScreen.h"
#include "application/VApplication.h"
#include "application/platform/headless/HeadlessBackend.h"
#include "ctrl/CtrlEvent.h"
#include "ctrl/CtrlRoot.h"
#include "ctrl/IWindowBackend.h"
#include "ctrl/platform/headless/HeadlessWindowBackend.h"
#include "foundation/VException.h"
#include "foundation/VImage.h"
#include "foundation/VRef.h"
#include "support/LogCapture.h"
#include "ui/CInstallerSplashScreenDelegate.h"

#include <gtest/gtest.h>

#include <memory>

using namespace VFoundation;

namespace {

class SplashScreenTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_previous = VApplication::GetBackend();
        m_app = std::make_shared<VApplication::HeadlessBackend>();
        m_app->SetManualClock(true);
        VApplication::SetBackend(m_app);
        VCtrl::SetWindowBackend(VCtrl::MakeHeadlessWindowBackend());
        m_picture = MakeRef<VImage>();
        m_picture->CreateBitmap(40, 30, 32);
    }
    void TearDown() override {
        VCtrl::SetWindowBackend(nullptr);
        VApplication::SetBackend(m_previous);
    }

    std::shared_ptr<VApplication::IApplicationBackend> m_previous;
    std::shared_ptr<VApplication::HeadlessBackend> m_app;
    VRef<VImage> m_picture;
};

} // namespace

TEST_F(SplashScreenTest, ClosesItselfAfterItsTimeOut) {
    VRef<CInstallerSplashScreen> splash = MakeRef<CInstallerSplashScreen>(m_picture.Get(), 2500u);
    ASSERT_TRUE(splash->ShowSplash());
    EXPECT_TRUE(CInstallerSplashScreen::IsAnyShowing());
    EXPECT_EQ(splash->GetClientSize().width, 40);
    m_app->AdvanceClock(VCtrl::CtrlRoot::kRefreshPeriodMs + 2400);
    EXPECT_TRUE(splash->IsVisible());
    m_app->AdvanceClock(200);
    EXPECT_FALSE(splash->IsVisible());
    EXPECT_FALSE(CInstallerSplashScreen::IsAnyShowing());
}

TEST_F(SplashScreenTest, WithoutATimeOutOnlyAClickClosesIt) {
    VRef<CInstallerSplashScreen> splash =
        MakeRef<CInstallerSplashScreen>(m_picture.Get(), CInstallerSplashScreen::kUntilClicked);
    ASSERT_TRUE(splash->ShowSplash());
    m_app->AdvanceClock(60000);
    EXPECT_TRUE(splash->IsVisible());
    VRef<VCtrl::CtrlEvent> press = MakeRef<VCtrl::CtrlEvent>();
    KisTest::LogCapture capture;
    press->Set(VCtrl::CtrlEvent::kMouseDown, nullptr);
    splash->HandleCtrlEvent(*press);
    EXPECT_TRUE(splash->IsVisible());
    VCtrl::Ctrl* picture = nullptr;
    for (int i = 0; i < splash->GetRoot()->GetChildCount(); ++i)
        if (splash->GetRoot()->GetChildAt(i)->GetId() == CInstallerSplashScreen::kPictureId)
            picture = splash->GetRoot()->GetChildAt(i);
    ASSERT_NE(picture, nullptr);
    press->Set(VCtrl::CtrlEvent::kMouseDown, picture);
    splash->HandleCtrlEvent(*press);
    EXPECT_FALSE(splash->IsVisible());
}

TEST_F(SplashScreenTest, RefusesToShowNoPicture) {
    try {
        CInstallerSplashScreen splash(nullptr, 100u);
        FAIL() << "nothing thrown";
    } catch (const VException& exception) {
        EXPECT_STREQ(exception.GetDescriptionText().GetText(),
                     "Image is NULL, cannot construct a splash screen with no image!");
    }
}

TEST_F(SplashScreenTest, ShowsItsPicture) {
    uint8_t* bits = m_picture->GetMutableBits();
    for (int row = 0; row < 30; ++row)
        for (int x = 0; x < 40; ++x) {
            uint8_t* pixel = bits + size_t(row) * size_t(m_picture->GetStride()) + size_t(x) * 4;
            pixel[0] = 0;
            pixel[1] = 0;
            pixel[2] = 255;
            pixel[3] = 255;
        }
    m_picture->BitsChanged();
    VRef<CInstallerSplashScreen> splash = MakeRef<CInstallerSplashScreen>(m_picture.Get(), 2500u);
    ASSERT_TRUE(splash->ShowSplash());
    splash->Update();
    const VCtrl::HeadlessWindow* window = VCtrl::HeadlessWindow::From(*splash);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->GetScreenPixel(20, 15) & 0xFFFFFFu, 0xFF0000u);
    EXPECT_EQ(window->GetScreenPixel(1, 28) & 0xFFFFFFu, 0xFF0000u);
}
