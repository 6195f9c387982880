// The hyperlink element: window class, painting, hover tracking and activation.
#include "CTEVUrl.h"

#include "AttributeReaders.h"
#include "CTEVEngine.h"
#include "SystemMetrics.h"

#include <shellapi.h>
#include <windowsx.h>

#include <algorithm>

namespace {

const wchar_t kClassName[] = L"TEV_URL_CLASS";
const wchar_t kElementProperty[] = L"TEVUrl_this";
const wchar_t kNotifyTarget[] = L":notify:";
const UINT kTextFormat = DT_SINGLELINE | DT_NOPREFIX;

bool StartsWithNoCase(const wchar_t* text, const wchar_t* prefix) {
    const int length = lstrlenW(prefix);
    return lstrlenW(text) >= length && CompareStringOrdinal(text, length, prefix, length, TRUE) == CSTR_EQUAL;
}

// The message font of the system, plain or underlined.
HFONT CreateMessageFont(bool underlined) {
    NONCLIENTMETRICSW metrics;
    if (!ReadNonClientMetrics(&metrics)) {
        return nullptr;
    }
    metrics.lfMessageFont.lfUnderline = underlined ? TRUE : FALSE;
    return CreateFontIndirectW(&metrics.lfMessageFont);
}

} // namespace

bool MayOpenLinkTarget(const wchar_t* target, BOOL inViewer) {
    if (!target || !*target) {
        return false;
    }
    if (!inViewer) {
        return true;
    }
    return StartsWithNoCase(target, L"http://") || StartsWithNoCase(target, L"https://") ||
           StartsWithNoCase(target, L"mailto:");
}

CTEVUrl::CTEVUrl(CTEVElement* parent, CTEVEngine* engine)
    : CTEVElement(parent, engine), COwnWindow(kElementProperty, this) {
    RegisterClassOnce(engine ? engine->Instance() : nullptr,
                      {kClassName, CS_OWNDC | CS_HREDRAW | CS_VREDRAW, IDC_ARROW, COLOR_BTNFACE});
}

BOOL CTEVUrl::IsKindOf(const wchar_t* tag, CTEVElement** out) {
    return MatchesKind(L"url", tag, out);
}

BOOL CTEVUrl::LoadFromNode(IXMLDOMNode* node) {
    if (!CTEVElement::LoadFromNode(node)) {
        return FALSE;
    }
    m_text = GetLocalizedAttribute(node, L"text");
    m_target = GetLocalizedAttribute(node, L"url");
    m_textAlign = GetAttributeEnum(node, L"textalign", AlignLeft, {L"left", L"right"});
    return TRUE;
}

void CTEVUrl::Create() {
    CTEVElement::Create();
    // A link is reached by Tab like a button: it may be the only way to what it opens.
    CreateControlWindow(kClassName, CStrOrNull(m_text), WS_TABSTOP, 0, BindingParam());
    // Without a window the link is measured in the fonts its window would make.
    if (!m_window) {
        MakeFonts();
    }

    const SIZE measured = MeasureShown(HasText() ? m_text->c_str() : nullptr);
    m_minwidth = measured.cx;
    m_minheight = std::max<int>(measured.cy, DialogUnits(1, 14).cy);
}

SIZE CTEVUrl::MeasureShown(const wchar_t* text) const {
    // The glyphs must show whole; the underline under the mouse runs to the advance, and losing
    // its end loses no letter.
    const DrawnText drawn = MeasureDrawnText(MeasuringDC(), m_font.Get(), text, kTextFormat);
    if (drawn.inkRight <= drawn.inkLeft) {
        return drawn.box;
    }
    // Drawn from the left edge, the link loses what passes the right one; drawn flush right, what
    // passes its advance is lost at any width and what lies before its start needs room.
    const int width = m_textAlign == AlignRight ? drawn.box.cx - drawn.inkLeft : drawn.inkRight;
    return {width, drawn.box.cy};
}

std::optional<TextRoom> CTEVUrl::MeasureTextRoom() const {
    if (!IsPlacedControl() || !HasText()) {
        return std::nullopt;
    }
    return TextRoom{MeasureShown(m_text->c_str()), ClientArea()};
}

void CTEVUrl::OpenTarget(const wchar_t* target) {
    ShellExecuteW(m_window, L"open", target, nullptr, nullptr, SW_SHOWNORMAL);
}

LRESULT CTEVUrl::HandleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SETCURSOR:
        if (m_hovering) {
            SetCursor(LoadCursorW(nullptr, IDC_HAND));
            return 1;
        }
        return DefWindowProcW(hwnd, message, wParam, lParam);
    case WM_GETDLGCODE:
        return DLGC_STATIC;
    case WM_GETFONT:
        // The font the text is measured and painted in, for whoever measures it from outside.
        return reinterpret_cast<LRESULT>(m_font.Get());
    case WM_MOUSEMOVE:
        OnMouseMove(hwnd, GET_X_LPARAM(lParam));
        return 0;
    case WM_LBUTTONDOWN:
        OnLeftButtonDown(GET_X_LPARAM(lParam));
        return 0;
    case WM_MOUSELEAVE:
        OnMouseLeave(hwnd);
        return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    default:
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

void CTEVUrl::OnBound(HWND hwnd) {
    m_window = hwnd;
    MakeFonts();
}

void CTEVUrl::MakeFonts() {
    m_font.Reset(CreateMessageFont(false));
    m_underlinedFont.Reset(CreateMessageFont(true));
}

void CTEVUrl::Paint(HWND hwnd, HDC dc, const RECT& client) {
    SelectedObject normalFont(dc, m_font.Get());
    // The parent paints what lies behind the link, so it blends into any background.
    SendMessageW(GetParent(hwnd), WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    if (HasText()) {
        PaintText(dc, client);
        PaintFocus(hwnd, dc, client);
    }
}

// Around the text, while the link has the focus and the keyboard cues show, as on a button.
void CTEVUrl::PaintFocus(HWND hwnd, HDC dc, const RECT& client) const {
    if (GetFocus() != hwnd || !m_textSpan || !ShowsFocusCues()) {
        return;
    }
    TEXTMETRICW metrics = {};
    GetTextMetricsW(dc, &metrics);
    const int middle = (client.top + client.bottom) / 2;
    RECT focus = *m_textSpan;
    focus.top = std::max<LONG>(client.top, middle - metrics.tmHeight / 2 - 1);
    focus.bottom = std::min<LONG>(client.bottom, focus.top + metrics.tmHeight + 2);
    DrawFocusRect(dc, &focus);
}

void CTEVUrl::PaintText(HDC dc, const RECT& client) {
    const UINT format = kTextFormat | DT_VCENTER;
    SetBkMode(dc, TRANSPARENT);
    RECT measured = client;
    DrawTextW(dc, m_text->c_str(), -1, &measured, DT_CALCRECT | format);
    const int textWidth = measured.right - measured.left;

    RECT span = client;
    if (m_textAlign == AlignRight) {
        span.left = client.right - textWidth;
    } else {
        span.right = client.left + textWidth;
    }
    m_textSpan = span;

    SelectedObject hoverFont(dc, m_hovering ? m_underlinedFont.Get() : nullptr);
    SetTextColor(dc, RGB(0, 0, 255));
    // Drawn in the whole client area: the span would clip a glyph that reaches past its advance.
    RECT area = client;
    DrawTextW(dc, m_text->c_str(), -1, &area, format | (m_textAlign == AlignRight ? DT_RIGHT : 0));
}

void CTEVUrl::OnMouseMove(HWND hwnd, int x) {
    if (!HasText() || !m_textSpan) {
        return;
    }
    const BOOL inside = m_textSpan->left < x && x < m_textSpan->right;
    if (inside == m_hovering) {
        return;
    }
    m_hovering = inside;
    StartTimer(kHoverTimerId, kHoverIntervalMs, HoverTimerProc);
    InvalidateRect(hwnd, nullptr, FALSE);
}

void CTEVUrl::OnLeftButtonDown(int x) {
    if (!HasText() || !m_textSpan || x < m_textSpan->left || x > m_textSpan->right) {
        return;
    }
    if (EqualsNoCase(m_target, kNotifyTarget)) {
        ExecuteChildren();
        Fire(L"clicked", 0, 0);
        return;
    }
    if (MayOpenLinkTarget(CStrOrNull(m_target), m_engine && m_engine->IsViewer())) {
        OpenTarget(m_target->c_str());
    }
}

void CTEVUrl::OnMouseLeave(HWND hwnd) {
    StopTimer(kHoverTimerId);
    m_hovering = FALSE;
    InvalidateRect(hwnd, nullptr, TRUE);
}

// Keeps the highlight while the cursor is over the link, or over a menu or tooltip that
// opened on top of it; otherwise ends the hover.
void CALLBACK CTEVUrl::HoverTimerProc(HWND hwnd, UINT, UINT_PTR timerId, DWORD) {
    if (CursorStaysOver(hwnd)) {
        return;
    }
    KillTimer(hwnd, timerId);
    PostMessageW(hwnd, WM_MOUSELEAVE, 0, 0);
}
