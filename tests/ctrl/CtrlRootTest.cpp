#include "WindowTestSupport.h"
#include "ctrl/WindowMessages.h"
#include "support/LogCapture.h"

#include <gtest/gtest.h>

#include <cfenv>
#include <stdexcept>

using namespace VCtrl;
using KisTest::AddProbe;
using KisTest::ProbeCtrl;

namespace {

class CtrlRootTest : public KisTest::HeadlessWindowTest {};

TEST_F(CtrlRootTest, ReleaseGoesToThePressedControlWhereverItHappens) {
    auto window = MakeWindow();
    CtrlRoot* root = window->GetRoot();
    ProbeCtrl* a = AddProbe(root, VRect{100, 100, 100, 50}, 1);
    ProbeCtrl* b = AddProbe(root, VRect{300, 100, 100, 50}, 2);

    Platform(*window).InjectMouseDown(150, 120);
    ASSERT_EQ(a->calls.size(), 1u);
    EXPECT_EQ(a->calls[0].kind, 1);
    EXPECT_EQ(a->calls[0].point.x, 50);
    EXPECT_EQ(a->calls[0].point.y, 20);
    EXPECT_EQ(a->calls[0].modifiers & Modifier::kLeftButton, Modifier::kLeftButton);
    EXPECT_EQ(root->GetPressedCtrl(), a);
    EXPECT_TRUE(Platform(*window).HasCapture());

    Platform(*window).InjectMouseUp(350, 120);
    ASSERT_EQ(a->calls.size(), 2u);
    EXPECT_EQ(a->calls[1].kind, 2);
    EXPECT_EQ(a->calls[1].point.x, 250);
    EXPECT_TRUE(b->calls.empty());
    EXPECT_EQ(root->GetPressedCtrl(), nullptr);
    EXPECT_FALSE(Platform(*window).HasCapture());

    // Left of and above the window the coordinates are negative.
    Platform(*window).InjectMouseDown(101, 101);
    Platform(*window).InjectMouseUp(-5, -7);
    ASSERT_EQ(a->calls.size(), 4u);
    EXPECT_EQ(a->calls[3].point.x, -105);
    EXPECT_EQ(a->calls[3].point.y, -107);

    // Without a press, a release goes to the control under the point.
    Platform(*window).InjectMouseUp(310, 110);
    ASSERT_EQ(b->calls.size(), 1u);
    EXPECT_EQ(b->calls[0].kind, 2);
}

TEST_F(CtrlRootTest, UnhandledPressClimbsToTheParentWhichThenHoldsTheMouse) {
    auto window = MakeWindow();
    ProbeCtrl* parent = AddProbe(window->GetRoot(), VRect{50, 50, 300, 200}, 1);
    ProbeCtrl* child = AddProbe(parent, VRect{10, 10, 50, 50}, 2);
    child->handlesMouse = false;

    Platform(*window).InjectMouseDown(70, 70);
    ASSERT_EQ(child->Count(1), 1);
    EXPECT_EQ(child->calls[0].point.x, 10);
    ASSERT_EQ(parent->Count(1), 1);
    EXPECT_EQ(parent->calls[0].point.x, 20);
    EXPECT_EQ(parent->calls[0].point.y, 20);
    EXPECT_EQ(window->GetRoot()->GetPressedCtrl(), parent);

    // The release is offered to the holder's deepest control under the point first, then to the holder.
    Platform(*window).InjectMouseUp(75, 75);
    EXPECT_EQ(child->Count(2), 1);
    EXPECT_EQ(parent->Count(2), 1);

    // A disabled control is passed over: the press lands on its parent directly.
    child->SetEnabled(false);
    Platform(*window).InjectMouseDown(70, 70);
    EXPECT_EQ(child->Count(1), 1);
    EXPECT_EQ(parent->Count(1), 2);
}

TEST_F(CtrlRootTest, WhatNoControlHandlesGoesToTheRootListenerAsKinds1To5) {
    auto window = MakeWindow();
    KisTest::RecordingListener listener;
    window->GetRoot()->SetListener(&listener);
    ProbeCtrl* deaf = AddProbe(window->GetRoot(), VRect{0, 0, 100, 100}, 1);
    deaf->handlesMouse = false;

    HeadlessWindow& platform = Platform(*window);
    platform.InjectMouseDown(10, 20);
    platform.InjectMouseUp(10, 20);
    platform.InjectDoubleClick(300, 200);
    platform.InjectMouseUp(300, 200);
    platform.InjectMouseDown(5, 6, true);
    platform.InjectMouseUp(5, 6, true);

    ASSERT_EQ(listener.events.size(), 6u);
    const int kinds[] = {1, 2, 3, 2, 4, 5};
    for (size_t i = 0; i < 6; ++i)
        EXPECT_EQ(listener.events[i].type, kinds[i]) << i;
    EXPECT_EQ(listener.events[0].point.x, 10);
    EXPECT_EQ(listener.events[0].point.y, 20);
    EXPECT_EQ(listener.events[0].data, int32_t(Modifier::kLeftButton));
    EXPECT_EQ(listener.events[4].data, int32_t(Modifier::kRightButton));
    EXPECT_EQ(listener.events[0].ctrl, window->GetRoot());
    EXPECT_EQ(deaf->Count(1), 1);

    // A disabled root handles nothing.
    window->GetRoot()->SetEnabled(false);
    platform.InjectMouseDown(10, 20);
    EXPECT_EQ(listener.events.size(), 6u);
    window->GetRoot()->SetListener(nullptr);
}

TEST_F(CtrlRootTest, KeysGoToTheFocusControlAsVirtualKeysAndClimb) {
    auto window = MakeWindow();
    ProbeCtrl* parent = AddProbe(window->GetRoot(), VRect{0, 0, 300, 300}, 1);
    ProbeCtrl* field = AddProbe(parent, VRect{10, 10, 100, 30}, 2);
    HeadlessWindow& platform = Platform(*window);

    // No focus control yet: nothing takes the key.
    platform.InjectKey(VirtualKey::kReturn, true);
    EXPECT_TRUE(field->calls.empty());

    platform.InjectClick(20, 20);
    EXPECT_EQ(window->GetRoot()->GetFocusCtrl(), field);
    EXPECT_TRUE(platform.HasFocus());
    field->calls.clear();

    platform.InjectKey(VirtualKey::kShift, true);
    platform.InjectKey('A', true, 'A');
    platform.InjectKey('A', false);
    platform.InjectKey(VirtualKey::kShift, false);
    ASSERT_EQ(field->calls.size(), 5u);
    EXPECT_EQ(field->calls[1].kind, 10);
    EXPECT_EQ(field->calls[1].value, 0x41);
    EXPECT_EQ(field->calls[1].modifiers & Modifier::kShift, Modifier::kShift);
    EXPECT_EQ(field->calls[2].kind, 12);
    EXPECT_EQ(field->calls[2].value, 'A');
    EXPECT_EQ(field->calls[3].kind, 11);

    // Held Alt repeats as system keys; only its first press reaches the controls.
    field->calls.clear();
    platform.InjectKey(VirtualKey::kMenu, true);
    platform.InjectKey(VirtualKey::kMenu, true);
    platform.InjectKey(VirtualKey::kF1 + 3, true);
    EXPECT_EQ(field->Count(10), 2);
    EXPECT_EQ(field->calls[1].value, VirtualKey::kF1 + 3);
    EXPECT_EQ(field->calls[1].modifiers & Modifier::kAlt, Modifier::kAlt);
    platform.InjectKey(VirtualKey::kMenu, false);
    EXPECT_EQ(window->GetRoot()->GetModifiers() & Modifier::kAlt, 0u);

    // A key the focus control leaves goes to its parent.
    field->handlesKeys = false;
    parent->calls.clear();
    platform.InjectKey(VirtualKey::kEscape, true);
    ASSERT_EQ(parent->Count(10), 1);
    EXPECT_EQ(parent->calls[0].value, VirtualKey::kEscape);
}

TEST_F(CtrlRootTest, TimerWhoseHandlerReturnsFalseFiresOnceAndIsRemoved) {
    auto window = MakeWindow();
    CtrlRoot* root = window->GetRoot();
    ProbeCtrl* once = AddProbe(root, VRect{0, 0, 10, 10}, 1);
    ProbeCtrl* steady = AddProbe(root, VRect{0, 0, 10, 10}, 2);
    once->keepTimer = false;

    ASSERT_TRUE(root->StartTimer(7, 100, once));
    ASSERT_TRUE(root->StartTimer(8, 100, steady));
    // A timer started while the window exists waits for the refresh tick.
    EXPECT_EQ(root->GetWaitingTimerCount(), 2);
    app->AdvanceClock(CtrlRoot::kRefreshPeriodMs);
    EXPECT_EQ(root->GetWaitingTimerCount(), 0);
    EXPECT_EQ(root->GetActiveTimerCount(), 2);

    app->AdvanceClock(1000);
    EXPECT_EQ(once->Count(20), 1);
    EXPECT_EQ(once->calls[0].value, 7);
    EXPECT_EQ(steady->Count(20), 10);
    EXPECT_EQ(root->FindTimer(7, once), nullptr);
    EXPECT_NE(root->FindTimer(8, steady), nullptr);
    EXPECT_EQ(root->GetActiveTimerCount(), 1);

    ASSERT_TRUE(root->StopTimer(8, steady));
    EXPECT_FALSE(root->StopTimer(8, steady));
    app->AdvanceClock(1000);
    EXPECT_EQ(steady->Count(20), 10);
    EXPECT_EQ(root->GetActiveTimerCount(), 0);
}

TEST_F(CtrlRootTest, TimersWaitWithoutAWindowStartWithItAndLeaveWithTheirControl) {
    auto window = MakeWindow();
    CtrlRoot* root = window->GetRoot();
    ProbeCtrl* probe = AddProbe(root, VRect{0, 0, 10, 10}, 1);
    // Without its window the root keeps its timers waiting.
    root->DetachWindow();
    ASSERT_TRUE(root->StartTimer(3, 29, probe));
    app->AdvanceClock(500);
    EXPECT_EQ(probe->Count(20), 0);
    ASSERT_NE(root->FindTimer(3, probe), nullptr);
    EXPECT_EQ(root->FindTimer(3, probe)->GetPeriodMs(), 29u);

    root->AttachWindow(window.Get(), 600, 400);
    EXPECT_EQ(root->GetActiveTimerCount(), 1);
    app->AdvanceClock(29);
    EXPECT_EQ(probe->Count(20), 1);

    // Leaving the tree stops the control's timers.
    VFoundation::VRef<Ctrl> keep = VFoundation::VRef<Ctrl>::Retained(probe);
    probe->SetParent(nullptr);
    EXPECT_EQ(root->GetActiveTimerCount(), 0);
    app->AdvanceClock(100);
    EXPECT_EQ(probe->Count(20), 1);
}

TEST_F(CtrlRootTest, UnknownTimerIsLoggedAndKilled) {
    auto window = MakeWindow();
    KisTest::LogCapture log;
    int fired = 0;
    const VApplication::TimerId stray = VApplication::StartTimer(10, [&fired]() {
        ++fired;
        return true;
    });
    // The timer message of a platform timer that the root does not know.
    window->HandleMessage(WindowMessage::kTimer, stray, 0);
    EXPECT_TRUE(log.Contains("TIMER NOT FOUND: timerID: " + std::to_string(stray) + "\n"));
    app->AdvanceClock(100);
    EXPECT_EQ(fired, 0);
}

TEST_F(CtrlRootTest, ExceptionsInHandlersAreReportedAndTheMessageCountsAsUnhandled) {
    VApplication::SetNames("Probe", nullptr);
    auto window = MakeWindow();
    ProbeCtrl* probe = AddProbe(window->GetRoot(), VRect{0, 0, 100, 100}, 1);
    probe->onMouse = [](ProbeCtrl&, int kind) {
        if (kind == 1) throw VFoundation::VException(3, nullptr, "broken press");
        if (kind == 2) throw std::runtime_error("broken release");
    };
    KisTest::AlertRecorder alerts;
    KisTest::LogCapture log;
    Platform(*window).InjectMouseDown(10, 10);
    Platform(*window).InjectMouseUp(10, 10);
    ASSERT_EQ(KisTest::AlertRecorder::Texts().size(), 2u);
    EXPECT_EQ(KisTest::AlertRecorder::Texts()[0], "Probe Event handler: VException detected (msg: 0x201)");
    EXPECT_EQ(KisTest::AlertRecorder::Texts()[1], "Probe Event handler: Exception detected (msg: 0x202)");
    EXPECT_TRUE(log.Contains("VException:  broken press\n"));
    EXPECT_FALSE(
        window->GetRoot()->HandleWindowMessage(WindowMessage::kLeftButtonDown, 0, MakePointParam(5, 5)));
}

TEST_F(CtrlRootTest, HandlersRunRoundingDownAndTheCallersModeComesBack) {
    auto window = MakeWindow();
    ProbeCtrl* probe = AddProbe(window->GetRoot(), VRect{0, 0, 100, 100}, 1);
    static int seen = -1;
    probe->onMouse = [](ProbeCtrl&, int) { seen = std::fegetround(); };
    ASSERT_EQ(std::fegetround(), FE_TONEAREST);
    Platform(*window).InjectMouseDown(10, 10);
    EXPECT_EQ(seen, FE_DOWNWARD);
    EXPECT_EQ(std::fegetround(), FE_TONEAREST);
}

TEST_F(CtrlRootTest, ControlLeavingTheTreeInItsOwnPressIsForgotten) {
    auto window = MakeWindow();
    ProbeCtrl* probe = AddProbe(window->GetRoot(), VRect{0, 0, 100, 100}, 1);
    // The tree held the only reference: leaving it ends the control.
    probe->onMouse = [](ProbeCtrl& self, int kind) {
        if (kind == 1) self.SetParent(nullptr);
    };
    Platform(*window).InjectMouseDown(10, 10);
    EXPECT_EQ(window->GetRoot()->GetPressedCtrl(), nullptr);
    EXPECT_EQ(window->GetRoot()->GetFocusCtrl(), nullptr);
    EXPECT_EQ(window->GetRoot()->GetChildCount(), 0);
    Platform(*window).InjectMouseUp(10, 10);
}

TEST_F(CtrlRootTest, MovesTrackTheControlUnderTheMouseAndDropsReachTheControlUnderThePoint) {
    auto window = MakeWindow();
    KisTest::RecordingListener listener;
    ProbeCtrl* probe = AddProbe(window->GetRoot(), VRect{100, 100, 50, 50}, 1);
    probe->SetListener(&listener);
    HeadlessWindow& platform = Platform(*window);
    platform.InjectMouseMove(10, 10);
    platform.InjectMouseMove(120, 120);
    EXPECT_EQ(window->GetRoot()->GetCtrlUnderMouse(), probe);
    platform.InjectMouseMove(200, 200);
    EXPECT_EQ(window->GetRoot()->GetCtrlUnderMouse(), nullptr);
    ASSERT_EQ(listener.events.size(), 2u);
    EXPECT_EQ(listener.events[0].type, CtrlEvent::kMouseEntered);
    EXPECT_EQ(listener.events[1].type, CtrlEvent::kMouseLeft);

    static std::vector<std::string> names;
    names.clear();
    listener.onEvent = [](const CtrlEvent& event) {
        auto* array = static_cast<VFoundation::VObjectArray*>(event.GetObject());
        for (int i = 0; array && i < array->GetCount(); ++i)
            names.push_back(static_cast<VFoundation::VString*>(array->GetObjectAtIndex(i))->GetText());
    };
    const std::string longName(300, 'x');
    platform.InjectDropFiles(110, 130, {"/tmp/a.kis", longName});
    ASSERT_EQ(listener.events.size(), 3u);
    EXPECT_EQ(listener.events[2].type, CtrlEvent::kFilesDropped);
    EXPECT_EQ(listener.events[2].point.x, 10);
    EXPECT_EQ(listener.events[2].point.y, 30);
    ASSERT_EQ(names.size(), 2u);
    EXPECT_EQ(names[0], "/tmp/a.kis");
    EXPECT_EQ(names[1].size(), 260u);
    probe->SetListener(nullptr);
}

} // namespace
