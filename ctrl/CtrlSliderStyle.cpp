#include "ctrl/CtrlSliderStyle.h"

#include "foundation/VClass.h"

namespace VCtrl {

V_IMPLEMENT_CLASS(CtrlSliderStyle, CtrlStyle)

CtrlSliderStyle::CtrlSliderStyle(const VColour& border, const VColour& thumb, uint32_t flags,
                                 VFoundation::VClass* record)
    : CtrlStyle(flags, nullptr, record ? record : GetClassRecord()) {
    SetColourOption("colBorder", border);
    SetColourOption("colThumb", thumb);
}

CtrlSliderStyle::~CtrlSliderStyle() = default;

const char* CtrlSliderStyle::GetFlagName(uint32_t bit) const {
    switch (bit) {
    case kOptProportionalThumb:
        return "optProportionalThumb";
    case kOptAutoHide:
        return "optAutoHide";
    default:
        return CtrlStyle::GetFlagName(bit);
    }
}

} // namespace VCtrl
