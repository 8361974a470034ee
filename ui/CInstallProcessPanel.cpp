#include "ui/CInstallProcessPanel.h"

#include "application/VApplication.h"
#include "ctrl/CtrlEvent.h"
#include "ctrl/CtrlRoot.h"
#include "engine/CInstallScript.h"
#include "engine/IConditionalStatement.h"
#include "foundation/VClass.h"
#include "foundation/VFileManager.h"
#include "foundation/VLog.h"

#include <cstdio>

using namespace VFoundation;
using namespace VCtrl;

V_IMPLEMENT_ABSTRACT_CLASS(CInstallProcessPanel, IInstallerUIPanel)

namespace {

constexpr int kToggleId = 4;
const VRect kViewFrame{10, 8, 450, 300};
const VColour kBarColour(127, 161, 208, 255);

// Makes child a child of panel at frame with id (taking it off the panel first when it is on it).
void Attach(Ctrl* child, Ctrl* panel, int32_t id, const VRect& frame, ICtrlListener* listener) {
    child->Create(id, frame, panel, listener);
}

void Detach(Ctrl* child, Ctrl* panel) {
    if (child->GetParent() == panel) panel->RemoveChild(child);
}

} // namespace

CInstallProcessPanel::CInstallProcessPanel(const VString& options, CInstallScript* script, VClass* record)
    : IInstallerUIPanel(nullptr, record ? record : GetClassRecord()), m_logView(MakeRef<CtrlListBox>()),
      m_instructionBar(MakeRef<VProgressBar>()), m_overallBar(MakeRef<VProgressBar>()),
      m_slideshowView(MakeRef<CtrlImageView>()),
      m_buttonStyle(MakeRef<CtrlButtonStyle>(CtrlButtonStyle::kOptMomentary)) {
    m_instructionBar->SetBarColour(kBarColour);
    m_overallBar->SetBarColour(kBarColour);
    m_instructionBar->SetCaption("This step");
    m_logView->SetEllipsizesRows(true);
    m_overallBar->SetCaption("Overall");
    m_buttonStyle->SetColourOption("colFillOn", VColour(0, 0, 0, 255));
    m_buttonStyle->SetColourOption("colFillOff", VColour(0, 0, 0, 255));
    VString resources;
    if (GetResourcesFolder(script, resources)) {
        VString up(resources), down(resources), over(resources);
        up.AppendPathComponent("UpButton.tga");
        down.AppendPathComponent("DownButton.tga");
        over.AppendPathComponent("OverButton.tga");
        VRef<VImage> upImage = VRef<VImage>::Adopt(VImage::LoadFromFile(up.GetText()));
        VRef<VImage> downImage = VRef<VImage>::Adopt(VImage::LoadFromFile(down.GetText()));
        VRef<VImage> overImage = VRef<VImage>::Adopt(VImage::LoadFromFile(over.GetText()));
        m_buttonStyle->SetImages(upImage.Get(), downImage.Get(), overImage.Get());
        m_buttonStyle->SetFlags(true, CtrlButtonStyle::kOptDrawText | 1);
    }
    m_toggleButton = MakeRef<CtrlButton>(m_buttonStyle.Get());
    ReadOptions(options, script);
}

CInstallProcessPanel::~CInstallProcessPanel() {
    m_toggleButton->SetListener(nullptr);
}

void CInstallProcessPanel::ReadOptions(const VString& options, CInstallScript* script) {
    const std::vector<VString> pieces = SplitOptions(options);
    if (pieces.empty()) return;
    VString first(pieces[0]);
    MakeFilePath(first, script);
    if (first.IsEqual("LogView")) {
        UseLogLayout();
        return;
    }
    if (pieces.size() > 1) m_slidePeriod = IConditionalStatement::ParseCount(pieces[1]);
    if (!VFileManager::Instance()->DirectoryExistsAtPath(first.GetText()) || !BuildSlideshow(first))
        UseLogLayout();
}

void CInstallProcessPanel::UseLogLayout() {
    Attach(m_logView.Get(), this, 0, kViewFrame, nullptr);
    Attach(m_instructionBar.Get(), this, 1, VRect{10, 318, 450, 18}, nullptr);
    Attach(m_overallBar.Get(), this, 2, VRect{10, 338, 450, 18}, nullptr);
}

bool CInstallProcessPanel::BuildSlideshow(const VString& folder) {
    Attach(m_slideshowView.Get(), this, 3, kViewFrame, nullptr);
    Attach(m_toggleButton.Get(), this, kToggleId, VRect{9, 315, 75, 23}, this);
    Attach(m_instructionBar.Get(), this, 1, VRect{90, 317, 370, 18}, nullptr);
    Attach(m_overallBar.Get(), this, 2, VRect{10, 338, 450, 18}, nullptr);
    VRef<VFileInfoArray> entries =
        VFileManager::Instance()->DirectoryContentsAtPath(folder.GetText(), nullptr, true, true);
    for (int i = 0; entries && i < entries->GetCount(); ++i) {
        VFileInfo* entry = entries->GetObjectAtIndex(i);
        if (entry->IsDirectory()) continue;
        VRef<VImage> slide = VRef<VImage>::Adopt(VImage::LoadFromFile(entry->GetName()));
        if (slide && !m_slides.ContainsObject(slide.Get())) m_slides.AddObject(slide.Get());
    }
    if (m_slides.GetCount() > 0) m_slideshowView->SetImage(m_slides.GetObjectAtIndex(0));
    m_toggleButton->SetText("View Log");
    return true;
}

bool CInstallProcessPanel::IsShowingSlideshow() const {
    return m_toggleButton->GetText().IsEqual("View Log");
}

bool CInstallProcessPanel::PanelShown() {
    if (IsShowingSlideshow()) StartSlideshowTimer();
    return true;
}

void CInstallProcessPanel::StartSlideshowTimer() {
    if (CtrlRoot* root = CtrlRoot::FindRoot(this))
        root->StartTimer(kSlideshowTimerId, static_cast<uint32_t>(m_slidePeriod), this);
}

void CInstallProcessPanel::StopSlideshowTimer() {
    if (CtrlRoot* root = CtrlRoot::FindRoot(this)) root->StopTimer(kSlideshowTimerId, this);
}

void CInstallProcessPanel::HandleCtrlEvent(const CtrlEvent& event) {
    if (!event.GetCtrl()) return;
    if (event.GetType() != 9) {
        VFoundation::LogPrintf("Event with id %d not handled in event handler properly\n", event.GetType());
        return;
    }
    if (event.GetCtrl()->GetId() == kToggleId) Toggle();
}

void CInstallProcessPanel::Toggle() {
    if (IsShowingSlideshow()) {
        m_toggleButton->SetText("Slideshow");
        Detach(m_slideshowView.Get(), this);
        Attach(m_logView.Get(), this, 0, kViewFrame, nullptr);
        StopSlideshowTimer();
    } else {
        m_toggleButton->SetText("View Log");
        Detach(m_logView.Get(), this);
        Attach(m_slideshowView.Get(), this, 3, kViewFrame, nullptr);
        StartSlideshowTimer();
    }
    Redraw();
}

bool CInstallProcessPanel::HandleTimer(int32_t timerId) {
    if (timerId != kSlideshowTimerId) return Ctrl::HandleTimer(timerId);
    if (!IsShowingSlideshow()) return false;
    if (m_slides.GetCount() <= m_slideIndex + 1) m_slideIndex = -1;
    ++m_slideIndex;
    m_slideshowView->SetImage(m_slides.GetObjectAtIndex(m_slideIndex));
    m_slideshowView->Redraw();
    return true;
}

void CInstallProcessPanel::AddLogLine(const VString& text) {
    // The row is kept as text in the task; the panel lives until the tasks posted to it have run, as the
    // task holds a reference.
    VRef<CInstallProcessPanel> self = VRef<CInstallProcessPanel>::Retained(this);
    std::string row(text.GetText());
    auto add = [self, row] { self->GetLogView()->AddRow(row.c_str()); };
    if (VApplication::IsUIThread())
        add();
    else
        VApplication::PostToUIThread(add);
}

void CInstallProcessPanel::SetOverallProgress(float percent) {
    m_overallBar->SetValue(percent);
}

void CInstallProcessPanel::SetInstructionProgress(float percent) {
    m_instructionBar->SetValue(percent);
}
