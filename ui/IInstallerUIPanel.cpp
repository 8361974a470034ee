#include "ui/IInstallerUIPanel.h"

#include "ctrl/CtrlLabelStyle.h"
#include "engine/CInstallScript.h"
#include "foundation/VClass.h"
#include "foundation/VFileManager.h"
#include "foundation/VStringTokenizer.h"

using VFoundation::MakeRef;
using VFoundation::VRef;
using VFoundation::VString;

V_IMPLEMENT_ABSTRACT_CLASS(IInstallerUIPanel, VCtrl::Ctrl)

IInstallerUIPanel::IInstallerUIPanel(VCtrl::CtrlStyle* style, VFoundation::VClass* record)
    : Ctrl(style, record ? record : GetClassRecord()) {
    // The window gives the panel its place when it attaches it; until then the panel already has its size,
    // so it can be laid out and drawn on its own.
    SetFrame(VCtrl::VRect{0, 0, kPanelWidth, kPanelHeight});
}

IInstallerUIPanel::~IInstallerUIPanel() = default;

std::vector<VString> IInstallerUIPanel::SplitOptions(const VString& options) {
    std::vector<VString> pieces;
    VFoundation::VStringTokenizer tokenizer(options, ',');
    VString piece;
    while (tokenizer.NextToken(piece)) {
        piece.Trim();
        pieces.push_back(piece);
    }
    return pieces;
}

void IInstallerUIPanel::ExpandVariables(VString& text, const CInstallScript* script) {
    if (script) script->ExpandVariables(text);
}

void IInstallerUIPanel::MakeFilePath(VString& path, const CInstallScript* script) {
    ExpandVariables(path, script);
    // Scripts are written with "\"; on other platforms the separators become the native ones.
    VFoundation::VFileManager::MakeNativePath(path);
}

bool IInstallerUIPanel::IsExistingFile(const VString& path) {
    if (path.IsEmpty()) return false;
    bool isDirectory = false;
    return VFoundation::VFileManager::Instance()->FileExistsAtPath(path.GetText(), &isDirectory) &&
           !isDirectory;
}

bool IInstallerUIPanel::GetResourcesFolder(const CInstallScript* script, VString& out) {
    if (!script) return false;
    const CInstallerVariable* cwd = script->FindVariable("CWD_FOLDER");
    if (!cwd) return false;
    out.Assign(cwd->GetValue());
    MakeFilePath(out, script);
    out.AppendPathComponent("Installer");
    out.AppendPathComponent("Resources");
    return true;
}

VRef<VCtrl::CtrlLabel> IInstallerUIPanel::AddLabel(int32_t id, const VCtrl::VRect& frame,
                                                   VCtrl::CtrlStyle* style, const char* text) {
    auto label = MakeRef<VCtrl::CtrlLabel>(style);
    label->Create(id, frame, this, nullptr);
    label->SetTakesMouseInput(false);
    if (text) label->SetText(text);
    return label;
}

VRef<VCtrl::CtrlStyle> IInstallerUIPanel::MakeTitleStyle() {
    auto font = VRef<VString>::Adopt(VString::Alloc("Sans Bold 13px"));
    return MakeRef<VCtrl::CtrlLabelStyle>(font.Get(), VCtrl::VColour(0, 0, 0), VCtrl::VColour(0, 0, 0));
}
