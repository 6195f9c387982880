// "openhelp": asks the engine to open a help topic when the control it is nested in is operated.
#pragma once

#include "CTEVElement.h"

class CTEVOpenHelp : public CTEVElement {
public:
    using CTEVElement::CTEVElement;
    ~CTEVOpenHelp() override;

    BOOL IsKindOf(const wchar_t* tag, CTEVElement** out) override;
    BOOL LoadFromNode(IXMLDOMNode* node) override;
    void Execute(CTEVElement* trigger) override;

private:
    OptString m_topic;
};
