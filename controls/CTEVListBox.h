// The "listbox" element: a list of entries carrying integer item data; its value is the
// selected entry's data.
#pragma once

#include "CTEVElement.h"

class CTEVListBox : public CTEVElement {
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

private:
    DWORD WindowStyle() const;

    int m_selection = 0; // "single", "multiple", "extended", "none"
    BOOL m_sort = FALSE;
    BOOL m_noIntegralHeight = TRUE;
};
