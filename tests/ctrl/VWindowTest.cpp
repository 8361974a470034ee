#include "WindowTestSupport.h"
#include "ctrl/VWindowDelegate.h"
#include "ctrl/WindowMessages.h"
#include "foundation/VImage.h"
#include "support/LogCapture.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cairo.h>

#include <filesystem>
#include <string>
#include <thread>

using namespace VCtrl;
using KisTest::AddProbe;
using KisTest::Opaque;
using KisTest::ProbeCtrl;

namespace {

class VWindowTest : public KisTest::HeadlessWindowTest {};

class RecordingDelegate : public VWindowDelegate {
public:
    bool WindowShouldClose(VWindow*) override {
        ++closeRequests;
        return allowClose;
    }
    void WindowResized(const VSize& size, VWindow*) override { lastSize = size; }
    void WindowDestroyed(VWindow*) override { ++destroyed; }
    void WindowGotFocus(VWindow*) override { ++focused; }

    bool allowClose = false;
    int closeRequests = 0;
    int destroyed = 0;
    int focused = 0;
    VSize lastSize;
};

uint32_t PixelOfPNG(const std::string& path, int x, int y) {
    cairo_surface_t* surface = cairo_image_surface_create_from_png(path.c_str());
    uint32_t pixel = 0;
    if (cairo_surface_status(surface) == CAIRO_STATUS_SUCCESS) {
        const unsigned char* row = cairo_image_surface_get_data(surface) +
                                   size_t(y) * size_t(cairo_image_surface_get_stride(surface));
        pixel = reinterpret_cast<const uint32_t*>(row)[x];
    }
    cairo_surface_destroy(surface);
    return pixel;
}

TEST_F(VWindowTest, KindsSetTheStylesAndEveryWindowIsCentred) {
    const CWindowAttributes defaults;
    EXPECT_EQ(defaults.style, 0x00CF0008u);
    EXPECT_EQ(defaults.extendedStyle, 0x10u);
    EXPECT_DOUBLE_EQ(defaults.scale, 1.0);
    const struct {
        int kind;
        uint32_t style, extended;
    } kinds[] = {{0, 0x00CF0008, 0x10}, {1, 0x00C80008, 0x10}, {2, 0x00CA0008, 0x10},
                 {3, 0x90000000, 0x18}, {4, 0x00CF0008, 0x10}, {-1, 0x00CF0008, 0x10}};
    for (const auto& expected : kinds) {
        const CWindowAttributes attributes("T", expected.kind, VRect{5, 6, 7, 8});
        EXPECT_EQ(attributes.style, expected.style) << expected.kind;
        EXPECT_EQ(attributes.extendedStyle, expected.extended) << expected.kind;
        EXPECT_TRUE(attributes.AcceptsFiles());
    }
    EXPECT_FALSE(CWindowAttributes("T", 2, VRect{}).IsResizable());
    EXPECT_TRUE(CWindowAttributes("T", 2, VRect{}).HasStyle(CWindowAttributes::kStyleMinimizeBox));
    EXPECT_FALSE(CWindowAttributes("T", 2, VRect{}).HasStyle(CWindowAttributes::kStyleMaximizeBox));
    EXPECT_TRUE(CWindowAttributes("T", 3, VRect{}).IsTopmost());

    VApplication::SetNames("Probe", nullptr);
    CWindowAttributes attributes;
    attributes.title = "Main";
    attributes.x = 900;
    attributes.y = -40;
    attributes.width = 600;
    attributes.height = 400;
    auto window = VFoundation::MakeRef<VWindow>();
    ASSERT_TRUE(window->CreateWindow(attributes));
    HeadlessWindow& platform = Platform(*window);
    EXPECT_EQ(platform.GetFrame().x, (1280 - 600) / 2);
    EXPECT_EQ(platform.GetFrame().y, (1024 - 400) / 2);
    EXPECT_EQ(window->GetPosition().x, 340);
    EXPECT_EQ(window->GetClientSize().width, 600);
    EXPECT_TRUE(platform.GetAttributes().AcceptsFiles());
    EXPECT_STREQ(window->GetWindowClassName().GetText(), "com.kestrawin.Probe.Main");
    EXPECT_EQ(platform.GetWindowClassName(), "com.kestrawin.Probe.Main");
    ASSERT_NE(window->GetRoot(), nullptr);
    EXPECT_EQ(window->GetRoot()->GetWidth(), 600);
    // An ordinary window waits for Show; a pop-up (kind 3) is visible at once.
    EXPECT_FALSE(platform.IsShown());
    window->Show();
    EXPECT_TRUE(platform.IsShown());
    EXPECT_TRUE(window->IsVisible());
    EXPECT_FALSE(window->CreateWindow(attributes));

    auto splash = MakeWindow(CWindowAttributes::kKindPopup);
    EXPECT_TRUE(Platform(*splash).IsShown());
    EXPECT_TRUE(splash->IsVisible());
}

TEST_F(VWindowTest, FailedCreationReportsFalseAndShowsNothing) {
    windows->SetFailCreation(true);
    auto window = VFoundation::MakeRef<VWindow>();
    KisTest::LogCapture log;
    EXPECT_FALSE(window->CreateWindow(CWindowAttributes("Splash", 3, VRect{0, 0, 100, 100})));
    EXPECT_FALSE(window->IsCreated());
    EXPECT_FALSE(window->IsVisible());
    EXPECT_EQ(window->GetRoot(), nullptr);
    EXPECT_EQ(window->GetPlatformWindow(), nullptr);
}

TEST_F(VWindowTest, RefusedCloseKeepsTheWindowAndAllowedCloseEndsIt) {
    auto window = MakeWindow();
    window->Show();
    RecordingDelegate delegate;
    window->SetDelegate(&delegate);

    EXPECT_FALSE(Platform(*window).RequestClose());
    EXPECT_EQ(delegate.closeRequests, 1);
    EXPECT_TRUE(window->IsCreated());
    EXPECT_TRUE(window->IsVisible());
    ASSERT_NE(window->GetPlatformWindow(), nullptr);
    EXPECT_NE(window->GetRoot(), nullptr);

    delegate.allowClose = true;
    EXPECT_TRUE(Platform(*window).RequestClose());
    EXPECT_EQ(delegate.closeRequests, 2);
    EXPECT_EQ(delegate.destroyed, 1);
    EXPECT_FALSE(window->IsCreated());
    EXPECT_FALSE(window->IsVisible());
    EXPECT_EQ(window->GetPlatformWindow(), nullptr);
    EXPECT_EQ(window->GetRoot(), nullptr);
    EXPECT_EQ(window->GetClientSize().width, 0);
    window->SetDelegate(nullptr);
}

TEST_F(VWindowTest, InvalidationRepaintsOnlyTheDirtyRectangle) {
    auto window = MakeWindow();
    ProbeCtrl* left = AddProbe(window->GetRoot(), VRect{10, 10, 50, 50}, 1, VColour(255, 0, 0));
    ProbeCtrl* right = AddProbe(window->GetRoot(), VRect{100, 10, 50, 50}, 2, VColour(0, 0, 255));
    HeadlessWindow& platform = Platform(*window);

    // The first paint comes from the message loop.
    EXPECT_EQ(platform.GetPaintCount(), 0);
    app->RunPending();
    EXPECT_EQ(platform.GetPaintCount(), 1);
    EXPECT_EQ(platform.GetScreenPixel(30, 30), Opaque(0xFF0000));
    EXPECT_EQ(platform.GetScreenPixel(120, 30), Opaque(0x0000FF));
    EXPECT_EQ(platform.GetScreenPixel(80, 30), Opaque(0xFFFFFF));

    // Both change; only the left one asks for a repaint.
    left->colour = VColour(0, 255, 0);
    right->colour = VColour(255, 255, 0);
    const int rightDraws = right->drawCount;
    left->Redraw();
    EXPECT_EQ(platform.GetInvalidRect().x, 10);
    EXPECT_EQ(platform.GetInvalidRect().width, 50);
    window->Update();
    EXPECT_EQ(window->GetRoot()->GetDirtyRect().x, 10);
    EXPECT_EQ(window->GetRoot()->GetDirtyRect().y, 10);
    EXPECT_EQ(window->GetRoot()->GetDirtyRect().width, 50);
    EXPECT_EQ(platform.GetPresentedRect().width, 50);
    EXPECT_EQ(platform.GetScreenPixel(30, 30), Opaque(0x00FF00));
    EXPECT_EQ(platform.GetScreenPixel(120, 30), Opaque(0x0000FF));
    EXPECT_EQ(right->drawCount, rightDraws);

    // A hidden control's area is repainted without it.
    right->SetVisible(false);
    window->Update();
    EXPECT_EQ(platform.GetScreenPixel(120, 30), Opaque(0xFFFFFF));
}

TEST_F(VWindowTest, EmptyPaintRectangleCopiesTheWholeBitmapWithoutDrawing) {
    auto window = MakeWindow();
    ProbeCtrl* probe = AddProbe(window->GetRoot(), VRect{0, 0, 20, 20}, 1, VColour(255, 0, 0));
    app->RunPending();
    const int draws = probe->drawCount;
    probe->colour = VColour(0, 255, 0);
    window->HandleMessage(WindowMessage::kPaint, 0, 0);
    EXPECT_EQ(probe->drawCount, draws);
    EXPECT_EQ(Platform(*window).GetPresentedRect().width, 600);
    EXPECT_EQ(Platform(*window).GetPresentedRect().height, 400);
    EXPECT_EQ(Platform(*window).GetScreenPixel(5, 5), Opaque(0xFF0000));
}

TEST_F(VWindowTest, InvalidationFromAnotherThreadIsPaintedAfterTheRefreshTick) {
    auto window = MakeWindow();
    ProbeCtrl* probe = AddProbe(window->GetRoot(), VRect{0, 0, 20, 20}, 1, VColour(255, 0, 0));
    app->RunPending();
    probe->colour = VColour(0, 0, 255);
    std::thread worker([probe]() { probe->Redraw(); });
    worker.join();
    EXPECT_TRUE(Platform(*window).GetInvalidRect().IsEmpty());
    app->AdvanceClock(CtrlRoot::kRefreshPeriodMs);
    app->RunPending();
    EXPECT_EQ(Platform(*window).GetScreenPixel(5, 5), Opaque(0x0000FF));
}

TEST_F(VWindowTest, SavesTheWindowAsPNGWithTheBackgroundImage) {
    auto window = MakeWindow();
    // A 24-bit picture, grey, behind the controls.
    auto background = VFoundation::MakeRef<VFoundation::VImage>();
    ASSERT_TRUE(background->CreateBitmap(600, 400, 24));
    std::fill(background->GetMutableBits(), background->GetMutableBits() + background->GetStride() * 400,
              0x80);
    window->GetRoot()->SetBackgroundImage(background.Get());
    AddProbe(window->GetRoot(), VRect{250, 150, 100, 100}, 1, VColour(0, 160, 0));

    KisTest::TempFolder folder;
    const std::string path = (std::filesystem::path(folder.Path()) / "window.png").string();
    ASSERT_TRUE(window->SaveAsPNG(path.c_str()));
    EXPECT_EQ(PixelOfPNG(path, 300, 200), Opaque(0x00A000));
    EXPECT_EQ(PixelOfPNG(path, 10, 10), Opaque(0x808080));

    window->DestroyWindow();
    EXPECT_FALSE(window->SaveAsPNG(path.c_str()));
}

TEST_F(VWindowTest, SizeMessageResizesTheRootAndTellsTheDelegate) {
    auto window = MakeWindow(CWindowAttributes::kKindOverlapped);
    RecordingDelegate delegate;
    window->SetDelegate(&delegate);
    Platform(*window).InjectResize(300, 200);
    EXPECT_EQ(delegate.lastSize.width, 300);
    EXPECT_EQ(delegate.lastSize.height, 200);
    EXPECT_EQ(window->GetRoot()->GetWidth(), 300);
    EXPECT_EQ(window->GetClientSize().height, 200);
    window->Update();
    OffscreenGraphicsContext* offscreen = window->GetRoot()->GetOffscreen();
    ASSERT_NE(offscreen, nullptr);
    EXPECT_EQ(offscreen->GetTargetWidth(), 300);

    Platform(*window).InjectFocus(true);
    EXPECT_EQ(delegate.focused, 1);
    EXPECT_TRUE(window->GetRoot()->HasFocus());
    window->SetDelegate(nullptr);
}

} // namespace
