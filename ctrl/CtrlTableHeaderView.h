#pragma once

#include "ctrl/Ctrl.h"

namespace VCtrl {

class CtrlTableView;

// The strip across the top of a CtrlTableView that holds the columns as its children (each column draws
// its own header cell). Presses on the header are taken here and do not reach the rows.
class CtrlTableHeaderView : public Ctrl {
    V_DECLARE_CLASS(CtrlTableHeaderView)
public:
    explicit CtrlTableHeaderView(CtrlStyle* style = nullptr, VFoundation::VClass* record = nullptr);
    ~CtrlTableHeaderView() override;

    bool MouseDown(const VPoint& point, uint32_t modifiers) override;
    bool MouseUp(const VPoint& point, uint32_t modifiers) override;
    void Draw(IGraphicsContext& context) override;
};

} // namespace VCtrl
