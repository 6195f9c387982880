// The "radiogroup" element: lays its radios out as a grid, starts their tab group, reports
// the checked radio's value and turns their clicks into one "changed" of its own.
#pragma once

#include "CTEVElement.h"

class CTEVRadioGroup : public CTEVElement {
public:
    using CTEVElement::CTEVElement;

    BOOL IsKindOf(const wchar_t* tag, CTEVElement** out) override;
    void Create() override;
    int FireEvent(CTEVElement* source, const wchar_t* event, WPARAM wParam, LPARAM lParam) override;
    void SetValue(int value) override;
    int GetValue() override;
};
