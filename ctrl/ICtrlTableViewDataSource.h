#pragma once

namespace VFoundation {
class VObject;
} // namespace VFoundation

namespace VCtrl {

class CtrlTableColumn;
class CtrlTableView;

// Where a table's rows come from. Called on the user-interface thread while the table draws or handles
// input. The data source is not owned by the table: it must outlive it or be cleared from it
// (CtrlTableView::SetDataSource(nullptr)).
class ICtrlTableViewDataSource {
public:
    virtual ~ICtrlTableViewDataSource() = default;
    virtual int GetRowCount(CtrlTableView* table) = 0;
    // The value of the cell of column (compare its identifier) and row: a VString drawn as text, a VImage
    // drawn as a picture, or none for an empty cell. The data source keeps the object; the table uses it
    // only until its next call. Rows outside 0 .. count - 1 may be asked for and give none.
    virtual VFoundation::VObject* GetCellValue(CtrlTableView* table, CtrlTableColumn* column, int row) = 0;
    // The user pressed the cell of a column whose cells take presses, and the delegate allowed it.
    virtual void CellPressed(CtrlTableView* table, CtrlTableColumn* column, int row) = 0;
};

} // namespace VCtrl
