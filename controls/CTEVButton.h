// The "button" element: a push button that fires "clicked", or the dialog's accept or
// cancel button, which the dialog itself handles as IDOK and IDCANCEL.
#pragma once

#include "CTEVElement.h"

class CTEVButton : public CTEVElement {
public:
    using CTEVElement::CTEVElement;

    BOOL IsKindOf(const wchar_t* tag, CTEVElement** out) override;
    BOOL LoadFromNode(IXMLDOMNode* node) override;
    void Create() override;
    BOOL HandleCommand(int code, int id, HWND control) override;

    enum DlgType { TypeButton, TypeAccept, TypeCancel, TypeHelp, TypeDisclosure };

private:
    OptString m_label;
    int m_dlgType = TypeButton;
    BOOL m_default = FALSE;
};
