#include "ctrl/CtrlListBox.h"

#include "ctrl/CtrlDrawing.h"
#include "ctrl/CtrlEvent.h"
#include "ctrl/CtrlListBoxStyle.h"
#include "ctrl/CtrlSlider.h"
#include "ctrl/CtrlSliderStyle.h"
#include "ctrl/IGraphicsContext.h"
#include "foundation/VClass.h"
#include "foundation/VData.h"
#include "foundation/VException.h"
#include "foundation/VFileManager.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace VCtrl {

using VFoundation::MakeRef;
using VFoundation::VRef;
using VFoundation::VString;

V_IMPLEMENT_CLASS(CtrlListBox, Ctrl)

namespace {

// Kept as a plain ARGB word: colour objects are counted by their class record and must not outlive the
// library as globals.
std::atomic<uint32_t> g_sharedDrawingColour{0xFFFFFFFFu};

enum : int32_t {
    kKeyPageUp = 33,
    kKeyPageDown = 34,
    kKeyEnd = 35,
    kKeyHome = 36,
    kKeyUp = 38,
    kKeyDown = 40
};

CtrlListBoxStyle* ListBoxStyle(CtrlStyle* style) {
    return style && style->IsKindOf(CtrlListBoxStyle::GetClassRecord())
               ? static_cast<CtrlListBoxStyle*>(style)
               : nullptr;
}

} // namespace

CtrlListBox::CtrlListBox(CtrlStyle* style, VFoundation::VClass* record)
    : Ctrl(style, record ? record : GetClassRecord()),
      m_rows(MakeRef<VFoundation::VObjectArrayTmpl<VString>>()) {
    CtrlListBoxStyle* listStyle = ListBoxStyle(style);
    m_scrollBar = MakeRef<CtrlSlider>(listStyle ? listStyle->GetSliderStyle() : nullptr);
    // The scroll bar belongs to the list box, not to a skin written from it.
    m_scrollBar->SetFlags(true, kFlagNotInSkin);
    m_scrollBar->Create(0, VRect{}, this, this);
    m_scrollBar->SetFlags(false, kFlagVisible);
}

CtrlListBox::~CtrlListBox() {
    if (m_scrollBar) m_scrollBar->SetListener(nullptr);
}

void CtrlListBox::SetSharedDrawingColour(const VColour& colour) {
    g_sharedDrawingColour.store(colour.GetARGB());
}

VColour CtrlListBox::GetSharedDrawingColour() {
    const uint32_t argb = g_sharedDrawingColour.load();
    return VColour(int((argb >> 16) & 0xFF), int((argb >> 8) & 0xFF), int(argb & 0xFF), int(argb >> 24));
}

void CtrlListBox::SetFrame(const VRect& frame) {
    Ctrl::SetFrame(frame);
    UpdateLayout();
}

void CtrlListBox::SetStyle(CtrlStyle* style) {
    Ctrl::SetStyle(style);
    CtrlListBoxStyle* listStyle = ListBoxStyle(style);
    if (m_scrollBar) m_scrollBar->SetStyle(listStyle ? listStyle->GetSliderStyle() : nullptr);
    UpdateScrollBar();
}

void CtrlListBox::SetRowHeight(int height) {
    m_rowHeight = std::max(1, height);
    UpdateLayout();
}

void CtrlListBox::UpdateLayout() {
    if (GetHeight() > 0) m_visibleRows = std::max(1, (GetHeight() - 2 * kFirstRowY) / m_rowHeight);
    if (m_scrollBar)
        m_scrollBar->SetFrame(
            VRect{GetWidth() - kScrollBarWidth, 0, kScrollBarWidth, std::max(0, GetHeight())});
    ScrollToRow(m_topRow);
}

int CtrlListBox::GetMaxTopRow() const {
    return std::max(0, GetRowCount() - m_visibleRows);
}

void CtrlListBox::UpdateScrollBar() {
    if (!m_scrollBar) return;
    const int count = GetRowCount();
    const int maxTop = GetMaxTopRow();
    const bool needed = maxTop > 0;
    CtrlStyle* sliderStyle = m_scrollBar->GetStyle();
    const bool autoHide = !sliderStyle || sliderStyle->HasFlags(CtrlSliderStyle::kOptAutoHide);
    m_scrollBar->SetFlags(needed || !autoHide, kFlagVisible);
    m_scrollBar->SetFlags(needed, kFlagEnabled);
    m_scrollBar->SetThumbProportion(count > 0 ? std::min(1.0, double(m_visibleRows) / count) : 1.0);
    m_scrollBar->SetStep(maxTop > 0 ? 1.0 / maxTop : 1.0);
    m_scrollBar->SetValue(maxTop > 0 ? double(m_topRow) / maxTop : 0.0);
}

void CtrlListBox::ScrollToRow(int top) {
    top = std::max(0, std::min(top, GetMaxTopRow()));
    const bool changed = top != m_topRow;
    m_topRow = top;
    UpdateScrollBar();
    if (changed) Redraw();
}

const VString& CtrlListBox::GetRowText(int row) const {
    VString* text = m_rows->GetObjectAtIndex(row);
    return text ? *text : VString::GetEmpty();
}

void CtrlListBox::AddRow(const char* text) {
    m_rows->AddObject(MakeRef<VString>(text ? text : "").Get());
    if (GetRowCount() > m_visibleRows)
        ScrollToRow(GetRowCount() - m_visibleRows);
    else
        UpdateScrollBar();
    Redraw();
}

void CtrlListBox::RemoveAllRows() {
    m_rows->RemoveAllObjects();
    m_topRow = 0;
    m_selectedRow = -1;
    UpdateScrollBar();
    if (m_scrollBar) m_scrollBar->SetValue(0.0);
    Redraw();
}

bool CtrlListBox::FillFromFile(const char* path) {
    if (!path) return false;
    // A pipe, a device or an outsized file is refused rather than waited on or read without end.
    VRef<VFoundation::VData> data;
    try {
        data = VFoundation::VFileManager::Instance()->ReadFileAtPath(
            path, VFoundation::VFileManager::kDocumentSizeLimit);
    } catch (const VFoundation::VException&) {
        return false;
    }
    if (!data) return false;
    RemoveAllRows();
    const char* next = reinterpret_cast<const char*>(data->GetBytes());
    const char* const end = next + data->GetLength();
    char buffer[kFileLineBuffer];
    // Takes the next piece of a line as fgets would: up to the line end or what the buffer holds.
    const auto readPiece = [&] {
        if (next == end) return false;
        size_t count = 0;
        while (next != end && count + 1 < sizeof buffer) {
            buffer[count++] = *next;
            if (*next++ == '\n') break;
        }
        buffer[count] = 0;
        return true;
    };
    // Whether the last piece read ended its line; a piece that did not was cut by the buffer's size.
    bool lineEnded = true;
    while (readPiece()) {
        size_t length = std::strlen(buffer);
        const bool endsLine = length > 0 && buffer[length - 1] == '\n';
        // A line that filled the buffer exactly leaves only its line end for the next read: that is not a
        // row of its own.
        const bool onlyLineEnd = std::strcmp(buffer, "\n") == 0 || std::strcmp(buffer, "\r\n") == 0;
        if (!lineEnded && onlyLineEnd) {
            lineEnded = true;
            continue;
        }
        lineEnded = endsLine;
        if (length > 0 && buffer[length - 1] == '\n') buffer[--length] = 0;
        if (length > 0 && buffer[length - 1] == '\r') buffer[--length] = 0;
        m_rows->AddObject(MakeRef<VString>(buffer).Get());
    }
    m_topRow = -1;
    ScrollToRow(0);
    Redraw();
    return true;
}

void CtrlListBox::SelectRow(int row, bool tellListener) {
    if (row >= GetRowCount()) row = GetRowCount() - 1;
    if (row < 0) {
        if (m_selectedRow != -1) {
            m_selectedRow = -1;
            Redraw();
        }
        return;
    }
    if (row == m_selectedRow) return;
    m_selectedRow = row;
    int top = m_topRow;
    if (row < top)
        top = row;
    else if (row > top + m_visibleRows - 2)
        top = row - m_visibleRows + 1;
    m_topRow = std::max(0, top);
    UpdateScrollBar();
    if (tellListener) SendEvent(CtrlEvent::kPressed);
    Redraw();
}

bool CtrlListBox::MouseDown(const VPoint& point, uint32_t) {
    if (!IsEnabled() || !IsVisible()) return false;
    if (point.y >= kFirstRowY && GetRowCount() > 0)
        SelectRow((point.y - kFirstRowY) / m_rowHeight + m_topRow, true);
    return true;
}

bool CtrlListBox::MouseWheel(const VPoint&, double steps, uint32_t) {
    if (!IsEnabled() || !IsVisible() || GetMaxTopRow() == 0) return false;
    ScrollToRow(m_topRow - int(std::lround(steps * 3)));
    return true;
}

bool CtrlListBox::KeyDown(int32_t key, uint32_t) {
    if (GetRowCount() == 0) return false;
    const int selected = m_selectedRow;
    switch (key) {
    case kKeyHome:
        SelectRow(0, true);
        return true;
    case kKeyEnd:
        SelectRow(GetRowCount() - 1, true);
        return true;
    case kKeyUp:
        SelectRow(std::max(0, selected - 1), true);
        return true;
    case kKeyDown:
        SelectRow(selected + 1, true);
        return true;
    case kKeyPageUp:
        SelectRow(std::max(0, selected - m_visibleRows + 1), true);
        return true;
    case kKeyPageDown:
        SelectRow(std::max(0, selected) + m_visibleRows - 1, true);
        return true;
    default:
        return false;
    }
}

void CtrlListBox::HandleCtrlEvent(const CtrlEvent& event) {
    if (event.GetCtrl() != m_scrollBar.Get() || event.GetType() != CtrlEvent::kPressed) return;
    ScrollToRow(int(std::lround(m_scrollBar->GetValue() * GetMaxTopRow())));
}

// Each row from the top row on takes as many lines as its text needs at the list's width; rows keep their
// texts (a description stays one row), only their drawing is broken into lines.
void CtrlListBox::DrawWrappedRows(IGraphicsContext& context, int rowWidth, const VColour& text,
                                  const VColour& fill) {
    const VColour colour = CtrlDrawing::ReadableTextColour(text, fill);
    int y = kFirstRowY;
    for (int row = m_topRow; row < GetRowCount() && y < GetHeight(); ++row)
        for (const VString& line : CtrlDrawing::WrapText(context, GetRowText(row).GetText(), rowWidth - 8)) {
            context.DrawTextInRect(4, 0, line.GetText(), colour, VRect{0, y, rowWidth, m_rowHeight});
            y += m_rowHeight;
        }
}

void CtrlListBox::Draw(IGraphicsContext& context) {
    CtrlStyle* style = GetStyle();
    if (!style || !style->HasFlags(CtrlStyle::kFlagNoDefaultDrawing)) {
        CtrlListBoxStyle* listStyle = ListBoxStyle(style);
        const VColour shared = GetSharedDrawingColour();
        const VColour fill = listStyle ? listStyle->GetFillColour(shared) : shared;
        const VColour text = listStyle ? listStyle->GetTextColour() : VColour(0, 0, 0);
        const VColour highlight = listStyle ? listStyle->GetHighlightColour() : VColour(127, 161, 208);
        const VColour border = listStyle ? listStyle->GetBorderColour() : VColour(0, 0, 0);
        const int width = GetWidth(), height = GetHeight();
        const int rowWidth = width - (m_scrollBar && m_scrollBar->IsVisible() ? kScrollBarWidth : 0);

        context.FillRectangle(0, 0, width, height, fill);
        context.SaveState();
        context.ClipRect(1, 1, rowWidth - 2, height - 2);
        if (style && style->GetFont()) context.SetFont(style->GetFont());
        if (m_wrapsRows) {
            DrawWrappedRows(context, rowWidth, text, fill);
            context.RestoreState();
            context.DrawRectangle(0, 0, rowWidth, height, border, IGraphicsContext::kDashSolid, 1.0);
            Ctrl::Draw(context);
            return;
        }
        const int last = std::min(GetRowCount(), m_topRow + m_visibleRows + 1);
        for (int row = m_topRow; row < last; ++row) {
            const VRect rect{0, kFirstRowY + (row - m_topRow) * m_rowHeight, rowWidth, m_rowHeight};
            VColour colour = text;
            if (row == m_selectedRow) {
                context.FillRectangle(1, rect.y, rowWidth - 2, rect.height, highlight);
                colour = CtrlDrawing::ReadableTextColour(text, highlight);
            } else {
                colour = CtrlDrawing::ReadableTextColour(text, fill);
            }
            if (m_ellipsizesRows)
                context.DrawTextInRect(
                    4, 0, CtrlDrawing::FitText(context, GetRowText(row).GetText(), rowWidth - 8).GetText(),
                    colour, rect);
            else
                context.DrawTextInRect(4, 0, GetRowText(row).GetText(), colour, rect);
        }
        context.RestoreState();
        context.DrawRectangle(0, 0, rowWidth, height, border, IGraphicsContext::kDashSolid, 1.0);
    }
    Ctrl::Draw(context);
}

} // namespace VCtrl
