// The "listitem" element, an entry of a combo box or list box, and the entry operations the
// two controls share: entries with an integer item data, found and selected by that data.
#pragma once

#include "CTEVElement.h"
#include "TextRoom.h"

#include <functional>

class CTEVListItem : public CTEVElement {
public:
    using CTEVElement::CTEVElement;
    ~CTEVListItem() override;

    BOOL IsKindOf(const wchar_t* tag, CTEVElement** out) override;
    BOOL LoadFromNode(IXMLDOMNode* node) override;

    const wchar_t* Label() const { return CStrOrNull(m_label); }
    int Value() const { return m_value; }

private:
    OptString m_label;
    int m_value = 0;
};

// The messages by which a combo box or a list box manages its entries.
struct EntryMessages {
    UINT addString;
    UINT setItemData;
    UINT getItemData;
    UINT getCount;
    UINT getCurSel;
    UINT setCurSel;
};

extern const EntryMessages kComboBoxEntries;
extern const EntryMessages kListBoxEntries;

// Adds the text (null: an empty entry) and attaches data to wherever the control put it.
// Answers the entry's index, or -1.
int AddEntry(HWND control, const EntryMessages& messages, int data, const wchar_t* text);
// The item data of the selected entry, or -1 when nothing is selected.
int SelectedEntryData(HWND control, const EntryMessages& messages);
// Selects the first entry, in the control's order, whose item data is data; false when none has it.
bool SelectEntryWithData(HWND control, const EntryMessages& messages, int data);

// The room each "listitem" child's label takes drawn as an entry (by ExtTextOut, without prefixes),
// starting textLeft pixels from the control's left edge and clipped textRightMargin pixels before its
// right one; given is the control's client size. dc measures.
std::vector<ItemTextRoom> EntryTextRooms(const std::vector<std::unique_ptr<CTEVElement>>& children, HDC dc,
                                         HFONT font, int textLeft, int textRightMargin, SIZE given);

// Adds the entries of the "listitem" children, in order, and measures their labels: answers
// the widest label's width and the sum of the labels' heights.
SIZE AddListItemEntries(HWND control, const EntryMessages& messages,
                        const std::vector<std::unique_ptr<CTEVElement>>& children,
                        const std::function<SIZE(const wchar_t*)>& measure);
