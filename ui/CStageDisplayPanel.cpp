#include "ui/CStageDisplayPanel.h"

#include "ctrl/CtrlDrawing.h"

#include "ctrl/IGraphicsContext.h"
#include "ctrl/VColour.h"
#include "foundation/VClass.h"

#include <algorithm>

using VCtrl::IGraphicsContext;
using VCtrl::VColour;
using VFoundation::MakeRef;
using VFoundation::VImage;
using VFoundation::VRef;
using VFoundation::VString;

V_IMPLEMENT_CLASS(CStageDisplayPanel, VCtrl::Ctrl)

namespace {

// Colours are objects with class records, made when drawn rather than kept past the library's stop.
VColour Black() {
    return VColour(0, 0, 0, 255);
}
VColour Grey() {
    return VColour(128, 128, 128, 255);
}
VColour Red() {
    return VColour(255, 0, 0, 255);
}
VColour Blue() {
    return VColour(0, 0, 255, 255);
}

VRef<VImage> LoadMark(const VString& folder, const char* name) {
    VString path(folder);
    path.AppendPathComponent(name);
    return VRef<VImage>::Adopt(VImage::LoadFromFile(path.GetText()));
}

} // namespace

CStageDisplayPanel::CStageDisplayPanel(VCtrl::CtrlStyle* style, VFoundation::VClass* record)
    : Ctrl(style, record ? record : GetClassRecord()),
      m_stages(MakeRef<VFoundation::VObjectArrayTmpl<VString>>()) {}

CStageDisplayPanel::~CStageDisplayPanel() = default;

void CStageDisplayPanel::AddStage(const char* name) {
    auto stage = VRef<VString>::Adopt(VString::Alloc(name ? name : ""));
    m_stages->AddObject(stage.Get());
}

void CStageDisplayPanel::NextStage() {
    m_currentStage = std::min(m_currentStage + 1, GetStageCount() - 1);
    m_currentStage = std::max(m_currentStage, 0);
    Redraw();
}

void CStageDisplayPanel::PreviousStage() {
    m_currentStage = std::max(m_currentStage - 1, 0);
    Redraw();
}

void CStageDisplayPanel::LoadMarks(const char* baseFolder) {
    m_doneMark.Reset();
    m_notDoneMark.Reset();
    m_currentMark.Reset();
    if (!baseFolder) return;
    VString folder(baseFolder);
    folder.AppendPathComponent("Installer");
    folder.AppendPathComponent("Resources");
    m_doneMark = LoadMark(folder, "StageDone.tga");
    m_notDoneMark = LoadMark(folder, "StageNotDone.tga");
    m_currentMark = LoadMark(folder, "StageCurrent.tga");
    if (m_doneMark && m_notDoneMark && m_currentMark &&
        (m_doneMark->GetWidth() != m_notDoneMark->GetWidth() ||
         m_doneMark->GetWidth() != m_currentMark->GetWidth())) {
        m_doneMark.Reset();
        m_notDoneMark.Reset();
        m_currentMark.Reset();
    }
    Redraw();
}

const VString& CStageDisplayPanel::GetStageName(int index) const {
    const VString* stage = m_stages->GetObjectAtIndex(index);
    return stage ? *stage : VString::GetEmpty();
}

void CStageDisplayPanel::Draw(IGraphicsContext& context) {
    if (GetStageCount() > 0) {
        if (m_doneMark && m_notDoneMark)
            DrawWithMarks(context);
        else
            DrawPlain(context);
    }
    Ctrl::Draw(context);
}

void CStageDisplayPanel::DrawWithMarks(IGraphicsContext& context) {
    const int count = GetStageCount();
    const int rowHeight = m_doneMark->GetHeight() + 5;
    const int textX = m_doneMark->GetWidth() + 7;
    for (int i = 0; i < count; ++i) {
        const VImage* mark = m_notDoneMark.Get();
        VColour colour = Grey();
        if (i == m_currentStage) {
            mark = m_currentMark.Get();
            colour = Red();
        } else if (i < m_currentStage) {
            mark = m_doneMark.Get();
            colour = Black();
        }
        if (!mark) continue;
        const int markHeight = mark->GetHeight();
        const int markTop = i * rowHeight + (rowHeight - markHeight) / 2 + 11;
        context.DrawImage(mark, 5, markTop, mark->GetWidth(), std::min(rowHeight, markHeight), 0, 0,
                          mark->GetWidth(), markHeight);
        // A name longer than the column ends in "..." instead of being cut at the panel's edge.
        context.DrawText(
            textX, markTop + markHeight / 8,
            VCtrl::CtrlDrawing::FitText(context, GetStageName(i).GetText(), GetWidth() - textX - 2).GetText(),
            colour);
    }
}

void CStageDisplayPanel::DrawPlain(IGraphicsContext& context) {
    const int count = GetStageCount();
    const int rowHeight = GetHeight() / count;
    const VColour black = Black();
    int y = 2;
    for (int i = 0; i < count; ++i, y += rowHeight) {
        context.FillRectangle(2, y, 10, 10,
                              i == m_currentStage ? Red() : (i < m_currentStage ? Blue() : Grey()));
        context.DrawRectangle(2, y, 10, 10, black, IGraphicsContext::kDashSolid, 1.0);
        context.DrawText(
            16, y - 2,
            VCtrl::CtrlDrawing::FitText(context, GetStageName(i).GetText(), GetWidth() - 18).GetText(),
            i <= m_currentStage ? black : Grey());
    }
}
