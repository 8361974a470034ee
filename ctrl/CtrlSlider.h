#pragma once

#include "ctrl/Ctrl.h"

#include <cstdint>

namespace VCtrl {

// A scroll bar: a value from 0 to 1 shown as the position of a thumb in a groove, vertical when the frame
// is taller than wide. The thumb's share of the groove (SetThumbProportion) shows how much of the scrolled
// content is visible when the style asks for a proportional thumb.
//
// The user drags the thumb, presses the groove (one page: the thumb proportion) or turns the wheel (one
// step); each change the user makes sends event 9 (CtrlEvent::kPressed) to the listener, which reads
// GetValue(). SetValue from code sends nothing.
class CtrlSlider : public Ctrl {
    V_DECLARE_CLASS(CtrlSlider)
public:
    explicit CtrlSlider(CtrlStyle* style = nullptr, VFoundation::VClass* record = nullptr);
    ~CtrlSlider() override;

    bool MouseDown(const VPoint& point, uint32_t modifiers) override;
    bool MouseMoved(const VPoint& point, uint32_t modifiers) override;
    bool MouseUp(const VPoint& point, uint32_t modifiers) override;
    bool MouseWheel(const VPoint& point, double steps, uint32_t modifiers) override;
    void Draw(IGraphicsContext& context) override;
    bool SetRealValue(double value) override;

    // Clamped to 0..1 (NaN counts as 0); redraws when it changed.
    void SetValue(double value);
    double GetValue() const { return m_value; }
    // The visible share of the content, clamped to 0..1.
    void SetThumbProportion(double proportion);
    double GetThumbProportion() const { return m_proportion; }
    // The change of one wheel step or arrow, clamped to 0..1.
    void SetStep(double step);
    double GetStep() const { return m_step; }
    bool IsVertical() const { return GetHeight() >= GetWidth(); }
    // The thumb's rectangle in the slider's coordinates.
    VRect GetThumbRect() const;

private:
    int GetTrackLength() const;
    int GetThumbLength() const;
    // Sets the value from a user action and tells the listener when it changed.
    void ChangeValue(double value);

    double m_value = 0.0;
    double m_proportion = 1.0;
    double m_step = 0.1;
    // While the thumb is dragged: the distance from the thumb's start to the press point.
    int m_dragOffset = 0;
};

} // namespace VCtrl
