// Opening a help topic through the engine, which decides what a topic is.
#include "CTEVOpenHelp.h"

#include "AttributeReaders.h"
#include "CTEVEngine.h"

CTEVOpenHelp::~CTEVOpenHelp() = default;

BOOL CTEVOpenHelp::IsKindOf(const wchar_t* tag, CTEVElement** out) {
    return MatchesKind(L"openhelp", tag, out);
}

BOOL CTEVOpenHelp::LoadFromNode(IXMLDOMNode* node) {
    if (!CTEVElement::LoadFromNode(node)) {
        return FALSE;
    }
    m_topic = GetAttributeString(node, L"topic");
    return TRUE;
}

void CTEVOpenHelp::Execute(CTEVElement*) {
    if (!m_topic || !m_engine) {
        return;
    }
    m_engine->OpenHelp(GetRoot()->Window(), m_topic->c_str(), 0);
}
