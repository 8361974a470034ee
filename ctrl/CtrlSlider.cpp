#include "ctrl/CtrlSlider.h"

#include "ctrl/CtrlEvent.h"
#include "ctrl/CtrlSliderStyle.h"
#include "ctrl/IGraphicsContext.h"
#include "foundation/VClass.h"

#include <algorithm>
#include <cmath>

namespace VCtrl {

V_IMPLEMENT_CLASS(CtrlSlider, Ctrl)

namespace {

double Clamp01(double value) {
    if (std::isnan(value)) return 0.0;
    return std::clamp(value, 0.0, 1.0);
}

constexpr int kMinimumThumbLength = 12;

} // namespace

CtrlSlider::CtrlSlider(CtrlStyle* style, VFoundation::VClass* record)
    : Ctrl(style, record ? record : GetClassRecord()) {}

CtrlSlider::~CtrlSlider() = default;

void CtrlSlider::SetValue(double value) {
    value = Clamp01(value);
    if (value == m_value) return;
    m_value = value;
    Redraw();
}

bool CtrlSlider::SetRealValue(double value) {
    SetValue(value);
    return true;
}

void CtrlSlider::SetThumbProportion(double proportion) {
    proportion = Clamp01(proportion);
    if (proportion == m_proportion) return;
    m_proportion = proportion;
    Redraw();
}

void CtrlSlider::SetStep(double step) {
    m_step = Clamp01(step);
}

void CtrlSlider::ChangeValue(double value) {
    const double before = m_value;
    SetValue(value);
    if (m_value != before) SendEvent(CtrlEvent::kPressed);
}

int CtrlSlider::GetTrackLength() const {
    return std::max(0, IsVertical() ? GetHeight() : GetWidth());
}

int CtrlSlider::GetThumbLength() const {
    const int track = GetTrackLength();
    const int thickness = IsVertical() ? GetWidth() : GetHeight();
    CtrlStyle* style = GetStyle();
    int length = thickness + thickness / 2;
    if (!style || style->HasFlags(CtrlSliderStyle::kOptProportionalThumb))
        length = int(std::lround(track * m_proportion));
    return std::min(track, std::max(length, kMinimumThumbLength));
}

VRect CtrlSlider::GetThumbRect() const {
    const int length = GetThumbLength();
    const int start = int(std::lround((GetTrackLength() - length) * m_value));
    return IsVertical() ? VRect{0, start, GetWidth(), length} : VRect{start, 0, length, GetHeight()};
}

bool CtrlSlider::MouseDown(const VPoint& point, uint32_t) {
    if (!IsEnabled() || !IsVisible()) return false;
    const VRect thumb = GetThumbRect();
    const int position = IsVertical() ? point.y : point.x;
    const int thumbStart = IsVertical() ? thumb.y : thumb.x;
    const int thumbLength = IsVertical() ? thumb.height : thumb.width;
    if (position >= thumbStart && position < thumbStart + thumbLength) {
        SetFlags(true, kFlagMouseTracking);
        m_dragOffset = position - thumbStart;
    } else {
        // A press in the groove moves by one page towards the press.
        const double page =
            m_proportion > 0.0 && m_proportion < 1.0 ? m_proportion / (1.0 - m_proportion) : 1.0;
        ChangeValue(m_value + (position < thumbStart ? -page : page));
    }
    return true;
}

bool CtrlSlider::MouseMoved(const VPoint& point, uint32_t modifiers) {
    const bool handled = Ctrl::MouseMoved(point, modifiers);
    if (!(GetFlags() & kFlagMouseTracking)) return handled;
    const int room = GetTrackLength() - GetThumbLength();
    if (room <= 0) return handled;
    const int position = (IsVertical() ? point.y : point.x) - m_dragOffset;
    ChangeValue(double(position) / room);
    return handled;
}

bool CtrlSlider::MouseUp(const VPoint&, uint32_t) {
    if (!(GetFlags() & kFlagMouseTracking)) return false;
    SetFlags(false, kFlagMouseTracking);
    return true;
}

bool CtrlSlider::MouseWheel(const VPoint&, double steps, uint32_t) {
    if (!IsEnabled() || !IsVisible()) return false;
    // A wheel turned away from the user (positive steps) scrolls back towards the start.
    ChangeValue(m_value - steps * m_step);
    return true;
}

void CtrlSlider::Draw(IGraphicsContext& context) {
    CtrlStyle* style = GetStyle();
    if (!style || !style->HasFlags(CtrlStyle::kFlagNoDefaultDrawing)) {
        const bool styled = style && style->IsKindOf(CtrlSliderStyle::GetClassRecord());
        const auto* sliderStyle = styled ? static_cast<CtrlSliderStyle*>(style) : nullptr;
        const VColour track = sliderStyle ? sliderStyle->GetTrackColour() : VColour(230, 230, 230);
        const VColour border = sliderStyle ? sliderStyle->GetBorderColour() : VColour(0, 0, 0);
        VColour thumbColour = sliderStyle ? sliderStyle->GetThumbColour() : VColour(127, 161, 208);
        if (!IsEnabled()) thumbColour = VColour(200, 200, 200);
        context.FillRectangle(0, 0, GetWidth(), GetHeight(), track);
        const VRect thumb = GetThumbRect();
        if (IsEnabled()) context.FillRectangle(thumb.x, thumb.y, thumb.width, thumb.height, thumbColour);
        context.DrawRectangle(0, 0, GetWidth(), GetHeight(), border, IGraphicsContext::kDashSolid, 1.0);
        if (IsEnabled())
            context.DrawRectangle(thumb.x, thumb.y, thumb.width, thumb.height, border,
                                  IGraphicsContext::kDashSolid, 1.0);
    }
    Ctrl::Draw(context);
}

} // namespace VCtrl
