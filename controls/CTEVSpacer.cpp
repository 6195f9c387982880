// Spacers: no window, only a minimum size.
#include "CTEVSpacer.h"

BOOL CTEVSpacer::IsKindOf(const wchar_t* tag, CTEVElement** out) {
    return MatchesKind(L"spacer", tag, out);
}

void CTEVSpacer::Create() {
    const SIZE size = DialogUnits(m_width, m_height);
    m_minwidth = size.cx;
    m_minheight = size.cy;
}
