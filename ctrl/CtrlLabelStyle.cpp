#include "ctrl/CtrlLabelStyle.h"

#include "foundation/VClass.h"

namespace VCtrl {

V_IMPLEMENT_CLASS(CtrlLabelStyle, CtrlStyle)

CtrlLabelStyle::CtrlLabelStyle(VFoundation::VObject* font, const VColour& text, const VColour& highlight,
                               uint32_t flags, VFoundation::VClass* record)
    : CtrlStyle(flags, font, record ? record : GetClassRecord()) {
    SetColourOption("colText", text);
    SetColourOption("colTextHighlight", highlight);
}

CtrlLabelStyle::~CtrlLabelStyle() = default;

const char* CtrlLabelStyle::GetFlagName(uint32_t bit) const {
    switch (bit) {
    case kCenteredText:
        return "centeredText";
    case kRightAlignText:
        return "rightAlignText";
    default:
        return CtrlStyle::GetFlagName(bit);
    }
}

} // namespace VCtrl
