#include "ctrl/CtrlTableColumn.h"

#include "ctrl/CtrlDrawing.h"
#include "ctrl/IGraphicsContext.h"
#include "foundation/VClass.h"

#include <algorithm>

namespace VCtrl {

V_IMPLEMENT_CLASS(CtrlTableColumn, Ctrl)

CtrlTableColumn::CtrlTableColumn(const char* identifier, int width, bool flag, Ctrl* dataCell,
                                 VFoundation::VClass* record)
    : Ctrl(nullptr, record ? record : GetClassRecord()), m_identifier(identifier ? identifier : ""),
      m_flag(flag), m_dataCell(VFoundation::VRef<Ctrl>::Retained(dataCell)) {
    SetName(identifier);
    SetColumnWidth(width);
}

CtrlTableColumn::~CtrlTableColumn() = default;

void CtrlTableColumn::SetColumnWidth(int width) {
    m_columnWidth = std::clamp(width, m_minimumWidth, m_maximumWidth);
}

void CtrlTableColumn::SetWidthLimits(int minimum, int maximum) {
    m_minimumWidth = std::max(0, minimum);
    m_maximumWidth = std::max(m_minimumWidth, maximum);
    SetColumnWidth(m_columnWidth);
}

void CtrlTableColumn::Draw(IGraphicsContext& context) {
    const int width = GetWidth(), height = GetHeight();
    context.FillRectangle(0, 0, width, height, VColour(225, 225, 225));
    context.DrawLine(width - 1, 0, width - 1, height - 1, VColour(150, 150, 150),
                     IGraphicsContext::kDashSolid, 1.0);
    const VFoundation::VString& title = GetDisplayName().IsEmpty() ? GetName() : GetDisplayName();
    CtrlDrawing::DrawAlignedText(context, VRect{0, 0, width - 1, height}, title.GetText(), VColour(0, 0, 0),
                                 CtrlDrawing::Align::kLeft, 3);
    Ctrl::Draw(context);
}

} // namespace VCtrl
