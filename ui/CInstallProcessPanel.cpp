#include "ui/CInstallProcessPanel.h"

#include "application/VApplication.h"
#include "ctrl/CtrlEvent.h"
#include "ctrl/CtrlRoot.h"
#include "engine/CInstallScript.h"
#include "engine/IConditionalStatement.h"
#include "foundation/VClass.h"
#include "foundation/VFileManager.h"
#include "foundation/VLog.h"

#include <algorithm>
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
    if (VApplication::IsUIThread()) {
        FlushLogRows();
        GetLogView()->AddRow(text.GetText());
        return;
    }
    {
        std::lock_guard<std::mutex> lock(m_rowGuard);
        m_pendingRows.emplace_back(text.GetText());
        if (m_flushPosted) return;
        m_flushPosted = true;
    }
    // The task holds a reference: the panel lives until the tasks posted to it have run.
    VRef<CInstallProcessPanel> self = VRef<CInstallProcessPanel>::Retained(this);
    VApplication::PostToUIThread([self] { self->FlushSoon(); });
}

// A flush comes at once when the last one is long enough ago, else when that time has passed.
void CInstallProcessPanel::FlushSoon() {
    const auto spacing = std::chrono::milliseconds(1000 / kRowFlushesPerSecond);
    const auto since = std::chrono::steady_clock::now() - m_lastFlush;
    if (since >= spacing) {
        FlushLogRows();
        return;
    }
    if (m_flushTimer) return;
    VRef<CInstallProcessPanel> self = VRef<CInstallProcessPanel>::Retained(this);
    const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(spacing - since).count();
    m_flushTimer = VApplication::StartTimer(static_cast<uint32_t>(std::max<int64_t>(1, wait)), [self] {
        self->m_flushTimer = 0;
        self->FlushLogRows();
        return false;
    });
}

void CInstallProcessPanel::FlushLogRows() {
    if (m_flushTimer) {
        VApplication::StopTimer(m_flushTimer);
        m_flushTimer = 0;
    }
    std::vector<std::string> rows;
    {
        std::lock_guard<std::mutex> lock(m_rowGuard);
        rows.swap(m_pendingRows);
        m_flushPosted = false;
    }
    m_lastFlush = std::chrono::steady_clock::now();
    for (const std::string& row : rows)
        GetLogView()->AddRow(row.c_str());
}

void CInstallProcessPanel::SetOverallProgress(float percent) {
    m_overallBar->SetValue(percent);
}

void CInstallProcessPanel::SetInstructionProgress(float percent) {
    m_instructionBar->SetValue(percent);
}
