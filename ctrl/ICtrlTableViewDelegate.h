#pragma once

namespace VCtrl {

class CtrlTableColumn;
class CtrlTableView;

// What a table tells and asks about the user's actions. Called on the user-interface thread; not owned by
// the table (CtrlTableView::SetDelegate(nullptr) clears it).
class ICtrlTableViewDelegate {
public:
    virtual ~ICtrlTableViewDelegate() = default;
    // Whether a press on the cell may go to the data source as a cell press. row is the row under the
    // press and may lie past the last row: check it.
    virtual bool CanPressCell(CtrlTableView* table, CtrlTableColumn* column, int row) = 0;
    // The table's selected row changed (CtrlTableView::GetSelectedRow; it may lie past the last row).
    virtual void SelectionChanged(CtrlTableView* table) = 0;
    // Control+X, Control+C and Control+V on the table.
    virtual void CutRows(CtrlTableView*) {}
    virtual void CopyRows(CtrlTableView*) {}
    virtual void PasteRows(CtrlTableView*) {}
};

} // namespace VCtrl
