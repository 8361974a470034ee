#pragma once

#include "ctrl/CtrlStyle.h"
#include "ctrl/VColour.h"

#include <cstdint>

namespace VCtrl {

// The look of labels: "colText" (default black) and "colTextHighlight" (the text of a highlighted label,
// default the text colour), and the flags centeredText and rightAlignText (default: left aligned).
class CtrlLabelStyle : public CtrlStyle {
    V_DECLARE_CLASS(CtrlLabelStyle)
public:
    enum : uint32_t {
        kCenteredText = 8,
        kRightAlignText = 16,
    };

    explicit CtrlLabelStyle(VFoundation::VObject* font = nullptr, const VColour& text = VColour(0, 0, 0),
                            const VColour& highlight = VColour(0, 0, 0), uint32_t flags = 0,
                            VFoundation::VClass* record = nullptr);
    ~CtrlLabelStyle() override;

    const char* GetFlagName(uint32_t bit) const override;

    VColour GetTextColour() const { return GetColourOption("colText", VColour(0, 0, 0)); }
    void SetTextColour(const VColour& colour) { SetColourOption("colText", colour); }
    VColour GetHighlightColour() const { return GetColourOption("colTextHighlight", GetTextColour()); }
    void SetHighlightColour(const VColour& colour) { SetColourOption("colTextHighlight", colour); }
};

} // namespace VCtrl
