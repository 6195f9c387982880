// Static text labels: styles, the three measuring rules and the stored text.
#include "CTEVLabel.h"

#include "AttributeReaders.h"

#include <algorithm>

BOOL CTEVLabel::IsKindOf(const wchar_t* tag, CTEVElement** out) {
    return MatchesKind(L"label", tag, out);
}

BOOL CTEVLabel::LoadFromNode(IXMLDOMNode* node) {
    if (!CTEVElement::LoadFromNode(node)) {
        return FALSE;
    }
    m_value = GetLocalizedAttribute(node, L"value");
    m_vcenter = GetAttributeBool(node, L"vcenter", TRUE);
    m_multiline = GetAttributeBool(node, L"multiline", FALSE);
    m_textAlign = GetAttributeEnum(node, L"textalign", AlignLeft, {L"left", L"right", L"center"});
    // Centring a wrapped text vertically would hide its first lines.
    if (m_multiline) {
        m_vcenter = FALSE;
    }
    return TRUE;
}

DWORD CTEVLabel::WindowStyle() const {
    DWORD style = SS_LEFT;
    if (m_vcenter) {
        style |= SS_CENTERIMAGE;
    }
    if (m_textAlign == AlignRight) {
        style |= SS_RIGHT;
    } else if (m_textAlign == AlignCenter) {
        style |= SS_CENTER;
    }
    return style;
}

void CTEVLabel::Create() {
    CreateControlWindow(L"STATIC", CStrOrNull(m_value), WindowStyle(), 0);

    const wchar_t* text = CStrOrNull(m_value);
    if (m_multiline) {
        // The height follows once the layout tells the width (SetLayoutWidth).
        const SIZE start = DialogUnits(m_width ? m_width : 7, m_height ? m_height : 7);
        m_minwidth = start.cx;
        m_minheight = start.cy;
    } else if (m_width) {
        const SIZE box = DialogUnits(m_width, m_height ? m_height : 14);
        const SIZE wrapped = MeasureText(text, DT_WORDBREAK, box.cx);
        m_minwidth = box.cx;
        m_minheight = std::max(box.cy, wrapped.cy);
    } else {
        const SIZE line = MeasureText(text);
        m_minwidth = line.cx;
        m_minheight = std::max(line.cy, DialogUnits(1, m_height ? m_height : 14).cy);
    }
}

void CTEVLabel::SetText(const wchar_t* text) {
    // The copy is made before the old text goes, so text may be what GetText returned.
    m_value = CopyOrNull(text);
    SendMessageW(m_window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(m_value ? m_value->c_str() : L""));
}

const wchar_t* CTEVLabel::GetText() {
    return CStrOrNull(m_value);
}

void CTEVLabel::SetLayoutWidth(int width) {
    if (!m_multiline) {
        return;
    }
    m_minwidth = width;
    m_minheight = MeasureText(CStrOrNull(m_value), DT_WORDBREAK, width).cy;
}
