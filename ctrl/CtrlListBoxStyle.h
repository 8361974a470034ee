#pragma once

#include "ctrl/CtrlStyle.h"
#include "ctrl/VColour.h"

namespace VCtrl {

class CtrlSliderStyle;

// The look of list boxes (and of tables): "colText" (rows, default black), "colHighlight" (the selected
// row's background, default red 127, green 161, blue 208), "colBorder" (default black), "colFill" (the
// background; default the list boxes' shared drawing colour, CtrlListBox::SetSharedDrawingColour) and
// "sliderStyle" (the name of the style of the scroll bars, looked up in the style list).
class CtrlListBoxStyle : public CtrlStyle {
    V_DECLARE_CLASS(CtrlListBoxStyle)
public:
    explicit CtrlListBoxStyle(uint32_t flags = 0, VFoundation::VClass* record = nullptr);
    ~CtrlListBoxStyle() override;

    VColour GetTextColour() const { return GetColourOption("colText", VColour(0, 0, 0)); }
    VColour GetHighlightColour() const { return GetColourOption("colHighlight", VColour(127, 161, 208)); }
    VColour GetBorderColour() const { return GetColourOption("colBorder", VColour(0, 0, 0)); }
    // The fill, or fallback when the style has none.
    VColour GetFillColour(const VColour& fallback) const { return GetColourOption("colFill", fallback); }
    // The scroll bars' style: the one named by "sliderStyle" when it is a slider style, else none.
    CtrlSliderStyle* GetSliderStyle() const;
};

} // namespace VCtrl
