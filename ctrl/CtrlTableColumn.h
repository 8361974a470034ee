#pragma once

#include "ctrl/Ctrl.h"
#include "foundation/VRef.h"
#include "foundation/VString.h"

namespace VCtrl {

// One column of a CtrlTableView: the identifier that the data source compares, the name (the control
// name, shown in the header unless a display name is set), a width kept within a minimum and a maximum,
// the column flag and the data cell.
//
// The column flag says that the column's cells take presses: a press on such a cell goes to the data
// source as a cell press (when the delegate allows it) instead of selecting the row. The data cell (a
// control, retained; for instance a CtrlButton for a column of check boxes) draws the column's values when
// it implements ICtrlTableCell; without one the table draws texts and pictures itself.
//
// The column is the header cell of its column: the table puts it in its header view and gives it its
// frame there.
class CtrlTableColumn : public Ctrl {
    V_DECLARE_CLASS(CtrlTableColumn)
public:
    static constexpr int kDefaultMinimumWidth = 8;
    static constexpr int kDefaultMaximumWidth = 10000;

    explicit CtrlTableColumn(const char* identifier = nullptr, int width = 100, bool flag = false,
                             Ctrl* dataCell = nullptr, VFoundation::VClass* record = nullptr);
    ~CtrlTableColumn() override;

    void Draw(IGraphicsContext& context) override;

    const VFoundation::VString& GetIdentifier() const { return m_identifier; }
    void SetIdentifier(const char* identifier) { m_identifier.Assign(identifier ? identifier : ""); }
    int GetColumnWidth() const { return m_columnWidth; }
    // Kept within the minimum and the maximum.
    void SetColumnWidth(int width);
    int GetMinimumWidth() const { return m_minimumWidth; }
    int GetMaximumWidth() const { return m_maximumWidth; }
    // A maximum below the minimum is raised to it; the width is kept within the new limits.
    void SetWidthLimits(int minimum, int maximum);
    bool GetFlag() const { return m_flag; }
    void SetFlag(bool on) { m_flag = on; }
    Ctrl* GetDataCell() const { return m_dataCell.Get(); }
    void SetDataCell(Ctrl* cell) { m_dataCell = VFoundation::VRef<Ctrl>::Retained(cell); }

private:
    VFoundation::VString m_identifier;
    int m_columnWidth = 0;
    int m_minimumWidth = kDefaultMinimumWidth;
    int m_maximumWidth = kDefaultMaximumWidth;
    bool m_flag = false;
    VFoundation::VRef<Ctrl> m_dataCell;
};

} // namespace VCtrl
