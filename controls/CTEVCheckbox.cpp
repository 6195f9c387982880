// Check boxes: style from "auto" and "triState", measuring, state and the "changed" event.
#include "CTEVCheckbox.h"

#include "AttributeReaders.h"
#include "ButtonGeometry.h"

BOOL CTEVCheckbox::IsKindOf(const wchar_t* tag, CTEVElement** out) {
    return MatchesKind(L"checkbox", tag, out);
}

BOOL CTEVCheckbox::LoadFromNode(IXMLDOMNode* node) {
    if (!CTEVElement::LoadFromNode(node)) {
        return FALSE;
    }
    m_label = GetLocalizedAttribute(node, L"label");
    m_checked = GetAttributeBool(node, L"checked", FALSE);
    m_auto = GetAttributeBool(node, L"auto", TRUE);
    m_triState = GetAttributeBool(node, L"triState", FALSE);
    return TRUE;
}

DWORD CTEVCheckbox::ButtonStyle() const {
    if (m_auto) {
        return m_triState ? BS_AUTO3STATE : BS_AUTOCHECKBOX;
    }
    return m_triState ? BS_3STATE : BS_CHECKBOX;
}

void CTEVCheckbox::Create() {
    CreateControlWindow(L"BUTTON", CStrOrNull(m_label), WS_TABSTOP | ButtonStyle(), 0);
    // The description's initial state is shown; children are not run for it.
    if (m_checked) {
        SendMessageW(m_window, BM_SETCHECK, BST_CHECKED, 0);
    }
    m_minheight = DialogUnits(7, 10).cy;
    m_minwidth = RoomFor(CStrOrNull(m_label)).cx;
}

SIZE CTEVCheckbox::RoomFor(const wchar_t* label) const {
    // The label starts after the box and its gap and is clipped only at the control's edge.
    const HFONT font = ControlFont(m_window);
    const DrawnText text = MeasureDrawnText(MeasuringDC(), font, label, DT_SINGLELINE);
    return {MarkRoom(MeasuringDC(), m_window, font, false) + text.inkRight, text.box.cy};
}

std::optional<TextRoom> CTEVCheckbox::MeasureTextRoom() const {
    const std::wstring label = WindowText();
    if (label.empty()) {
        return std::nullopt;
    }
    return TextRoom{RoomFor(label.c_str()), ClientArea()};
}

BOOL CTEVCheckbox::HandleCommand(int code, int, HWND) {
    if (code != BN_CLICKED) {
        return FALSE;
    }
    ExecuteChildren();
    return Fire(L"changed", 0, 0);
}

void CTEVCheckbox::SetValue(int state) {
    SendMessageW(m_window, BM_SETCHECK, state, 0);
    ExecuteChildren();
}

int CTEVCheckbox::GetValue() {
    return m_window ? static_cast<int>(SendMessageW(m_window, BM_GETCHECK, 0, 0)) : 0;
}
