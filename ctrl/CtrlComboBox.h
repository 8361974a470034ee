#pragma once

#include "ctrl/Ctrl.h"
#include "ctrl/VColour.h"
#include "foundation/VRef.h"
#include "foundation/VString.h"

#include <cstdint>
#include <vector>

namespace VCtrl {

// A drop-down choice (the install size chooser): items of a text, a data word and a text colour, one of
// them selected (index -1 when none). The closed box shows the selected item; a press opens the item list
// over the top of the control tree, and choosing an item there selects it, closes the list and sends event
// 9 (CtrlEvent::kPressed) to the listener. Up and Down choose the neighbouring item the same way.
// SelectItem from code sends nothing.
//
// The colours come from a CtrlListBoxStyle when the combo box has one (text, highlight, border, fill);
// otherwise black text on white with the list boxes' highlight.
class CtrlComboBox : public Ctrl {
    V_DECLARE_CLASS(CtrlComboBox)
public:
    bool AcceptsKeyboardFocus() const override { return true; }
    static constexpr int kItemHeight = 16;

    explicit CtrlComboBox(CtrlStyle* style = nullptr, VFoundation::VClass* record = nullptr);
    ~CtrlComboBox() override;

    bool MouseDown(const VPoint& point, uint32_t modifiers) override;
    bool KeyDown(int32_t key, uint32_t modifiers) override;
    void Draw(IGraphicsContext& context) override;

    // Appends an item; returns its index.
    int AddItem(const char* text, int32_t data = 0, const VColour& colour = VColour(0, 0, 0));
    void RemoveAllItems();
    int GetItemCount() const { return int(m_items.size()); }
    // "" and 0 outside the items.
    const VFoundation::VString& GetItemText(int index) const;
    int32_t GetItemData(int index) const;
    // Selects index (any value outside the items selects nothing); redraws; sends no event.
    void SelectItem(int index);
    int GetSelectedIndex() const { return m_selected; }

    // The open list: shows it (over the top control of the tree) or closes it.
    void OpenList();
    void CloseList();
    bool IsListOpen() const { return m_popup.Get() != nullptr; }
    // The user chose index in the open list (or by key): selects it, closes the list, sends event 9.
    void ChooseItem(int index);

private:
    class Popup;
    friend class Popup;
    struct Item {
        VFoundation::VString text;
        int32_t data;
        VColour colour;
    };

    std::vector<Item> m_items;
    int m_selected = -1;
    VFoundation::VRef<Ctrl> m_popup;
};

} // namespace VCtrl
