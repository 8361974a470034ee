#include "ctrl/CtrlImageViewStyle.h"

#include "foundation/VClass.h"

namespace VCtrl {

V_IMPLEMENT_CLASS(CtrlImageViewStyle, CtrlStyle)

CtrlImageViewStyle::CtrlImageViewStyle(uint32_t flags, VFoundation::VClass* record)
    : CtrlStyle(flags, nullptr, record ? record : GetClassRecord()) {}

CtrlImageViewStyle::~CtrlImageViewStyle() = default;

const char* CtrlImageViewStyle::GetFlagName(uint32_t bit) const {
    switch (bit) {
    case kOptBorder:
        return "optBorder";
    case kOptBackground:
        return "optBackground";
    case kOptNoStretch:
        return "optNoStretch";
    case kOptMouseHandle:
        return "optMouseHandle";
    case kOptSmartTile:
        return "optSmartTile";
    case kOptDragNDrop:
        return "optDragNDrop";
    default:
        return CtrlStyle::GetFlagName(bit);
    }
}

} // namespace VCtrl
