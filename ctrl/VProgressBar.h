#pragma once

#include "ctrl/Ctrl.h"
#include "ctrl/VColour.h"
#include "foundation/VString.h"

namespace VCtrl {

// A horizontal bar showing a percentage (the install progress): a white field with a black outline and,
// from the left, a bar in the bar colour whose length is the value's share of the inside.
// A style with "noDefaultDrawing" leaves the field and outline out and draws only the bar.
class VProgressBar : public Ctrl {
    V_DECLARE_CLASS(VProgressBar)
public:
    explicit VProgressBar(CtrlStyle* style = nullptr, VFoundation::VClass* record = nullptr);
    ~VProgressBar() override;

    void GetDescription(VFoundation::VString& out) const override;
    void Draw(IGraphicsContext& context) override;
    bool SetIntValue(int32_t value) override;
    bool SetRealValue(double value) override;

    // Clamps to 0..100 (NaN counts as 0) and redraws when the value changed.
    void SetValue(float percent);
    float GetValue() const { return m_value; }
    void SetBarColour(const VColour& colour);
    const VColour& GetBarColour() const { return m_barColour; }
    // What the bar measures, written at its left with the percentage ("Overall: 40 %"); none by default.
    void SetCaption(const char* caption);
    const VFoundation::VString& GetCaption() const { return m_caption; }

private:
    float m_value = 0.0f;
    VColour m_barColour{0, 84, 166};
    VFoundation::VString m_caption;
};

} // namespace VCtrl
