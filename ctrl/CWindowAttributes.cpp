#include "ctrl/CWindowAttributes.h"

namespace VCtrl {

CWindowAttributes::CWindowAttributes(const char* title, int kind, const VRect& frame)
    : title(title ? title : ""), x(frame.x), y(frame.y), width(frame.width), height(frame.height) {
    SetKind(kind);
}

void CWindowAttributes::SetKind(int kind) {
    switch (kind) {
    case kKindOverlapped:
        style = 0x00CF0008;
        extendedStyle = 0x10;
        break;
    case kKindFixed:
        style = 0x00C80008;
        extendedStyle = 0x10;
        break;
    case kKindFixedMinimisable:
        style = 0x00CA0008;
        extendedStyle = 0x10;
        break;
    case kKindPopup:
        style = 0x90000000;
        extendedStyle = 0x18;
        break;
    default:
        break;
    }
}

} // namespace VCtrl
