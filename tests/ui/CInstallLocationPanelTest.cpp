#include "ui/CInstallLocationPanel.h"
#include "UiTestSupport.h"
#include "application/VRegistry.h"
#include "ctrl/CtrlButtonStyle.h"
#include "ctrl/CtrlEvent.h"
#include "engine/CInstallerSection.h"
#include "foundation/VException.h"
#include "support/LogCapture.h"
#include "support/TempFolder.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

using VApplication::DialogAnswer;
using VApplication::DialogKind;
using VFoundation::MakeRef;
using VFoundation::VRef;
using VFoundation::VString;

namespace {

const char* const kRootAlert =
    "This is root volume of a drive. You cannot install here. Please select a folder to install to";
const char* const kCreateQuestion =
    "The folder you have selected to install to doesnt exist.\nWould you like to create this folder?";
const char* const kCreateFailed =
    "An error has occurred and we have been unable to create the disk folder.\nPlease check that you are "
    "able to write to the selected disk and that there is enough free space to create a folder";

VRef<CInstallLocationPanel> MakePanel(const char* options, CInstallScript* script) {
    return MakeRef<CInstallLocationPanel>(VString(options), script);
}

std::string Location(const CInstallLocationPanel& panel) {
    return panel.GetLocation().GetText();
}

std::string Value(const CInstallScript& script, const char* name) {
    const CInstallerVariable* variable = script.FindVariable(name);
    return variable ? variable->GetValue().GetText() : "<undeclared>";
}

std::string ConstructionError(const char* options, CInstallScript* script) {
    try {
        MakePanel(options, script);
    } catch (const VFoundation::VException& exception) {
        return exception.GetDescriptionText().GetText();
    }
    return "<no exception>";
}

// A temporary settings store for the registry mode.
class InstallLocationRegistry : public ::testing::Test {
protected:
    void SetUp() override {
        m_previousStore = VApplication::VRegistry::GetStoreLocation();
        VApplication::VRegistry::SetStoreLocation(m_folder.Text().append("/registry.db").c_str());
        m_script = KisTest::MakeScript();
        m_script->DeclareVariable("INSTALL_DIR", "$TEMP_FOLDER$\\Maker\\Product");
        m_script->DeclareVariable("APPLICATION_REGISTRY", "Software\\Maker\\Product");
    }
    void TearDown() override { VApplication::VRegistry::SetStoreLocation(m_previousStore.c_str()); }
    // The store the suite set up for every test.
    std::string m_previousStore;

    KisTest::TempFolder m_folder;
    VRef<CInstallScript> m_script;
};

} // namespace

TEST(CInstallLocationPanel, OnlyTheVariableNameGivesTheDefaultsAndAnEmptyLocationIsRefused) {
    KisTest::ScriptedDialogs dialogs;
    auto script = KisTest::MakeScript();
    script->DeclareVariable("INSTALL_DIR", "/somewhere");
    auto panel = MakePanel(" INSTALL_DIR ", script.Get());

    EXPECT_STREQ(panel->GetStageName().GetText(), "Install location");
    EXPECT_STREQ(panel->GetTitleLabel()->GetText().GetText(), "Please choose the installation location");
    EXPECT_STREQ(panel->GetBrowseButton()->GetText().GetText(), "Browse...");
    EXPECT_EQ(Location(*panel), "");
    EXPECT_EQ(panel->GetTargetVariable(), script->FindVariable("INSTALL_DIR"));
    // Unlike other pages, the labels take mouse input; only the button reports to the panel.
    EXPECT_TRUE(panel->GetLocationLabel()->IsEnabled());
    EXPECT_TRUE(panel->GetTitleLabel()->IsEnabled());
    EXPECT_EQ(panel->GetBrowseButton()->GetListener(), static_cast<VCtrl::ICtrlListener*>(panel.Get()));

    EXPECT_FALSE(panel->CanAdvance());
    const auto requests = dialogs.responder->GetRequests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].kind, DialogKind::Alert);
    EXPECT_STREQ(requests[0].text.GetText(), kRootAlert);
    EXPECT_EQ(Value(*script, "INSTALL_DIR"), "/somewhere");
}

TEST(CInstallLocationPanel, ConstructionNeedsAScriptAndADeclaredTargetVariable) {
    const std::string missing =
        "Variable to write install location to is NULL! Cannot continue without a valid variable name";
    auto script = KisTest::MakeScript();
    EXPECT_EQ(ConstructionError("INSTALL_DIR", nullptr), missing);
    EXPECT_EQ(ConstructionError("", script.Get()), missing);
    EXPECT_EQ(ConstructionError("INSTALL_DIR, Stage", script.Get()), missing);
    // Names compare exactly.
    script->DeclareVariable("INSTALL_DIR", "/x");
    EXPECT_EQ(ConstructionError("install_dir", script.Get()), missing);

    // The name itself may come from a variable.
    script->DeclareVariable("TARGET_NAME", "INSTALL_DIR");
    auto panel = MakePanel("$TARGET_NAME$", script.Get());
    EXPECT_EQ(panel->GetTargetVariable(), script->FindVariable("INSTALL_DIR"));
}

TEST(CInstallLocationPanel, PathModeShowsTheExpandedStartPathOnlyWithSixPieces) {
    auto script = KisTest::MakeScript();
    script->DeclareVariable("PRODUCT", "Product");
    script->DeclareVariable("INSTALL_DIR", "/opt/$PRODUCT$");

    auto panel = MakePanel("INSTALL_DIR, Where to $PRODUCT$, Install $PRODUCT$, /srv/$PRODUCT$, x, false",
                           script.Get());
    EXPECT_STREQ(panel->GetStageName().GetText(), "Where to Product");
    EXPECT_STREQ(panel->GetTitleLabel()->GetText().GetText(), "Install Product");
    EXPECT_EQ(Location(*panel), "/srv/Product");

    // Script paths written with "\" are shown with this platform's separator.
    panel = MakePanel("INSTALL_DIR, , , \\srv\\$PRODUCT$\\bin, , no", script.Get());
    EXPECT_EQ(Location(*panel), "/srv/Product/bin");
    EXPECT_STREQ(panel->GetStageName().GetText(), "");

    // "$..$" starts from the target variable's current value, expanded.
    panel = MakePanel("INSTALL_DIR, Stage, Title, $..$, , FALSE", script.Get());
    EXPECT_EQ(Location(*panel), "/opt/Product");

    // Four or five pieces leave the location empty; the sixth decides whether there is one.
    EXPECT_EQ(Location(*MakePanel("INSTALL_DIR, Stage, Title, /srv/x", script.Get())), "");
    EXPECT_EQ(Location(*MakePanel("INSTALL_DIR, Stage, Title, /srv/x, y", script.Get())), "");
}

TEST(CInstallLocationPanel, ExistingFolderIsWrittenToTheVariableOnlyWhenNextIsPressed) {
    KisTest::ScriptedDialogs dialogs;
    KisTest::TempFolder folder;
    std::filesystem::create_directories(folder / "first");
    std::filesystem::create_directories(folder / "second");
    auto script = KisTest::MakeScript();
    script->DeclareVariable("INSTALL_DIR", "unset");
    const std::string options = "INSTALL_DIR, , , " + (folder / "first") + ", , false";
    auto panel = MakePanel(options.c_str(), script.Get());
    EXPECT_EQ(Value(*script, "INSTALL_DIR"), "unset");

    EXPECT_TRUE(panel->CanAdvance());
    EXPECT_EQ(Value(*script, "INSTALL_DIR"), folder / "first");

    // Back, another folder, Next again: the new choice is written.
    dialogs.responder->Push(DialogAnswer::Path((folder / "second").c_str()));
    panel->Browse();
    EXPECT_EQ(Value(*script, "INSTALL_DIR"), folder / "first");
    EXPECT_TRUE(panel->CanAdvance());
    EXPECT_EQ(Value(*script, "INSTALL_DIR"), folder / "second");

    // Existing folders need no question.
    const auto requests = dialogs.responder->GetRequests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].kind, DialogKind::Folder);
}

TEST(CInstallLocationPanel, RootIsRefusedAndAMissingFolderIsCreatedOnlyWhenTheUserAgrees) {
    KisTest::ScriptedDialogs dialogs;
    KisTest::TempFolder folder;
    auto script = KisTest::MakeScript();
    script->DeclareVariable("INSTALL_DIR", "unset");
    // A user that does not exist: the owner change fails, which is not reported.
    script->DeclareVariable("UNAME", "kis-no-such-user");
    auto panel = MakePanel("INSTALL_DIR", script.Get());

    panel->ChooseLocation(VString("/"));
    EXPECT_FALSE(panel->CanAdvance());
    auto requests = dialogs.responder->GetRequests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_STREQ(requests[0].text.GetText(), kRootAlert);

    const std::string target = folder / "a/b";
    panel->ChooseLocation(VString(target.c_str()));
    dialogs.responder->Push(DialogAnswer::No());
    EXPECT_FALSE(panel->CanAdvance());
    requests = dialogs.responder->GetRequests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[1].kind, DialogKind::Confirm);
    EXPECT_STREQ(requests[1].caption.GetText(), "Confirm:");
    EXPECT_STREQ(requests[1].text.GetText(), kCreateQuestion);
    EXPECT_FALSE(std::filesystem::exists(folder / "a"));
    EXPECT_EQ(Value(*script, "INSTALL_DIR"), "unset");

    dialogs.responder->Push(DialogAnswer::Yes());
    EXPECT_TRUE(panel->CanAdvance());
    EXPECT_EQ(dialogs.responder->GetRequests().size(), 3u);
    EXPECT_TRUE(std::filesystem::is_directory(target));
    EXPECT_TRUE(KisTest::IsWritable(target));
    EXPECT_EQ(Value(*script, "INSTALL_DIR"), target);

    // Now it exists: no further question.
    EXPECT_TRUE(panel->CanAdvance());
    EXPECT_EQ(dialogs.responder->GetRequests().size(), 3u);
}

TEST(CInstallLocationPanel, FolderThatCannotBeCreatedIsReportedAndKeepsThePage) {
    KisTest::ScriptedDialogs dialogs;
    KisTest::TempFolder folder;
    KisTest::WriteFile(folder / "file");
    auto script = KisTest::MakeScript();
    script->DeclareVariable("INSTALL_DIR", "unset");
    auto panel = MakePanel("INSTALL_DIR", script.Get());

    // Below a plain file no folder can be made, whoever runs the test.
    panel->ChooseLocation(VString((folder / "file/sub").c_str()));
    EXPECT_FALSE(panel->CanAdvance());
    const auto requests = dialogs.responder->GetRequests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].kind, DialogKind::Confirm);
    EXPECT_EQ(requests[1].kind, DialogKind::Alert);
    EXPECT_STREQ(requests[1].text.GetText(), kCreateFailed);
    EXPECT_EQ(Value(*script, "INSTALL_DIR"), "unset");
}

TEST(CInstallLocationPanel, BrowseButtonShowsTheChosenFolderAndCancelKeepsTheOldOne) {
    KisTest::ScriptedDialogs dialogs;
    auto script = KisTest::MakeScript();
    script->DeclareVariable("INSTALL_DIR", "/start");
    auto panel = MakePanel("INSTALL_DIR, , , $..$, , false", script.Get());

    VCtrl::CtrlEvent event;
    dialogs.responder->Push(DialogAnswer::Path("/chosen/folder"));
    event.Set(VCtrl::CtrlEvent::kPressed, panel->GetBrowseButton());
    panel->HandleCtrlEvent(event);
    EXPECT_EQ(Location(*panel), "/chosen/folder");

    dialogs.responder->Push(DialogAnswer::Cancel());
    panel->HandleCtrlEvent(event);
    EXPECT_EQ(Location(*panel), "/chosen/folder");
    panel->ChooseLocation(VString(""));
    EXPECT_EQ(Location(*panel), "/chosen/folder");

    const auto requests = dialogs.responder->GetRequests();
    ASSERT_EQ(requests.size(), 2u);
    for (const auto& request : requests) {
        EXPECT_EQ(request.kind, DialogKind::Folder);
        EXPECT_STREQ(request.text.GetText(), "Please choose the installation location");
    }

    // Only the button's press has an action.
    KisTest::LogCapture log;
    event.Set(VCtrl::CtrlEvent::kPressed, panel->GetLocationLabel());
    panel->HandleCtrlEvent(event);
    EXPECT_EQ(log.Text(), "Control with id 1 not handled in event handler properly\n");
    log.Clear();
    event.Set(VCtrl::CtrlEvent::kMouseDown, panel->GetBrowseButton());
    panel->HandleCtrlEvent(event);
    EXPECT_EQ(log.Text(), "Event with id 1 not handled in event handler properly\n");
    log.Clear();
    event.Set(VCtrl::CtrlEvent::kPressed, nullptr);
    panel->HandleCtrlEvent(event);
    EXPECT_EQ(log.Text(), "");
    EXPECT_EQ(dialogs.responder->GetRequests().size(), 2u);
}

TEST(CInstallLocationPanel, SilentRunTakesTheLocationOptionThroughBrowse) {
    std::vector<std::string> lines;
    VApplication::SilentResponder::Options answers;
    answers.folderPath.Assign("/from/the/command/line");
    VApplication::SetBackend(
        std::make_shared<VApplication::HeadlessBackend>(std::make_shared<VApplication::SilentResponder>(
            answers, [&lines](const std::string& line) { lines.push_back(line); })));
    auto script = KisTest::MakeScript();
    script->DeclareVariable("INSTALL_DIR", "/default");
    auto panel = MakePanel("INSTALL_DIR, , , $..$, , false", script.Get());
    panel->Browse();
    VApplication::SetBackend(std::make_shared<VApplication::HeadlessBackend>());

    EXPECT_EQ(Location(*panel), "/from/the/command/line");
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], "Folder: Please choose the installation location -> /from/the/command/line");

    // A relative --location is the folder below the current one, not a root to refuse.
    panel->ChooseLocation(VString("relative/target"));
    EXPECT_EQ(Location(*panel), (std::filesystem::current_path() / "relative/target").string());
}

TEST(CInstallLocationPanel, ResourcePicturesGiveTheBrowseButtonItsOwnStyle) {
    KisTest::TempFolder folder;
    const std::string resources = folder / "Installer/Resources";
    KisTest::WriteSolidTarga(resources + "/UpButton.tga", 4, 4, 255, 0, 0);
    KisTest::WriteSolidTarga(resources + "/DownButton.tga", 4, 4, 0, 255, 0);
    KisTest::WriteSolidTarga(resources + "/OverButton.tga", 4, 4, 0, 0, 255);
    auto script = KisTest::MakeScript();
    script->SetVariable("CWD_FOLDER", folder.Text().c_str());
    script->DeclareVariable("INSTALL_DIR", "/x");
    auto panel = MakePanel("INSTALL_DIR", script.Get());

    auto* style = dynamic_cast<VCtrl::CtrlButtonStyle*>(panel->GetBrowseButton()->GetStyle());
    ASSERT_NE(style, nullptr);
    EXPECT_TRUE(style->HasFlags(VCtrl::CtrlButtonStyle::kOptMomentary));
    EXPECT_TRUE(style->HasFlags(VCtrl::CtrlButtonStyle::kOptDrawText));
    EXPECT_TRUE(style->HasFlags(VCtrl::CtrlStyle::kFlagHighlight));
    EXPECT_TRUE(style->GetUpImage());
    EXPECT_TRUE(style->GetDownImage());
    EXPECT_TRUE(style->GetMouseOverImage());
    EXPECT_EQ(style->GetFillColour(true), VCtrl::VColour(0, 0, 0, 255));
    EXPECT_EQ(style->GetFillColour(false), VCtrl::VColour(0, 0, 0, 255));
}

TEST_F(InstallLocationRegistry, WithoutAStoredValueTheVariableIsShownExpanded) {
    auto panel = MakePanel("INSTALL_DIR, , , InstallPath, , true", m_script.Get());
    VString expected("$TEMP_FOLDER$/Maker/Product");
    m_script->ExpandVariables(expected);
    EXPECT_EQ(Location(*panel), expected.GetText());
}

TEST_F(InstallLocationRegistry, StoredValueIsShownAsStoredAndWrittenOnNext) {
    KisTest::ScriptedDialogs dialogs;
    // A folder whose name looks like a variable: the stored text is taken as it is.
    const std::string stored = m_folder / "$TEMP_FOLDER$";
    std::filesystem::create_directories(stored);
    VApplication::VRegistry("Software\\Maker\\Product").SetString("InstallPath", stored.c_str());

    // The key path and value name compare without regard to case.
    auto panel = MakePanel("INSTALL_DIR, , , installpath, , TRUE", m_script.Get());
    EXPECT_EQ(Location(*panel), stored);
    EXPECT_TRUE(panel->CanAdvance());
    EXPECT_EQ(Value(*m_script, "INSTALL_DIR"), stored);
    EXPECT_TRUE(dialogs.responder->GetRequests().empty());

    // "True" with another letter case is path mode: the value name is then the path.
    panel = MakePanel("INSTALL_DIR, , , InstallPath, , tRUE", m_script.Get());
    EXPECT_EQ(Location(*panel), "InstallPath");
}

TEST_F(InstallLocationRegistry, RegistryModeNeedsApplicationRegistry) {
    auto script = KisTest::MakeScript();
    script->DeclareVariable("INSTALL_DIR", "/x");
    EXPECT_EQ(ConstructionError("INSTALL_DIR, , , InstallPath, , True", script.Get()),
              "Failed to acquire APPLICATION_REGISTRY");
    // Path mode does not look for it.
    EXPECT_EQ(Location(*MakePanel("INSTALL_DIR, , , /y, , False", script.Get())), "/y");
}

TEST(CInstallLocationPanel, FolderThatCannotBeWrittenToIsRefusedWithItsNameAndTheReason) {
    KisTest::ScriptedDialogs dialogs;
    KisTest::TempFolder folder;
    auto script = KisTest::MakeScript();
    script->DeclareVariable("INSTALL_DIR", "unset");
    auto panel = MakePanel("INSTALL_DIR", script.Get());
    namespace fs = std::filesystem;

    // A folder without write permission refuses new files unless the test runs with the rights to
    // ignore that; a pseudo file system refuses them to everyone.
    std::vector<std::pair<std::string, std::string>> cases;
    const std::string locked = folder / "locked";
    fs::create_directory(locked);
    fs::permissions(locked, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    if (FILE* probe = std::fopen((locked + "/probe").c_str(), "w"))
        std::fclose(probe);
    else
        cases.emplace_back(locked + "/Product", locked);
    if (fs::is_directory("/proc/self")) cases.emplace_back("/proc/kis-location-test/Product", "/proc");
    ASSERT_FALSE(cases.empty());

    for (const auto& [chosen, named] : cases) {
        const size_t asked = dialogs.responder->GetRequests().size();
        panel->ChooseLocation(VString(chosen.c_str()));
        EXPECT_FALSE(panel->CanAdvance()) << chosen;
        const auto requests = dialogs.responder->GetRequests();
        ASSERT_EQ(requests.size(), asked + 1) << "one alert and no creation question for " << chosen;
        EXPECT_EQ(requests.back().kind, DialogKind::Alert);
        const std::string text = requests.back().text.GetText();
        EXPECT_EQ(text.rfind("The folder " + named + " cannot be written to (", 0), 0u) << text;
        EXPECT_NE(text.find(").\nPlease choose another location to install to"), std::string::npos) << text;
        EXPECT_EQ(Value(*script, "INSTALL_DIR"), "unset");
        EXPECT_FALSE(fs::exists(chosen));
    }
    fs::permissions(locked, fs::perms::owner_all);
}

TEST(CInstallLocationPanel, ShowsTheSpaceNeededAndFreeAndBrowsesFromTheLocation) {
    KisTest::TempFolder folder;
    auto script = KisTest::MakeScript();
    script->DeclareVariable("INSTALL_DIR", "unset");
    auto add = [&script](const char* name, bool optional, bool selected, int64_t size) {
        auto section = MakeRef<CInstallerSection>(name, "", optional, SectionPlatformNone);
        section->SetSize(size);
        section->SetSelected(selected);
        script->GetSections().AddObject(section.Get());
    };
    add("Core", false, false, 3 * 1024 * 1024);
    add("Extras", true, true, 1024 * 1024 + 512 * 1024);
    add("Unwanted", true, false, 900 * 1024 * 1024);
    auto panel = MakePanel("INSTALL_DIR", script.Get());
    // A folder that does not exist yet is measured on the disk of its nearest existing parent.
    panel->ChooseLocation(VString((folder / "new/Product").c_str()));
    const std::string text = panel->GetSpaceLabel()->GetText().GetText();
    EXPECT_EQ(text.rfind("Space required: 4.5 MB    Space free: ", 0), 0u) << text;
    EXPECT_EQ(text.find("unknown"), std::string::npos) << text;
    // The label lies under the location, inside the panel.
    EXPECT_GT(panel->GetSpaceLabel()->GetFrame().y, panel->GetLocationLabel()->GetFrame().y + 20);

    // Browse opens the folder dialog at that nearest existing folder.
    KisTest::ScriptedDialogs dialogs;
    dialogs.responder->Push(DialogAnswer::Cancel());
    panel->Browse();
    ASSERT_EQ(dialogs.responder->GetRequests().size(), 1u);
    EXPECT_EQ(std::string(dialogs.responder->GetRequests()[0].initialPath.GetText()), folder.Text());
}
