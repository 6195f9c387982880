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
    NormaliseRange();
    m_pos = GetAttributeInt(node, L"pos", 100);
    m_ticFreq = GetAttributeInt(node, L"ticFreq", 0);
    // Two defaults give the same answer only when the attribute is there and converts.
    m_hasPos = GetAttributeInt(node, L"pos", 0) == GetAttributeInt(node, L"pos", 1);
    return TRUE;
}

// The trackbar divides by its range and counts it in an int: a reversed range divides by zero and
// one wider than INT_MAX overflows inside the control. A reversed range is taken the right way
// round; a range too wide keeps its top and loses what lies below INT_MAX under it.
void CTEVSlider::NormaliseRange() {
    if (m_maxValue < m_minValue) {
        std::swap(m_minValue, m_maxValue);
    }
    if (static_cast<long long>(m_maxValue) - m_minValue > INT_MAX) {
        m_minValue = m_maxValue - INT_MAX;
    }
}

// The trackbar draws a tick per step of the frequency: a range of millions would cost seconds and
// hundreds of megabytes for ticks no screen can show apart. At most one tick per few pixels of the
// longest slider the screen holds.
int CTEVSlider::TickFrequency() const {
    const int screen = std::max(GetSystemMetrics(SM_CXVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN));
    const long long maxTicks = std::max(1, screen / kPixelsPerTick);
    const long long range = static_cast<long long>(m_maxValue) - m_minValue;
    const long long least = (range + maxTicks - 1) / maxTicks;
    return static_cast<int>(std::max<long long>({m_ticFreq, least, 1}));
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
    // Automatic ticks are made anew at every change of range or frequency: they are turned on only
    // once both are final, or a half-set range (the new minimum under the default maximum) would
    // already count a tick per value.
    if (CreateControlWindow(TRACKBAR_CLASSW, L"", style & ~TBS_AUTOTICKS, 0)) {
        SendMessageW(m_window, TBM_SETRANGEMIN, FALSE, m_minValue);
        SendMessageW(m_window, TBM_SETRANGEMAX, FALSE, m_maxValue);
        // The control keeps a frequency in 16 bits: a range too wide for that many ticks gets none
        // between its ends rather than tens of thousands.
        if (m_autoTics && TickFrequency() <= 0xFFFF) {
            SetWindowLongW(m_window, GWL_STYLE, GetWindowLongW(m_window, GWL_STYLE) | TBS_AUTOTICKS);
        }
        SendMessageW(m_window, TBM_SETTICFREQ, TickFrequency(), 0);
        InvalidateRect(m_window, nullptr, TRUE);
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
