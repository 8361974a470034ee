#include "ctrl/CtrlImageView.h"

#include "ctrl/CtrlDrawing.h"
#include "ctrl/CtrlEvent.h"
#include "ctrl/CtrlImageViewStyle.h"
#include "ctrl/IGraphicsContext.h"
#include "foundation/VClass.h"
#include "foundation/VImage.h"

namespace VCtrl {

using VFoundation::VImage;
using VFoundation::VRef;

V_IMPLEMENT_CLASS(CtrlImageView, Ctrl)

CtrlImageView::CtrlImageView(CtrlStyle* style, VFoundation::VClass* record)
    : Ctrl(style, record ? record : GetClassRecord()) {}

CtrlImageView::~CtrlImageView() = default;

bool CtrlImageView::MouseDown(const VPoint& point, uint32_t) {
    CtrlStyle* style = GetStyle();
    if (!IsEnabled() || !IsVisible() || !style || !style->HasFlags(CtrlImageViewStyle::kOptMouseHandle))
        return false;
    SendEvent(CtrlEvent::kMouseDown, point);
    return true;
}

bool CtrlImageView::FilesDropped(const VPoint& point, uint32_t modifiers, VFoundation::VObjectArray* names) {
    CtrlStyle* style = GetStyle();
    if (!style || !style->HasFlags(CtrlImageViewStyle::kOptDragNDrop)) return false;
    return Ctrl::FilesDropped(point, modifiers, names);
}

void CtrlImageView::SetImage(VImage* image, const VPoint& origin) {
    m_image = VRef<VImage>::Retained(image);
    m_origin = origin;
    Redraw();
}

void CtrlImageView::Draw(IGraphicsContext& context) {
    CtrlStyle* style = GetStyle();
    if (!style || !style->HasFlags(CtrlStyle::kFlagNoDefaultDrawing)) {
        const VRect frame{0, 0, GetWidth(), GetHeight()};
        CtrlImageViewStyle* viewStyle = style && style->IsKindOf(CtrlImageViewStyle::GetClassRecord())
                                            ? static_cast<CtrlImageViewStyle*>(style)
                                            : nullptr;
        if (viewStyle && viewStyle->HasFlags(CtrlImageViewStyle::kOptBackground))
            context.FillRectangle(0, 0, frame.width, frame.height, viewStyle->GetBackgroundColour());
        if (viewStyle) {
            if (VRef<VImage> background = viewStyle->GetImageOption("imBackground")) {
                if (viewStyle->HasFlags(CtrlImageViewStyle::kOptSmartTile))
                    CtrlDrawing::TileImage(context, background.Get(), frame);
                else if (viewStyle->HasFlags(CtrlImageViewStyle::kOptNoStretch))
                    context.DrawImage(background.Get(), 0, 0);
                else
                    CtrlDrawing::DrawImageInRect(context, background.Get(), frame);
            }
        }
        if (m_image && m_image->HasBitmap()) context.DrawImage(m_image.Get(), m_origin.x, m_origin.y);
        if (viewStyle && viewStyle->HasFlags(CtrlImageViewStyle::kOptBorder))
            context.DrawRectangle(0, 0, frame.width, frame.height, viewStyle->GetBorderColour(),
                                  IGraphicsContext::kDashSolid, 1.0);
    } else if (m_image && m_image->HasBitmap()) {
        // Without the default drawing (background, border) the view still shows its picture: that is what
        // it is for (the splash screen's view is made this way).
        context.DrawImage(m_image.Get(), m_origin.x, m_origin.y);
    }
    Ctrl::Draw(context);
}

} // namespace VCtrl
