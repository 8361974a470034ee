#pragma once

#include "ctrl/VGeometry.h"

namespace VFoundation {
class VObject;
} // namespace VFoundation

namespace VCtrl {

class IGraphicsContext;

// A control that a table column uses as its data cell: the table asks it to draw each value of the column.
// Called on the user-interface thread while the table draws; value belongs to the data source and is valid
// only for the call (none means an empty cell).
class ICtrlTableCell {
public:
    virtual ~ICtrlTableCell() = default;
    // Draws value inside cell (in the context's current coordinates); selected says whether the cell's row
    // is the table's selected row.
    virtual void DrawCell(IGraphicsContext& context, const VRect& cell, VFoundation::VObject* value,
                          bool selected) = 0;
};

} // namespace VCtrl
