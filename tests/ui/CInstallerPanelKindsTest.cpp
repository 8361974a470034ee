#include "ui/CInstallerPanelKinds.h"
#include "UiTestSupport.h"
#include "foundation/VClass.h"
#include "foundation/VException.h"
#include "support/LogCapture.h"
#include "ui/CCompletionViewPanel.h"
#include "ui/IInstallerUIPanel.h"

#include <string>

using VFoundation::VRef;
using VFoundation::VString;

namespace {

// A kind that later code provides, made here to see the table use a registered creator.
class FakeProcessPanel : public CCompletionViewPanel {
public:
    FakeProcessPanel(const VString& options, CInstallScript* script) : CCompletionViewPanel(options, script) {
        seenOptions = options.GetText();
    }
    static std::string seenOptions;
};
std::string FakeProcessPanel::seenOptions;

} // namespace

TEST(CInstallerPanelKinds, MakesEachOwnKindByItsExactViewType) {
    auto script = KisTest::MakeScript();
    const struct {
        const char* viewType;
        const char* className;
    } kinds[] = {{"DocumentView", "CDocumentViewPanel"},
                 {"LicenceView", "CLicenceViewPanel"},
                 {"ImageView", "CImageViewPanel"},
                 {"CompletionView", "CCompletionViewPanel"}};
    for (const auto& kind : kinds) {
        VRef<IInstallerUIPanel> panel =
            CInstallerPanelKinds::CreatePanel(kind.viewType, VString("Stage"), script.Get());
        ASSERT_TRUE(panel) << kind.viewType;
        EXPECT_STREQ(panel->GetClassName(), kind.className);
        // The window tells the kinds apart by these records: each a child of the panel interface's.
        ASSERT_NE(panel->GetClass()->GetParent(), nullptr);
        EXPECT_STREQ(panel->GetClass()->GetParent()->GetName(), "IInstallerUIPanel");
        EXPECT_STREQ(IInstallerUIPanel::GetClassRecord()->GetParent()->GetName(), "Ctrl");
        EXPECT_EQ(panel->GetWidth(), 470);
        EXPECT_EQ(panel->GetHeight(), 360);
    }
}

TEST(CInstallerPanelKinds, UnknownViewTypeGivesNoPanel) {
    KisTest::LogCapture log;
    EXPECT_FALSE(CInstallerPanelKinds::CreatePanel("documentview", VString("Welcome"), nullptr));
    EXPECT_FALSE(CInstallerPanelKinds::CreatePanel("DocumentView ", VString("Welcome"), nullptr));
    EXPECT_FALSE(CInstallerPanelKinds::CreatePanel("", VString("Welcome"), nullptr));
    EXPECT_FALSE(CInstallerPanelKinds::CreatePanel(nullptr, VString("Welcome"), nullptr));
    EXPECT_FALSE(CInstallerPanelKinds::IsKnownViewType("documentview"));
    EXPECT_EQ(log.Text(), "");
}

TEST(CInstallerPanelKinds, LaterKindsComeThroughRegistration) {
    EXPECT_TRUE(CInstallerPanelKinds::IsKnownViewType("InstallProcessView"));
    EXPECT_FALSE(CInstallerPanelKinds::RegisterCreator(
        "SomethingView", &CInstallerPanelKinds::CreateInstance<FakeProcessPanel>));

    CInstallerPanelKinds::CreateFunction previous = nullptr;
    ASSERT_TRUE(CInstallerPanelKinds::RegisterCreator(
        "InstallProcessView", &CInstallerPanelKinds::CreateInstance<FakeProcessPanel>, &previous));
    VRef<IInstallerUIPanel> panel =
        CInstallerPanelKinds::CreatePanel("InstallProcessView", VString("a, b"), nullptr);
    EXPECT_TRUE(panel);
    EXPECT_EQ(FakeProcessPanel::seenOptions, "a, b");

    // Taken away again, the known kind makes nothing and says so.
    CInstallerPanelKinds::RegisterCreator("InstallProcessView", nullptr);
    {
        KisTest::LogCapture log;
        EXPECT_FALSE(CInstallerPanelKinds::CreatePanel("InstallProcessView", VString(""), nullptr));
        EXPECT_TRUE(log.Contains("InstallProcessView"));
    }
    CInstallerPanelKinds::RegisterCreator("InstallProcessView", previous);
}

TEST(CInstallerPanelKinds, PanelConstructionFailureReachesTheCaller) {
    try {
        CInstallerPanelKinds::CreatePanel("DocumentView", VString(""), nullptr);
        FAIL() << "no exception";
    } catch (const VFoundation::VException& e) {
        EXPECT_STREQ(e.GetDescriptionText().GetText(),
                     "DocumentViewPanels must have at least a title in their options");
    }
}
