#include "ui/CInstallLocationPanel.h"

#include "application/VApplication.h"
#include "application/VRegistry.h"
#include "ctrl/CtrlEvent.h"
#include "engine/CInstallLog.h"
#include "engine/CInstallScript.h"
#include "foundation/VClass.h"
#include "foundation/VException.h"
#include "foundation/VFileManager.h"
#include "foundation/VLog.h"
#include "ui/CInstallLocationCheck.h"

#include <filesystem>
#include <system_error>

using VCtrl::VRect;
using VFoundation::MakeRef;
using VFoundation::VFileManager;
using VFoundation::VRef;
using VFoundation::VString;

V_IMPLEMENT_ABSTRACT_CLASS(CInstallLocationPanel, IInstallerUIPanel)

namespace {

// The platform browse flag that keeps the folder dialog to folders of the file system.
constexpr uint32_t kOnlyFileSystemFolders = 0x0001;
constexpr uint16_t kNewFolderMode = 0777;
// What the registry read yields when no location was stored.
constexpr const char* kNoStoredValue = "Empty";

bool IsRegistryMode(const VString& piece) {
    return piece.IsEqual("true") || piece.IsEqual("True") || piece.IsEqual("TRUE");
}

} // namespace

CInstallLocationPanel::CInstallLocationPanel(const VString& options, CInstallScript* script,
                                             VFoundation::VClass* record)
    : IInstallerUIPanel(nullptr, record ? record : GetClassRecord()), m_stageName(kDefaultStageName),
      m_dialogTitle(kDialogTitle), m_script(script) {
    m_browseButton = MakeRef<VCtrl::CtrlButton>();
    m_browseButton->Create(kBrowseButtonId, VRect{375, 78, 75, 23}, this, this);
    m_browseButton->SetText("Browse...");

    // Both labels keep taking mouse input; with no listener a press on them reaches nothing.
    m_locationLabel = AddLabel(kLocationLabelId, VRect{10, 78, 365, 25}, nullptr);
    m_locationLabel->SetTakesMouseInput(true);
    m_locationLabel->SetEllipsis(VCtrl::CtrlLabel::Ellipsis::kMiddle);
    const auto titleStyle = MakeTitleStyle();
    m_titleLabel = AddLabel(kTitleLabelId, VRect{10, 15, 450, 25}, titleStyle.Get(), m_dialogTitle.GetText());
    m_titleLabel->SetTakesMouseInput(true);
    m_spaceLabel = AddLabel(kSpaceLabelId, VRect{10, 106, 440, 20}, nullptr);

    ReadOptions(options);
    BuildButtonStyle();
}

CInstallLocationPanel::~CInstallLocationPanel() {
    if (m_browseButton) m_browseButton->SetListener(nullptr);
}

void CInstallLocationPanel::ReadOptions(const VString& options) {
    const std::vector<VString> pieces = SplitOptions(options);

    if (m_script && !pieces.empty()) {
        VString name = pieces[0];
        ExpandVariables(name, m_script);
        m_targetVariable = VRef<CInstallerVariable>::Retained(m_script->FindVariable(name.GetText()));
    }
    if (!m_targetVariable)
        throw VFoundation::VException(
            0, this,
            "Variable to write install location to is NULL! Cannot continue without a valid variable name");

    if (pieces.size() > 1) {
        m_stageName = pieces[1];
        ExpandVariables(m_stageName, m_script);
    }
    if (pieces.size() > 2) {
        VString title = pieces[2];
        ExpandVariables(title, m_script);
        m_titleLabel->SetText(title.GetText());
        m_titleLabel->Redraw();
    }
    if (pieces.size() < 6) return;

    const VString& start = pieces[3];
    if (IsRegistryMode(pieces[5])) {
        ReadStartFromRegistry(start);
        return;
    }
    VString path = start.IsEqual("$..$") ? m_targetVariable->GetValue() : start;
    MakeFilePath(path, m_script);
    ShowLocation(path);
}

void CInstallLocationPanel::ReadStartFromRegistry(const VString& valueName) {
    if (!m_script)
        throw VFoundation::VException(0, this, "Cannot parser registry entry without script parser");
    const CInstallerVariable* key = m_script->FindVariable("APPLICATION_REGISTRY");
    if (!key) throw VFoundation::VException(0, this, "Failed to acquire APPLICATION_REGISTRY");

    auto registry = MakeRef<VApplication::VRegistry>(key->GetValue().GetText());
    const VString stored = registry->GetStringByValue(valueName.GetText(), kNoStoredValue);
    if (!stored.IsEqual(kNoStoredValue)) {
        // The stored folder was written by an earlier installation in its final form.
        ShowLocation(stored);
        return;
    }
    VString path = m_targetVariable->GetValue();
    MakeFilePath(path, m_script);
    ShowLocation(path);
}

void CInstallLocationPanel::BuildButtonStyle() {
    VString resources;
    if (!GetResourcesFolder(m_script, resources)) return;
    const auto picture = [&resources](const char* name) {
        VString path(resources);
        path.AppendPathComponent(name);
        return path;
    };
    const VString up = picture("UpButton.tga");
    const VString down = picture("DownButton.tga");
    const VString over = picture("OverButton.tga");
    m_buttonStyle = MakeRef<VCtrl::CtrlButtonStyle>(VCtrl::CtrlButtonStyle::kOptMomentary, up.GetText(),
                                                    down.GetText(), over.GetText());
    m_buttonStyle->SetFlags(true, VCtrl::CtrlButtonStyle::kOptDrawText);
    m_buttonStyle->SetFlags(true, VCtrl::CtrlStyle::kFlagHighlight);
    m_buttonStyle->SetColourOption("colFillOn", VCtrl::VColour(0, 0, 0, 255));
    m_buttonStyle->SetColourOption("colFillOff", VCtrl::VColour(0, 0, 0, 255));
    m_browseButton->SetStyle(m_buttonStyle.Get());
}

const VString& CInstallLocationPanel::GetLocation() const {
    return m_locationLabel->GetText();
}

void CInstallLocationPanel::ShowLocation(const VString& path) {
    m_locationLabel->SetText(path.GetText());
    m_locationLabel->Redraw();
    UpdateSpace();
}

bool CInstallLocationPanel::PrepareToShow() {
    UpdateSpace();
    return true;
}

void CInstallLocationPanel::UpdateSpace() {
    if (!m_spaceLabel || !m_script) return;
    m_spaceLabel->SetText(CInstallLocationCheck::DescribeSpace(*m_script, GetLocation()).GetText());
    m_spaceLabel->Redraw();
}

void CInstallLocationPanel::Browse() {
    // The dialog opens at the folder shown, or the nearest one above it that exists.
    const VString start = CInstallLocationCheck::NearestExistingFolder(GetLocation());
    ChooseLocation(VApplication::FolderDialog(nullptr, m_dialogTitle.GetText(), kOnlyFileSystemFolders,
                                              start.GetText()));
}

void CInstallLocationPanel::ChooseLocation(const VString& path) {
    if (path.IsEmpty()) return;
    // Dialogs answer with absolute folders, but an unattended run's --location may be relative; it means
    // the folder below the current one, not a one-component path that Next would refuse as a root.
    std::error_code error;
    const std::filesystem::path chosen(path.GetText());
    const std::filesystem::path absolute =
        chosen.is_absolute() ? chosen : std::filesystem::absolute(chosen, error);
    ShowLocation(error ? path : VString(absolute.string().c_str()));
}

bool CInstallLocationPanel::CanAdvance() {
    // A stored or typed folder may still carry the other platform's separators.
    VString path = GetLocation();
    VFileManager::MakeNativePath(path);
    VFileManager* files = VFileManager::Instance();

    if (files->IsRootPath(path.GetText())) {
        VApplication::AlertText(kRootAlert);
        return false;
    }
    VString folder, reason;
    if (!CInstallLocationCheck::IsWritable(path, folder, reason)) {
        VApplication::AlertBox(kNotWritableAlert, folder.GetText(), reason.GetText());
        return false;
    }
    if (files->DirectoryExistsAtPath(path.GetText())) {
        m_targetVariable->SetValue(path.GetText());
        return true;
    }
    if (!VApplication::ConfirmBox(kCreateQuestion)) return false;
    const std::vector<std::string> missing = CInstallLog::MissingFolders(path);
    if (!files->CreateFoldersAtPath(path.GetText(), kNewFolderMode)) {
        VApplication::AlertText(kCreateFailedAlert);
        return false;
    }
    m_madeFolders.insert(m_madeFolders.end(), missing.begin(), missing.end());
    m_targetVariable->SetValue(path.GetText());
    if (m_script) {
        if (const CInstallerVariable* owner = m_script->FindVariable("UNAME"))
            files->ChangeOwnerAtPath(path.GetText(), owner->GetValue().GetText(), true);
        files->ChangePermissionsAtPath(path.GetText(), kNewFolderMode, true);
    }
    return true;
}

void CInstallLocationPanel::HandleCtrlEvent(const VCtrl::CtrlEvent& event) {
    VCtrl::Ctrl* source = event.GetCtrl();
    if (!source) return;
    if (event.GetType() != VCtrl::CtrlEvent::kPressed) {
        VFoundation::LogPrintf("Event with id %d not handled in event handler properly\n", event.GetType());
        return;
    }
    if (source->GetId() == kBrowseButtonId) {
        Browse();
        return;
    }
    VFoundation::LogPrintf("Control with id %d not handled in event handler properly\n", source->GetId());
}
