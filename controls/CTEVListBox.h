// The "listbox" element: a list of entries carrying integer item data; its value is the
// selected entry's data.
#pragma once

#include "CTEVElement.h"
#include "TextRoom.h"

class CTEVListBox : public CTEVElement, public IItemTextRooms {
public:
    using CTEVElement::CTEVElement;
    ~CTEVListBox() override;

    BOOL IsKindOf(const wchar_t* tag, CTEVElement** out) override;
    BOOL LoadFromNode(IXMLDOMNode* node) override;
    void Create() override;
    BOOL HandleCommand(int code, int id, HWND control) override;
    // Selects the first entry whose item data is value (none: the selection stays).
    void SetValue(int value) override;
    // The selected entry's item data, or -1 without a selection.
    int GetValue() override;

    void AddItem(int data, const wchar_t* text);

    std::vector<ItemTextRoom> MeasureItemTextRooms() override;

private:
    DWORD WindowStyle() const;
    // The client area the entries are drawn in, figured from the placed rectangle without a window.
    SIZE EntriesArea() const;

    int m_selection = 0; // "single", "multiple", "extended", "none"
    BOOL m_sort = FALSE;
    BOOL m_noIntegralHeight = TRUE;
};
