// Push buttons: measuring, the accept/cancel identities and the "clicked" event.
#include "CTEVButton.h"

#include "AttributeReaders.h"

namespace {

// Room for the edges and the focus frame around the label.
constexpr int kEdgeRoom = 12;

} // namespace

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
    const bool isDefault = m_default || m_dlgType == TypeAccept;
    CreateControlWindow(L"BUTTON", CStrOrNull(m_label),
                        WS_TABSTOP | (isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON), 0);

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

SIZE CTEVButton::RoomFor(const wchar_t* label) const {
    const SIZE text = MeasureDrawnText(ControlFont(m_window), label, DT_SINGLELINE);
    return {text.cx + kEdgeRoom, text.cy};
}

std::optional<TextRoom> CTEVButton::MeasureTextRoom() const {
    const std::wstring label = WindowText();
    if (label.empty()) {
        return std::nullopt;
    }
    return TextRoom{RoomFor(label.c_str()), ClientArea()};
}
