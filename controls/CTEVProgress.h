// "progress": the platform's progress bar, with its range, initial position and style from
// the description; the position is the element's value.
#pragma once

#include "CTEVElement.h"

class CTEVProgress : public CTEVElement {
public:
    using CTEVElement::CTEVElement;
    ~CTEVProgress() override;

    BOOL IsKindOf(const wchar_t* tag, CTEVElement** out) override;
    BOOL LoadFromNode(IXMLDOMNode* node) override;
    void Create() override;
    void SetValue(int value) override;
    int GetValue() override;

private:
    DWORD m_barStyle = 0; // PBS_ bits of the boolean attributes
    int m_lowLimit = 0;
    int m_highLimit = 100;
    int m_position = 0;
};
