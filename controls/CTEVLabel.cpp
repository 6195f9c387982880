// Static text labels: styles, the three measuring rules and the stored text.
#include "CTEVLabel.h"

#include "AttributeReaders.h"

#include <algorithm>

namespace {

// A static control expands tabs in its text; the label sets no style that drops prefixes.
constexpr UINT kShownFormat = DT_EXPANDTABS;

} // namespace

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
        // The description asks for the text wrapped in its width, even where vertical centring
        // draws it on one line.
        const SIZE box = DialogUnits(m_width, m_height ? m_height : 14);
        const SIZE wrapped =
            MeasureDrawnText(MeasuringDC(), ControlFont(m_window), text, kShownFormat | DT_WORDBREAK, box.cx)
                .box;
        m_minwidth = box.cx;
        m_minheight = std::max(box.cy, wrapped.cy);
    } else {
        const SIZE line = MeasureShown(text, 0);
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
    m_minheight = MeasureShown(CStrOrNull(m_value), width).cy;
}

SIZE CTEVLabel::MeasureShown(const wchar_t* text, int width) const {
    // As the static control draws: broken at words, even on the one line it centres vertically
    // (where a break drops the rest), aligned as its style says, clipped at its edges.
    UINT format = kShownFormat | (m_vcenter ? DT_SINGLELINE : 0);
    if (!m_vcenter && width > 0) {
        format |= DT_WORDBREAK;
    }
    if (m_textAlign == AlignRight) {
        format |= DT_RIGHT;
    } else if (m_textAlign == AlignCenter) {
        format |= DT_CENTER;
    }
    const DrawnText drawn = MeasureDrawnText(MeasuringDC(), ControlFont(m_window), text, format, width);
    const int advance = drawn.box.cx;
    if (!(format & DT_SINGLELINE) && (format & DT_WORDBREAK)) {
        // Drawn in the given width: what passes either edge of it is cut.
        return {std::max(advance, drawn.inkRight) + std::max(0, -drawn.inkLeft), drawn.box.cy};
    }
    if (!(format & DT_SINGLELINE)) {
        // Without a width yet: a line wider than its box will break there, so the box holds the
        // whole advance.
        return {std::max(advance, drawn.inkRight), drawn.box.cy};
    }
    // One line clipped at the box's edges: only its pixels must fit, and they may fall short of
    // its advance (Wine measures some sizes wider than it draws) or pass it.
    if (drawn.inkRight <= drawn.inkLeft) {
        return drawn.box;
    }
    int needed = drawn.inkRight;
    if (m_textAlign == AlignRight) {
        needed = advance - drawn.inkLeft;
    } else if (m_textAlign == AlignCenter) {
        needed = CentredLineWidth(drawn, 0);
    }
    return {needed, drawn.box.cy};
}

std::optional<TextRoom> CTEVLabel::MeasureTextRoom() const {
    const std::wstring text = WindowText();
    if (text.empty()) {
        return std::nullopt;
    }
    const SIZE given = ClientArea();
    return TextRoom{MeasureShown(text.c_str(), given.cx), given, m_vcenter == FALSE};
}
