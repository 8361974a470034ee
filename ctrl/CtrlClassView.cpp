#include "ctrl/CtrlClassView.h"

#include "ctrl/IGraphicsContext.h"
#include "ctrl/VColour.h"
#include "foundation/VClass.h"

namespace VCtrl {

V_IMPLEMENT_CLASS(CtrlClassView, Ctrl)

CtrlClassView::CtrlClassView(CtrlStyle* style, VFoundation::VClass* record)
    : Ctrl(style, record ? record : GetClassRecord()) {}

CtrlClassView::~CtrlClassView() = default;

void CtrlClassView::GetDescription(VFoundation::VString& out) const {
    Ctrl::GetDescription(out);
    out.Append(" for ");
    out.Append(m_representedClassName);
}

void CtrlClassView::Draw(IGraphicsContext& context) {
    const VColour grey(128, 128, 128);
    context.DrawRectangle(0, 0, GetWidth(), GetHeight(), grey, IGraphicsContext::kDashDotted, 1.0);
    context.DrawTextInRect(2, 0, m_representedClassName.GetText(), grey,
                           VRect{0, 0, GetWidth(), GetHeight()});
    Ctrl::Draw(context);
}

const char* CtrlClassView::GetSkinClassName() const {
    return m_representedClassName.IsEmpty() ? GetClassName() : m_representedClassName.GetText();
}

} // namespace VCtrl
