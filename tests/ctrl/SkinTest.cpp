#include "ctrl/Ctrl.h"
#include "ctrl/CtrlClassView.h"
#include "ctrl/CtrlStyle.h"
#include "ctrl/CtrlTestSupport.h"
#include "foundation/VClass.h"
#include "foundation/VRef.h"
#include "foundation/VString.h"
#include "foundation/VXMLFile.h"
#include "support/LogCapture.h"

#include <gtest/gtest.h>

#include <string>

using KisTest::AlertRecorder;
using KisTest::RecordingListener;
using VCtrl::Ctrl;
using VCtrl::CtrlClassView;
using VCtrl::CtrlStyle;
using VCtrl::VRect;
using VFoundation::MakeRef;
using VFoundation::VRef;
using VFoundation::VString;
using VFoundation::VXMLFile;

namespace SkinTestClasses {

class SkinPanel : public Ctrl {
    V_DECLARE_CLASS(SkinPanel)
public:
    SkinPanel() : Ctrl(nullptr, GetClassRecord()) {}
};
V_IMPLEMENT_CLASS(SkinPanel, VCtrl::Ctrl)

// Known to the registry but not creatable by name.
class SkinAbstract : public Ctrl {
    V_DECLARE_CLASS(SkinAbstract)
public:
    SkinAbstract() : Ctrl(nullptr, GetClassRecord()) {}
};
V_IMPLEMENT_ABSTRACT_CLASS(SkinAbstract, VCtrl::Ctrl)

} // namespace SkinTestClasses

using SkinTestClasses::SkinAbstract;
using SkinTestClasses::SkinPanel;

namespace {

class SkinTest : public KisTest::ToolkitTest {
protected:
    void SetUp() override {
        KisTest::ToolkitTest::SetUp();
        SkinPanel::GetClassRecord();
        SkinAbstract::GetClassRecord();
    }
    // Reads text into a new control tree.
    VRef<Ctrl> Read(const char* text, VCtrl::ICtrlListener* listener = nullptr) {
        VXMLFile file;
        EXPECT_TRUE(file.LoadText(text));
        auto root = MakeRef<Ctrl>();
        root->SetListener(listener);
        root->SerializeAsXML(file);
        return root;
    }
    std::string Write(Ctrl* root, bool withStyles) {
        VXMLFile file;
        file.BeginDocument(root->GetSkinClassName());
        if (withStyles) CtrlStyle::WriteStyles(file);
        root->SerializeAsXML(file);
        VString text;
        file.SaveText(text);
        return text.GetText();
    }
};

size_t Count(const std::string& text, const std::string& what) {
    size_t count = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++count;
    return count;
}

} // namespace

TEST_F(SkinTest, ATreeWrittenToASkinReadsBackTheSame) {
    auto style = MakeRef<CtrlStyle>(CtrlStyle::kFlagHighlight);
    style->SetName("nav");
    CtrlStyle::AddStyle(style.Get());

    auto root = MakeRef<Ctrl>();
    root->Create(0, VRect{0, 0, 600, 400}, nullptr, nullptr);
    auto panel = MakeRef<SkinPanel>();
    panel->Create(1, VRect{10, 20, 300, 200}, root.Get(), nullptr);
    panel->SetName("panel");
    panel->SetZOrder(3);
    panel->SetDisplayName("Panel");
    panel->SetDisplayDescription("Holds the buttons");
    panel->SetStyle(style.Get());
    auto button = MakeRef<Ctrl>();
    button->Create(2, VRect{5, 6, 75, 23}, panel.Get(), nullptr);
    button->SetName("next");
    button->SetOverloadClass("NotBuiltHere");
    auto timer = MakeRef<Ctrl>();
    timer->Create(50683, VRect{0, 0, 1, 1}, root.Get(), nullptr);
    timer->SetFlags(true, Ctrl::kFlagNotInSkin);

    const std::string text = Write(root.Get(), true);
    EXPECT_EQ(Count(text, "zorder="), 1u) << text;
    EXPECT_NE(text.find("zorder=\"3\""), std::string::npos);
    EXPECT_EQ(text.find("50683"), std::string::npos) << "a control marked so stays out of the skin";
    EXPECT_NE(text.find("<SkinPanel"), std::string::npos);
    EXPECT_NE(text.find("rect=\"10,20,300,200\""), std::string::npos);

    // Read back with a fresh style list: the styles come from the skin.
    VCtrl::UninitializeLibrary();
    VCtrl::InitializeLibrary();
    RecordingListener listener;
    VRef<Ctrl> read = Read(text.c_str(), &listener);
    ASSERT_EQ(read->GetChildCount(), 1);
    Ctrl* readPanel = read->GetChildAt(0);
    ASSERT_TRUE(readPanel->IsKindOf(SkinPanel::GetClassRecord()));
    EXPECT_STREQ(readPanel->GetName().GetText(), "panel");
    EXPECT_EQ(readPanel->GetId(), 1);
    EXPECT_EQ(readPanel->GetZOrder(), 3);
    EXPECT_EQ(readPanel->GetAbsoluteX(), 10);
    EXPECT_EQ(readPanel->GetWidth(), 300);
    EXPECT_STREQ(readPanel->GetDisplayName().GetText(), "Panel");
    EXPECT_STREQ(readPanel->GetDisplayDescription().GetText(), "Holds the buttons");
    EXPECT_EQ(readPanel->GetListener(), &listener) << "children take the reading control's listener";
    ASSERT_NE(readPanel->GetStyle(), nullptr);
    EXPECT_EQ(readPanel->GetStyle(), CtrlStyle::FindStyle("nav"));
    EXPECT_NE(readPanel->GetStyle(), style.Get());
    EXPECT_EQ(readPanel->GetStyle()->GetFlags(), CtrlStyle::kFlagHighlight);
    EXPECT_EQ(readPanel->GetRetainCount(), 1) << "the parent holds the only reference";

    Ctrl* readButton = read->FindCtrlByName("next");
    ASSERT_NE(readButton, nullptr);
    EXPECT_EQ(readButton->GetParent(), readPanel);
    EXPECT_EQ(readButton->GetAbsoluteX(), 15);
    EXPECT_EQ(readButton->GetAbsoluteY(), 26);
    EXPECT_EQ(readButton->GetZOrder(), 1);
    EXPECT_STREQ(readButton->GetOverloadClass().GetText(), "NotBuiltHere");
    EXPECT_STREQ(readButton->GetClassName(), "Ctrl") << "an unknown overload class keeps the element's class";

    // Writing the tree read gives the same skin.
    EXPECT_EQ(Write(read.Get(), true), text);
}

TEST_F(SkinTest, ClassesComeFromTheAttributeTheTagOrTheOverloadClass) {
    KisTest::LogCapture log;
    VRef<Ctrl> root = Read("<Ctrl>"
                           "  <item class=\"SkinPanel\" id=\"1\" rect=\"0,0,10,10\"/>"
                           "  <SkinPanel id=\"2\" rect=\"1, 2, 3, 4\"/>"
                           "  <Ctrl id=\"3\" overloadClass=\"SkinPanel\"/>"
                           "  <FancyKnob id=\"4\" rect=\"5 6 7 8\" name=\"knob\"><Ctrl id=\"5\"/></FancyKnob>"
                           "  <Ctrl id=\"6\" overloadClass=\"NoSuchClass\"/>"
                           "</Ctrl>");
    ASSERT_EQ(root->GetChildCount(), 5);
    EXPECT_TRUE(root->FindCtrlById(1)->IsMemberOf(SkinPanel::GetClassRecord()));
    EXPECT_TRUE(root->FindCtrlById(2)->IsMemberOf(SkinPanel::GetClassRecord()));
    EXPECT_EQ(root->FindCtrlById(2)->GetHeight(), 4);
    EXPECT_TRUE(root->FindCtrlById(3)->IsMemberOf(SkinPanel::GetClassRecord()));
    EXPECT_STREQ(root->FindCtrlById(3)->GetOverloadClass().GetText(), "SkinPanel");
    EXPECT_TRUE(root->FindCtrlById(6)->IsMemberOf(Ctrl::GetClassRecord()));

    Ctrl* knob = root->FindCtrlById(4);
    ASSERT_TRUE(knob->IsMemberOf(CtrlClassView::GetClassRecord()));
    EXPECT_STREQ(static_cast<CtrlClassView*>(knob)->GetRepresentedClassName().GetText(), "FancyKnob");
    EXPECT_EQ(knob->GetWidth(), 7);
    EXPECT_EQ(knob->GetChildCount(), 1) << "the stand-in keeps the element's children";

    // Written back, the stand-in keeps the class it stands for.
    const std::string text = Write(root.Get(), false);
    EXPECT_NE(text.find("<FancyKnob name=\"knob\""), std::string::npos) << text;
    EXPECT_EQ(text.find("CtrlClassView"), std::string::npos);
}

TEST_F(SkinTest, ARectElementGivesThePositionWhenNoRectAttributeWasRead) {
    VRef<Ctrl> root = Read("<Ctrl>"
                           "  <Ctrl id=\"1\"><rect x=\"7\" y=\"9\"/></Ctrl>"
                           "  <Ctrl id=\"2\" rect=\"1,2,3,4\"><rect x=\"7\" y=\"9\"/></Ctrl>"
                           "</Ctrl>");
    EXPECT_EQ(root->FindCtrlById(1)->GetX(), 7);
    EXPECT_EQ(root->FindCtrlById(1)->GetY(), 9);
    EXPECT_EQ(root->FindCtrlById(2)->GetX(), 1);
    EXPECT_EQ(root->FindCtrlById(1)->GetChildCount(), 0) << "a rectangle is not a control";
}

TEST_F(SkinTest, AClassThatCannotBeMadeStopsThatLevelWithAnAlert) {
    AlertRecorder alerts;
    VRef<Ctrl> root = Read("<Ctrl>"
                           "  <Ctrl id=\"1\"/>"
                           "  <SkinAbstract id=\"2\"/>"
                           "  <Ctrl id=\"3\"/>"
                           "</Ctrl>");
    EXPECT_EQ(root->GetChildCount(), 1);
    EXPECT_EQ(root->FindCtrlById(3), nullptr);
    ASSERT_EQ(AlertRecorder::Texts().size(), 1u);
    EXPECT_EQ(AlertRecorder::Texts()[0],
              "Error creating a ctrl of class SkinAbstract from XML skin definition");
}

TEST_F(SkinTest, StyleElementsAreReadIntoTheStyleListBeforeTheControlsUsingThem) {
    VRef<Ctrl> root = Read("<Ctrl>"
                           "  <CtrlStyle name=\"plain\" flags=\"noMouseOverEvent\"/>"
                           "  <Ctrl id=\"1\" style=\"plain\"/>"
                           "  <Ctrl id=\"2\" style=\"missing\"/>"
                           "</Ctrl>");
    EXPECT_EQ(root->GetChildCount(), 2) << "a style is not a child";
    CtrlStyle* plain = CtrlStyle::FindStyle("plain");
    ASSERT_NE(plain, nullptr);
    EXPECT_EQ(root->FindCtrlById(1)->GetStyle(), plain);
    EXPECT_EQ(root->FindCtrlById(2)->GetStyle(), nullptr);
}

TEST_F(SkinTest, KeepNameLeavesTheNameAlone) {
    VXMLFile file;
    ASSERT_TRUE(file.LoadText("<Ctrl name=\"fromSkin\" id=\"4\"/>"));
    auto ctrl = MakeRef<Ctrl>();
    ctrl->SetName("mine");
    ctrl->SerializeAsXML(file, true, true);
    EXPECT_STREQ(ctrl->GetName().GetText(), "mine");
    EXPECT_EQ(ctrl->GetId(), 4);
    ctrl->SerializeAsXML(file, true, false);
    EXPECT_STREQ(ctrl->GetName().GetText(), "fromSkin");
}
