#pragma once

#include "ctrl/CtrlListBoxStyle.h"
#include "foundation/VRef.h"

#include <cstdint>

namespace VCtrl {

class CtrlSliderStyle;

// The look of tables: the list box colours ("colText", "colHighlight", "colBorder", "colFill"), the flag
// optGridLines (lines between the rows and between the columns) and two sub-styles, the styles of the
// vertical (0) and horizontal (1) scroll bars. A sub-style that is not set falls back to the style named
// by "sliderStyle".
class CtrlTableViewStyle : public CtrlListBoxStyle {
    V_DECLARE_CLASS(CtrlTableViewStyle)
public:
    enum : uint32_t { kOptGridLines = 16 };
    static constexpr int kSubStyleCount = 2;

    explicit CtrlTableViewStyle(uint32_t flags = 0, CtrlSliderStyle* verticalSlider = nullptr,
                                CtrlSliderStyle* horizontalSlider = nullptr,
                                VFoundation::VClass* record = nullptr);
    ~CtrlTableViewStyle() override;

    const char* GetFlagName(uint32_t bit) const override;

    // Index 0 or 1 (retained); other indices are ignored.
    void SetSubStyle(int index, CtrlSliderStyle* style);
    CtrlSliderStyle* GetSubStyle(int index) const;

private:
    VFoundation::VRef<CtrlSliderStyle> m_subStyles[kSubStyleCount];
};

} // namespace VCtrl
