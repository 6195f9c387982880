// The "groupbox" element: a captioned frame drawn around its children, which are laid out
// inside its margins as windows of the same container.
#pragma once

#include "CTEVElement.h"

class CTEVGroupbox : public CTEVElement {
public:
    using CTEVElement::CTEVElement;

    BOOL IsKindOf(const wchar_t* tag, CTEVElement** out) override;
    BOOL LoadFromNode(IXMLDOMNode* node) override;
    void Create() override;
    HWND GetContainerHwnd() override;

private:
    OptString m_label;
};
