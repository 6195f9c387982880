// The spin element: up-down control with its range and position, joined to the text box it
// is written in each time the layout places that text box.
#include "CTEVSpin.h"

#include "AttributeReaders.h"

#include <string>

CTEVSpin::~CTEVSpin() = default;

BOOL CTEVSpin::IsKindOf(const wchar_t* tag, CTEVElement** out) {
    return MatchesKind(L"spin", tag, out);
}

BOOL CTEVSpin::LoadFromNode(IXMLDOMNode* node) {
    if (!CTEVElement::LoadFromNode(node)) {
        return FALSE;
    }
    m_buddyAlign = GetAttributeEnum(node, L"buddyalign", AlignRight, {L"left", L"right"});
    m_upper = GetAttributeInt(node, L"upper", 2147483647);
    m_lower = GetAttributeInt(node, L"lower", 0);
    m_pos = GetAttributeInt(node, L"pos", m_lower);
    return TRUE;
}

void CTEVSpin::Create() {
    InheritGaps();
    const SIZE size = DialogUnits(11, 14);
    m_minwidth = size.cx;
    m_minheight = size.cy;
    const DWORD style = UDS_SETBUDDYINT | UDS_ARROWKEYS | UDS_NOTHOUSANDS |
                        (m_buddyAlign == AlignLeft ? UDS_ALIGNLEFT : UDS_ALIGNRIGHT);
    if (CreateControlWindow(UPDOWN_CLASSW, L"", style, 0)) {
        SetWindowPos(m_window, nullptr, 0, 0, size.cx, size.cy,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOOWNERZORDER | SWP_NOACTIVATE);
        SendMessageW(m_window, UDM_SETRANGE32, m_lower, m_upper);
        SendMessageW(m_window, UDM_SETPOS32, 0, m_pos);
    }
}

void CTEVSpin::Arrange(int x, int y, int cx, int cy) {
    if (!m_window || !m_parent) {
        return;
    }
    // Detached first: attaching places the spin against the text box and narrows the text box,
    // which the layout has just given its full cell again.
    SendMessageW(m_window, UDM_SETBUDDY, 0, 0);
    HWND buddy = m_parent->IsKindOf(L"textbox", nullptr) ? m_parent->Window() : nullptr;
    UINT flags = SWP_NOZORDER | SWP_NOOWNERZORDER | SWP_NOACTIVATE;
    // Without a text box nothing else would place the spin, so it takes its own cell.
    if (buddy) {
        flags |= SWP_NOMOVE;
    }
    SetWindowPos(m_window, nullptr, x, y, cx, cy, flags);
    if (!buddy) {
        return;
    }
    if (m_attached) {
        SendMessageW(m_window, UDM_SETBUDDY, reinterpret_cast<WPARAM>(buddy), 0);
        return;
    }
    // Attaching shows no number, and from then on the control reads its position from the
    // text; so the first time, the text box takes the position the control holds (clamped to
    // the range) and both agree. Set through the text box, this raises no "changed" while the
    // dialog opens.
    m_attached = true;
    const int position = static_cast<int>(SendMessageW(m_window, UDM_GETPOS32, 0, 0));
    SendMessageW(m_window, UDM_SETBUDDY, reinterpret_cast<WPARAM>(buddy), 0);
    m_parent->SetText(std::to_wstring(position).c_str());
}
