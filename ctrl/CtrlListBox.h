#pragma once

#include "ctrl/Ctrl.h"
#include "ctrl/ICtrlListener.h"
#include "ctrl/VColour.h"
#include "foundation/VObjectArrayTmpl.h"
#include "foundation/VRef.h"
#include "foundation/VString.h"

#include <cstdint>

namespace VCtrl {

class CtrlSlider;

// A list of text rows (documents, the licence, the install log, descriptions) with one selected row and
// a vertical scroll bar at its right edge when the rows do not fit.
//
// Layout: rows start at y = 2, one row height each (13 pixels unless changed); the visible row count
// (10 until the list box gets a frame) is the number of whole rows that fit in the height less 4.
//
// Selecting row r (SelectRow): r < 0 selects nothing; r at or past the row count becomes the last row;
// selecting the selected row does nothing more; otherwise the list scrolls to show r (the top row becomes
// r when r is above it, r - visible + 1 when r lies past top + visible - 2, never below 0), the scroll bar
// follows, the listener is told (event 9) when asked, and the list box is redrawn.
//
// The colours come from a CtrlListBoxStyle; without a style the rows are black, the selection red 127,
// green 161, blue 208, and the background the shared drawing colour that all list boxes use (opaque white
// until SetSharedDrawingColour changes it).
//
// Threads: like every control, a list box is used on the user-interface thread only; rows coming from
// another thread are posted to it (VApplication).
class CtrlListBox : public Ctrl, public ICtrlListener {
    V_DECLARE_CLASS(CtrlListBox)
public:
    bool AcceptsKeyboardFocus() const override { return true; }
    static constexpr int kInitialVisibleRows = 10;
    static constexpr int kInitialRowHeight = 13;
    static constexpr int kFirstRowY = 2;
    static constexpr int kScrollBarWidth = 12;
    // Bytes read at a time by FillFromFile: a longer line becomes several rows.
    static constexpr int kFileLineBuffer = 1024;

    explicit CtrlListBox(CtrlStyle* style = nullptr, VFoundation::VClass* record = nullptr);
    ~CtrlListBox() override;

    // A press at y >= 2 selects row (y - 2) / row height + top row and tells the listener.
    bool MouseDown(const VPoint& point, uint32_t modifiers) override;
    // Three rows per wheel step.
    bool MouseWheel(const VPoint& point, double steps, uint32_t modifiers) override;
    // Up, Down, Home, End, Page Up and Page Down move the selection (telling the listener).
    bool KeyDown(int32_t key, uint32_t modifiers) override;
    void Draw(IGraphicsContext& context) override;
    void SetFrame(const VRect& frame) override;
    void SetStyle(CtrlStyle* style) override;
    // The scroll bar's moves.
    void HandleCtrlEvent(const CtrlEvent& event) override;

    // Appends a row; when the rows no longer fit, scrolls so that the last row is visible.
    void AddRow(const char* text);
    // Rows wider than the list: drawn on as many lines as they need, broken at blanks (descriptions; rows
    // stay rows, no selection is drawn), or drawn ending in "..." (log rows). Both off by default.
    void SetWrapsRows(bool on) { m_wrapsRows = on; }
    void SetEllipsizesRows(bool on) { m_ellipsizesRows = on; }
    // Removes all rows, scrolls back to the top row 0, selects nothing and resets the scroll bar.
    void RemoveAllRows();
    // Reads the text file at path line by line (kFileLineBuffer bytes at a time) into the list, one row
    // per line without its line feed and then carriage return, and scrolls to the top. False, with the
    // list unchanged, when the file cannot be opened.
    bool FillFromFile(const char* path);
    void SelectRow(int row, bool tellListener);
    int GetSelectedRow() const { return m_selectedRow; }
    // Shows top as the first row, cut to 0 .. row count - visible rows.
    void ScrollToRow(int top);
    int GetTopRow() const { return m_topRow; }
    int GetRowCount() const { return m_rows->GetCount(); }
    // The row's text, "" outside the rows.
    const VFoundation::VString& GetRowText(int row) const;
    int GetVisibleRowCount() const { return m_visibleRows; }
    int GetRowHeight() const { return m_rowHeight; }
    // Changes the row height (at least 1) and the visible row count with it.
    void SetRowHeight(int height);
    CtrlSlider* GetScrollBar() const { return m_scrollBar.Get(); }

    // The background of every list box whose style gives no "colFill".
    static void SetSharedDrawingColour(const VColour& colour);
    static VColour GetSharedDrawingColour();

private:
    void UpdateLayout();
    void DrawWrappedRows(IGraphicsContext& context, int rowWidth, const VColour& text, const VColour& fill);
    void UpdateScrollBar();
    int GetMaxTopRow() const;

    VFoundation::VRef<VFoundation::VObjectArrayTmpl<VFoundation::VString>> m_rows;
    VFoundation::VRef<CtrlSlider> m_scrollBar;
    int m_selectedRow = -1;
    int m_topRow = 0;
    int m_visibleRows = kInitialVisibleRows;
    int m_rowHeight = kInitialRowHeight;
    bool m_wrapsRows = false;
    bool m_ellipsizesRows = false;
};

} // namespace VCtrl
