#include "ui/CZDRKitPieceViewPanel.h"
#include "UiTestSupport.h"
#include "application/VRegistry.h"
#include "ctrl/CtrlEvent.h"
#include "ctrl/CtrlTableColumn.h"
#include "engine/CInstallLog.h"
#include "engine/FlacTestSupport.h"
#include "foundation/VException.h"
#include "instructions/CZdrcaCopyDirectoryInstruction.h"
#include "support/LogCapture.h"
#include "support/TempFolder.h"

#include <cstdio>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

using VFoundation::MakeRef;
using VFoundation::VRef;
using VFoundation::VString;

namespace fs = std::filesystem;

namespace {

class CZDRKitPieceViewPanelTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_previousStore = VApplication::VRegistry::GetStoreLocation();
        VApplication::VRegistry::SetStoreLocation((m_root / "registry.db").c_str());
        m_script = KisTest::MakeScript();
        m_script->SetVariable("KIT_PATH", (m_root / "install").c_str());
        m_script->SetVariable("CWD_FOLDER", (m_root / "medium").c_str());
        m_script->SetVariable("KIT_NOUN", "kit");
    }
    void TearDown() override { VApplication::VRegistry::SetStoreLocation(m_previousStore.c_str()); }
    // The store the suite set up for every test.
    std::string m_previousStore;

    std::string Lib(const std::string& relative = "") const {
        return relative.empty() ? m_root / "lib" : m_root / ("lib/" + relative);
    }
    // A compressed file of the given size in bytes.
    void MakeSample(const std::string& path, size_t bytes) {
        KisTest::WriteFile(path, std::string(bytes, 'x'));
    }

    VRef<CZDRKitPieceViewPanel> MakePanel(const std::string& factor, const std::string& sizes) {
        const std::string options =
            "KIT_PATH, " + factor + ", " + Lib() + ", Choose your $KIT_NOUN$, " + sizes;
        return MakeRef<CZDRKitPieceViewPanel>(VString(options.c_str()), m_script.Get());
    }

    static std::vector<std::string> DescriptionRows(CZDRKitPieceViewPanel& panel) {
        std::vector<std::string> rows;
        for (int i = 0; i < panel.GetDescriptionView()->GetRowCount(); ++i)
            rows.emplace_back(panel.GetDescriptionView()->GetRowText(i).GetText());
        return rows;
    }
    static void Tick(CZDRKitPieceViewPanel& panel, int row) {
        VCtrl::CtrlTableView* table = panel.GetPieceTable();
        panel.CellPressed(table, table->FindColumn(CZDRKitPieceViewPanel::kSelectionColumn), row);
    }
    static std::string TotalText(CZDRKitPieceViewPanel& panel) {
        return panel.GetTotalLabel()->GetText().GetText();
    }
    static bool TotalIsRed(CZDRKitPieceViewPanel& panel) {
        const VCtrl::VColour colour = panel.GetTotalLabelStyle()->GetTextColour();
        return colour.GetRed() == 255 && colour.GetGreen() == 0 && colour.GetBlue() == 0;
    }

    KisTest::TempFolder m_root;
    VRef<CInstallScript> m_script;
};

} // namespace

TEST_F(CZDRKitPieceViewPanelTest, ReadsOptionsAndTheBracketedInstallSizes) {
    fs::create_directories(Lib());
    auto panel =
        MakePanel("1.5", "[{1:Small:One file per folder}, {5:Bad}, {2:a:b:c}, {1000:Full:Everything}]");
    EXPECT_STREQ(panel->GetPathVariableName().GetText(), "KIT_PATH");
    EXPECT_DOUBLE_EQ(panel->GetSizeFactor(), 1.5);
    EXPECT_STREQ(panel->GetLibraryFolder().GetText(), Lib().c_str());
    EXPECT_STREQ(panel->GetTitle().GetText(), "Choose your kit");
    EXPECT_STREQ(panel->GetTitleLabel()->GetText().GetText(), "Choose your kit");
    EXPECT_STREQ(panel->GetStageName().GetText(), "ZDR Kit Pieces");

    // Entries without exactly three parts are skipped.
    ASSERT_EQ(panel->GetInstallSizeCount(), 2);
    EXPECT_EQ(panel->GetInstallSize(0)->GetFilesPerFolder(), 1);
    EXPECT_STREQ(panel->GetInstallSize(0)->GetName().GetText(), "Small");
    EXPECT_STREQ(panel->GetInstallSize(0)->GetDescription().GetText(), "One file per folder");
    EXPECT_EQ(panel->GetInstallSize(1)->GetFilesPerFolder(), 1000);
    EXPECT_STREQ(panel->GetInstallSize(1)->GetName().GetText(), "Full");
    EXPECT_STREQ(panel->GetInstallSize(0)->GetClassName(), "CInstallSize");

    ASSERT_EQ(panel->GetSizeChooser()->GetItemCount(), 2);
    EXPECT_STREQ(panel->GetSizeChooser()->GetItemText(1).GetText(), "Full");
    EXPECT_EQ(panel->GetSizeChooser()->GetSelectedIndex(), 0);
    EXPECT_EQ(panel->GetMaxFilesPerFolder(), 1);
    EXPECT_STREQ(panel->GetSizeDescriptionLabel()->GetText().GetText(), "One file per folder");
    EXPECT_EQ(TotalText(*panel), "?GB / ?GB");
    EXPECT_EQ(DescriptionRows(*panel),
              std::vector<std::string>{"Click on a ZDR Kit piece to see a description of it displayed here"});
    EXPECT_EQ(panel->GetDescriptionView()->GetSelectedRow(), -1);

    // Choosing the other size shows its description; only the chooser's presses are acted on.
    KisTest::LogCapture log;
    panel->GetSizeChooser()->SelectItem(1);
    VCtrl::CtrlEvent event;
    event.Set(VCtrl::CtrlEvent::kPressed, panel->GetSizeChooser());
    panel->HandleCtrlEvent(event);
    EXPECT_STREQ(panel->GetSizeDescriptionLabel()->GetText().GetText(), "Everything");
    EXPECT_EQ(panel->GetMaxFilesPerFolder(), 1000);
    event.Set(VCtrl::CtrlEvent::kPressed, panel->GetPieceTable());
    panel->HandleCtrlEvent(event);
    EXPECT_EQ(log.Text(), "");
    event.Set(VCtrl::CtrlEvent::kMouseDown, panel->GetSizeChooser());
    panel->HandleCtrlEvent(event);
    EXPECT_EQ(log.Text(), "Event with id 1 not handled in event handler properly\n");
}

TEST_F(CZDRKitPieceViewPanelTest, WithoutScriptOrInstallSizes) {
    try {
        CZDRKitPieceViewPanel panel(VString("KIT_PATH, 1, /x, T, [{1:a:b}]"), nullptr);
        FAIL() << "no exception";
    } catch (const VFoundation::VException& e) {
        EXPECT_STREQ(e.GetDescriptionText().GetText(), "Script parser is NULL inside ZDR Kit Piece Panel");
    }

    MakeSample(Lib("Kick/Kit1/a.zdrca"), 4 << 20);
    auto panel = MakePanel("1", "");
    EXPECT_EQ(panel->GetInstallSizeCount(), 0);
    EXPECT_EQ(panel->GetSizeChooser()->GetItemCount(), 0);
    EXPECT_EQ(panel->GetSizeChooser()->GetSelectedIndex(), -1);
    EXPECT_EQ(panel->GetMaxFilesPerFolder(), 0);
    ASSERT_EQ(panel->GetPieceCount(), 1);
    EXPECT_STREQ(panel->GetPiece(0)->GetSizeText().GetText(), "0MB");
    EXPECT_EQ(panel->EstimateFolderBytes(VString(Lib("Kick/Kit1").c_str())), 0);

    // A title that looks like a size entry is not one: the list needs its brackets.
    auto titled = MakeRef<CZDRKitPieceViewPanel>(
        VString(("KIT_PATH, 1, " + Lib() + ", {1:Small:Title}").c_str()), m_script.Get());
    EXPECT_EQ(titled->GetInstallSizeCount(), 0);
}

TEST_F(CZDRKitPieceViewPanelTest, ListsPiecesAndLeavesInstalledOnesUnticked) {
    MakeSample(Lib("Kick/Kit1/Hard/a.zdrca"), (1 << 20) + 1);
    KisTest::WriteFile(Lib("Kick/Kit1/Info.txt"), "A tight kick\r\nwith felt beater\n");
    KisTest::WriteSolidTarga(Lib("Kick/Kit1/Photo.tga"), 20, 10, 200, 0, 0);
    MakeSample(Lib("Kick/Kit2/Hard/a.zdrca"), 10);
    MakeSample(Lib("Snare/Brass/b.zdrca"), 10);
    KisTest::WriteFile(Lib("Snare/notes.txt"), "not a piece");
    KisTest::WriteFile(Lib("readme.txt"), "not a category");
    // The earlier installation holds Kick/Kit2.
    fs::create_directories(m_root.Path() / "zdr/Data/Kick/Kit2");
    VApplication::VRegistry(CZDRKitPieceViewPanel::kDataKeyPath)
        .SetString("DataPath", (m_root / "zdr").c_str());

    KisTest::WriteSolidTarga(m_root / "medium/Installer/Resources/On.tga", 10, 10, 0, 200, 0);
    KisTest::WriteSolidTarga(m_root / "medium/Installer/Resources/Off.tga", 10, 10, 0, 0, 200);

    auto panel = MakePanel("1", "[{1000:Full:All}]");
    ASSERT_EQ(panel->GetPieceCount(), 3);
    EXPECT_STREQ(panel->GetPiece(0)->GetClassName(), "CKitPieceObject");
    {
        // The check column shows the on picture for a ticked piece and the off picture for the other.
        KisTest::Snapshot snapshot(*panel);
        const int checkX = 10 + 12;
        const int firstRowY = panel->GetPieceTable()->GetY() + VCtrl::CtrlTableView::kHeaderHeight + 7;
        EXPECT_EQ(snapshot.At(checkX, firstRowY), 0x00C800u);
        EXPECT_EQ(snapshot.At(checkX, firstRowY + VCtrl::CtrlTableView::kInitialRowHeight), 0x0000C8u);
    }
    EXPECT_STREQ(panel->GetPiece(0)->GetDisplayName().GetText(), "Kick Kit1");
    EXPECT_STREQ(panel->GetPiece(1)->GetDisplayName().GetText(), "Kick Kit2");
    EXPECT_STREQ(panel->GetPiece(2)->GetDisplayName().GetText(), "Snare Brass");
    EXPECT_STREQ(panel->GetPiece(0)->GetFolder().GetText(), Lib("Kick/Kit1").c_str());
    EXPECT_TRUE(panel->GetPiece(0)->IsSelected());
    EXPECT_FALSE(panel->GetPiece(1)->IsSelected());
    EXPECT_TRUE(panel->GetPiece(2)->IsSelected());
    // Just over one megabyte: rounded up in the first listing, down once the sizes are measured again.
    EXPECT_STREQ(panel->GetPiece(0)->GetSizeText().GetText(), "2MB");
    EXPECT_EQ(panel->GetPiece(0)->GetSize(), 1);
    EXPECT_EQ(panel->GetRowCount(panel->GetPieceTable()), 3);

    VCtrl::CtrlTableView* table = panel->GetPieceTable();
    VCtrl::CtrlTableColumn* nameColumn = table->FindColumn(CZDRKitPieceViewPanel::kNameColumn);
    ASSERT_NE(nameColumn, nullptr);
    EXPECT_EQ(table->GetColumnCount(), 3);
    EXPECT_EQ(panel->GetCellValue(table, nameColumn, 3), nullptr);
    auto* name = dynamic_cast<VString*>(panel->GetCellValue(table, nameColumn, 2));
    ASSERT_NE(name, nullptr);
    EXPECT_STREQ(name->GetText(), "Snare Brass");

    ASSERT_TRUE(panel->PrepareToShow());
    EXPECT_STREQ(panel->GetPiece(0)->GetSizeText().GetText(), "1MB");
    EXPECT_EQ(DescriptionRows(*panel), (std::vector<std::string>{"A tight kick", "with felt beater"}));
    ASSERT_NE(panel->GetPhotoView()->GetImage(), nullptr);
    EXPECT_EQ(panel->GetPhotoView()->GetImage()->GetWidth(), 20);

    // A piece without a description or photo shows neither, not the previous piece's.
    table->SelectRow(1);
    EXPECT_TRUE(DescriptionRows(*panel).empty());
    EXPECT_EQ(panel->GetPhotoView()->GetImage(), nullptr);

    // A press in the check column of row 1 ticks it; a press on a name only selects.
    const int rowY = VCtrl::CtrlTableView::kHeaderHeight + table->GetRowHeight() + 5;
    table->MouseDown(VCtrl::VPoint{10, rowY}, 0);
    table->MouseUp(VCtrl::VPoint{10, rowY}, 0);
    EXPECT_TRUE(panel->GetPiece(1)->IsSelected());
    table->MouseDown(VCtrl::VPoint{150, rowY}, 0);
    table->MouseUp(VCtrl::VPoint{150, rowY}, 0);
    EXPECT_TRUE(panel->GetPiece(1)->IsSelected());
    EXPECT_FALSE(panel->CanPressCell(table, nameColumn, 1));
}

TEST_F(CZDRKitPieceViewPanelTest, SizeEstimatePicksTheSameEntriesAsTheCopy) {
    char name[32];
    for (int i = 0; i < 100; ++i) {
        std::snprintf(name, sizeof name, "Kick/Kit1/f%03d.zdrca", i);
        MakeSample(Lib(name), size_t(i + 1) * 10);
    }
    auto panel = MakePanel("1", "[{10:Ten:Ten per folder}]");
    int64_t expected = 0;
    for (int index : {0, 9, 19, 29, 39, 49, 59, 69, 79, 89})
        expected += (index + 1) * 10;
    EXPECT_EQ(panel->EstimateFolderBytes(VString(Lib("Kick/Kit1").c_str())), expected);

    // Sub-folders count by the same rule; other files and other letter cases of the extension add nothing.
    MakeSample(Lib("Snare/Kit1/Hard/a.zdrca"), 100);
    MakeSample(Lib("Snare/Kit1/Hard/b.zdrca"), 200);
    MakeSample(Lib("Snare/Kit1/c.zdrca"), 1000);
    MakeSample(Lib("Snare/Kit1/d.ZDRCA"), 5000);
    MakeSample(Lib("Snare/Kit1/e.txt"), 7000);
    EXPECT_EQ(panel->EstimateFolderBytes(VString(Lib("Snare/Kit1").c_str())), 1300);
    KisTest::LogCapture log;
    EXPECT_EQ(panel->EstimateFolderBytes(VString(Lib("Missing").c_str())), 0);
}

TEST_F(CZDRKitPieceViewPanelTest, WithoutDiskInformationTheFreeSpaceIsUnknownAndNextAllowed) {
    // 1000 bytes times 1048576 is exactly 1000 megabytes; the second piece adds one more.
    MakeSample(Lib("Kick/Kit1/a.zdrca"), 1000);
    MakeSample(Lib("Kick/Kit2/a.zdrca"), 1);
    m_script->SetVariable("KIT_PATH", "relative/folder");
    auto panel = MakePanel("1048576", "[{1000:Full:All}]");
    KisTest::ScriptedDialogs dialogs;

    Tick(*panel, 1);
    ASSERT_TRUE(panel->PrepareToShow());
    EXPECT_EQ(TotalText(*panel), "1000MB / ?GB");
    Tick(*panel, 1);
    // The free space was never measured: it stays unknown rather than showing as zero.
    EXPECT_EQ(TotalText(*panel), "0.98GB / ?GB");
    EXPECT_FALSE(TotalIsRed(*panel));
    EXPECT_DOUBLE_EQ(panel->GetFreeSpace(), 0.0);
    EXPECT_TRUE(panel->CanAdvance());
    EXPECT_TRUE(dialogs.responder->GetRequests().empty());
}

TEST_F(CZDRKitPieceViewPanelTest, TotalAgainstFreeSpaceAndTheFitTest) {
    MakeSample(Lib("Kick/Kit1/a.zdrca"), 1000);
    MakeSample(Lib("Kick/Kit2/a.zdrca"), 1);
    auto panel = MakePanel("1048576", "[{1000:Full:All}]");
    KisTest::ScriptedDialogs dialogs;

    Tick(*panel, 1);
    ASSERT_TRUE(panel->PrepareToShow());
    EXPECT_GT(panel->GetFreeSpace(), 0.0);
    char expected[64];
    std::snprintf(expected, sizeof expected, "1000MB / %0.02fGB", panel->GetFreeSpace());
    EXPECT_EQ(TotalText(*panel), expected);
    EXPECT_EQ(TotalText(*panel).rfind("1000MB / ", 0), 0u);
    const bool fits = 1000.0 / 1024.0 < panel->GetFreeSpace();
    EXPECT_EQ(TotalIsRed(*panel), !fits);
    EXPECT_EQ(panel->CanAdvance(), fits);

    // Far more than any disk holds: red, and Next is refused with the alert.
    auto huge = MakePanel("1e12", "[{1000:Full:All}]");
    ASSERT_TRUE(huge->PrepareToShow());
    EXPECT_TRUE(TotalIsRed(*huge));
    EXPECT_NE(TotalText(*huge).find("GB / "), std::string::npos);
    const size_t before = dialogs.responder->GetRequests().size();
    EXPECT_FALSE(huge->CanAdvance());
    const auto requests = dialogs.responder->GetRequests();
    ASSERT_EQ(requests.size(), before + 1);
    EXPECT_STREQ(requests.back().text.GetText(),
                 "Your chosen installation is bigger than the amount of space "
                 "available. Please reselect your chosen options.");
    // Unticking everything brings the total back within the disk.
    Tick(*huge, 0);
    Tick(*huge, 1);
    EXPECT_EQ(TotalText(*huge).rfind("0MB / ", 0), 0u);
    EXPECT_FALSE(TotalIsRed(*huge));
    EXPECT_TRUE(huge->CanAdvance());

    m_script->GetVariables().RemoveAllObjects();
    try {
        huge->CanAdvance();
        FAIL() << "no exception";
    } catch (const VFoundation::VException& e) {
        EXPECT_STREQ(e.GetDescriptionText().GetText(), "Failed to get install path variable");
    }
}

TEST_F(CZDRKitPieceViewPanelTest, AnswersTheCopyForTheChosenPieces) {
    for (const char* folder : {"Kick/Kit1/Hard", "Kick/Kit1/Soft", "Kick/Kit10/Hard", "Snare/Kit1/A",
                               "Snare/Kit1/B", "Snare/Kit1/C"})
        MakeSample(Lib(std::string(folder) + "/a.zdrca"), 10);
    KisTest::WriteFile(Lib("Snare/Kit1/Info.txt"), "not a folder");
    auto panel = MakePanel("1", "[{4:Four:Four per folder}, {9:Nine:Nine per folder}]");
    ASSERT_EQ(panel->GetPieceCount(), 3);
    ASSERT_STREQ(panel->GetPiece(1)->GetDisplayName().GetText(), "Kick Kit10");
    Tick(*panel, 1);

    auto path = [this](const std::string& relative) { return VString(Lib(relative).c_str()); };
    EXPECT_TRUE(panel->IsInstallPath(path("Kick/Kit1")));
    EXPECT_TRUE(panel->IsInstallPath(path("Snare/Kit1")));
    EXPECT_FALSE(panel->IsInstallPath(path("Kick/Kit10")));
    EXPECT_FALSE(panel->IsInstallPath(path("Kick")));
    EXPECT_FALSE(panel->IsInstallPath(path("Kick/Kit1/Hard")));
    EXPECT_TRUE(panel->IsOnInstallPath(path("")));
    EXPECT_TRUE(panel->IsOnInstallPath(path("Kick")));
    EXPECT_TRUE(panel->IsOnInstallPath(path("Kick/Kit1/Hard")));
    EXPECT_FALSE(panel->IsOnInstallPath(path("Hats")));
    // Whole components: the unticked Kit10 does not lie below the ticked Kit1.
    EXPECT_FALSE(panel->IsOnInstallPath(path("Kick/Kit10")));
    EXPECT_FALSE(panel->IsOnInstallPath(path("Kick/Kit10/Hard")));
    EXPECT_FALSE(panel->IsOnInstallPath(path("Kick/Kit")));
    // Two sub-folders of Kick/Kit1 and three of Snare/Kit1.
    EXPECT_EQ(panel->GetInstallPathCount(), 5);
    EXPECT_EQ(panel->GetMaxFilesPerFolder(), 4);

    // Once the installation began, the answers are the choice of that moment, whatever the controls say.
    panel->BeginInstallation();
    panel->GetSizeChooser()->SelectItem(1);
    Tick(*panel, 0);
    EXPECT_EQ(panel->GetMaxFilesPerFolder(), 4);
    EXPECT_TRUE(panel->IsInstallPath(path("Kick/Kit1")));
    EXPECT_EQ(panel->GetInstallPathCount(), 5);
}

TEST_F(CZDRKitPieceViewPanelTest, CopyWithThePanelAsHostDecodesTheChosenShare) {
    if (!KisTest::FlacToolAvailable()) GTEST_SKIP() << "the flac tool is not installed";
    const std::string wave = m_root / "signal.wav";
    KisTest::WriteTestWave(wave, 1, 16, 300);
    // Five takes in each layer folder; two per folder picks takes 0 and 2.
    for (const char* folder : {"Kick/Kit1/Hard", "Kick/Kit10/Hard", "Kick/Kit2/Hard", "Snare/Kit1/Soft"})
        for (int take = 0; take < 5; ++take) {
            const std::string file = Lib(std::string(folder) + "/t" + std::to_string(take) + ".zdrca");
            fs::create_directories(fs::path(file).parent_path());
            ASSERT_TRUE(KisTest::EncodeWithFlacTool(wave, file));
        }
    KisTest::WriteFile(Lib("Kick/Kit1/Info.txt"), "kick");
    KisTest::WriteFile(Lib("Kick/Kit1/Hard/zz-notes.txt"), "never copied from a compressed folder");
    KisTest::WriteFile(Lib("readme.txt"), "top");

    auto panel = MakePanel("1", "[{2:Two:Two per folder}]");
    ASSERT_EQ(panel->GetPieceCount(), 4);
    ASSERT_STREQ(panel->GetPiece(1)->GetDisplayName().GetText(), "Kick Kit10");
    ASSERT_STREQ(panel->GetPiece(2)->GetDisplayName().GetText(), "Kick Kit2");
    // Kit10 is unticked while Kit1, whose name begins its name, is ticked: nothing of it, not even a folder.
    Tick(*panel, 1);
    Tick(*panel, 2);

    fs::create_directories(m_root.Path() / "dst");
    fs::create_directories(m_root.Path() / "logs");
    auto log = MakeRef<CInstallLog>();
    ASSERT_TRUE(log->Open(VString((m_root / "logs").c_str()), VString("Kit")));
    log->WriteTableHead();
    auto copy = MakeRef<CZdrcaCopyDirectoryInstruction>(VString((Lib() + ", " + (m_root / "dst")).c_str()));
    copy->SetLog(log.Get());
    copy->SetInstallHost(panel.Get());
    EXPECT_TRUE(copy->Execute());

    std::set<std::string> arrived;
    for (const auto& entry : fs::recursive_directory_iterator(m_root.Path() / "dst"))
        if (entry.is_regular_file())
            arrived.insert(fs::relative(entry.path(), m_root.Path() / "dst").string());
    const std::set<std::string> expected = {"readme.txt",
                                            "Kick/Kit1/Info.txt",
                                            "Kick/Kit1/Hard/t0.wav",
                                            "Kick/Kit1/Hard/t2.wav",
                                            "Snare/Kit1/Soft/t0.wav",
                                            "Snare/Kit1/Soft/t2.wav"};
    EXPECT_EQ(arrived, expected);
    EXPECT_FALSE(fs::exists(m_root.Path() / "dst/Kick/Kit2"));
    EXPECT_FALSE(fs::exists(m_root.Path() / "dst/Kick/Kit10"));

    const std::string oracle = m_root / "oracle.wav";
    ASSERT_TRUE(KisTest::DecodeWithFlacTool(Lib("Kick/Kit1/Hard/t2.zdrca"), oracle));
    EXPECT_EQ(KisTest::ReadFile(m_root / "dst/Kick/Kit1/Hard/t2.wav"), KisTest::ReadFile(oracle));
}

TEST_F(CZDRKitPieceViewPanelTest, TitleIsNotCoveredAndTheColumnsHaveTitles) {
    auto panel = MakePanel("1", "[{1000:Full:All}]");
    const VCtrl::VRect title = panel->GetTitleLabel()->GetFrame();
    EXPECT_LE(title.y + title.height, panel->GetPieceTable()->GetY());
    EXPECT_LE(title.y + title.height, panel->GetPhotoView()->GetY());
    std::vector<std::string> titles;
    int widths = 0;
    for (int i = 0; i < panel->GetPieceTable()->GetColumnCount(); ++i) {
        titles.emplace_back(panel->GetPieceTable()->GetColumnAtIndex(i)->GetDisplayName().GetText());
        widths += panel->GetPieceTable()->GetColumnAtIndex(i)->GetColumnWidth();
    }
    EXPECT_EQ(titles, (std::vector<std::string>{" ", "Size", "Kit piece"}));
    // The columns fit the table: no horizontal scroll bar.
    EXPECT_LE(widths, panel->GetPieceTable()->GetWidth());
}
