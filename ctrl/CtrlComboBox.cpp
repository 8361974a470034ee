#include "ctrl/CtrlComboBox.h"

#include "ctrl/CtrlDrawing.h"
#include "ctrl/CtrlEvent.h"
#include "ctrl/CtrlListBoxStyle.h"
#include "ctrl/IGraphicsContext.h"
#include "foundation/VClass.h"

#include <algorithm>

namespace VCtrl {

using VFoundation::VRef;
using VFoundation::VString;

V_IMPLEMENT_CLASS(CtrlComboBox, Ctrl)

namespace {

enum : int32_t { kKeyUp = 38, kKeyDown = 40 };

struct ComboColours {
    VColour text{0, 0, 0};
    VColour highlight{127, 161, 208};
    VColour border{0, 0, 0};
    VColour fill{255, 255, 255};
};

ComboColours ColoursOf(CtrlStyle* style) {
    ComboColours colours;
    if (style && style->IsKindOf(CtrlListBoxStyle::GetClassRecord())) {
        auto* listStyle = static_cast<CtrlListBoxStyle*>(style);
        colours.text = listStyle->GetTextColour();
        colours.highlight = listStyle->GetHighlightColour();
        colours.border = listStyle->GetBorderColour();
        colours.fill = listStyle->GetFillColour(colours.fill);
    }
    return colours;
}

} // namespace

// The open item list. It covers the whole top control (above everything else) so that a press anywhere
// reaches it: a press on an item chooses it, a press elsewhere closes the list.
class CtrlComboBox::Popup : public Ctrl {
    V_DECLARE_CLASS(Popup)
public:
    Popup(CtrlComboBox* owner, const VRect& listFrame)
        : Ctrl(nullptr, GetClassRecord()), m_owner(owner), m_list(listFrame) {
        SetZOrder(kHighestZOrder);
        SetFlags(true, kFlagNotInSkin);
    }

    bool MouseDown(const VPoint& point, uint32_t) override {
        CtrlComboBox* owner = m_owner;
        if (m_list.Contains(point.x, point.y) && point.y - m_list.y >= 1) {
            const int index = (point.y - m_list.y - 1) / kItemHeight;
            if (index < owner->GetItemCount()) {
                owner->ChooseItem(index);
                return true;
            }
        }
        owner->CloseList();
        return true;
    }
    bool MouseUp(const VPoint&, uint32_t) override { return true; }

    void Draw(IGraphicsContext& context) override {
        const ComboColours colours = ColoursOf(m_owner->GetStyle());
        context.FillRectangle(m_list.x, m_list.y, m_list.width, m_list.height, colours.fill);
        for (int i = 0; i < m_owner->GetItemCount(); ++i) {
            const VRect row{m_list.x + 1, m_list.y + 1 + i * kItemHeight, m_list.width - 2, kItemHeight};
            VColour colour = m_owner->m_items[size_t(i)].colour;
            if (i == m_owner->m_selected) {
                context.FillRectangle(row.x, row.y, row.width, row.height, colours.highlight);
                colour = CtrlDrawing::ReadableTextColour(colour, colours.highlight);
            }
            CtrlDrawing::DrawAlignedText(context, row, m_owner->m_items[size_t(i)].text.GetText(), colour,
                                         CtrlDrawing::Align::kLeft, 3);
        }
        context.DrawRectangle(m_list.x, m_list.y, m_list.width, m_list.height, colours.border,
                              IGraphicsContext::kDashSolid, 1.0);
    }

    void Detach() { m_owner = nullptr; }

private:
    CtrlComboBox* m_owner;
    VRect m_list;
};

V_IMPLEMENT_ABSTRACT_CLASS(CtrlComboBox::Popup, Ctrl)

CtrlComboBox::CtrlComboBox(CtrlStyle* style, VFoundation::VClass* record)
    : Ctrl(style, record ? record : GetClassRecord()) {}

CtrlComboBox::~CtrlComboBox() {
    CloseList();
}

int CtrlComboBox::AddItem(const char* text, int32_t data, const VColour& colour) {
    m_items.push_back(Item{VString(text ? text : ""), data, colour});
    return int(m_items.size()) - 1;
}

void CtrlComboBox::RemoveAllItems() {
    CloseList();
    m_items.clear();
    m_selected = -1;
    Redraw();
}

const VString& CtrlComboBox::GetItemText(int index) const {
    return index >= 0 && index < GetItemCount() ? m_items[size_t(index)].text : VString::GetEmpty();
}

int32_t CtrlComboBox::GetItemData(int index) const {
    return index >= 0 && index < GetItemCount() ? m_items[size_t(index)].data : 0;
}

void CtrlComboBox::SelectItem(int index) {
    if (index < 0 || index >= GetItemCount()) index = -1;
    if (index == m_selected) return;
    m_selected = index;
    Redraw();
}

void CtrlComboBox::ChooseItem(int index) {
    CloseList();
    if (index < 0 || index >= GetItemCount()) return;
    SelectItem(index);
    SendEvent(CtrlEvent::kPressed);
}

void CtrlComboBox::OpenList() {
    if (IsListOpen() || GetItemCount() == 0) return;
    Ctrl* top = GetTopControl();
    if (top == this) return;
    // Below the box when the items fit there, else above it; positions are relative to the top control.
    const int listHeight = GetItemCount() * kItemHeight + 2;
    const int x = GetAbsoluteX() - top->GetAbsoluteX();
    int y = GetAbsoluteY() - top->GetAbsoluteY() + GetHeight();
    if (y + listHeight > top->GetHeight()) y = std::max(0, GetAbsoluteY() - top->GetAbsoluteY() - listHeight);
    auto popup = VRef<Popup>::Adopt(new Popup(this, VRect{x, y, std::max(GetWidth(), 40), listHeight}));
    popup->Create(0, VRect{0, 0, top->GetWidth(), top->GetHeight()}, top, nullptr);
    m_popup = popup;
    m_popup->Redraw();
}

void CtrlComboBox::CloseList() {
    VRef<Ctrl> popup = std::move(m_popup);
    if (!popup) return;
    static_cast<Popup*>(popup.Get())->Detach();
    popup->Redraw();
    popup->SetParent(nullptr);
}

bool CtrlComboBox::MouseDown(const VPoint&, uint32_t) {
    if (!IsEnabled() || !IsVisible()) return false;
    if (IsListOpen())
        CloseList();
    else
        OpenList();
    return true;
}

bool CtrlComboBox::KeyDown(int32_t key, uint32_t) {
    if (key == kKeyUp && m_selected > 0) {
        ChooseItem(m_selected - 1);
        return true;
    }
    if (key == kKeyDown && m_selected + 1 < GetItemCount()) {
        ChooseItem(m_selected + 1);
        return true;
    }
    return false;
}

void CtrlComboBox::Draw(IGraphicsContext& context) {
    CtrlStyle* style = GetStyle();
    if (!style || !style->HasFlags(CtrlStyle::kFlagNoDefaultDrawing)) {
        const ComboColours colours = ColoursOf(style);
        const int width = GetWidth(), height = GetHeight();
        context.FillRectangle(0, 0, width, height, colours.fill);
        const int arrowWidth = std::min(width, height);
        if (m_selected >= 0)
            CtrlDrawing::DrawAlignedText(context, VRect{0, 0, width - arrowWidth, height},
                                         m_items[size_t(m_selected)].text.GetText(),
                                         m_items[size_t(m_selected)].colour, CtrlDrawing::Align::kLeft, 3,
                                         style ? style->GetFont() : nullptr);
        // The drop-down arrow.
        const int cx = width - arrowWidth / 2, cy = height / 2;
        const VPoint arrow[3] = {{cx - 4, cy - 2}, {cx + 4, cy - 2}, {cx, cy + 3}};
        context.FillPolygon(arrow, 3, colours.text);
        context.DrawRectangle(0, 0, width, height, colours.border, IGraphicsContext::kDashSolid, 1.0);
    }
    Ctrl::Draw(context);
}

} // namespace VCtrl
