#include "ui/CLicenceViewPanel.h"

#include "application/VApplication.h"
#include "ctrl/CtrlButtonStyle.h"
#include "ctrl/CtrlEvent.h"
#include "foundation/VClass.h"
#include "foundation/VLog.h"

using VCtrl::VRect;
using VFoundation::MakeRef;
using VFoundation::VString;

V_IMPLEMENT_ABSTRACT_CLASS(CLicenceViewPanel, IInstallerUIPanel)

namespace {
enum : int32_t { kAgreementLabelId = 1, kLicenceViewId = 3, kAgreementBoxId = 4 };
} // namespace

CLicenceViewPanel::CLicenceViewPanel(const VString& options, CInstallScript* script,
                                     VFoundation::VClass* record)
    : IInstallerUIPanel(nullptr, record ? record : GetClassRecord()) {
    VCtrl::CtrlListBox::SetSharedDrawingColour(VCtrl::VColour(255, 255, 255, 255));

    const auto titleStyle = MakeTitleStyle();
    m_titleLabel = AddLabel(0, VRect{10, 15, 450, 25}, titleStyle.Get(),
                            "Please read and agree to the licence conditions below");
    m_agreementLabel = AddLabel(kAgreementLabelId, VRect{45, 324, 405, 25}, nullptr,
                                "I agree with the terms and conditions detailed above");
    m_agreementLabel->SetListener(this);
    m_agreementLabel->SetTakesMouseInput(true);

    m_licenceView = MakeRef<VCtrl::CtrlListBox>();
    m_licenceView->Create(kLicenceViewId, VRect{10, 43, 450, 271}, this, nullptr);

    auto boxStyle = MakeRef<VCtrl::CtrlButtonStyle>(0);
    VString resources;
    if (GetResourcesFolder(script, resources)) {
        VString up(resources);
        up.AppendPathComponent("Off.tga");
        VString down(resources);
        down.AppendPathComponent("On.tga");
        boxStyle->SetStringOption("imUp", up.GetText());
        boxStyle->SetStringOption("imDown", down.GetText());
    }
    m_agreementBox = MakeRef<VCtrl::CtrlButton>(boxStyle.Get());
    m_agreementBox->Create(kAgreementBoxId, VRect{20, 330, 15, 15}, this, nullptr);
    m_agreementBox->SetValue(false);

    // The path is everything before the first comma, blanks included.
    VString path(options);
    const int comma = path.Find(',');
    if (comma >= 0) path.Assign(options.GetText(), uint32_t(comma));
    MakeFilePath(path, script);
    if (IsExistingFile(path)) m_licenceView->FillFromFile(path.GetText());
}

CLicenceViewPanel::~CLicenceViewPanel() {
    if (m_agreementLabel) m_agreementLabel->SetListener(nullptr);
}

bool CLicenceViewPanel::CanAdvance() {
    if (IsAgreed()) return true;
    VApplication::AlertText(kNotAgreedAlert);
    return false;
}

void CLicenceViewPanel::HandleCtrlEvent(const VCtrl::CtrlEvent& event) {
    VCtrl::Ctrl* source = event.GetCtrl();
    if (!source) return;
    if (event.GetType() != VCtrl::CtrlEvent::kMouseDown) {
        VFoundation::LogPrintf("Event with id %d not handled in event handler properly\n", event.GetType());
        return;
    }
    if (source->GetId() == kAgreementLabelId && m_agreementBox) {
        m_agreementBox->SetValue(!m_agreementBox->GetValue());
        return;
    }
    VFoundation::LogPrintf("Control with id %d not handled in event handler properly\n", source->GetId());
}
