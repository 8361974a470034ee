#include "ctrl/CtrlTableView.h"

#include "ctrl/CtrlDrawing.h"
#include "ctrl/CtrlEvent.h"
#include "ctrl/CtrlSlider.h"
#include "ctrl/CtrlSliderStyle.h"
#include "ctrl/CtrlTableColumn.h"
#include "ctrl/CtrlTableHeaderView.h"
#include "ctrl/CtrlTableViewStyle.h"
#include "ctrl/ICtrlTableCell.h"
#include "ctrl/ICtrlTableViewDataSource.h"
#include "ctrl/ICtrlTableViewDelegate.h"
#include "ctrl/IGraphicsContext.h"
#include "foundation/VClass.h"
#include "foundation/VImage.h"
#include "foundation/VString.h"

#include <algorithm>
#include <cmath>

namespace VCtrl {

using VFoundation::MakeRef;
using VFoundation::VImage;
using VFoundation::VObject;
using VFoundation::VString;

V_IMPLEMENT_CLASS(CtrlTableView, Ctrl)

namespace {

enum : int32_t {
    kKeyPageUp = 33,
    kKeyPageDown = 34,
    kKeyEnd = 35,
    kKeyHome = 36,
    kKeyUp = 38,
    kKeyDown = 40,
    kKeySpace = 32,
    kKeyC = 67,
    kKeyV = 86,
    kKeyX = 88,
};

CtrlTableViewStyle* TableStyle(CtrlStyle* style) {
    return style && style->IsKindOf(CtrlTableViewStyle::GetClassRecord())
               ? static_cast<CtrlTableViewStyle*>(style)
               : nullptr;
}

CtrlListBoxStyle* ListStyle(CtrlStyle* style) {
    return style && style->IsKindOf(CtrlListBoxStyle::GetClassRecord())
               ? static_cast<CtrlListBoxStyle*>(style)
               : nullptr;
}

bool AutoHides(const CtrlSlider* slider) {
    CtrlStyle* style = slider->GetStyle();
    return !style || style->HasFlags(CtrlSliderStyle::kOptAutoHide);
}

} // namespace

CtrlTableView::CtrlTableView(CtrlStyle* style, VFoundation::VClass* record)
    : Ctrl(style, record ? record : GetClassRecord()),
      m_columns(MakeRef<VFoundation::VObjectArrayTmpl<CtrlTableColumn>>()) {
    CtrlTableViewStyle* tableStyle = TableStyle(style);
    m_header = MakeRef<CtrlTableHeaderView>();
    m_verticalSlider = MakeRef<CtrlSlider>(tableStyle ? tableStyle->GetSubStyle(0) : nullptr);
    m_horizontalSlider = MakeRef<CtrlSlider>(tableStyle ? tableStyle->GetSubStyle(1) : nullptr);
    // The parts belong to the table, not to a skin written from it.
    m_header->SetFlags(true, kFlagNotInSkin);
    m_verticalSlider->SetFlags(true, kFlagNotInSkin);
    m_horizontalSlider->SetFlags(true, kFlagNotInSkin);
    m_header->Create(0, VRect{}, this, nullptr);
    m_verticalSlider->Create(1, VRect{}, this, this);
    m_horizontalSlider->Create(2, VRect{}, this, this);
    UpdateLayout();
}

CtrlTableView::~CtrlTableView() {
    if (m_verticalSlider) m_verticalSlider->SetListener(nullptr);
    if (m_horizontalSlider) m_horizontalSlider->SetListener(nullptr);
}

void CtrlTableView::SetFrame(const VRect& frame) {
    Ctrl::SetFrame(frame);
    UpdateLayout();
}

void CtrlTableView::SetStyle(CtrlStyle* style) {
    Ctrl::SetStyle(style);
    CtrlTableViewStyle* tableStyle = TableStyle(style);
    if (m_verticalSlider) m_verticalSlider->SetStyle(tableStyle ? tableStyle->GetSubStyle(0) : nullptr);
    if (m_horizontalSlider) m_horizontalSlider->SetStyle(tableStyle ? tableStyle->GetSubStyle(1) : nullptr);
    UpdateLayout();
}

void CtrlTableView::SetDataSource(ICtrlTableViewDataSource* dataSource) {
    m_dataSource = dataSource;
    ReloadData();
}

void CtrlTableView::AddColumn(CtrlTableColumn* column) {
    if (!column || m_columns->ContainsObject(column)) return;
    m_columns->AddObject(column);
    column->Create(column->GetId(), VRect{}, m_header.Get(), nullptr);
    UpdateLayout();
    Redraw();
}

int CtrlTableView::GetColumnCount() const {
    return m_columns->GetCount();
}

CtrlTableColumn* CtrlTableView::GetColumnAtIndex(int index) const {
    return m_columns->GetObjectAtIndex(index);
}

CtrlTableColumn* CtrlTableView::FindColumn(const char* identifier) const {
    for (CtrlTableColumn* column : *m_columns)
        if (column && column->GetIdentifier().IsEqual(identifier ? identifier : "")) return column;
    return nullptr;
}

CtrlTableColumn* CtrlTableView::GetColumnAtX(int x) const {
    int left = m_content.x - m_scrollX;
    for (CtrlTableColumn* column : *m_columns) {
        if (!column) continue;
        if (x >= left && x < left + column->GetColumnWidth()) return column;
        left += column->GetColumnWidth();
    }
    return nullptr;
}

int CtrlTableView::GetRowCount() const {
    return m_dataSource ? std::max(0, m_dataSource->GetRowCount(const_cast<CtrlTableView*>(this))) : 0;
}

int CtrlTableView::GetColumnsWidth() const {
    int width = 0;
    for (CtrlTableColumn* column : *m_columns)
        if (column) width += column->GetColumnWidth();
    return width;
}

int CtrlTableView::GetMaxTopRow() const {
    return std::max(0, GetRowCount() - m_visibleRows);
}

int CtrlTableView::GetMaxScrollX() const {
    return std::max(0, GetColumnsWidth() - m_content.width);
}

void CtrlTableView::SetRowHeight(int height) {
    m_rowHeight = std::max(1, height);
    UpdateLayout();
    Redraw();
}

void CtrlTableView::ReloadData() {
    UpdateLayout();
    Redraw();
}

void CtrlTableView::UpdateLayout() {
    if (!m_header) return;
    const int width = std::max(0, GetWidth()), height = std::max(0, GetHeight());
    const int rows = GetRowCount();
    const int columnsWidth = GetColumnsWidth();
    const int bodyHeight = std::max(0, height - kHeaderHeight);
    // Each scroll bar takes room from the other direction, so whether one is needed can depend on the other.
    bool vertical = false, horizontal = false;
    for (int pass = 0; pass < 2; ++pass) {
        const int contentWidth = width - (vertical ? kScrollBarWidth : 0);
        const int contentHeight = bodyHeight - (horizontal ? kScrollBarWidth : 0);
        vertical = rows > std::max(1, contentHeight / m_rowHeight);
        horizontal = columnsWidth > contentWidth;
    }
    const bool showVertical = vertical || !AutoHides(m_verticalSlider.Get());
    const bool showHorizontal = horizontal || !AutoHides(m_horizontalSlider.Get());
    m_content = VRect{0, kHeaderHeight, std::max(0, width - (showVertical ? kScrollBarWidth : 0)),
                      std::max(0, bodyHeight - (showHorizontal ? kScrollBarWidth : 0))};
    m_visibleRows = std::max(1, m_content.height / m_rowHeight);

    m_verticalSlider->SetFlags(showVertical, kFlagVisible);
    m_horizontalSlider->SetFlags(showHorizontal, kFlagVisible);
    m_verticalSlider->SetFrame(
        VRect{width - kScrollBarWidth, kHeaderHeight, kScrollBarWidth, m_content.height});
    m_horizontalSlider->SetFrame(VRect{0, height - kScrollBarWidth, m_content.width, kScrollBarWidth});

    m_topRow = std::max(0, std::min(m_topRow, GetMaxTopRow()));
    m_scrollX = std::max(0, std::min(m_scrollX, GetMaxScrollX()));
    const int maxTop = GetMaxTopRow(), maxScrollX = GetMaxScrollX();
    m_verticalSlider->SetFlags(maxTop > 0, kFlagEnabled);
    m_verticalSlider->SetThumbProportion(rows > 0 ? std::min(1.0, double(m_visibleRows) / rows) : 1.0);
    m_verticalSlider->SetStep(maxTop > 0 ? 1.0 / maxTop : 1.0);
    m_verticalSlider->SetValue(maxTop > 0 ? double(m_topRow) / maxTop : 0.0);
    m_horizontalSlider->SetFlags(maxScrollX > 0, kFlagEnabled);
    m_horizontalSlider->SetThumbProportion(
        columnsWidth > 0 ? std::min(1.0, double(m_content.width) / columnsWidth) : 1.0);
    m_horizontalSlider->SetStep(maxScrollX > 0 ? std::min(1.0, 20.0 / maxScrollX) : 1.0);
    m_horizontalSlider->SetValue(maxScrollX > 0 ? double(m_scrollX) / maxScrollX : 0.0);

    m_header->SetFrame(VRect{0, 0, m_content.width, kHeaderHeight});
    int left = -m_scrollX;
    for (CtrlTableColumn* column : *m_columns) {
        if (!column) continue;
        column->SetFrame(VRect{left, 0, column->GetColumnWidth(), kHeaderHeight});
        left += column->GetColumnWidth();
    }
}

void CtrlTableView::TellSelectionChanged() {
    if (m_delegate) m_delegate->SelectionChanged(this);
}

void CtrlTableView::ScrollToRow(int top) {
    const int largest = GetRowCount() - m_visibleRows;
    top = std::min(top, largest);
    top = std::max(top, 0);
    m_topRow = top;
    m_verticalSlider->SetValue(largest > 0 ? double(top) / largest : 0.0);
    Redraw();
}

void CtrlTableView::SelectRow(int row) {
    row = std::min(row, GetRowCount() - 1);
    row = std::max(row, 0);
    m_selectedRow = row;
    if (row >= m_topRow && row < m_topRow + m_visibleRows)
        Redraw();
    else if (row >= m_topRow + m_visibleRows)
        ScrollToRow(row - m_visibleRows + 1);
    else
        ScrollToRow(row);
    TellSelectionChanged();
}

bool CtrlTableView::MouseDown(const VPoint& point, uint32_t) {
    if (!IsEnabled() || !IsVisible()) return false;
    // Presses on the header and the scroll bars reach those controls; here only the rows are left.
    if (point.y < kHeaderHeight) return true;
    const int row = (point.y - kHeaderHeight) / m_rowHeight + m_topRow;
    CtrlTableColumn* column = GetColumnAtX(point.x);
    if (column && column->GetFlag() && m_delegate && m_dataSource &&
        m_delegate->CanPressCell(this, column, row)) {
        m_dataSource->CellPressed(this, column, row);
        Redraw();
        return true;
    }
    if (row != m_selectedRow) {
        m_selectedRow = row;
        Redraw();
        TellSelectionChanged();
    }
    return true;
}

bool CtrlTableView::MouseUp(const VPoint&, uint32_t) {
    return IsEnabled() && IsVisible();
}

bool CtrlTableView::MouseWheel(const VPoint&, double steps, uint32_t) {
    if (!IsEnabled() || !IsVisible() || GetMaxTopRow() == 0) return false;
    ScrollToRow(m_topRow - int(std::lround(steps * 3)));
    return true;
}

bool CtrlTableView::KeyDown(int32_t key, uint32_t modifiers) {
    if (modifiers & kModifierControl) {
        if (key == kKeyX || key == kKeyC || key == kKeyV) {
            if (m_delegate) {
                if (key == kKeyX)
                    m_delegate->CutRows(this);
                else if (key == kKeyC)
                    m_delegate->CopyRows(this);
                else
                    m_delegate->PasteRows(this);
            }
            return true;
        }
    }
    switch (key) {
    case kKeyHome:
        SelectRow(0);
        return true;
    case kKeyEnd:
        SelectRow(GetRowCount() - 1);
        return true;
    case kKeyUp:
        SelectRow(m_selectedRow - 1);
        return true;
    case kKeyDown:
        SelectRow(m_selectedRow + 1);
        return true;
    case kKeyPageUp:
        ScrollToRow(m_topRow - m_visibleRows + 1);
        SelectRow(m_topRow);
        return true;
    case kKeyPageDown:
        ScrollToRow(m_topRow + m_visibleRows - 1);
        SelectRow(m_topRow + m_visibleRows - 1);
        return true;
    case kKeySpace:
        PressSelectedRowCells();
        return true;
    default:
        return false;
    }
}

// Space does to the selected row what a click does to its pressable cells (a check box column flips).
void CtrlTableView::PressSelectedRowCells() {
    if (!m_dataSource || !m_delegate || m_selectedRow < 0 || m_selectedRow >= GetRowCount()) return;
    for (CtrlTableColumn* column : *m_columns)
        if (m_delegate->CanPressCell(this, column, m_selectedRow))
            m_dataSource->CellPressed(this, column, m_selectedRow);
    Redraw();
}

void CtrlTableView::HandleCtrlEvent(const CtrlEvent& event) {
    if (event.GetType() != CtrlEvent::kPressed) return;
    if (event.GetCtrl() == m_verticalSlider.Get()) {
        ScrollToRow(int(std::lround(m_verticalSlider->GetValue() * GetMaxTopRow())));
    } else if (event.GetCtrl() == m_horizontalSlider.Get()) {
        m_scrollX = int(std::lround(m_horizontalSlider->GetValue() * GetMaxScrollX()));
        UpdateLayout();
        Redraw();
    }
}

void CtrlTableView::DrawCell(IGraphicsContext& context, CtrlTableColumn* column, int row, const VRect& cell,
                             bool selected) {
    VObject* value = m_dataSource->GetCellValue(this, column, row);
    if (!value) return;
    if (auto* cellControl = dynamic_cast<ICtrlTableCell*>(column->GetDataCell())) {
        cellControl->DrawCell(context, cell, value, selected);
        return;
    }
    if (value->IsKindOf(VImage::GetClassRecord())) {
        const auto* image = static_cast<const VImage*>(value);
        if (!image->HasBitmap()) return;
        const int w = std::min(image->GetWidth(), cell.width), h = std::min(image->GetHeight(), cell.height);
        CtrlDrawing::DrawImageInRect(
            context, image, VRect{cell.x + (cell.width - w) / 2, cell.y + (cell.height - h) / 2, w, h});
    } else if (value->IsKindOf(VString::GetClassRecord())) {
        CtrlListBoxStyle* listStyle = ListStyle(GetStyle());
        const VColour text = listStyle ? listStyle->GetTextColour() : VColour(0, 0, 0);
        const VColour back = selected ? (listStyle ? listStyle->GetHighlightColour() : VColour(127, 161, 208))
                                      : (listStyle ? listStyle->GetFillColour(VColour(255, 255, 255))
                                                   : VColour(255, 255, 255));
        CtrlDrawing::DrawAlignedText(context, cell, static_cast<const VString*>(value)->GetText(),
                                     CtrlDrawing::ReadableTextColour(text, back), CtrlDrawing::Align::kLeft,
                                     3, GetStyle() ? GetStyle()->GetFont() : nullptr);
    }
}

void CtrlTableView::Draw(IGraphicsContext& context) {
    // The data source may have changed its rows since the last layout.
    UpdateLayout();
    CtrlStyle* style = GetStyle();
    if (!style || !style->HasFlags(CtrlStyle::kFlagNoDefaultDrawing)) {
        CtrlListBoxStyle* listStyle = ListStyle(style);
        const VColour fill =
            listStyle ? listStyle->GetFillColour(VColour(255, 255, 255)) : VColour(255, 255, 255);
        const VColour highlight = listStyle ? listStyle->GetHighlightColour() : VColour(127, 161, 208);
        const bool grid = style && style->HasFlags(CtrlTableViewStyle::kOptGridLines);
        const VColour gridColour(200, 200, 200);
        context.FillRectangle(0, 0, GetWidth(), GetHeight(), fill);

        context.SaveState();
        context.ClipRect(m_content.x, m_content.y, m_content.width, m_content.height);
        const int rows = GetRowCount();
        const int last = std::min(rows, m_topRow + m_visibleRows + 1);
        const int columnsRight = m_content.x - m_scrollX + GetColumnsWidth();
        for (int row = m_topRow; row < last; ++row) {
            const int y = m_content.y + (row - m_topRow) * m_rowHeight;
            const bool selected = row == m_selectedRow;
            if (selected) context.FillRectangle(m_content.x, y, m_content.width, m_rowHeight, highlight);
            int left = m_content.x - m_scrollX;
            for (CtrlTableColumn* column : *m_columns) {
                if (!column) continue;
                const VRect cell{left, y, column->GetColumnWidth(), m_rowHeight};
                left += column->GetColumnWidth();
                if (m_dataSource && cell.x + cell.width > m_content.x &&
                    cell.x < m_content.x + m_content.width)
                    DrawCell(context, column, row, cell, selected);
            }
            if (grid)
                context.DrawLine(m_content.x, y + m_rowHeight - 1,
                                 std::min(columnsRight, m_content.width) - 1, y + m_rowHeight - 1, gridColour,
                                 IGraphicsContext::kDashSolid, 1.0);
        }
        if (grid) {
            const int bottom = m_content.y + std::min(m_content.height, (last - m_topRow) * m_rowHeight);
            int left = m_content.x - m_scrollX;
            for (CtrlTableColumn* column : *m_columns) {
                if (!column) continue;
                left += column->GetColumnWidth();
                if (bottom > m_content.y)
                    context.DrawLine(left - 1, m_content.y, left - 1, bottom - 1, gridColour,
                                     IGraphicsContext::kDashSolid, 1.0);
            }
        }
        context.RestoreState();
    }
    Ctrl::Draw(context);
    if (!style || !style->HasFlags(CtrlStyle::kFlagNoDefaultDrawing)) {
        CtrlListBoxStyle* listStyle = ListStyle(style);
        context.DrawRectangle(0, 0, GetWidth(), GetHeight(),
                              listStyle ? listStyle->GetBorderColour() : VColour(0, 0, 0),
                              IGraphicsContext::kDashSolid, 1.0);
    }
}

} // namespace VCtrl
