// Layout containers: "box", "hbox", "vbox" group children in a grid without a window of
// their own; "window" is the same grid with an orientation from its attribute.
#pragma once

#include "CTEVElement.h"

class CTEVBox : public CTEVElement {
public:
    // forcedOrient: -1 takes the "orient" attribute, 0 horizontal, 1 vertical.
    CTEVBox(CTEVElement* parent, CTEVEngine* engine, int forcedOrient);

    BOOL IsKindOf(const wchar_t* tag, CTEVElement** out) override;
    BOOL LoadFromNode(IXMLDOMNode* node) override;

private:
    int m_forcedOrient;
};

class CTEVWindow : public CTEVElement {
public:
    using CTEVElement::CTEVElement;
    ~CTEVWindow() override;
};
