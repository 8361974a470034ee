#include "ui/CInstallSectionPanel.h"
#include "UiTestSupport.h"
#include "ctrl/CtrlEvent.h"
#include "ctrl/CtrlTableColumn.h"
#include "foundation/VException.h"
#include "support/LogCapture.h"
#include "support/TempFolder.h"

#include <fstream>
#include <string>
#include <vector>

using VCtrl::CtrlTableView;
using VCtrl::VPoint;
using VFoundation::MakeRef;
using VFoundation::VRef;
using VFoundation::VString;

namespace {

// Optional sections around two mandatory ones; Small, Large and Core are exclusive (Core is mandatory).
const char* const kScript = "{KestrawinInstallSystem}\n"
                            "{Variables}\n"
                            "PRODUCT, Drums\n"
                            "{GlobalSetup}\n"
                            "APPLICATION_NAME, P\n"
                            "{Pages}\n"
                            "InstallSectionView, Choose $PRODUCT$ parts\n"
                            "{Exclusive}\n"
                            "Small\n"
                            "Large\n"
                            "Core\n"
                            "{MainInstall}\n"
                            "{Section}, 1048576, Core, The program, Required\n"
                            "{Section}, 2097152, Small, The small kit, Optional\n"
                            "{Section}, 10485760, Large, The large kit, Optional\n"
                            "{Section}, 5242880, Manual, The manual, Optional\n"
                            "{Section}, 1, Last, Clean up, Required\n";

struct ParsedScript {
    KisTest::TempFolder folder;
    VRef<CInstallScript> script = KisTest::MakeScript();

    explicit ParsedScript(const std::string& text) {
        const std::string path = folder / "InstallScript.kis";
        std::ofstream(path, std::ios::binary) << text;
        EXPECT_TRUE(script->Parse(path.c_str()));
        // Keeps the check pictures of the machine's own resource folder out of the tests.
        script->SetVariable("CWD_FOLDER", folder.Text().c_str());
    }
    CInstallerSection* Section(const char* name) const {
        for (CInstallerSection* section : script->GetSections())
            if (section->GetName().IsEqual(name)) return section;
        return nullptr;
    }
};

std::vector<std::string> SelectedNames(const CInstallScript& script) {
    std::vector<std::string> names;
    for (const CInstallerSection* section : script.GetSections())
        if (section->IsSelected()) names.emplace_back(section->GetName().GetText());
    return names;
}

// A press in the table's own coordinates on the given row: column 0 is the check box, else the name.
void PressRow(CtrlTableView& table, int row, bool checkColumn) {
    const VPoint point{checkColumn ? 20 : 120, CtrlTableView::kHeaderHeight + row * table.GetRowHeight() + 3};
    table.MouseDown(point, 0);
    table.MouseUp(point, 0);
}

std::string SizeText(const CInstallSectionPanel& panel) {
    return panel.GetSizeLabel()->GetText().GetText();
}

} // namespace

TEST(CInstallSectionPanel, SizeTextSwitchesToGigabytesAboveOneThousandMegabytes) {
    EXPECT_STREQ(CInstallSectionPanel::FormatSizeText(0).GetText(), "Components Size: 0MB");
    EXPECT_STREQ(CInstallSectionPanel::FormatSizeText(1).GetText(), "Components Size: 1MB");
    EXPECT_STREQ(CInstallSectionPanel::FormatSizeText(1048577).GetText(), "Components Size: 2MB");
    EXPECT_STREQ(CInstallSectionPanel::FormatSizeText(524288000).GetText(), "Components Size: 500MB");
    EXPECT_STREQ(CInstallSectionPanel::FormatSizeText(1048576000).GetText(), "Components Size: 1000MB");
    EXPECT_STREQ(CInstallSectionPanel::FormatSizeText(1048576001).GetText(), "Components Size: 0.98GB");
    EXPECT_STREQ(CInstallSectionPanel::FormatSizeText(int64_t(5) << 30).GetText(), "Components Size: 5.00GB");
}

TEST(CInstallSectionPanel, RefusesToBeBuiltWithoutAScript) {
    try {
        CInstallSectionPanel panel(VString("Title"), nullptr);
        FAIL() << "no exception";
    } catch (const VFoundation::VException& exception) {
        EXPECT_STREQ(exception.GetDescriptionText().GetText(),
                     "Script parser is NULL inside Install Section Panel");
    }
}

TEST(CInstallSectionPanel, ListsTheOptionalSectionsUnderTheTitleOfTheOptions) {
    ParsedScript parsed(kScript);
    const CInstallerPage* page = parsed.script->GetPages().GetObjectAtIndex(0);
    ASSERT_NE(page, nullptr);
    auto panel = MakeRef<CInstallSectionPanel>(page->GetArgument(), parsed.script.Get());
    EXPECT_STREQ(panel->GetStageName().GetText(), "Install Options");
    EXPECT_TRUE(panel->PrepareToShow());
    EXPECT_TRUE(panel->CanAdvance());
    EXPECT_STREQ(panel->GetTitleLabel()->GetText().GetText(), "Choose Drums parts");

    CtrlTableView* table = panel->GetSectionTable();
    ASSERT_EQ(table->GetRowCount(), 3);
    ASSERT_EQ(table->GetColumnCount(), 2);
    VCtrl::CtrlTableColumn* check = table->GetColumnAtIndex(0);
    VCtrl::CtrlTableColumn* name = table->GetColumnAtIndex(1);
    EXPECT_STREQ(check->GetIdentifier().GetText(), "CheckBox");
    EXPECT_TRUE(check->GetFlag());
    EXPECT_EQ(check->GetColumnWidth(), 50);
    EXPECT_STREQ(name->GetIdentifier().GetText(), "SectionName");
    EXPECT_FALSE(name->GetFlag());
    EXPECT_EQ(name->GetColumnWidth(), 228);

    std::vector<std::string> names;
    for (int row = 0; row < 3; ++row) {
        auto* value = static_cast<VString*>(panel->GetCellValue(table, name, row));
        ASSERT_NE(value, nullptr);
        names.emplace_back(value->GetText());
    }
    EXPECT_EQ(names, (std::vector<std::string>{"Small", "Large", "Manual"}));
    EXPECT_EQ(panel->GetCellValue(table, name, 3), nullptr);
    EXPECT_EQ(panel->GetCellValue(table, name, -1), nullptr);
    // Without the pictures the check column stays empty.
    EXPECT_EQ(panel->GetOnImage(), nullptr);
    EXPECT_EQ(panel->GetCellValue(table, check, 0), nullptr);

    const auto* hint = panel->GetDescriptionView();
    ASSERT_EQ(hint->GetRowCount(), 1);
    EXPECT_STREQ(hint->GetRowText(0).GetText(),
                 "Click on a component name to see a description of it displayed here");
    EXPECT_EQ(hint->GetSelectedRow(), -1);

    // Only the first exclusive section stays selected; the mandatory ones always count.
    EXPECT_EQ(SelectedNames(*parsed.script), (std::vector<std::string>{"Core", "Small", "Manual", "Last"}));
    // 1 + 2 + 5 MiB and one byte.
    EXPECT_EQ(panel->GetTotalSize(), 8 * 1048576 + 1);
    EXPECT_EQ(SizeText(*panel), "Components Size: 9MB");
}

TEST(CInstallSectionPanel, DefaultTitleAndNoOptionalSections) {
    ParsedScript parsed("{KestrawinInstallSystem}\n{Variables}\n{GlobalSetup}\nAPPLICATION_NAME, P\n{Pages}\n"
                        "{MainInstall}\n{Section}, 524288000, Core, The program, Required\n"
                        "{Section}, 524288000, Data, The data, Required\n");
    auto panel = MakeRef<CInstallSectionPanel>(VString(""), parsed.script.Get());
    EXPECT_STREQ(panel->GetTitleLabel()->GetText().GetText(),
                 "Please select the components you would like to install");
    EXPECT_EQ(panel->GetSectionTable()->GetRowCount(), 0);
    EXPECT_EQ(SizeText(*panel), "Components Size: 1000MB");
    // A press in the empty table presses nothing and shows nothing.
    PressRow(*panel->GetSectionTable(), 0, true);
    PressRow(*panel->GetSectionTable(), 0, false);
    EXPECT_EQ(SelectedNames(*parsed.script), (std::vector<std::string>{"Core", "Data"}));
    EXPECT_STREQ(panel->GetDescriptionView()->GetRowText(0).GetText(),
                 "Click on a component name to see a description of it displayed here");
}

TEST(CInstallSectionPanel, TickingAnExclusiveSectionClearsTheOthersButNeverAMandatoryOne) {
    ParsedScript parsed(kScript);
    auto panel = MakeRef<CInstallSectionPanel>(VString("Title"), parsed.script.Get());
    CtrlTableView& table = *panel->GetSectionTable();

    PressRow(table, 1, true); // Large
    EXPECT_EQ(SelectedNames(*parsed.script), (std::vector<std::string>{"Core", "Large", "Manual", "Last"}));
    EXPECT_EQ(SizeText(*panel), "Components Size: 17MB");
    // The press flipped the box only; the selection and the description stay.
    EXPECT_EQ(table.GetSelectedRow(), -1);
    EXPECT_EQ(panel->GetDescriptionView()->GetRowCount(), 1);

    PressRow(table, 1, true); // Large off: Small stays cleared
    EXPECT_EQ(SelectedNames(*parsed.script), (std::vector<std::string>{"Core", "Manual", "Last"}));
    EXPECT_EQ(SizeText(*panel), "Components Size: 7MB");

    PressRow(table, 2, true); // Manual is not exclusive: the others are untouched
    PressRow(table, 0, true); // Small
    EXPECT_EQ(SelectedNames(*parsed.script), (std::vector<std::string>{"Core", "Small", "Last"}));
    EXPECT_TRUE(parsed.Section("Core")->IsSelected());
    EXPECT_EQ(SizeText(*panel), "Components Size: 4MB");
}

TEST(CInstallSectionPanel, MandatorySectionsCannotBeUnticked) {
    ParsedScript parsed(kScript);
    auto panel = MakeRef<CInstallSectionPanel>(VString("Title"), parsed.script.Get());
    CtrlTableView& table = *panel->GetSectionTable();
    VCtrl::CtrlTableColumn* check = table.FindColumn("CheckBox");
    // Mandatory sections have no row; rows past the optional ones are refused.
    EXPECT_FALSE(panel->CanPressCell(&table, check, 3));
    EXPECT_FALSE(panel->CanPressCell(&table, check, -1));
    EXPECT_FALSE(panel->CanPressCell(&table, table.FindColumn("SectionName"), 0));
    EXPECT_TRUE(panel->CanPressCell(&table, check, 2));
    panel->CellPressed(&table, check, 3);
    panel->CellPressed(&table, check, -1);
    PressRow(table, 3, true);
    PressRow(table, 4, true);
    EXPECT_TRUE(parsed.Section("Core")->IsSelected());
    EXPECT_TRUE(parsed.Section("Last")->IsSelected());
    // Unticking every optional section leaves the mandatory ones to count.
    PressRow(table, 0, true);
    PressRow(table, 2, true);
    EXPECT_EQ(SelectedNames(*parsed.script), (std::vector<std::string>{"Core", "Last"}));
    EXPECT_EQ(SizeText(*panel), "Components Size: 2MB");
}

TEST(CInstallSectionPanel, ClickingANameShowsItsDescription) {
    ParsedScript parsed(kScript);
    auto panel = MakeRef<CInstallSectionPanel>(VString("Title"), parsed.script.Get());
    CtrlTableView& table = *panel->GetSectionTable();
    const auto* description = panel->GetDescriptionView();

    PressRow(table, 2, false);
    EXPECT_EQ(table.GetSelectedRow(), 2);
    ASSERT_EQ(description->GetRowCount(), 1);
    EXPECT_STREQ(description->GetRowText(0).GetText(), "The manual");
    EXPECT_EQ(description->GetSelectedRow(), -1);
    EXPECT_TRUE(parsed.Section("Manual")->IsSelected());

    table.KeyDown(38, 0); // Up
    EXPECT_STREQ(description->GetRowText(0).GetText(), "The large kit");
    ASSERT_EQ(description->GetRowCount(), 1);

    // A row past the sections keeps the last description.
    PressRow(table, 6, false);
    EXPECT_EQ(table.GetSelectedRow(), 6);
    EXPECT_STREQ(description->GetRowText(0).GetText(), "The large kit");
}

TEST(CInstallSectionPanel, CheckColumnShowsTheOnAndOffPictures) {
    ParsedScript parsed(kScript);
    const std::string resources = parsed.folder / "Installer/Resources";
    KisTest::WriteSolidTarga(resources + "/On.tga", 12, 12, 0, 160, 0);
    KisTest::WriteSolidTarga(resources + "/Off.tga", 12, 12, 200, 0, 0);
    auto panel = MakeRef<CInstallSectionPanel>(VString("Title"), parsed.script.Get());
    CtrlTableView& table = *panel->GetSectionTable();
    VCtrl::CtrlTableColumn* check = table.FindColumn("CheckBox");
    ASSERT_NE(panel->GetOnImage(), nullptr);
    ASSERT_NE(panel->GetOffImage(), nullptr);
    EXPECT_EQ(panel->GetCellValue(&table, check, 0), panel->GetOnImage());
    EXPECT_EQ(panel->GetCellValue(&table, check, 1), panel->GetOffImage());
    EXPECT_EQ(panel->GetCellValue(&table, check, 3), nullptr);

    // The pictures are drawn in the check cells: green for Small, red for Large.
    KisTest::Snapshot shot(*panel);
    const int x = 10 + 25;
    const int firstRow = 43 + CtrlTableView::kHeaderHeight + table.GetRowHeight() / 2;
    EXPECT_EQ(shot.At(x, firstRow), 0x00A000u);
    EXPECT_EQ(shot.At(x, firstRow + table.GetRowHeight()), 0xC80000u);
}

TEST(CInstallSectionPanel, ReportsEventsItDoesNotHandle) {
    ParsedScript parsed(kScript);
    auto panel = MakeRef<CInstallSectionPanel>(VString("Title"), parsed.script.Get());
    KisTest::LogCapture log;
    VCtrl::CtrlEvent event;
    event.Set(VCtrl::CtrlEvent::kPressed, panel->GetDescriptionView());
    panel->HandleCtrlEvent(event);
    EXPECT_EQ(log.Text(), "Control with id 2 not handled in event handler properly\n");
    log.Clear();
    event.Set(VCtrl::CtrlEvent::kMouseDown, panel->GetSectionTable());
    panel->HandleCtrlEvent(event);
    EXPECT_EQ(log.Text(), "Event with id 1 not handled in event handler properly\n");
    log.Clear();
    event.Set(VCtrl::CtrlEvent::kPressed, nullptr);
    panel->HandleCtrlEvent(event);
    EXPECT_EQ(log.Text(), "");
}
