// The slider element: trackbar style, range and the value interface, mirrored on request.
#include "CTEVSlider.h"

#include "AttributeReaders.h"

#include <algorithm>
#include <climits>

CTEVSlider::~CTEVSlider() = default;

BOOL CTEVSlider::IsKindOf(const wchar_t* tag, CTEVElement** out) {
    return MatchesKind(L"slider", tag, out);
}

BOOL CTEVSlider::LoadFromNode(IXMLDOMNode* node) {
    if (!CTEVElement::LoadFromNode(node)) {
        return FALSE;
    }
    m_type = GetAttributeEnum(node, L"type", Horizontal, {L"horizontal", L"vertical"});
    m_autoTics = GetAttributeBool(node, L"autoTics", FALSE);
    m_noTics = GetAttributeBool(node, L"noTics", FALSE);
    m_invert = GetAttributeBool(node, L"invert", FALSE);
    m_minValue = GetAttributeInt(node, L"minValue", 0);
    m_maxValue = GetAttributeInt(node, L"maxValue", 100);
    m_pos = GetAttributeInt(node, L"pos", 100);
    m_ticFreq = GetAttributeInt(node, L"ticFreq", 0);
    // Two defaults give the same answer only when the attribute is there and converts.
    m_hasPos = GetAttributeInt(node, L"pos", 0) == GetAttributeInt(node, L"pos", 1);
    return TRUE;
}

void CTEVSlider::Create() {
    InheritGaps();
    DWORD style = WS_TABSTOP;
    if (m_autoTics) {
        style |= TBS_AUTOTICKS;
    }
    if (m_noTics) {
        style |= TBS_NOTICKS;
    }
    if (m_type == Vertical) {
        style |= TBS_VERT;
    }
    if (CreateControlWindow(TRACKBAR_CLASSW, L"", style, 0)) {
        SendMessageW(m_window, TBM_SETRANGEMIN, FALSE, m_minValue);
        SendMessageW(m_window, TBM_SETRANGEMAX, TRUE, m_maxValue);
        if (m_ticFreq > 0) {
            SendMessageW(m_window, TBM_SETTICFREQ, m_ticFreq, 0);
        }
        // The attribute's default is no position anyone asked for; only a written one counts.
        if (m_hasPos) {
            SetValue(m_pos);
        }
    }
    const SIZE size = DialogUnits(100, 14);
    m_minwidth = size.cx;
    m_minheight = size.cy;
}

// Mirrored around the middle of the range, so that values keep to the range; computed wide
// because the range may span the whole int range.
int CTEVSlider::Mirror(int value) const {
    const long long mirrored = static_cast<long long>(m_minValue) + m_maxValue - value;
    return static_cast<int>(std::clamp<long long>(mirrored, INT_MIN, INT_MAX));
}

void CTEVSlider::SetValue(int value) {
    if (m_window) {
        SendMessageW(m_window, TBM_SETPOS, TRUE, m_invert ? Mirror(value) : value);
    }
}

int CTEVSlider::GetValue() {
    if (!m_window) {
        return 0;
    }
    const int position = static_cast<int>(SendMessageW(m_window, TBM_GETPOS, 0, 0));
    return m_invert ? Mirror(position) : position;
}
