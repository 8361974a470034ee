#include "ctrl/CtrlButton.h"

#include "ctrl/CtrlButtonStyle.h"
#include "ctrl/CtrlDrawing.h"
#include "ctrl/CtrlEvent.h"
#include "ctrl/IGraphicsContext.h"
#include "ctrl/WindowMessages.h"
#include "foundation/VClass.h"
#include "foundation/VImage.h"
#include "foundation/VString.h"
#include "foundation/VXMLFile.h"

#include <algorithm>

namespace VCtrl {

using VFoundation::VImage;
using VFoundation::VObject;
using VFoundation::VRef;
using VFoundation::VString;

V_IMPLEMENT_CLASS(CtrlButton, Ctrl)

namespace {

VColour DisabledTextColour() {
    return VColour(128, 128, 128);
}

// A value given to a check cell as text: true for "true" and "1", false for "false" and "0".
bool ParseCheckText(const VString& text, bool& on) {
    if (text.IsEqual("true") || text.IsEqual("1")) {
        on = true;
        return true;
    }
    if (text.IsEqual("false") || text.IsEqual("0")) {
        on = false;
        return true;
    }
    return false;
}

} // namespace

CtrlButton::CtrlButton(CtrlStyle* style, VFoundation::VClass* record)
    : Ctrl(style, record ? record : GetClassRecord()) {}

CtrlButton::~CtrlButton() = default;

void CtrlButton::GetDescription(VString& out) const {
    Ctrl::GetDescription(out);
    VString state;
    state.Format(" value: %s text: \"%s\"", GetValueText(), GetText().GetText());
    out.Append(state);
}

CtrlButtonStyle* CtrlButton::GetButtonStyle() const {
    CtrlStyle* style = GetStyle();
    return style && style->IsKindOf(CtrlButtonStyle::GetClassRecord()) ? static_cast<CtrlButtonStyle*>(style)
                                                                       : nullptr;
}

bool CtrlButton::IsInside(const VPoint& point) const {
    return point.x >= 0 && point.x <= GetWidth() && point.y >= 0 && point.y <= GetHeight();
}

void CtrlButton::SetValue(bool on) {
    if ((m_on != 0) == on) return;
    m_on = on ? 1 : 0;
    Redraw();
}

bool CtrlButton::SetBoolValue(bool value) {
    SetValue(value);
    return true;
}

void CtrlButton::SetText(const char* text) {
    if (GetText().IsEqual(text ? text : "")) return;
    Ctrl::SetText(text);
    Redraw();
}

// Mouse

bool CtrlButton::MouseDown(const VPoint& point, uint32_t) {
    if (!IsEnabled() || !IsVisible()) return false;
    SetFlags(true, kFlagMouseTracking);
    CtrlStyle* style = GetStyle();
    const bool momentary = !style || style->HasFlags(CtrlButtonStyle::kOptMomentary);
    const bool sendOnDown = style && style->HasFlags(CtrlButtonStyle::kOptSendOnMouseDown);
    if (momentary)
        SetValue(true);
    else if (sendOnDown)
        SetValue(!GetValue());
    if (sendOnDown) SendEvent(CtrlEvent::kPressed, point);
    return true;
}

bool CtrlButton::MouseMoved(const VPoint& point, uint32_t modifiers) {
    const bool handled = Ctrl::MouseMoved(point, modifiers);
    CtrlStyle* style = GetStyle();
    if (IsTracking() && (!style || style->HasFlags(CtrlButtonStyle::kOptMomentary)))
        SetValue(IsInside(point));
    return handled;
}

bool CtrlButton::MouseUp(const VPoint& point, uint32_t) {
    if (!IsTracking()) return false;
    SetFlags(false, kFlagMouseTracking);
    CtrlStyle* style = GetStyle();
    const bool inside = IsInside(point);
    if (!style) {
        SetValue(false);
        Redraw();
        if (inside) SendEvent(CtrlEvent::kPressed, point);
        return true;
    }
    const bool momentary = style->HasFlags(CtrlButtonStyle::kOptMomentary);
    const bool sendOnDown = style->HasFlags(CtrlButtonStyle::kOptSendOnMouseDown);
    if (momentary)
        SetValue(false);
    else if (!sendOnDown && inside)
        SetValue(!GetValue());
    if (!sendOnDown || momentary) Redraw();
    if (inside && momentary && !sendOnDown) SendEvent(CtrlEvent::kPressed, point);
    return true;
}

bool CtrlButton::KeyDown(int32_t key, uint32_t modifiers) {
    if (key != VirtualKey::kSpace || (modifiers & (Modifier::kAlt | Modifier::kControl)) != 0) return false;
    if (!IsEnabled() || !IsVisible()) return false;
    const VPoint middle{GetWidth() / 2, GetHeight() / 2};
    MouseDown(middle, 0);
    MouseUp(middle, 0);
    return true;
}

bool CtrlButton::RightMouseDown(const VPoint& point, uint32_t) {
    if (!IsEnabled() || !IsVisible()) return false;
    SendEvent(CtrlEvent::kRightMouseDown, point);
    return true;
}

bool CtrlButton::RightMouseUp(const VPoint&, uint32_t) {
    return IsEnabled() && IsVisible();
}

bool CtrlButton::MouseEntered() {
    if (!Ctrl::MouseEntered()) return false;
    m_mouseOver = true;
    SetHighlighted(true);
    return true;
}

bool CtrlButton::MouseLeft() {
    // The pointer leaving always ends the mouse-over look, also for a button disabled meanwhile.
    m_mouseOver = false;
    SetHighlighted(false);
    return Ctrl::MouseLeft();
}

// Drawing

void CtrlButton::Draw(IGraphicsContext& context) {
    CtrlButtonStyle* style = GetButtonStyle();
    const bool enabled = IsEnabled();
    if (style && !enabled && style->HasFlags(CtrlButtonStyle::kOptNoDrawDisabled)) return;
    if (!GetStyle() || !GetStyle()->HasFlags(CtrlStyle::kFlagNoDefaultDrawing))
        DrawDefault(context, style, enabled);
    Ctrl::Draw(context);
}

void CtrlButton::DrawDefault(IGraphicsContext& context, CtrlButtonStyle* style, bool enabled) {
    const bool on = GetValue();
    const VRect frame{0, 0, GetWidth(), GetHeight()};
    // A button without a button style looks as the style's defaults say.
    const VColour fill = style ? style->GetFillColour(on) : (on ? VColour(0, 0, 0) : VColour(255, 255, 255));
    const VColour border = style ? style->GetBorderColour() : VColour(0, 0, 0);
    VColour text = style ? style->GetTextColour(on) : (on ? VColour(255, 255, 255) : VColour(0, 0, 0));
    const bool noGraphics = style && style->HasFlags(CtrlButtonStyle::kOptNoGraphics);
    const bool transparent = style && style->HasFlags(CtrlButtonStyle::kOptTransparent);

    VRef<VImage> image;
    if (style && !noGraphics) {
        if (on)
            image = style->GetDownImage();
        else if (IsHighlighted())
            image = style->GetMouseOverImage();
        if (!image) image = style->GetUpImage();
    }

    const double opacity = enabled ? 1.0 : 0.5;
    if (image) {
        CtrlDrawing::DrawImageInRect(context, image.Get(), frame,
                                     style->HasFlags(CtrlButtonStyle::kOptSmartTile), opacity);
    } else if (!noGraphics && !transparent) {
        context.FillRectangle(0, 0, frame.width, frame.height, fill);
        context.DrawRectangle(0, 0, frame.width, frame.height, border, IGraphicsContext::kDashSolid, 1.0);
        // Fills of the two states may be the same colour: a pressed button also shows an inner frame.
        if (on && frame.width > 4 && frame.height > 4)
            context.DrawRectangle(1, 1, frame.width - 2, frame.height - 2,
                                  CtrlDrawing::ReadableTextColour(fill, fill), IGraphicsContext::kDashDotted,
                                  1.0);
        text = CtrlDrawing::ReadableTextColour(text, fill);
    }

    const bool drawText = !style || !image || style->HasFlags(CtrlButtonStyle::kOptDrawText);
    if (!drawText || GetText().IsEmpty()) return;
    if (!enabled) text = DisabledTextColour();
    const bool left = style && style->HasFlags(CtrlButtonStyle::kOptTextLeftJustify);
    const int offset = (style ? style->GetTextOffset() : 0) + (left ? 3 : 0);
    // A pressed button's text moves one pixel down and right.
    const int shift = on ? 1 : 0;
    CtrlDrawing::DrawAlignedText(context, VRect{shift, shift, frame.width - shift, frame.height},
                                 GetText().GetText(), text,
                                 left ? CtrlDrawing::Align::kLeft : CtrlDrawing::Align::kCentre, offset,
                                 GetStyle() ? GetStyle()->GetFont() : nullptr);
}

void CtrlButton::DrawCell(IGraphicsContext& context, const VRect& cell, VObject* value, bool) {
    if (!value || cell.IsEmpty()) return;
    if (value->IsKindOf(VImage::GetClassRecord())) {
        const auto* image = static_cast<const VImage*>(value);
        if (!image->HasBitmap()) return;
        const int w = std::min(image->GetWidth(), cell.width), h = std::min(image->GetHeight(), cell.height);
        const VRect box{cell.x + (cell.width - w) / 2, cell.y + (cell.height - h) / 2, w, h};
        CtrlDrawing::DrawImageInRect(context, image, box);
        return;
    }
    bool on = false;
    if (!value->IsKindOf(VString::GetClassRecord()) || !ParseCheckText(*static_cast<VString*>(value), on))
        return;
    CtrlButtonStyle* style = GetButtonStyle();
    const int side = std::max(0, std::min({cell.width, cell.height}) - 4);
    const VRect box{cell.x + (cell.width - side) / 2, cell.y + (cell.height - side) / 2, side, side};
    context.FillRectangle(box.x, box.y, box.width, box.height, VColour(255, 255, 255));
    context.DrawRectangle(box.x, box.y, box.width, box.height,
                          style ? style->GetBorderColour() : VColour(0, 0, 0), IGraphicsContext::kDashSolid,
                          1.0);
    if (on) CtrlDrawing::DrawCheckMark(context, box, VColour(0, 0, 0));
}

// Skins

void CtrlButton::SerializeAsXML(VFoundation::VXMLFile& xmlFile, bool withChildren, bool keepName) {
    if (xmlFile.IsLoading()) {
        VString text;
        if (xmlFile.GetAttribute("text", text)) Ctrl::SetText(text.GetText());
    } else if (xmlFile.IsStoring() && !GetText().IsEmpty()) {
        xmlFile.SetAttribute("text", GetText().GetText());
    }
    Ctrl::SerializeAsXML(xmlFile, withChildren, keepName);
}

} // namespace VCtrl
