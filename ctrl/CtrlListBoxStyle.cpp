#include "ctrl/CtrlListBoxStyle.h"

#include "ctrl/CtrlSliderStyle.h"
#include "foundation/VClass.h"
#include "foundation/VString.h"

namespace VCtrl {

V_IMPLEMENT_CLASS(CtrlListBoxStyle, CtrlStyle)

CtrlListBoxStyle::CtrlListBoxStyle(uint32_t flags, VFoundation::VClass* record)
    : CtrlStyle(flags, nullptr, record ? record : GetClassRecord()) {}

CtrlListBoxStyle::~CtrlListBoxStyle() = default;

CtrlSliderStyle* CtrlListBoxStyle::GetSliderStyle() const {
    VFoundation::VString name;
    if (!GetStringOption("sliderStyle", name)) return nullptr;
    CtrlStyle* style = CtrlStyle::FindStyle(name.GetText());
    return style && style->IsKindOf(CtrlSliderStyle::GetClassRecord()) ? static_cast<CtrlSliderStyle*>(style)
                                                                       : nullptr;
}

} // namespace VCtrl
