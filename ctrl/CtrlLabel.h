#pragma once

#include "ctrl/Ctrl.h"

#include <cstdint>

namespace VCtrl {

// One line of text (titles, status lines, sizes), drawn in its CtrlLabelStyle's colour (black without a
// style), centred vertically in the frame and aligned as the style says.
//
// A label that takes mouse input (enabled) and has a listener reports a left press as event 1
// (CtrlEvent::kMouseDown) with the point; without a listener the press goes on to the parent.
class CtrlLabel : public Ctrl {
    V_DECLARE_CLASS(CtrlLabel)
public:
    explicit CtrlLabel(CtrlStyle* style = nullptr, VFoundation::VClass* record = nullptr);
    ~CtrlLabel() override;

    using Ctrl::SerializeAsXML;
    bool MouseDown(const VPoint& point, uint32_t modifiers) override;
    void Draw(IGraphicsContext& context) override;
    // Reads and writes the attribute "text" besides the base attributes.
    void SerializeAsXML(VFoundation::VXMLFile& xmlFile, bool withChildren, bool keepName) override;

    // Takes mouse input or not (the enabled flag, which the hit test reads); labels of pages usually do not.
    void SetTakesMouseInput(bool on) { SetFlags(on, kFlagEnabled); }
    // A wrapping label breaks its text into lines at word boundaries from the top of its frame instead of
    // centring one line; for result texts and descriptions whose length is not known in advance.
    void SetWrapsText(bool on) { m_wrapsText = on; }
    bool WrapsText() const { return m_wrapsText; }
    // One line that does not fit ends in "..." (kEnd), or loses its middle (kMiddle, for paths).
    enum class Ellipsis { kNone, kEnd, kMiddle };
    void SetEllipsis(Ellipsis ellipsis) { m_ellipsis = ellipsis; }

private:
    bool m_wrapsText = false;
    Ellipsis m_ellipsis = Ellipsis::kNone;
};

} // namespace VCtrl
