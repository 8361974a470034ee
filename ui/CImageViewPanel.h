#pragma once

#include "ctrl/CtrlImageView.h"
#include "foundation/VRef.h"
#include "foundation/VString.h"
#include "ui/IInstallerUIPanel.h"

// The page kind "ImageView": one picture.
//
// Options: stage name (default "Complete"), picture file (Targa or JPEG by extension, the script's
// variables expanded). A picture that does not load leaves the view empty.
class CImageViewPanel : public IInstallerUIPanel {
    V_DECLARE_CLASS(CImageViewPanel)
public:
    CImageViewPanel(const VFoundation::VString& options, CInstallScript* script,
                    VFoundation::VClass* record = nullptr);
    ~CImageViewPanel() override;

    bool PrepareToShow() override { return true; }
    bool PanelShown() override { return true; }
    bool CanAdvance() override { return true; }
    VFoundation::VString GetStageName() override { return m_stageName; }

    VCtrl::CtrlImageView* GetPictureView() const { return m_pictureView.Get(); }

private:
    VFoundation::VString m_stageName;
    VFoundation::VRef<VCtrl::CtrlImageView> m_pictureView;
};
