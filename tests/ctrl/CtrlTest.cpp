#include "ctrl/Ctrl.h"
#include "ctrl/CairoGraphicsContext.h"
#include "ctrl/CtrlEvent.h"
#include "ctrl/CtrlStyle.h"
#include "ctrl/CtrlTestSupport.h"
#include "foundation/VObjectArray.h"
#include "foundation/VRef.h"
#include "foundation/VString.h"
#include "support/LogCapture.h"

#include "application/VApplication.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

using KisTest::AlertRecorder;
using KisTest::FillCtrl;
using KisTest::RecordingListener;
using VCtrl::CairoGraphicsContext;
using VCtrl::Ctrl;
using VCtrl::CtrlEvent;
using VCtrl::CtrlStyle;
using VCtrl::VColour;
using VCtrl::VPoint;
using VCtrl::VRect;
using VFoundation::MakeRef;
using VFoundation::VRef;

namespace {

class CtrlTest : public KisTest::ToolkitTest {};

// A parent that records the rectangles invalidated through it, and the controls the tree forgets.
class RecordingParent : public Ctrl {
public:
    void Invalidate(int x, int y, int width, int height, Ctrl* origin) override {
        invalidated.push_back(VRect{x, y, width, height});
        origins.push_back(origin);
    }
    void ForgetControl(Ctrl* ctrl) override { forgotten.push_back(ctrl); }
    std::vector<VRect> invalidated;
    std::vector<Ctrl*> origins;
    std::vector<Ctrl*> forgotten;
};

VRef<Ctrl> MakeChild(Ctrl* parent, int id, const VRect& frame, VCtrl::ICtrlListener* listener = nullptr) {
    auto child = MakeRef<Ctrl>();
    child->Create(id, frame, parent, listener);
    return child;
}

uint32_t Rgb(const CairoGraphicsContext& context, int x, int y) {
    return context.GetTargetPixel(x, y) & 0xFFFFFF;
}

} // namespace

TEST_F(CtrlTest, StartsEnabledVisibleAtZOrderOneWithIncreasingSerials) {
    auto a = MakeRef<Ctrl>();
    auto b = MakeRef<Ctrl>();
    EXPECT_EQ(a->GetFlags(), 6u);
    EXPECT_EQ(a->GetZOrder(), 1);
    EXPECT_GT(b->GetSerial(), a->GetSerial());
    EXPECT_STREQ(a->GetName().GetText(), "");
    a->SetName("panel");
    a->Create(3, VRect{1, 2, 30, 40}, nullptr, nullptr);
    VFoundation::VString description;
    a->GetDescription(description);
    EXPECT_STREQ(description.GetText(), "Ctrl (name: panel id:3, Rect[1,2,30,40] AbsRect[1,2,30,40])");
}

TEST_F(CtrlTest, OnlyTheStartingThreadIsTheUserInterfaceThreadOnceTheApplicationRuns) {
    bool elsewhere = false;
    std::thread([&] { elsewhere = VCtrl::IsOnUIThread(); }).join();
    EXPECT_TRUE(elsewhere) << "no thread is known as the user-interface thread yet";
    ASSERT_TRUE(VApplication::InitializeLibrary());
    EXPECT_TRUE(VCtrl::IsOnUIThread());
    std::thread([&] { elsewhere = VCtrl::IsOnUIThread(); }).join();
    EXPECT_FALSE(elsewhere);
    VApplication::UninitializeLibrary();
}

TEST_F(CtrlTest, CopyLogsThatControlsAreNotCopied) {
    KisTest::LogCapture log;
    auto ctrl = MakeRef<Ctrl>();
    ctrl->SetText("kept");
    VRef<VFoundation::VObject> copy = VRef<VFoundation::VObject>::Adopt(ctrl->Copy());
    EXPECT_TRUE(log.Contains("Don't call Ctrl's operator=, it aint implemented!"));
    ASSERT_TRUE(copy);
    EXPECT_STREQ(static_cast<Ctrl*>(copy.Get())->GetText().GetText(), "");
}

TEST_F(CtrlTest, ParentRetainsChildrenAndKeepsAbsolutePositions) {
    auto root = MakeRef<Ctrl>();
    root->Create(0, VRect{0, 0, 200, 100}, nullptr, nullptr);
    auto panel = MakeChild(root.Get(), 1, VRect{10, 20, 100, 50});
    auto button = MakeChild(panel.Get(), 2, VRect{5, 6, 10, 10});
    EXPECT_EQ(button->GetRetainCount(), 2);
    EXPECT_EQ(button->GetParent(), panel.Get());
    EXPECT_EQ(button->GetAbsoluteX(), 15);
    EXPECT_EQ(button->GetAbsoluteY(), 26);

    panel->SetFrame(VRect{30, 40, 100, 50});
    EXPECT_EQ(button->GetAbsoluteX(), 35);
    EXPECT_EQ(button->GetAbsoluteY(), 46);

    // Moving to another parent leaves the old one.
    EXPECT_TRUE(button->SetParent(root.Get()));
    EXPECT_EQ(panel->GetChildCount(), 0);
    EXPECT_EQ(root->GetChildAt(1), button.Get());
    EXPECT_EQ(button->GetAbsoluteX(), 5);
    EXPECT_EQ(button->GetRetainCount(), 2);
    EXPECT_FALSE(root->AddChild(button.Get())) << "already a child";
    EXPECT_EQ(root->GetChildCount(), 2);
}

TEST_F(CtrlTest, RefusesToMakeAControlItsOwnDescendant) {
    KisTest::LogCapture log;
    auto root = MakeRef<Ctrl>();
    auto panel = MakeChild(root.Get(), 1, VRect{0, 0, 10, 10});
    auto inner = MakeChild(panel.Get(), 2, VRect{0, 0, 5, 5});
    EXPECT_FALSE(root->SetParent(inner.Get()));
    EXPECT_FALSE(panel->SetParent(panel.Get()));
    EXPECT_FALSE(inner->AddChild(root.Get()));
    EXPECT_EQ(root->GetParent(), nullptr);
    EXPECT_EQ(panel->GetParent(), root.Get());
}

TEST_F(CtrlTest, DetachingTellsTheTopOfTheTreeChildrenFirstLastChildFirst) {
    auto root = MakeRef<RecordingParent>();
    auto panel = MakeChild(root.Get(), 1, VRect{0, 0, 10, 10});
    auto first = MakeChild(panel.Get(), 2, VRect{0, 0, 5, 5});
    auto second = MakeChild(panel.Get(), 3, VRect{0, 0, 5, 5});
    EXPECT_TRUE(panel->SetParent(nullptr));
    EXPECT_EQ(panel->GetParent(), nullptr);
    EXPECT_EQ(root->GetChildCount(), 0);
    ASSERT_EQ(root->forgotten.size(), 3u);
    EXPECT_EQ(root->forgotten[0], second.Get());
    EXPECT_EQ(root->forgotten[1], first.Get());
    EXPECT_EQ(root->forgotten[2], panel.Get());
    // The detached subtree stays whole.
    EXPECT_EQ(first->GetParent(), panel.Get());
}

TEST_F(CtrlTest, DestroyedParentClearsItsChildrenParentPointers) {
    auto child = MakeRef<Ctrl>();
    {
        auto parent = MakeRef<Ctrl>();
        child->Create(1, VRect{0, 0, 1, 1}, parent.Get(), nullptr);
    }
    EXPECT_EQ(child->GetParent(), nullptr);
    EXPECT_EQ(child->GetRetainCount(), 1);
}

TEST_F(CtrlTest, InvalidatePassesTheRectangleUpMovedByEachFrame) {
    auto root = MakeRef<RecordingParent>();
    auto panel = MakeChild(root.Get(), 1, VRect{10, 20, 100, 50});
    auto button = MakeChild(panel.Get(), 2, VRect{5, 6, 30, 40});
    button->Redraw();
    ASSERT_EQ(root->invalidated.size(), 1u);
    EXPECT_EQ(root->invalidated[0].x, 15);
    EXPECT_EQ(root->invalidated[0].y, 26);
    EXPECT_EQ(root->invalidated[0].width, 30);
    EXPECT_EQ(root->invalidated[0].height, 40);
    EXPECT_EQ(root->origins[0], button.Get());

    panel->SetVisible(false);
    root->invalidated.clear();
    button->Redraw();
    EXPECT_TRUE(root->invalidated.empty()) << "a hidden control's area is not repainted through it";
}

TEST_F(CtrlTest, SetVisibleRedrawsOnlyOnChangeAndHidingRepaintsTheArea) {
    auto root = MakeRef<RecordingParent>();
    auto button = MakeChild(root.Get(), 1, VRect{5, 6, 30, 40});
    button->SetVisible(true);
    EXPECT_TRUE(root->invalidated.empty());
    button->SetVisible(false);
    ASSERT_EQ(root->invalidated.size(), 1u);
    EXPECT_EQ(root->invalidated[0].x, 5);
    EXPECT_FALSE(button->IsVisible());
    button->SetVisible(true);
    EXPECT_EQ(root->invalidated.size(), 2u);
}

TEST_F(CtrlTest, HighlightNeedsAStyleThatAllowsIt) {
    auto plain = MakeRef<Ctrl>();
    plain->SetHighlighted(true);
    EXPECT_FALSE(plain->IsHighlighted());
    auto style = MakeRef<CtrlStyle>(CtrlStyle::kFlagHighlight);
    auto lit = MakeRef<Ctrl>(style.Get());
    lit->SetHighlighted(true);
    EXPECT_TRUE(lit->IsHighlighted());
    EXPECT_EQ(lit->GetFlags() & Ctrl::kFlagHighlighted, Ctrl::kFlagHighlighted);
}

TEST_F(CtrlTest, HitTestFindsTheDeepestEnabledVisibleControl) {
    auto root = MakeRef<Ctrl>();
    root->Create(0, VRect{0, 0, 100, 100}, nullptr, nullptr);
    auto panel = MakeChild(root.Get(), 1, VRect{10, 10, 50, 50});
    auto button = MakeChild(panel.Get(), 2, VRect{10, 10, 10, 10});
    auto label = MakeChild(panel.Get(), 3, VRect{30, 30, 10, 10});

    EXPECT_EQ(root->HitTest(VPoint{25, 25}), button.Get());
    EXPECT_EQ(root->HitTest(VPoint{20, 20}), button.Get()) << "top left pixel is inside";
    EXPECT_EQ(root->HitTest(VPoint{30, 30}), panel.Get()) << "right edge is outside the button";
    EXPECT_EQ(root->HitTest(VPoint{5, 5}), root.Get());
    EXPECT_EQ(root->HitTest(VPoint{100, 5}), nullptr);
    EXPECT_EQ(root->HitTest(VPoint{-1, 5}), nullptr);

    label->SetEnabled(false);
    EXPECT_EQ(root->HitTest(VPoint{45, 45}), panel.Get()) << "a control without input is passed over";
    button->SetVisible(false);
    EXPECT_EQ(root->HitTest(VPoint{25, 25}), panel.Get());

    // Overlapping siblings: the higher z-order wins, then the later one.
    auto low = MakeChild(root.Get(), 4, VRect{70, 70, 20, 20});
    auto high = MakeChild(root.Get(), 5, VRect{70, 70, 20, 20});
    EXPECT_EQ(root->HitTest(VPoint{75, 75}), high.Get());
    low->SetZOrder(2);
    EXPECT_EQ(root->HitTest(VPoint{75, 75}), low.Get());
}

TEST_F(CtrlTest, MouseEnterAndLeaveSendEventsUnlessDisabledOrSuppressed) {
    RecordingListener listener;
    auto root = MakeRef<Ctrl>();
    auto button = MakeChild(root.Get(), 9, VRect{0, 0, 10, 10}, &listener);
    EXPECT_TRUE(button->MouseMoved(VPoint{1, 1}, 0));
    EXPECT_TRUE(button->MouseEntered());
    EXPECT_TRUE(button->MouseLeft());
    ASSERT_EQ(listener.events.size(), 2u);
    EXPECT_EQ(listener.events[0].type, CtrlEvent::kMouseEntered);
    EXPECT_EQ(listener.events[0].ctrl, button.Get());
    EXPECT_EQ(listener.events[1].type, CtrlEvent::kMouseLeft);

    listener.events.clear();
    button->SetEnabled(false);
    EXPECT_FALSE(button->MouseMoved(VPoint{1, 1}, 0));
    EXPECT_FALSE(button->MouseEntered());
    EXPECT_FALSE(button->MouseLeft());
    EXPECT_TRUE(listener.events.empty());

    button->SetEnabled(true);
    button->SetStyle(MakeRef<CtrlStyle>(CtrlStyle::kFlagNoMouseOverEvent).Get());
    EXPECT_TRUE(button->MouseEntered());
    EXPECT_TRUE(button->MouseLeft());
    EXPECT_TRUE(listener.events.empty());
    // Other events still go out.
    auto names = MakeRef<VFoundation::VObjectArray>();
    names->AddObject(VRef<VFoundation::VString>::Adopt(VFoundation::VString::Alloc("/tmp/a.kis")).Get());
    EXPECT_TRUE(button->FilesDropped(VPoint{3, 4}, 0x20, names.Get()));
    ASSERT_EQ(listener.events.size(), 1u);
    EXPECT_EQ(listener.events[0].type, CtrlEvent::kFilesDropped);
    EXPECT_EQ(listener.events[0].point.x, 3);
    EXPECT_EQ(listener.events[0].point.y, 4);
    EXPECT_EQ(listener.events[0].object, names.Get());
}

namespace {
VCtrl::Ctrl* g_nestedSender = nullptr;
std::vector<int32_t> g_seenAfterNested;
} // namespace

TEST_F(CtrlTest, AnEventSentFromAListenerLeavesTheOuterEventIntact) {
    RecordingListener inner;
    RecordingListener outer;
    auto other = MakeRef<Ctrl>();
    other->SetListener(&inner);
    g_nestedSender = other.Get();
    g_seenAfterNested.clear();
    outer.onEvent = [](const CtrlEvent& event) {
        if (event.GetType() != CtrlEvent::kPressed) return;
        g_nestedSender->SendEvent(CtrlEvent::kMouseEntered, 77);
        g_seenAfterNested.push_back(event.GetType());
        g_seenAfterNested.push_back(event.GetData());
    };
    auto button = MakeRef<Ctrl>();
    button->SetListener(&outer);
    EXPECT_TRUE(button->SendEvent(CtrlEvent::kPressed, VPoint{1, 2}, 5));
    ASSERT_EQ(inner.events.size(), 1u);
    EXPECT_EQ(inner.events[0].data, 77);
    EXPECT_EQ(inner.events[0].point.x, 0) << "a new event does not inherit the last point";
    EXPECT_EQ(g_seenAfterNested, (std::vector<int32_t>{CtrlEvent::kPressed, 5}));
    button->SetListener(nullptr);
    EXPECT_FALSE(button->SendEvent(CtrlEvent::kPressed));
}

namespace {
class ValueCtrl : public Ctrl {
public:
    bool SetBoolValue(bool value) override { return Note("bool", value ? 1.0 : 0.0); }
    bool SetIntValue(int32_t value) override { return Note("int", value); }
    bool SetRealValue(double value) override { return Note("real", value); }
    bool Note(const char* kind, double value) {
        lastKind = kind;
        lastValue = value;
        return true;
    }
    std::string lastKind;
    double lastValue = -1;
};
} // namespace

TEST_F(CtrlTest, ValueEventsReachTheMatchingSetter) {
    auto ctrl = MakeRef<ValueCtrl>();
    EXPECT_TRUE(ctrl->SetValueFromEvent(VCtrl::CtrlValueEvent(true)));
    EXPECT_EQ(ctrl->lastKind, "bool");
    EXPECT_EQ(ctrl->lastValue, 1.0);
    EXPECT_TRUE(ctrl->SetValueFromEvent(VCtrl::CtrlValueEvent(int32_t(42))));
    EXPECT_EQ(ctrl->lastKind, "int");
    EXPECT_EQ(ctrl->lastValue, 42.0);
    EXPECT_TRUE(ctrl->SetValueFromEvent(VCtrl::CtrlValueEvent(0.25)));
    EXPECT_EQ(ctrl->lastKind, "real");
    EXPECT_EQ(ctrl->lastValue, 0.25);
    EXPECT_FALSE(ctrl->SetValueFromEvent(CtrlEvent())) << "not a value event";
    EXPECT_FALSE(MakeRef<Ctrl>()->SetValueFromEvent(VCtrl::CtrlValueEvent(true)))
        << "the base takes no value";
}

// Drawing, checked on the pixels of an off-screen surface.

class CtrlDrawingTest : public CtrlTest {
protected:
    void SetUp() override {
        CtrlTest::SetUp();
        context = MakeRef<CairoGraphicsContext>();
        ASSERT_TRUE(context->CreateTarget(40, 40));
        root = MakeRef<FillCtrl>(VColour(255, 255, 255));
        root->Create(0, VRect{0, 0, 40, 40}, nullptr, nullptr);
    }
    VRef<FillCtrl> AddFill(Ctrl* parent, const VRect& frame, const VColour& colour) {
        auto ctrl = MakeRef<FillCtrl>(colour);
        ctrl->Create(1, frame, parent, nullptr);
        return ctrl;
    }
    VRef<CairoGraphicsContext> context;
    VRef<FillCtrl> root;
};

TEST_F(CtrlDrawingTest, ChildrenAreClippedToTheirFrameAndTheirParent) {
    auto panel = AddFill(root.Get(), VRect{10, 10, 20, 20}, VColour(255, 0, 0));
    // Reaches past the panel on every side; only the part inside the panel shows.
    auto inner = AddFill(panel.Get(), VRect{15, 15, 30, 30}, VColour(0, 0, 255));
    auto sibling = AddFill(root.Get(), VRect{32, 2, 6, 6}, VColour(0, 255, 0));
    root->Draw(*context);
    context->Flush();
    EXPECT_EQ(Rgb(*context, 5, 5), 0xFFFFFFu);
    EXPECT_EQ(Rgb(*context, 10, 10), 0xFF0000u);
    EXPECT_EQ(Rgb(*context, 24, 24), 0xFF0000u);
    EXPECT_EQ(Rgb(*context, 25, 25), 0x0000FFu);
    EXPECT_EQ(Rgb(*context, 29, 29), 0x0000FFu);
    EXPECT_EQ(Rgb(*context, 30, 30), 0xFFFFFFu) << "clipped to the panel";
    EXPECT_EQ(Rgb(*context, 9, 20), 0xFFFFFFu) << "the panel's own fill is clipped to its frame";
    // A sibling after a clipped child is drawn in full: one child's clip does not narrow the next.
    EXPECT_EQ(Rgb(*context, 32, 2), 0x00FF00u);
    EXPECT_EQ(Rgb(*context, 37, 7), 0x00FF00u);
    EXPECT_EQ(context->GetSavedStateCount(), 0);
    EXPECT_EQ(context->GetOrigin().x, 0);
}

TEST_F(CtrlDrawingTest, OnlyChildrenMeetingTheDirtyAreaAreDrawn) {
    auto left = AddFill(root.Get(), VRect{0, 0, 10, 10}, VColour(255, 0, 0));
    auto right = AddFill(root.Get(), VRect{30, 30, 10, 10}, VColour(0, 0, 255));
    // Without a clip everything is drawn.
    root->Draw(*context);
    EXPECT_EQ(left->drawCount, 1);
    EXPECT_EQ(right->drawCount, 1);

    context->FillRectangle(0, 0, 40, 40, VColour(0, 0, 0));
    context->SaveState();
    context->ClipRect(25, 25, 10, 10);
    root->Draw(*context);
    context->RestoreState();
    context->Flush();
    EXPECT_EQ(left->drawCount, 1) << "outside the dirty area";
    EXPECT_EQ(right->drawCount, 2);
    EXPECT_EQ(Rgb(*context, 5, 5), 0x000000u);
    EXPECT_EQ(Rgb(*context, 30, 30), 0x0000FFu);
    EXPECT_EQ(Rgb(*context, 36, 36), 0x000000u) << "drawing stays inside the dirty area";
}

TEST_F(CtrlDrawingTest, HiddenChildrenAndChildrenOutsideTheZRangeAreNotDrawn) {
    auto hidden = AddFill(root.Get(), VRect{0, 0, 10, 10}, VColour(255, 0, 0));
    auto high = AddFill(root.Get(), VRect{10, 0, 10, 10}, VColour(0, 255, 0));
    hidden->SetVisible(false);
    high->SetZOrder(5);
    root->DrawChildren(*context, 0, 4);
    EXPECT_EQ(hidden->drawCount, 0);
    EXPECT_EQ(high->drawCount, 0);
    root->DrawChildren(*context, 5, 5);
    EXPECT_EQ(high->drawCount, 1);
    root->SetVisible(false);
    root->DrawChildren(*context, Ctrl::kLowestZOrder, Ctrl::kHighestZOrder);
    EXPECT_EQ(high->drawCount, 1) << "a hidden control draws no children";
}

TEST_F(CtrlDrawingTest, ADrawingFailureIsLoggedEachTimeAndAlertedOnce) {
    AlertRecorder alerts;
    KisTest::LogCapture log;
    VFoundation::VException::SetRaised(false);
    auto broken = AddFill(root.Get(), VRect{0, 0, 10, 10}, VColour(255, 0, 0));
    auto after = AddFill(root.Get(), VRect{20, 20, 10, 10}, VColour(0, 255, 0));
    broken->throws = FillCtrl::Throw::Standard;

    root->Draw(*context);
    EXPECT_EQ(after->drawCount, 0) << "the pass over the children ends";
    EXPECT_TRUE(log.Contains("Exception when drawing Ctrl\n"));
    ASSERT_EQ(AlertRecorder::Texts().size(), 1u);
    EXPECT_NE(AlertRecorder::Texts()[0].find(": Exception when drawing Ctrl\n"), std::string::npos);
    EXPECT_TRUE(VFoundation::VException::WasRaised());
    // The context comes back as it was.
    EXPECT_EQ(context->GetSavedStateCount(), 0);
    EXPECT_EQ(context->GetOrigin().x, 0);
    EXPECT_EQ(context->GetOrigin().y, 0);

    log.Clear();
    root->Draw(*context);
    EXPECT_TRUE(log.Contains("Exception when drawing Ctrl"));
    EXPECT_EQ(AlertRecorder::Texts().size(), 1u) << "one alert over the life of the process";
    VFoundation::VException::SetRaised(false);
}

TEST_F(CtrlDrawingTest, ADrawingVExceptionIsOnlyLoggedSinceItWasReportedAlready) {
    AlertRecorder alerts;
    KisTest::LogCapture log;
    VFoundation::VException::SetRaised(false);
    auto broken = AddFill(root.Get(), VRect{0, 0, 10, 10}, VColour(255, 0, 0));
    broken->throws = FillCtrl::Throw::VException;
    root->Draw(*context);
    EXPECT_TRUE(log.Contains("Exception when drawing Ctrl"));
    EXPECT_TRUE(AlertRecorder::Texts().empty());
    VFoundation::VException::SetRaised(false);
}
