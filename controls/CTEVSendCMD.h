// "sendcmd": passes a command word to another element of the dialog when the control it is
// nested in is operated, optionally only while the descriptions run inside a viewer.
#pragma once

#include "CTEVElement.h"

class CTEVSendCMD : public CTEVElement {
public:
    using CTEVElement::CTEVElement;
    ~CTEVSendCMD() override;

    BOOL IsKindOf(const wchar_t* tag, CTEVElement** out) override;
    BOOL LoadFromNode(IXMLDOMNode* node) override;
    void Execute(CTEVElement* trigger) override;

private:
    OptString m_sendTo;
    OptString m_command;
    BOOL m_inViewerOnly = FALSE;
};
