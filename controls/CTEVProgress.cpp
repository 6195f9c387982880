// The progress bar element.
#include "CTEVProgress.h"

#include "AttributeReaders.h"

CTEVProgress::~CTEVProgress() = default;

BOOL CTEVProgress::IsKindOf(const wchar_t* tag, CTEVElement** out) {
    return MatchesKind(L"progress", tag, out);
}

BOOL CTEVProgress::LoadFromNode(IXMLDOMNode* node) {
    if (!CTEVElement::LoadFromNode(node)) {
        return FALSE;
    }
    const struct {
        const wchar_t* name;
        DWORD style;
    } styleAttributes[] = {
        {L"marquee", PBS_MARQUEE},
        {L"smooth", PBS_SMOOTH},
        {L"smoothreverse", PBS_SMOOTHREVERSE},
        {L"vertical", PBS_VERTICAL},
    };
    m_barStyle = 0;
    for (const auto& attribute : styleAttributes) {
        if (GetAttributeBool(node, attribute.name, FALSE)) {
            m_barStyle |= attribute.style;
        }
    }
    m_lowLimit = GetAttributeInt(node, L"lowLimit", 0);
    m_highLimit = GetAttributeInt(node, L"highLimit", 100);
    m_position = GetAttributeInt(node, L"pos", 0);
    return TRUE;
}

void CTEVProgress::Create() {
    CTEVElement::Create();
    if (CreateControlWindow(PROGRESS_CLASSW, L"", m_barStyle, 0)) {
        SendMessageW(m_window, PBM_SETRANGE32, m_lowLimit, m_highLimit);
        SendMessageW(m_window, PBM_SETPOS, m_position, 0);
    }
    const SIZE size = DialogUnits(m_width ? m_width : 80, m_height ? m_height : 14);
    m_minwidth = size.cx;
    m_minheight = size.cy;
}

void CTEVProgress::SetValue(int value) {
    m_position = value;
    if (m_window) {
        SendMessageW(m_window, PBM_SETPOS, value, 0);
    }
}

int CTEVProgress::GetValue() {
    if (m_window) {
        return static_cast<int>(SendMessageW(m_window, PBM_GETPOS, 0, 0));
    }
    return m_position;
}
