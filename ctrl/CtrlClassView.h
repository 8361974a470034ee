#pragma once

#include "ctrl/Ctrl.h"
#include "foundation/VString.h"

namespace VCtrl {

// Stands in a tree read from a skin for an element whose class is not known here. It records that class
// name, is written back under it (so a skin read and written again keeps the element's class), reads and
// keeps the element's children like any control, and draws a grey outline with the class name so that a
// missing class is visible.
class CtrlClassView : public Ctrl {
    V_DECLARE_CLASS(CtrlClassView)
public:
    explicit CtrlClassView(CtrlStyle* style = nullptr, VFoundation::VClass* record = nullptr);
    ~CtrlClassView() override;

    void GetDescription(VFoundation::VString& out) const override;
    void Draw(IGraphicsContext& context) override;
    const char* GetSkinClassName() const override;

    const VFoundation::VString& GetRepresentedClassName() const { return m_representedClassName; }
    void SetRepresentedClassName(const char* name) { m_representedClassName.Assign(name ? name : ""); }

private:
    VFoundation::VString m_representedClassName;
};

} // namespace VCtrl
