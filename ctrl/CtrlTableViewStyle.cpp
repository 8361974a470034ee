#include "ctrl/CtrlTableViewStyle.h"

#include "ctrl/CtrlSliderStyle.h"
#include "foundation/VClass.h"

namespace VCtrl {

V_IMPLEMENT_CLASS(CtrlTableViewStyle, CtrlListBoxStyle)

CtrlTableViewStyle::CtrlTableViewStyle(uint32_t flags, CtrlSliderStyle* verticalSlider,
                                       CtrlSliderStyle* horizontalSlider, VFoundation::VClass* record)
    : CtrlListBoxStyle(flags, record ? record : GetClassRecord()) {
    SetSubStyle(0, verticalSlider);
    SetSubStyle(1, horizontalSlider);
}

CtrlTableViewStyle::~CtrlTableViewStyle() = default;

const char* CtrlTableViewStyle::GetFlagName(uint32_t bit) const {
    return bit == kOptGridLines ? "optGridLines" : CtrlListBoxStyle::GetFlagName(bit);
}

void CtrlTableViewStyle::SetSubStyle(int index, CtrlSliderStyle* style) {
    if (index < 0 || index >= kSubStyleCount) return;
    m_subStyles[index] = VFoundation::VRef<CtrlSliderStyle>::Retained(style);
}

CtrlSliderStyle* CtrlTableViewStyle::GetSubStyle(int index) const {
    if (index < 0 || index >= kSubStyleCount) return nullptr;
    return m_subStyles[index] ? m_subStyles[index].Get() : GetSliderStyle();
}

} // namespace VCtrl
