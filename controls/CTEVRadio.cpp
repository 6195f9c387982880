// Radio buttons: style, single-line and wrapped measuring, state and the "changed" event.
#include "CTEVRadio.h"

#include "AttributeReaders.h"
#include "ButtonGeometry.h"

#include <algorithm>

BOOL CTEVRadio::IsKindOf(const wchar_t* tag, CTEVElement** out) {
    return MatchesKind(L"radio", tag, out);
}

BOOL CTEVRadio::LoadFromNode(IXMLDOMNode* node) {
    if (!CTEVElement::LoadFromNode(node)) {
        return FALSE;
    }
    m_label = GetLocalizedAttribute(node, L"label");
    m_selected = GetAttributeBool(node, L"selected", FALSE);
    m_multiline = GetAttributeBool(node, L"multiline", FALSE);
    m_value = GetAttributeInt(node, L"value", 0);
    m_vAlign = GetAttributeEnum(node, L"vAlign", VAlignDefault, {L"default", L"top", L"bottom", L"center"});
    m_hAlign = GetAttributeEnum(node, L"hAlign", HAlignDefault, {L"default", L"left", L"right", L"center"});
    return TRUE;
}

DWORD CTEVRadio::WindowStyle() const {
    static const DWORD kVAlignBits[] = {0, BS_TOP, BS_BOTTOM, BS_VCENTER};
    static const DWORD kHAlignBits[] = {0, BS_LEFT, BS_RIGHT, BS_CENTER};
    DWORD style = WS_TABSTOP | BS_AUTORADIOBUTTON | kVAlignBits[m_vAlign] | kHAlignBits[m_hAlign];
    if (m_groupStart) {
        style |= WS_GROUP;
    }
    if (m_multiline) {
        style |= BS_MULTILINE;
    }
    return style;
}

void CTEVRadio::Create() {
    CreateControlWindow(L"BUTTON", CStrOrNull(m_label), WindowStyle(), 0);
    // The description's initial choice is shown; no event results.
    if (m_selected) {
        SendMessageW(m_window, BM_SETCHECK, BST_CHECKED, 0);
    }
    if (m_multiline) {
        // The label's height follows once the layout tells the width (SetLayoutWidth).
        const SIZE start = DialogUnits(10, 10);
        m_minheight = start.cy;
        m_minwidth = start.cy + start.cx;
    } else {
        m_minheight = DialogUnits(1, 10).cy;
        m_minwidth = RoomFor(CStrOrNull(m_label), 0).cx;
    }
}

BOOL CTEVRadio::HandleCommand(int code, int, HWND) {
    return code == BN_CLICKED ? Fire(L"changed", 0, 0) : FALSE;
}

void CTEVRadio::SetValue(int state) {
    SendMessageW(m_window, BM_SETCHECK, state, 0);
}

int CTEVRadio::GetValue() {
    return m_window ? static_cast<int>(SendMessageW(m_window, BM_GETCHECK, 0, 0)) : 0;
}

void CTEVRadio::SetLayoutWidth(int width) {
    if (!m_multiline) {
        return;
    }
    m_minwidth = width;
    m_minheight = RoomFor(CStrOrNull(m_label), width).cy;
}

SIZE CTEVRadio::RoomFor(const wchar_t* label, int width) const {
    const HFONT font = ControlFont(m_window);
    // The label starts after the circle and its gap and is clipped only at the control's edge.
    const int indent = MarkRoom(MeasuringDC(), m_window, font, true);
    if (!m_multiline) {
        const DrawnText text = MeasureDrawnText(MeasuringDC(), font, label, DT_SINGLELINE);
        return {indent + text.inkRight, text.box.cy};
    }
    // Wrapped in the room right of the circle's gap, one pixel wider than where the text starts.
    const DrawnText text =
        MeasureDrawnText(MeasuringDC(), font, label, DT_WORDBREAK, std::max(1, width - indent + 1));
    return {indent + text.inkRight, std::max<int>(text.box.cy, CircleRoom(text.box.cy))};
}

int CTEVRadio::CircleRoom(int textHeight) const {
    // The circle is centred on the wrapped text, moved up one pixel more where it is the taller,
    // and the text centred in the control: a text lower than the circle needs that much above
    // and below it. A text as tall as the circle is placed as a lower one is (seen at 144 DPI).
    const int circle = MarkHeight(MeasuringDC(), m_window, true);
    if (textHeight > circle) {
        return textHeight;
    }
    return textHeight + 2 * ((circle - textHeight) / 2 + 1);
}

std::optional<TextRoom> CTEVRadio::MeasureTextRoom() const {
    const std::wstring label = WindowText();
    if (label.empty()) {
        return std::nullopt;
    }
    const SIZE given = ClientArea();
    return TextRoom{RoomFor(label.c_str(), given.cx), given, m_multiline != FALSE};
}
