#include "ctrl/CtrlTableHeaderView.h"

#include "ctrl/IGraphicsContext.h"
#include "foundation/VClass.h"

namespace VCtrl {

V_IMPLEMENT_CLASS(CtrlTableHeaderView, Ctrl)

CtrlTableHeaderView::CtrlTableHeaderView(CtrlStyle* style, VFoundation::VClass* record)
    : Ctrl(style, record ? record : GetClassRecord()) {}

CtrlTableHeaderView::~CtrlTableHeaderView() = default;

bool CtrlTableHeaderView::MouseDown(const VPoint&, uint32_t) {
    return IsEnabled() && IsVisible();
}

bool CtrlTableHeaderView::MouseUp(const VPoint&, uint32_t) {
    return IsEnabled() && IsVisible();
}

void CtrlTableHeaderView::Draw(IGraphicsContext& context) {
    context.FillRectangle(0, 0, GetWidth(), GetHeight(), VColour(225, 225, 225));
    Ctrl::Draw(context);
    context.DrawLine(0, GetHeight() - 1, GetWidth() - 1, GetHeight() - 1, VColour(150, 150, 150),
                     IGraphicsContext::kDashSolid, 1.0);
}

} // namespace VCtrl
