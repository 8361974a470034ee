#pragma once

#include "ctrl/Ctrl.h"
#include "ctrl/ICtrlListener.h"
#include "foundation/VObjectArrayTmpl.h"
#include "foundation/VRef.h"

#include <cstdint>

namespace VCtrl {

class CtrlSlider;
class CtrlTableColumn;
class CtrlTableHeaderView;
class ICtrlTableViewDataSource;
class ICtrlTableViewDelegate;

// A table of rows and columns whose cells come from a data source (the component and kit piece lists).
// A header view with the columns lies across the top; a vertical and a horizontal scroll bar appear when
// the rows or the columns do not fit (their styles are the table style's sub-styles). Rows are the row
// height (15 unless changed) tall; the visible row count is the number of whole rows that fit below the
// header (and above the horizontal scroll bar).
//
// Selection and scrolling:
// - ScrollToRow(t): t is cut to row count - visible rows, then raised to 0; the vertical scroll bar shows
//   t / that largest top row (0 when it is 0).
// - SelectRow(r): r is cut to the last row and raised to 0; it becomes the selected row; the table
//   scrolls when r is not visible (to r - visible + 1 below the visible rows, to r above them); the
//   delegate is told.
// - A left press below the header on a cell of a column whose flag is set goes, when the delegate allows
//   it (CanPressCell), to the data source as a cell press and leaves the selection alone. Any other press
//   below the header selects row (y - header height) / row height + top row without cutting it to the
//   row count; when that changes the selected row the delegate is told.
// - Keys (virtual key codes): Home (36) the first row, End (35) the last, Up (38) and Down (40) the
//   neighbours of the selected row, Page Up (33) scrolls to top - visible + 1 and selects the new top row,
//   Page Down (34) scrolls to top + visible - 1 and selects new top + visible - 1; with the Control
//   modifier (bit value 2) X, C and V (88, 67, 86) ask the delegate to cut, copy and paste. Other keys are
//   not handled.
//
// The data source and the delegate are not owned (see their interfaces). The table owns its columns, its
// header view and its scroll bars.
class CtrlTableView : public Ctrl, public ICtrlListener {
    V_DECLARE_CLASS(CtrlTableView)
public:
    bool AcceptsKeyboardFocus() const override { return true; }
    static constexpr int kInitialRowHeight = 15;
    static constexpr int kHeaderHeight = 18;
    static constexpr int kScrollBarWidth = 12;
    static constexpr uint32_t kModifierControl = 0x02;

    explicit CtrlTableView(CtrlStyle* style = nullptr, VFoundation::VClass* record = nullptr);
    ~CtrlTableView() override;

    bool MouseDown(const VPoint& point, uint32_t modifiers) override;
    bool MouseUp(const VPoint& point, uint32_t modifiers) override;
    bool MouseWheel(const VPoint& point, double steps, uint32_t modifiers) override;
    bool KeyDown(int32_t key, uint32_t modifiers) override;
    void Draw(IGraphicsContext& context) override;
    void SetFrame(const VRect& frame) override;
    // Also gives the scroll bars the style's sub-styles (when it is a table style).
    void SetStyle(CtrlStyle* style) override;
    // The scroll bars' moves.
    void HandleCtrlEvent(const CtrlEvent& event) override;

    void SetDataSource(ICtrlTableViewDataSource* dataSource);
    ICtrlTableViewDataSource* GetDataSource() const { return m_dataSource; }
    void SetDelegate(ICtrlTableViewDelegate* delegate) { m_delegate = delegate; }
    ICtrlTableViewDelegate* GetDelegate() const { return m_delegate; }

    // Appends a column (retained) at the right.
    void AddColumn(CtrlTableColumn* column);
    int GetColumnCount() const;
    // None outside 0 .. count - 1.
    CtrlTableColumn* GetColumnAtIndex(int index) const;
    // The first column with that identifier; none when there is none.
    CtrlTableColumn* FindColumn(const char* identifier) const;
    // The column under x (table coordinates, the horizontal scrolling counted); none past the last column.
    CtrlTableColumn* GetColumnAtX(int x) const;

    // The data source's row count (0 without one).
    int GetRowCount() const;
    void SelectRow(int row);
    int GetSelectedRow() const { return m_selectedRow; }
    void ScrollToRow(int top);
    int GetTopRow() const { return m_topRow; }
    int GetVisibleRowCount() const { return m_visibleRows; }
    int GetRowHeight() const { return m_rowHeight; }
    void SetRowHeight(int height);
    // Lays the table out again for the data source's current row count and redraws.
    void ReloadData();

    CtrlTableHeaderView* GetHeaderView() const { return m_header.Get(); }
    CtrlSlider* GetVerticalSlider() const { return m_verticalSlider.Get(); }
    CtrlSlider* GetHorizontalSlider() const { return m_horizontalSlider.Get(); }

private:
    void UpdateLayout();
    int GetMaxTopRow() const;
    int GetColumnsWidth() const;
    int GetMaxScrollX() const;
    void TellSelectionChanged();
    void PressSelectedRowCells();
    void DrawCell(IGraphicsContext& context, CtrlTableColumn* column, int row, const VRect& cell,
                  bool selected);

    VFoundation::VRef<VFoundation::VObjectArrayTmpl<CtrlTableColumn>> m_columns;
    VFoundation::VRef<CtrlTableHeaderView> m_header;
    VFoundation::VRef<CtrlSlider> m_verticalSlider;
    VFoundation::VRef<CtrlSlider> m_horizontalSlider;
    ICtrlTableViewDataSource* m_dataSource = nullptr;
    ICtrlTableViewDelegate* m_delegate = nullptr;
    int m_rowHeight = kInitialRowHeight;
    int m_visibleRows = 1;
    int m_topRow = 0;
    int m_selectedRow = -1;
    int m_scrollX = 0;
    // The rows area below the header, left of the vertical scroll bar and above the horizontal one.
    VRect m_content;
};

} // namespace VCtrl
