// Group box frames: caption measuring and the margins that keep children inside the frame.
#include "CTEVGroupbox.h"

#include "AttributeReaders.h"
#include "ButtonGeometry.h"

namespace {

// Room for the frame's edges above and below the caption.
constexpr int kFrameRoom = 12;

} // namespace

BOOL CTEVGroupbox::IsKindOf(const wchar_t* tag, CTEVElement** out) {
    return MatchesKind(L"groupbox", tag, out);
}

BOOL CTEVGroupbox::LoadFromNode(IXMLDOMNode* node) {
    if (!CTEVElement::LoadFromNode(node)) {
        return FALSE;
    }
    m_label = GetLocalizedAttribute(node, L"label");
    return TRUE;
}

void CTEVGroupbox::Create() {
    // Children first: a window created later lies below them, so the frame stays behind.
    CTEVElement::Create();
    CreateControlWindow(L"BUTTON", CStrOrNull(m_label), BS_GROUPBOX, 0);

    const SIZE caption = RoomFor(CStrOrNull(m_label));
    m_minwidth = caption.cx;
    m_minheight = caption.cy;
    const SIZE leftTop = DialogUnits(7, 11);
    const SIZE rightBottom = DialogUnits(8, 7);
    m_marginLeft = leftTop.cx;
    m_marginTop = leftTop.cy;
    m_marginRight = rightBottom.cx;
    m_marginBottom = rightBottom.cy;
}

HWND CTEVGroupbox::GetContainerHwnd() {
    return ParentContainer();
}

SIZE CTEVGroupbox::RoomFor(const wchar_t* caption) const {
    // The caption is drawn over the frame, which makes way for it; what it loses is lost at the
    // control's edge, or, with the visual style, past its own advance: a glyph Wine draws past the
    // advance it measures (the colon of "S&how:") is never shown, however wide the box.
    const DrawnText text = MeasureDrawnText(MeasuringDC(), ControlFont(m_window), caption, DT_SINGLELINE);
    const int shown = GroupCaptionClippedToAdvance(m_window) ? text.inkRightInBox : text.inkRight;
    return {kGroupCaptionLeft + shown, text.box.cy + kFrameRoom};
}

std::optional<TextRoom> CTEVGroupbox::MeasureTextRoom() const {
    const std::wstring caption = WindowText();
    if (caption.empty()) {
        return std::nullopt;
    }
    return TextRoom{RoomFor(caption.c_str()), ClientArea()};
}
