// Etched separator lines in a cell two dialog units thick.
#include "CTEVLine.h"

#include "AttributeReaders.h"

#include <algorithm>

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

void CTEVLine::Arrange(int x, int y, int cx, int cy) {
    // The etched static paints only its two lines and no background, so its window is exactly
    // as thick as they are; the dialog paints the rest of the cell even when it clips children.
    if (m_type == EtchedVert) {
        CTEVElement::Arrange(x + std::max(0, cx - kThickness) / 2, y, std::min(cx, kThickness), cy);
    } else {
        CTEVElement::Arrange(x, y + std::max(0, cy - kThickness) / 2, cx, std::min(cy, kThickness));
    }
}
