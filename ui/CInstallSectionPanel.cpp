#include "ui/CInstallSectionPanel.h"

#include "ctrl/CtrlButton.h"
#include "ctrl/CtrlButtonStyle.h"
#include "ctrl/CtrlEvent.h"
#include "ctrl/CtrlSliderStyle.h"
#include "ctrl/CtrlTableColumn.h"
#include "ctrl/CtrlTableViewStyle.h"
#include "engine/CInstallScript.h"
#include "foundation/VClass.h"
#include "foundation/VException.h"
#include "foundation/VFileManager.h"
#include "foundation/VLog.h"

#include <cmath>
#include <vector>

using VCtrl::CtrlTableColumn;
using VCtrl::CtrlTableView;
using VCtrl::VColour;
using VCtrl::VRect;
using VFoundation::MakeRef;
using VFoundation::VImage;
using VFoundation::VRef;
using VFoundation::VString;

V_IMPLEMENT_ABSTRACT_CLASS(CInstallSectionPanel, IInstallerUIPanel)

namespace {

constexpr int kCheckColumnWidth = 50;
// The name column ends at the table's right edge, so that no horizontal scroll bar shows for nothing.
constexpr int kNameColumnWidth = 280 - kCheckColumnWidth - 2;

VRef<VImage> LoadResourceImage(const VString& folder, const char* name) {
    VString path(folder);
    path.AppendPathComponent(name);
    // A missing picture is not an error: the check column then stays empty.
    if (!VFoundation::VFileManager::Instance()->FileExistsAtPath(path.GetText())) return nullptr;
    return VRef<VImage>::Adopt(VImage::LoadFromFile(path.GetText()));
}

} // namespace

CInstallSectionPanel::CInstallSectionPanel(const VString& options, CInstallScript* script,
                                           VFoundation::VClass* record)
    : IInstallerUIPanel(nullptr, record ? record : GetClassRecord()), m_script(script) {
    if (!script) throw VFoundation::VException(0, this, kNoScriptError);

    for (CInstallerSection* section : script->GetSections())
        if (section->IsOptional()) m_sections.AddObject(section);
    m_rowCount = m_sections.GetCount();

    BuildTable();
    LoadCheckImages();
    const auto& exclusive = script->GetExclusiveNames();
    if (exclusive.GetCount() > 0) ApplyExclusiveRule(*exclusive.GetObjectAtIndex(0));

    const auto titleStyle = MakeTitleStyle();
    m_titleLabel = AddLabel(kTitleLabelId, VRect{10, 15, 450, 25}, titleStyle.Get(), kDefaultTitle);
    m_descriptionView = MakeRef<VCtrl::CtrlListBox>();
    m_descriptionView->Create(kDescriptionViewId, VRect{300, 43, 150, 280}, this, nullptr);
    m_descriptionView->SetWrapsRows(true);
    m_descriptionView->AddRow(kDescriptionHint);
    m_descriptionView->SelectRow(-1, false);
    m_sizeLabel = AddLabel(kSizeLabelId, VRect{320, 330, 130, 18}, nullptr);
    UpdateSizeText();

    const std::vector<VString> pieces = SplitOptions(options);
    if (!pieces.empty()) {
        VString title = pieces[0];
        ExpandVariables(title, script);
        m_titleLabel->SetText(title.GetText());
        m_titleLabel->Redraw();
    }
}

CInstallSectionPanel::~CInstallSectionPanel() {
    // The table may be kept alive by someone else for a moment; it must not call back into a dead panel.
    if (m_sectionTable) {
        m_sectionTable->SetDelegate(nullptr);
        m_sectionTable->SetDataSource(nullptr);
    }
}

void CInstallSectionPanel::BuildTable() {
    // One scroll bar look for both bars.
    auto sliderStyle = MakeRef<VCtrl::CtrlSliderStyle>(VColour(0, 0, 0, 255), VColour(127, 161, 208, 255),
                                                       VCtrl::CtrlSliderStyle::kOptProportionalThumb |
                                                           VCtrl::CtrlSliderStyle::kOptAutoHide);
    auto tableStyle = MakeRef<VCtrl::CtrlTableViewStyle>(VCtrl::CtrlTableViewStyle::kOptGridLines,
                                                         sliderStyle.Get(), sliderStyle.Get());
    m_sectionTable = MakeRef<CtrlTableView>(tableStyle.Get());
    m_sectionTable->Create(kSectionTableId, VRect{10, 43, 280, 280}, this, nullptr);

    // The check cell only draws the column's pictures; the column keeps it, the panel does not.
    auto checkStyle = MakeRef<VCtrl::CtrlButtonStyle>(0);
    auto checkCell = MakeRef<VCtrl::CtrlButton>(checkStyle.Get());
    auto checkColumn = MakeRef<CtrlTableColumn>(kCheckColumn, kCheckColumnWidth, true, checkCell.Get());
    checkColumn->SetDisplayName("Install");
    m_sectionTable->AddColumn(checkColumn.Get());
    auto nameColumn = MakeRef<CtrlTableColumn>(kNameColumn, kNameColumnWidth, false);
    nameColumn->SetDisplayName("Component");
    m_sectionTable->AddColumn(nameColumn.Get());

    m_sectionTable->SetDataSource(this);
    m_sectionTable->SetDelegate(this);
}

void CInstallSectionPanel::LoadCheckImages() {
    VString resources;
    if (!GetResourcesFolder(m_script, resources)) return;
    m_onImage = LoadResourceImage(resources, "On.tga");
    m_offImage = LoadResourceImage(resources, "Off.tga");
    m_sectionTable->Redraw();
}

CInstallerSection* CInstallSectionPanel::GetSectionAtRow(int row) const {
    return IsValidRow(row) ? m_sections.GetObjectAtIndex(row) : nullptr;
}

int CInstallSectionPanel::GetRowCount(CtrlTableView*) {
    return m_rowCount;
}

VFoundation::VObject* CInstallSectionPanel::GetCellValue(CtrlTableView*, CtrlTableColumn* column, int row) {
    if (!column || !IsValidRow(row)) return nullptr;
    CInstallerSection* section = m_sections.GetObjectAtIndex(row);
    if (column->GetIdentifier().IsEqual(kCheckColumn)) {
        if (!section) return nullptr;
        return section->IsSelected() ? m_onImage.Get() : m_offImage.Get();
    }
    if (column->GetIdentifier().IsEqual(kNameColumn)) {
        m_nameBuffer.Assign(section ? section->GetName().GetText() : "");
        return &m_nameBuffer;
    }
    return nullptr;
}

void CInstallSectionPanel::CellPressed(CtrlTableView*, CtrlTableColumn* column, int row) {
    if (!column || !column->GetIdentifier().IsEqual(kCheckColumn) || !IsValidRow(row)) return;
    CInstallerSection* section = m_sections.GetObjectAtIndex(row);
    if (!section) return;
    section->SetSelected(!section->IsSelected());
    if (section->IsSelected() && IsExclusiveName(section->GetName())) ApplyExclusiveRule(section->GetName());
    m_sectionTable->Redraw();
    UpdateSizeText();
}

bool CInstallSectionPanel::CanPressCell(CtrlTableView*, CtrlTableColumn* column, int row) {
    return column && column->GetIdentifier().IsEqual(kCheckColumn) && IsValidRow(row);
}

void CInstallSectionPanel::SelectionChanged(CtrlTableView* table) {
    CInstallerSection* section = table ? GetSectionAtRow(table->GetSelectedRow()) : nullptr;
    if (section) {
        m_descriptionView->RemoveAllRows();
        m_descriptionView->AddRow(section->GetDescription().GetText());
        m_descriptionView->SelectRow(-1, false);
        m_descriptionView->Redraw();
    }
    UpdateSizeText();
}

void CInstallSectionPanel::HandleCtrlEvent(const VCtrl::CtrlEvent& event) {
    VCtrl::Ctrl* source = event.GetCtrl();
    if (!source) return;
    if (event.GetType() == VCtrl::CtrlEvent::kPressed)
        VFoundation::LogPrintf("Control with id %d not handled in event handler properly\n", source->GetId());
    else
        VFoundation::LogPrintf("Event with id %d not handled in event handler properly\n", event.GetType());
}

bool CInstallSectionPanel::IsExclusiveName(const VString& name) const {
    for (const VString* exclusive : m_script->GetExclusiveNames())
        if (exclusive && exclusive->IsEqual(name)) return true;
    return false;
}

void CInstallSectionPanel::ApplyExclusiveRule(const VString& name) {
    for (CInstallerSection* section : m_script->GetSections()) {
        // A mandatory section always installs; the rule only chooses among the optional ones.
        if (!section->IsOptional() || section->GetName().IsEqual(name)) continue;
        if (IsExclusiveName(section->GetName())) section->SetSelected(false);
    }
    m_sectionTable->Redraw();
}

int64_t CInstallSectionPanel::GetTotalSize() const {
    int64_t total = 0;
    for (const CInstallerSection* section : m_script->GetSections())
        if (section->IsSelected() || !section->IsOptional()) total += section->GetSize();
    return total;
}

VString CInstallSectionPanel::FormatSizeText(int64_t bytes) {
    const double megabytes = double(bytes) * (1.0 / 1024.0) * (1.0 / 1024.0);
    VString text;
    // The switch lies at 1000 megabytes while the gigabyte figure divides by 1024, as the installer has
    // always shown it.
    if (megabytes <= kGigabyteThreshold)
        text.Format("Components Size: %liMB", long(std::ceil(megabytes)));
    else
        text.Format("Components Size: %0.02fGB", megabytes * (1.0 / 1024.0));
    return text;
}

void CInstallSectionPanel::UpdateSizeText() {
    if (!m_sizeLabel) return;
    m_sizeLabel->SetText(FormatSizeText(GetTotalSize()).GetText());
    m_sizeLabel->Redraw();
}
