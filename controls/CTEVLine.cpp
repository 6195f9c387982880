// Etched separator lines, two dialog units thick.
#include "CTEVLine.h"

#include "AttributeReaders.h"

BOOL CTEVLine::IsKindOf(const wchar_t* tag, CTEVElement** out) {
    return MatchesKind(L"line", tag, out);
}

BOOL CTEVLine::LoadFromNode(IXMLDOMNode* node) {
    if (!CTEVElement::LoadFromNode(node)) {
        return FALSE;
    }
    m_type = GetAttributeEnum(node, L"type", EtchedHorz, {L"EtchedHorz", L"EtchedVert"});
    return TRUE;
}

void CTEVLine::Create() {
    const bool vertical = m_type == EtchedVert;
    CreateControlWindow(L"STATIC", L"", vertical ? SS_ETCHEDVERT : SS_ETCHEDHORZ, 0);
    const SIZE size =
        vertical ? DialogUnits(2, m_height ? m_height : 14) : DialogUnits(m_width ? m_width : 14, 2);
    m_minwidth = size.cx;
    m_minheight = size.cy;
}
