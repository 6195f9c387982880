// The "line" element: an etched horizontal or vertical separator.
#pragma once

#include "CTEVElement.h"

class CTEVLine : public CTEVElement {
public:
    using CTEVElement::CTEVElement;

    BOOL IsKindOf(const wchar_t* tag, CTEVElement** out) override;
    BOOL LoadFromNode(IXMLDOMNode* node) override;
    void Create() override;

    enum Type { EtchedHorz, EtchedVert };

private:
    int m_type = EtchedHorz;
};
