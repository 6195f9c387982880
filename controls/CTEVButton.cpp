// Push buttons: measuring, the accept/cancel identities and the "clicked" event.
#include "CTEVButton.h"

#include "AttributeReaders.h"
#include "ButtonGeometry.h"

BOOL CTEVButton::IsKindOf(const wchar_t* tag, CTEVElement** out) {
    return MatchesKind(L"button", tag, out);
}

BOOL CTEVButton::LoadFromNode(IXMLDOMNode* node) {
    if (!CTEVElement::LoadFromNode(node)) {
        return FALSE;
    }
    m_label = GetLocalizedAttribute(node, L"label");
    m_dlgType = GetAttributeEnum(node, L"dlgType", TypeButton,
                                 {L"button", L"accept", L"cancel", L"help", L"disclosure"});
    m_default = GetAttributeBool(node, L"default", FALSE);
    // The dialog ends itself on these identifiers, so such buttons never reach an element.
    if (m_dlgType == TypeAccept) {
        m_controlId = IDOK;
    } else if (m_dlgType == TypeCancel) {
        m_controlId = IDCANCEL;
    }
    return TRUE;
}

void CTEVButton::Create() {
    CreateControlWindow(L"BUTTON", CStrOrNull(m_label),
                        WS_TABSTOP | (IsDefault() ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON), 0);

    const SIZE least = DialogUnits(m_width ? m_width : 50, m_height ? m_height : 14);
    m_minwidth = RoomFor(CStrOrNull(m_label)).cx;
    // An explicit width wins over the text.
    if (m_minwidth < least.cx || m_width) {
        m_minwidth = least.cx;
    }
    m_minheight = least.cy;
}

BOOL CTEVButton::HandleCommand(int code, int, HWND) {
    if (code != BN_CLICKED) {
        return FALSE;
    }
    ExecuteChildren();
    return Fire(L"clicked", 0, 0);
}

bool CTEVButton::IsDefault() const {
    return m_default || m_dlgType == TypeAccept;
}

SIZE CTEVButton::RoomFor(const wchar_t* label) const {
    // The button centres its single line inside its edges and clips nothing but at the control.
    const DrawnText text =
        MeasureDrawnText(MeasuringDC(), ControlFont(m_window), label, DT_SINGLELINE | DT_CENTER);
    const PushButtonInsets insets = PushButtonInsetsOf(MeasuringDC(), m_window, IsDefault());
    const int slack = insets.labelInset - insets.edgeInset;
    return {2 * insets.labelInset + CentredLineWidth(text, slack), text.box.cy};
}

std::optional<TextRoom> CTEVButton::MeasureTextRoom() const {
    const std::wstring label = WindowText();
    if (label.empty()) {
        return std::nullopt;
    }
    return TextRoom{RoomFor(label.c_str()), ClientArea()};
}
