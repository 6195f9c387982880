// The "spacer" element: empty space of a size in dialog units, or with a flex factor the
// free space of its box.
#pragma once

#include "CTEVElement.h"

class CTEVSpacer : public CTEVElement {
public:
    using CTEVElement::CTEVElement;

    BOOL IsKindOf(const wchar_t* tag, CTEVElement** out) override;
    void Create() override;
};
