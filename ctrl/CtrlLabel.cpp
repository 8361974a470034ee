#include "ctrl/CtrlLabel.h"

#include "ctrl/CtrlDrawing.h"
#include "ctrl/CtrlEvent.h"
#include "ctrl/CtrlLabelStyle.h"
#include "foundation/VClass.h"
#include "foundation/VString.h"
#include "foundation/VXMLFile.h"

namespace VCtrl {

V_IMPLEMENT_CLASS(CtrlLabel, Ctrl)

CtrlLabel::CtrlLabel(CtrlStyle* style, VFoundation::VClass* record)
    : Ctrl(style, record ? record : GetClassRecord()) {}

CtrlLabel::~CtrlLabel() = default;

bool CtrlLabel::MouseDown(const VPoint& point, uint32_t) {
    if (!IsEnabled() || !IsVisible() || !GetListener()) return false;
    SendEvent(CtrlEvent::kMouseDown, point);
    return true;
}

void CtrlLabel::Draw(IGraphicsContext& context) {
    CtrlStyle* style = GetStyle();
    if (!style || !style->HasFlags(CtrlStyle::kFlagNoDefaultDrawing)) {
        VColour colour(0, 0, 0);
        CtrlDrawing::Align align = CtrlDrawing::Align::kLeft;
        if (style && style->IsKindOf(CtrlLabelStyle::GetClassRecord())) {
            auto* labelStyle = static_cast<CtrlLabelStyle*>(style);
            colour = IsHighlighted() ? labelStyle->GetHighlightColour() : labelStyle->GetTextColour();
            if (style->HasFlags(CtrlLabelStyle::kCenteredText))
                align = CtrlDrawing::Align::kCentre;
            else if (style->HasFlags(CtrlLabelStyle::kRightAlignText))
                align = CtrlDrawing::Align::kRight;
        }
        if (m_wrapsText) {
            context.SaveState();
            context.SetFont(style ? style->GetFont() : nullptr);
            context.DrawTextInBox(0, 0, GetWidth(), GetHeight(), GetText().GetText(), colour);
            context.RestoreState();
        } else if (m_ellipsis != Ellipsis::kNone) {
            context.SaveState();
            context.SetFont(style ? style->GetFont() : nullptr);
            const VFoundation::VString shown = CtrlDrawing::FitText(context, GetText().GetText(), GetWidth(),
                                                                    m_ellipsis == Ellipsis::kMiddle);
            CtrlDrawing::DrawAlignedText(context, VRect{0, 0, GetWidth(), GetHeight()}, shown.GetText(),
                                         colour, align, 0, style ? style->GetFont() : nullptr);
            context.RestoreState();
        } else {
            CtrlDrawing::DrawAlignedText(context, VRect{0, 0, GetWidth(), GetHeight()}, GetText().GetText(),
                                         colour, align, 0, style ? style->GetFont() : nullptr);
        }
    }
    Ctrl::Draw(context);
}

void CtrlLabel::SerializeAsXML(VFoundation::VXMLFile& xmlFile, bool withChildren, bool keepName) {
    if (xmlFile.IsLoading()) {
        VFoundation::VString text;
        if (xmlFile.GetAttribute("text", text)) SetText(text.GetText());
    } else if (xmlFile.IsStoring() && !GetText().IsEmpty()) {
        xmlFile.SetAttribute("text", GetText().GetText());
    }
    Ctrl::SerializeAsXML(xmlFile, withChildren, keepName);
}

} // namespace VCtrl
