#include "ui/CImageViewPanel.h"

#include "foundation/VClass.h"
#include "foundation/VImage.h"

using VFoundation::MakeRef;
using VFoundation::VString;

V_IMPLEMENT_ABSTRACT_CLASS(CImageViewPanel, IInstallerUIPanel)

CImageViewPanel::CImageViewPanel(const VString& options, CInstallScript* script, VFoundation::VClass* record)
    : IInstallerUIPanel(nullptr, record ? record : GetClassRecord()), m_stageName("Complete") {
    m_pictureView = MakeRef<VCtrl::CtrlImageView>();
    m_pictureView->Create(0, VCtrl::VRect{10, 15, 450, 340}, this, nullptr);

    const std::vector<VString> pieces = SplitOptions(options);
    if (!pieces.empty()) m_stageName = pieces[0];
    if (pieces.size() < 2) return;
    VString path = pieces[1];
    MakeFilePath(path, script);
    if (path.IsEmpty()) return;
    auto picture =
        VFoundation::VRef<VFoundation::VImage>::Adopt(VFoundation::VImage::LoadFromFile(path.GetText()));
    if (picture) m_pictureView->SetImage(picture.Get(), VCtrl::VPoint{0, 0});
}

CImageViewPanel::~CImageViewPanel() = default;
