#pragma once

#include "ctrl/Ctrl.h"
#include "ctrl/ICtrlTableCell.h"

#include <cstdint>

namespace VCtrl {

class CtrlButtonStyle;

// A push button, toggle or check box: an on/off state, a text, and a CtrlButtonStyle for its look.
//
// Mouse (left button), with the style's flags:
// - optMomentary: on while pressed and the mouse is inside; off at the release; a release inside sends
//   event 9 (CtrlEvent::kPressed) with the point.
// - optSendOnMouseDown: event 9 is sent at the press instead; without optMomentary the press also flips
//   the state.
// - neither (a toggle, such as a check box drawn with pictures): a release inside flips the state and
//   sends nothing.
// - no style: behaves as a momentary button.
// A right press sends event 4 (CtrlEvent::kRightMouseDown) with the point.
//
// The press makes the button the root's pressed control (MouseDown returns true); only that button
// takes the release, so a release arriving without a press first is not handled.
//
// As a table column's data cell the button draws the column's values: an image is centred in the cell,
// a text "true"/"1" or "false"/"0" is drawn as a ticked or empty box.
class CtrlButton : public Ctrl, public ICtrlTableCell {
    V_DECLARE_CLASS(CtrlButton)
public:
    bool AcceptsKeyboardFocus() const override { return true; }
    explicit CtrlButton(CtrlStyle* style = nullptr, VFoundation::VClass* record = nullptr);
    ~CtrlButton() override;

    using Ctrl::SerializeAsXML;
    void GetDescription(VFoundation::VString& out) const override;

    bool MouseDown(const VPoint& point, uint32_t modifiers) override;
    bool MouseUp(const VPoint& point, uint32_t modifiers) override;
    // Space (without Alt or Control) acts as a click in the middle of the button: a push button sends its
    // press, a check box flips.
    bool KeyDown(int32_t key, uint32_t modifiers) override;
    bool MouseMoved(const VPoint& point, uint32_t modifiers) override;
    bool RightMouseDown(const VPoint& point, uint32_t modifiers) override;
    bool RightMouseUp(const VPoint& point, uint32_t modifiers) override;
    bool MouseEntered() override;
    bool MouseLeft() override;
    void Draw(IGraphicsContext& context) override;
    // Stores the text and redraws when it changed.
    void SetText(const char* text) override;
    bool SetBoolValue(bool value) override;
    // Reads and writes the attribute "text" besides the base attributes.
    void SerializeAsXML(VFoundation::VXMLFile& xmlFile, bool withChildren, bool keepName) override;

    void DrawCell(IGraphicsContext& context, const VRect& cell, VFoundation::VObject* value,
                  bool selected) override;

    // Sets the state and redraws when it changed.
    void SetValue(bool on);
    bool GetValue() const { return m_on != 0; }
    // "true" when on, "false" when off.
    const char* GetValueText() const { return m_on ? "true" : "false"; }
    // True between a handled press and its release.
    bool IsTracking() const { return (GetFlags() & kFlagMouseTracking) != 0; }
    bool IsMouseOver() const { return m_mouseOver; }

private:
    // The style when it is a button style, else none.
    CtrlButtonStyle* GetButtonStyle() const;
    bool IsInside(const VPoint& point) const;
    void DrawDefault(IGraphicsContext& context, CtrlButtonStyle* style, bool enabled);

    uint8_t m_on = 0;
    bool m_mouseOver = false;
};

} // namespace VCtrl
