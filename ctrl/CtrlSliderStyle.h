#pragma once

#include "ctrl/CtrlStyle.h"
#include "ctrl/VColour.h"

#include <cstdint>

namespace VCtrl {

// The look of sliders and of the scroll bars of list boxes and tables: "colBorder" (the outline, default
// black), "colThumb" (the thumb, default red 127, green 161, blue 208), "colTrack" (the groove, default
// light grey), and the flags:
// - optProportionalThumb: the thumb's length shows the visible part of what is scrolled (else it has a
//   fixed length);
// - optAutoHide: a scroll bar is hidden while everything fits (else it stays, disabled).
// The tables of the installer's pages make theirs with the flags 96 (both).
class CtrlSliderStyle : public CtrlStyle {
    V_DECLARE_CLASS(CtrlSliderStyle)
public:
    enum : uint32_t {
        kOptProportionalThumb = 32,
        kOptAutoHide = 64,
    };

    explicit CtrlSliderStyle(const VColour& border = VColour(0, 0, 0),
                             const VColour& thumb = VColour(127, 161, 208), uint32_t flags = 0,
                             VFoundation::VClass* record = nullptr);
    ~CtrlSliderStyle() override;

    const char* GetFlagName(uint32_t bit) const override;

    VColour GetBorderColour() const { return GetColourOption("colBorder", VColour(0, 0, 0)); }
    VColour GetThumbColour() const { return GetColourOption("colThumb", VColour(127, 161, 208)); }
    VColour GetTrackColour() const { return GetColourOption("colTrack", VColour(230, 230, 230)); }
};

} // namespace VCtrl
