// The "line" element: an etched horizontal or vertical separator.
#pragma once

#include "CTEVElement.h"

class CTEVLine : public CTEVElement {
public:
    using CTEVElement::CTEVElement;

    BOOL IsKindOf(const wchar_t* tag, CTEVElement** out) override;
    BOOL LoadFromNode(IXMLDOMNode* node) override;
    void Create() override;
    void Arrange(int x, int y, int cx, int cy) override;

    enum Type { EtchedHorz, EtchedVert };
    // Pixels of the drawn line: a shadow and a highlight.
    static constexpr int kThickness = 2;

private:
    int m_type = EtchedHorz;
};
