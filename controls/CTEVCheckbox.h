// The "checkbox" element: a two- or three-state check box whose clicks fire "changed".
#pragma once

#include "CTEVElement.h"

class CTEVCheckbox : public CTEVElement {
public:
    using CTEVElement::CTEVElement;

    BOOL IsKindOf(const wchar_t* tag, CTEVElement** out) override;
    BOOL LoadFromNode(IXMLDOMNode* node) override;
    void Create() override;
    BOOL HandleCommand(int code, int id, HWND control) override;
    void SetValue(int state) override;
    int GetValue() override;

private:
    DWORD ButtonStyle() const;

    OptString m_label;
    BOOL m_checked = FALSE;
    BOOL m_auto = TRUE;
    BOOL m_triState = FALSE;
};
