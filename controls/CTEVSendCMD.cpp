// Sending a command word to a named element.
#include "CTEVSendCMD.h"

#include "AttributeReaders.h"
#include "CTEVEngine.h"

CTEVSendCMD::~CTEVSendCMD() = default;

BOOL CTEVSendCMD::IsKindOf(const wchar_t* tag, CTEVElement** out) {
    return MatchesKind(L"sendcmd", tag, out);
}

BOOL CTEVSendCMD::LoadFromNode(IXMLDOMNode* node) {
    if (!CTEVElement::LoadFromNode(node)) {
        return FALSE;
    }
    m_sendTo = GetAttributeString(node, L"sendto");
    m_command = GetAttributeString(node, L"cmd");
    m_inViewerOnly = GetAttributeBool(node, L"inViewerOnly", FALSE);
    return TRUE;
}

void CTEVSendCMD::Execute(CTEVElement*) {
    if (!m_sendTo || !m_command) {
        return;
    }
    if (m_inViewerOnly && !(m_engine && m_engine->IsViewer())) {
        return;
    }
    if (CTEVElement* receiver = GetRoot()->FindById(m_sendTo->c_str())) {
        receiver->DoCommand(m_command->c_str());
    }
}
