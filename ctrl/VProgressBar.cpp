#include "ctrl/VProgressBar.h"

#include "ctrl/CtrlDrawing.h"

#include "ctrl/CtrlStyle.h"
#include "ctrl/IGraphicsContext.h"
#include "foundation/VClass.h"
#include "foundation/VString.h"

#include <cmath>
#include <cstdio>

namespace VCtrl {

V_IMPLEMENT_CLASS(VProgressBar, Ctrl)

VProgressBar::VProgressBar(CtrlStyle* style, VFoundation::VClass* record)
    : Ctrl(style, record ? record : GetClassRecord()) {}

VProgressBar::~VProgressBar() = default;

void VProgressBar::GetDescription(VFoundation::VString& out) const {
    Ctrl::GetDescription(out);
    VFoundation::VString value;
    value.Format(" value: %.1f%%", double(m_value));
    out.Append(value);
}

void VProgressBar::SetValue(float percent) {
    // A NaN would survive the clamp and reach the drawing as a bar of undefined length.
    if (std::isnan(percent)) percent = 0.0f;
    percent = percent < 0.0f ? 0.0f : (percent > 100.0f ? 100.0f : percent);
    if (percent == m_value) return;
    m_value = percent;
    Redraw();
}

bool VProgressBar::SetIntValue(int32_t value) {
    SetValue(float(value));
    return true;
}

bool VProgressBar::SetRealValue(double value) {
    SetValue(float(value));
    return true;
}

void VProgressBar::SetBarColour(const VColour& colour) {
    if (colour == m_barColour) return;
    m_barColour = colour;
    Redraw();
}

void VProgressBar::SetCaption(const char* caption) {
    m_caption.Assign(caption ? caption : "");
    Redraw();
}

void VProgressBar::Draw(IGraphicsContext& context) {
    const int width = GetWidth(), height = GetHeight();
    CtrlStyle* style = GetStyle();
    if (!style || !style->HasFlags(CtrlStyle::kFlagNoDefaultDrawing)) {
        context.FillRectangle(0, 0, width, height, VColour(255, 255, 255));
        context.DrawRectangle(0, 0, width, height, VColour(0, 0, 0), IGraphicsContext::kDashSolid, 1.0);
    }
    // The bar fills the inside of the outline: 0 % leaves it empty, 100 % fills it.
    const int inside = width - 2;
    const int bar = inside > 0 ? int(std::lround(inside * (m_value / 100.0))) : 0;
    if (bar > 0 && height > 2) context.FillRectangle(1, 1, bar, height - 2, m_barColour);
    if (!m_caption.IsEmpty()) {
        char text[160];
        std::snprintf(text, sizeof text, "%s: %d %%", m_caption.GetText(), int(m_value));
        CtrlDrawing::DrawAlignedText(context, VRect{0, 0, width, height}, text, VColour(0, 0, 0),
                                     CtrlDrawing::Align::kLeft, 6);
    }
    Ctrl::Draw(context);
}

} // namespace VCtrl
