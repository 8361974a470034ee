#include "ui/CZDRKitPieceViewPanel.h"

#include "application/VApplication.h"
#include "application/VRegistry.h"
#include "ctrl/CtrlButton.h"
#include "ctrl/CtrlButtonStyle.h"
#include "ctrl/CtrlEvent.h"
#include "ctrl/CtrlSliderStyle.h"
#include "ctrl/CtrlTableColumn.h"
#include "ctrl/CtrlTableViewStyle.h"
#include "engine/CInstallScript.h"
#include "engine/CInstallerVariable.h"
#include "foundation/VClass.h"
#include "foundation/VDiskInfo.h"
#include "foundation/VException.h"
#include "foundation/VFileInfo.h"
#include "foundation/VFileManager.h"
#include "foundation/VLog.h"
#include "foundation/VStringTokenizer.h"

#include <atomic>
#include <cmath>
#include <cstring>
#include <vector>

using VCtrl::VColour;
using VCtrl::VRect;
using VFoundation::MakeRef;
using VFoundation::VFileManager;
using VFoundation::VRef;
using VFoundation::VString;

V_IMPLEMENT_ABSTRACT_CLASS(CZDRKitPieceViewPanel, IInstallerUIPanel)

// The companions are known by their own names, not by their owner's.
VFoundation::VClass* CZDRKitPieceViewPanel::CKitPieceObject::GetClassRecord() {
    static std::atomic<VFoundation::VClass*> home{nullptr};
    return VFoundation::VClass::Obtain(home, "CKitPieceObject", &VFoundation::VObject::GetClassRecord,
                                       nullptr, nullptr, nullptr, sizeof(CKitPieceObject));
}

VFoundation::VClass* CZDRKitPieceViewPanel::CInstallSize::GetClassRecord() {
    static std::atomic<VFoundation::VClass*> home{nullptr};
    return VFoundation::VClass::Obtain(home, "CInstallSize", &VFoundation::VObject::GetClassRecord, nullptr,
                                       nullptr, nullptr, sizeof(CInstallSize));
}

namespace {

enum : int32_t {
    kTitleLabelId = 0,
    kDescriptionViewId = 1,
    kSizeChooserId = 2,
    kSizeDescriptionLabelId = 3,
    kTotalLabelId = 4,
    kPhotoViewId = 5,
    kPieceTableId = 6,
};

constexpr double kPerKilo = 1.0 / 1024.0;
// Totals up to this many megabytes are shown in megabytes, larger ones in gigabytes.
constexpr int64_t kLargestMegabyteTotal = 1000;

// Made on use: colours are objects, and the object model is not running while statics are made.
VColour Black() {
    return VColour(0, 0, 0, 255);
}
VColour Red() {
    return VColour(255, 0, 0, 255);
}

bool StartsWithBytes(const VString& text, const VString& prefix) {
    return prefix.GetLength() <= text.GetLength() &&
           std::memcmp(text.GetText(), prefix.GetText(), prefix.GetLength()) == 0;
}

bool IsSeparator(char c) {
    return c == '/' || c == '\\';
}

// path is folder or lies below it, by whole path components.
bool IsAtOrBelow(const VString& path, const VString& folder) {
    if (!StartsWithBytes(path, folder)) return false;
    const size_t length = folder.GetLength();
    return path.GetLength() == length || length == 0 || IsSeparator(folder.GetText()[length - 1]) ||
           IsSeparator(path.GetText()[length]);
}

} // namespace

// CKitPieceObject

CZDRKitPieceViewPanel::CKitPieceObject::CKitPieceObject(bool selected, const VString& folder,
                                                        const VString& displayName, const VString& sizeText,
                                                        int64_t size, VFoundation::VClass* record)
    : VObject(record ? record : GetClassRecord()), m_selected(selected), m_folder(folder),
      m_displayName(displayName), m_sizeText(sizeText), m_size(size) {}

CZDRKitPieceViewPanel::CKitPieceObject::~CKitPieceObject() = default;

// CInstallSize

CZDRKitPieceViewPanel::CInstallSize::CInstallSize(int32_t filesPerFolder, const VString& name,
                                                  const VString& description, VFoundation::VClass* record)
    : VObject(record ? record : GetClassRecord()), m_filesPerFolder(filesPerFolder), m_name(name),
      m_description(description) {}

CZDRKitPieceViewPanel::CInstallSize::~CInstallSize() = default;

// The panel

CZDRKitPieceViewPanel::CZDRKitPieceViewPanel(const VString& options, CInstallScript* script,
                                             VFoundation::VClass* record)
    : IInstallerUIPanel(nullptr, record ? record : GetClassRecord()), m_script(script),
      m_pieces(MakeRef<VFoundation::VObjectArrayTmpl<CKitPieceObject>>()),
      m_installSizes(MakeRef<VFoundation::VObjectArrayTmpl<CInstallSize>>()) {
    if (!script) throw VFoundation::VException(0, this, "Script parser is NULL inside ZDR Kit Piece Panel");
    ReadOptions(options);
    LayOutControls();
    LoadKitPieces();
    BuildTable();
}

CZDRKitPieceViewPanel::~CZDRKitPieceViewPanel() {
    if (m_pieceTable) {
        m_pieceTable->SetDataSource(nullptr);
        m_pieceTable->SetDelegate(nullptr);
        m_pieceTable->SetListener(nullptr);
    }
    if (m_sizeChooser) m_sizeChooser->SetListener(nullptr);
}

void CZDRKitPieceViewPanel::ReadOptions(const VString& options) {
    const std::vector<VString> pieces = SplitOptions(options);
    if (pieces.size() > 0) m_pathVariableName = pieces[0];
    if (pieces.size() > 1) m_sizeFactor = pieces[1].ToReal();
    if (pieces.size() > 2) {
        m_libraryFolder = pieces[2];
        MakeFilePath(m_libraryFolder, m_script);
        if (pieces.size() > 3) {
            m_title = pieces[3];
            ExpandVariables(m_title, m_script);
        }
        ReadInstallSizes(options);
    }
}

// "[{10:Small:Ten files per folder}, {1000:Full:Everything}]": the list lies between the first "[" and the
// next "]"; each entry needs exactly three parts.
void CZDRKitPieceViewPanel::ReadInstallSizes(const VString& options) {
    // Without an opening bracket there is no list (rather than reading the other options as one).
    if (options.Find('[') < 0) return;
    VString list;
    options.ExtractDelimited('[', ']', list);
    list.Trim();
    VFoundation::VStringTokenizer entries(list, ',');
    VString entry;
    while (entries.NextToken(entry)) {
        entry.Trim();
        VString body;
        entry.ExtractDelimited('{', '}', body);
        std::vector<VString> parts;
        VFoundation::VStringTokenizer partTokens(body, ':');
        VString part;
        while (partTokens.NextToken(part)) {
            part.Trim();
            parts.push_back(part);
        }
        if (parts.size() != 3) continue;
        m_installSizes->AddObject(MakeRef<CInstallSize>(parts[0].ToInteger(), parts[1], parts[2]).Get());
    }
}

void CZDRKitPieceViewPanel::LayOutControls() {
    const auto titleStyle = MakeTitleStyle();
    m_titleLabel = AddLabel(kTitleLabelId, VRect{10, 10, 450, 25}, titleStyle.Get(), m_title.GetText());

    m_descriptionView = MakeRef<VCtrl::CtrlListBox>();
    m_descriptionView->Create(kDescriptionViewId, VRect{320, 144, 130, 175}, this, nullptr);
    m_descriptionView->SetWrapsRows(true);

    m_sizeChooser = MakeRef<VCtrl::CtrlComboBox>();
    m_sizeChooser->Create(kSizeChooserId, VRect{10, 329, 100, 18}, this, this);

    m_sizeDescriptionLabel = AddLabel(kSizeDescriptionLabelId, VRect{120, 329, 190, 18}, nullptr);

    m_totalStyle = MakeRef<VCtrl::CtrlLabelStyle>(nullptr, Black(), Red());
    m_totalLabel = AddLabel(kTotalLabelId, VRect{320, 329, 130, 18}, m_totalStyle.Get(), "?GB / ?GB");

    m_photoView = MakeRef<VCtrl::CtrlImageView>();
    // The photo and the table start below the title instead of covering it.
    m_photoView->Create(kPhotoViewId, VRect{320, 38, 130, 100}, this, nullptr);
    m_photoView->SetFlags(false, VCtrl::Ctrl::kFlagEnabled);

    m_descriptionView->AddRow(kNoDescription);
    m_descriptionView->SelectRow(-1, false);

    for (CInstallSize* size : *m_installSizes)
        m_sizeChooser->AddItem(size->GetName().GetText(), size->GetFilesPerFolder(), Black());
    m_sizeChooser->SelectItem(0);
    if (CInstallSize* first = GetChosenInstallSize())
        m_sizeDescriptionLabel->SetText(first->GetDescription().GetText());
}

void CZDRKitPieceViewPanel::BuildTable() {
    VString resources;
    if (GetResourcesFolder(m_script, resources)) {
        VString on(resources);
        on.AppendPathComponent("On.tga");
        VString off(resources);
        off.AppendPathComponent("Off.tga");
        if (IsExistingFile(on))
            m_onImage = VRef<VFoundation::VImage>::Adopt(VFoundation::VImage::LoadFromFile(on.GetText()));
        if (IsExistingFile(off))
            m_offImage = VRef<VFoundation::VImage>::Adopt(VFoundation::VImage::LoadFromFile(off.GetText()));
    }

    auto slider = MakeRef<VCtrl::CtrlSliderStyle>(Black(), VColour(127, 161, 208, 255), 96);
    auto tableStyle = MakeRef<VCtrl::CtrlTableViewStyle>(16, slider.Get(), slider.Get());
    m_pieceTable = MakeRef<VCtrl::CtrlTableView>(tableStyle.Get());
    m_pieceTable->Create(kPieceTableId, VRect{10, 38, 300, 281}, this, this);
    m_pieceTable->SetDataSource(this);
    m_pieceTable->SetDelegate(this);

    auto checkStyle = MakeRef<VCtrl::CtrlButtonStyle>(0);
    auto checkCell = MakeRef<VCtrl::CtrlButton>(checkStyle.Get());
    struct ColumnLayout {
        const char* identifier;
        int width;
        bool flag;
        VCtrl::Ctrl* cell;
        const char* title;
    };
    // The name column ends at the table's right edge (inside its border), so no horizontal scroll bar
    // shows for nothing.
    const ColumnLayout columns[] = {
        {kSelectionColumn, 25, true, checkCell.Get(), " "},
        {kSizeColumn, 60, false, nullptr, "Size"},
        {kNameColumn, 213, false, nullptr, "Kit piece"},
    };
    for (const ColumnLayout& layout : columns) {
        auto column =
            MakeRef<VCtrl::CtrlTableColumn>(layout.identifier, layout.width, layout.flag, layout.cell);
        column->SetName(layout.identifier);
        column->SetDisplayName(layout.title);
        m_pieceTable->AddColumn(column.Get());
    }
    m_pieceTable->ReloadData();
}

void CZDRKitPieceViewPanel::LoadKitPieces() {
    VFileManager* files = VFileManager::Instance();
    m_pieces->RemoveAllObjects();
    m_pieceCount = 0;
    if (m_libraryFolder.IsEmpty() || !files->DirectoryExistsAtPath(m_libraryFolder.GetText())) return;
    auto categories = files->DirectoryContentsAtPath(m_libraryFolder.GetText(), nullptr, true, true);
    if (!categories) return;

    VString dataPath;
    VApplication::VRegistry(kDataKeyPath).GetString("DataPath", "NULL", dataPath);

    for (VFoundation::VFileInfo* category : *categories) {
        if (!category->IsDirectory()) continue;
        VString categoryName;
        category->GetNameString().GetLastPathComponent(categoryName);
        if (categoryName.IsEqual(".") || categoryName.IsEqual("..")) continue;
        auto kits = files->DirectoryContentsAtPath(category->GetName(), nullptr, true, true);
        if (!kits) continue;
        for (VFoundation::VFileInfo* kit : *kits) {
            if (!kit->IsDirectory()) continue;
            VString kitName;
            kit->GetNameString().GetLastPathComponent(kitName);
            if (kitName.IsEqual(".") || kitName.IsEqual("..")) continue;

            ++m_pieceCount;
            VString displayName(categoryName);
            displayName.Append(' ');
            displayName.Append(kitName);
            const double megabytes = EstimateMegabytes(kit->GetNameString());
            VString sizeText;
            sizeText.Format("%lldMB", static_cast<long long>(std::ceil(megabytes)));
            const bool installed = IsAlreadyInstalled(dataPath, categoryName, kitName);
            m_pieces->AddObject(MakeRef<CKitPieceObject>(!installed, kit->GetNameString(), displayName,
                                                         sizeText, static_cast<int64_t>(megabytes))
                                    .Get());
        }
    }
}

bool CZDRKitPieceViewPanel::IsAlreadyInstalled(const VString& dataPath, const VString& category,
                                               const VString& piece) const {
    if (dataPath.IsEqual("NULL")) return false;
    VString path(dataPath);
    path.AppendPathComponent("Data");
    path.AppendPathComponent(category.GetText());
    path.AppendPathComponent(piece.GetText());
    VFileManager::MakeNativePath(path);
    return VFileManager::Instance()->DirectoryExistsAtPath(path.GetText());
}

CZDRKitPieceViewPanel::CInstallSize* CZDRKitPieceViewPanel::GetChosenInstallSize() const {
    if (!m_sizeChooser) return nullptr;
    const int index = m_sizeChooser->GetSelectedIndex();
    if (index < 0 || index >= m_installSizes->GetCount()) return nullptr;
    return m_installSizes->GetObjectAtIndex(index);
}

int64_t CZDRKitPieceViewPanel::EstimateFolderBytes(const VString& folder) const {
    const CInstallSize* size = GetChosenInstallSize();
    return size ? EstimateBytes(folder, size->GetFilesPerFolder()) : 0;
}

// The same entries as the compressed-audio copy decodes: k of the n sorted entries, picked evenly with the
// first always among them.
int64_t CZDRKitPieceViewPanel::EstimateBytes(const VString& folder, int32_t filesPerFolder) const {
    auto entries = VFileManager::Instance()->DirectoryContentsAtPath(folder.GetText(), nullptr, true, true);
    if (!entries) return 0;
    const int64_t n = entries->GetCount();
    const int64_t k = n < filesPerFolder ? n : filesPerFolder;
    int64_t bytes = 0;
    for (int64_t i = 0; i < k; ++i) {
        const int64_t index = k < n ? (n - 1) * i / k : i;
        VFoundation::VFileInfo* entry = entries->GetObjectAtIndex(static_cast<int>(index));
        if (entry->IsDirectory())
            bytes += EstimateBytes(entry->GetNameString(), filesPerFolder);
        else if (entry->GetNameString().HasExtension("zdrca", false))
            bytes += static_cast<int64_t>(entry->GetSize());
    }
    return bytes;
}

double CZDRKitPieceViewPanel::EstimateMegabytes(const VString& folder) const {
    const double decoded = static_cast<double>(EstimateFolderBytes(folder)) * m_sizeFactor;
    // A factor that is not a sensible number must not turn into an undefined conversion.
    const double limit = 9.0e18;
    const double whole =
        std::isfinite(decoded) ? std::trunc(std::fmax(-limit, std::fmin(limit, decoded))) : 0.0;
    return static_cast<double>(static_cast<int64_t>(whole)) * kPerKilo * kPerKilo;
}

void CZDRKitPieceViewPanel::ResizePieces() {
    if (!GetChosenInstallSize()) return;
    for (CKitPieceObject* piece : *m_pieces) {
        const double megabytes = EstimateMegabytes(piece->GetFolder());
        piece->SetSize(static_cast<int64_t>(megabytes));
        VString text;
        if (megabytes <= 1000.0)
            text.Format("%lldMB", static_cast<long long>(megabytes));
        else
            text.Format("%0.02fGB", megabytes * kPerKilo);
        piece->SetSizeText(text.GetText());
    }
    if (m_pieceTable) m_pieceTable->Redraw();
}

int64_t CZDRKitPieceViewPanel::GetSelectedMegabytes() const {
    int64_t total = 0;
    for (CKitPieceObject* piece : *m_pieces)
        if (piece->IsSelected()) total += piece->GetSize();
    return total;
}

VString CZDRKitPieceViewPanel::GetInstallPath() const {
    const CInstallerVariable* variable =
        m_script ? m_script->FindVariable(m_pathVariableName.GetText()) : nullptr;
    if (!variable) throw VFoundation::VException(0, this, "Failed to get install path variable");
    VString path(variable->GetValue());
    MakeFilePath(path, m_script);
    return path;
}

void CZDRKitPieceViewPanel::ShowTotal(int64_t megabytes, bool withFreeSpace) {
    VString text;
    const bool inMegabytes = megabytes <= kLargestMegabyteTotal;
    if (!withFreeSpace) {
        if (inMegabytes)
            text.Format("%lldMB / ?GB", static_cast<long long>(megabytes));
        else
            text.Format("%0.02fGB / ?GB", static_cast<double>(megabytes) * kPerKilo);
    } else {
        if (inMegabytes)
            text.Format("%lldMB / %0.02fGB", static_cast<long long>(megabytes), m_freeSpace);
        else
            text.Format("%0.02fGB / %0.02fGB", static_cast<double>(megabytes) * kPerKilo, m_freeSpace);
        const bool fits = static_cast<double>(megabytes) * kPerKilo < m_freeSpace;
        m_totalStyle->SetTextColour(fits ? Black() : Red());
    }
    m_totalLabel->SetText(text.GetText());
    m_totalLabel->Redraw();
}

void CZDRKitPieceViewPanel::UpdateTotal() {
    ResizePieces();
    const int64_t megabytes = GetSelectedMegabytes();
    const VString path = GetInstallPath();
    const auto disk = VFileManager::Instance()->DiskInfoForPath(path.GetText());
    if (disk) {
        m_freeSpace = static_cast<double>(disk->GetFreeBytes()) * kPerKilo * kPerKilo * kPerKilo;
        m_freeSpaceKnown = true;
    }
    ShowTotal(megabytes, disk.Get() != nullptr);
}

void CZDRKitPieceViewPanel::UpdateQuickTotal() {
    // Until the disk has been measured its free space is unknown, not zero.
    ShowTotal(GetSelectedMegabytes(), m_freeSpaceKnown);
}

bool CZDRKitPieceViewPanel::PrepareToShow() {
    if (m_pieceCount > 0) {
        // Selecting the row tells this panel (the delegate), which shows the piece.
        m_pieceTable->SelectRow(0);
        UpdateTotal();
    }
    return true;
}

bool CZDRKitPieceViewPanel::CanAdvance() {
    const int64_t megabytes = GetSelectedMegabytes();
    const VString path = GetInstallPath();
    const auto disk = VFileManager::Instance()->DiskInfoForPath(path.GetText());
    if (!disk) return true;
    const double freeGigabytes = static_cast<double>(disk->GetFreeBytes()) * kPerKilo * kPerKilo * kPerKilo;
    if (static_cast<double>(megabytes) * kPerKilo < freeGigabytes) return true;
    VApplication::AlertText(kTooBigAlert);
    return false;
}

void CZDRKitPieceViewPanel::ShowPiece(int row) {
    if (!IsValidRow(row)) return;
    const CKitPieceObject* piece = m_pieces->GetObjectAtIndex(row);

    VString info(piece->GetFolder());
    info.AppendPathComponent("Info.txt");
    // Another piece's description must not stay beside this one.
    m_descriptionView->RemoveAllRows();
    if (IsExistingFile(info)) m_descriptionView->FillFromFile(info.GetText());

    VString photoPath(piece->GetFolder());
    photoPath.AppendPathComponent("Photo.tga");
    VRef<VFoundation::VImage> photo;
    if (IsExistingFile(photoPath))
        photo = VRef<VFoundation::VImage>::Adopt(VFoundation::VImage::LoadFromFile(photoPath.GetText()));
    // Without a photo of its own the piece shows none rather than the last one shown.
    m_photoView->SetImage(photo.Get(), VCtrl::VPoint{0, 0});
}

int CZDRKitPieceViewPanel::GetRowCount(VCtrl::CtrlTableView*) {
    return m_pieceCount;
}

VFoundation::VObject* CZDRKitPieceViewPanel::GetCellValue(VCtrl::CtrlTableView*,
                                                          VCtrl::CtrlTableColumn* column, int row) {
    if (!column || !IsValidRow(row)) return nullptr;
    const CKitPieceObject* piece = m_pieces->GetObjectAtIndex(row);
    const VString& identifier = column->GetIdentifier();
    if (identifier.IsEqual(kSelectionColumn)) {
        VFoundation::VImage* image = piece->IsSelected() ? m_onImage.Get() : m_offImage.Get();
        if (image) return image;
        // Without the pictures the check cell draws the state as a plain box.
        m_cellText.Assign(piece->IsSelected() ? "true" : "false");
        return &m_cellText;
    }
    if (identifier.IsEqual(kNameColumn)) {
        m_cellText.Assign(piece->GetDisplayName());
        return &m_cellText;
    }
    if (identifier.IsEqual(kSizeColumn)) {
        m_cellText.Assign(piece->GetSizeText());
        return &m_cellText;
    }
    return nullptr;
}

void CZDRKitPieceViewPanel::CellPressed(VCtrl::CtrlTableView* table, VCtrl::CtrlTableColumn* column,
                                        int row) {
    if (!column || !IsValidRow(row) || !column->GetIdentifier().IsEqual(kSelectionColumn)) return;
    CKitPieceObject* piece = m_pieces->GetObjectAtIndex(row);
    piece->SetSelected(!piece->IsSelected());
    UpdateQuickTotal();
    if (table) table->Redraw();
}

bool CZDRKitPieceViewPanel::CanPressCell(VCtrl::CtrlTableView*, VCtrl::CtrlTableColumn* column, int row) {
    return column && column->GetIdentifier().IsEqual(kSelectionColumn) && IsValidRow(row);
}

void CZDRKitPieceViewPanel::SelectionChanged(VCtrl::CtrlTableView* table) {
    if (table) ShowPiece(table->GetSelectedRow());
}

void CZDRKitPieceViewPanel::HandleCtrlEvent(const VCtrl::CtrlEvent& event) {
    VCtrl::Ctrl* source = event.GetCtrl();
    if (!source) return;
    if (event.GetType() != VCtrl::CtrlEvent::kPressed) {
        VFoundation::LogPrintf("Event with id %d not handled in event handler properly\n", event.GetType());
        return;
    }
    if (source->GetId() != kSizeChooserId) return;
    if (const CInstallSize* size = GetChosenInstallSize()) {
        m_sizeDescriptionLabel->SetText(size->GetDescription().GetText());
        m_sizeDescriptionLabel->Redraw();
    }
    UpdateTotal();
}

CZDRKitPieceViewPanel::CChoice CZDRKitPieceViewPanel::GetChoice() const {
    {
        std::lock_guard<std::mutex> lock(m_choiceGuard);
        if (m_choiceTaken) return m_choice;
    }
    CChoice choice;
    for (CKitPieceObject* piece : *m_pieces)
        if (piece->IsSelected()) choice.folders.push_back(piece->GetFolder());
    const CInstallSize* size = GetChosenInstallSize();
    choice.filesPerFolder = size ? size->GetFilesPerFolder() : 0;
    return choice;
}

// The installer thread asks while the user-interface thread owns the controls: it gets the choice as it
// stood when the installation began.
void CZDRKitPieceViewPanel::BeginInstallation() {
    {
        std::lock_guard<std::mutex> lock(m_choiceGuard);
        m_choiceTaken = false;
    }
    CChoice now = GetChoice();
    std::lock_guard<std::mutex> lock(m_choiceGuard);
    m_choice = std::move(now);
    m_choiceTaken = true;
}

bool CZDRKitPieceViewPanel::IsInstallPath(const VString& folder) {
    for (const VString& chosen : GetChoice().folders)
        if (chosen.GetLength() == folder.GetLength() && StartsWithBytes(chosen, folder)) return true;
    return false;
}

bool CZDRKitPieceViewPanel::IsOnInstallPath(const VString& folder) {
    for (const VString& chosen : GetChoice().folders)
        if (IsAtOrBelow(chosen, folder) || IsAtOrBelow(folder, chosen)) return true;
    return false;
}

int32_t CZDRKitPieceViewPanel::GetMaxFilesPerFolder() {
    return GetChoice().filesPerFolder;
}

int32_t CZDRKitPieceViewPanel::GetInstallPathCount() {
    int32_t count = 0;
    for (const VString& chosen : GetChoice().folders) {
        auto entries =
            VFileManager::Instance()->DirectoryContentsAtPath(chosen.GetText(), nullptr, false, false);
        if (!entries) continue;
        for (VFoundation::VFileInfo* entry : *entries)
            if (entry->IsDirectory()) ++count;
    }
    return count;
}
