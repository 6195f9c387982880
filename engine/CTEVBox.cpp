#include "CTEVBox.h"

CTEVBox::CTEVBox(CTEVElement* parent, CTEVEngine* engine, int forcedOrient)
    : CTEVElement(parent, engine), m_forcedOrient(forcedOrient) {}

BOOL CTEVBox::IsKindOf(const wchar_t* tag, CTEVElement** out) {
    return MatchesKind(L"box", tag, out);
}

BOOL CTEVBox::LoadFromNode(IXMLDOMNode* node) {
    if (!CTEVElement::LoadFromNode(node)) {
        return FALSE;
    }
    if (m_forcedOrient == 0 || m_forcedOrient == 1) {
        m_orient = m_forcedOrient;
    }
    return TRUE;
}

CTEVWindow::~CTEVWindow() = default;
