#include "ctrl/CtrlButtonStyle.h"

#include "foundation/VClass.h"
#include "foundation/VImage.h"

namespace VCtrl {

V_IMPLEMENT_CLASS(CtrlButtonStyle, CtrlStyle)

CtrlButtonStyle::CtrlButtonStyle(uint32_t flags, const char* upImage, const char* downImage,
                                 const char* mouseOverImage, VFoundation::VClass* record)
    : CtrlStyle(flags, nullptr, record ? record : GetClassRecord()) {
    if (upImage) SetStringOption("imUp", upImage);
    if (downImage) SetStringOption("imDown", downImage);
    if (mouseOverImage) SetStringOption("imMouseOver", mouseOverImage);
}

CtrlButtonStyle::~CtrlButtonStyle() = default;

const char* CtrlButtonStyle::GetFlagName(uint32_t bit) const {
    switch (bit) {
    case kOptMomentary:
        return "optMomentary";
    case kOptSendOnMouseDown:
        return "optSendOnMouseDown";
    case kOptTransparent:
        return "optTransparent";
    case kOptNoGraphics:
        return "optNoGraphics";
    case kOptNoDrawDisabled:
        return "optNoDrawDisabled";
    case kOptDrawText:
        return "optDrawText";
    case kOptTextLeftJustify:
        return "optTextLeftJustify";
    case kOptSmartTile:
        return "optSmartTile";
    default:
        return CtrlStyle::GetFlagName(bit);
    }
}

void CtrlButtonStyle::SetImages(VFoundation::VImage* up, VFoundation::VImage* down,
                                VFoundation::VImage* mouseOver) {
    SetImageOption("imUp", up);
    SetImageOption("imDown", down);
    SetImageOption("imMouseOver", mouseOver);
}

VColour CtrlButtonStyle::GetBorderColour() const {
    return GetColourOption("colBorder", VColour(0, 0, 0));
}

VColour CtrlButtonStyle::GetFillColour(bool on) const {
    return on ? GetColourOption("colFillOn", VColour(0, 0, 0))
              : GetColourOption("colFillOff", VColour(255, 255, 255));
}

VColour CtrlButtonStyle::GetTextColour(bool on) const {
    return on ? GetColourOption("colTextOn", VColour(255, 255, 255))
              : GetColourOption("colTextOff", VColour(0, 0, 0));
}

} // namespace VCtrl
