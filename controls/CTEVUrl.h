// "url": a self-drawn hyperlink in its own window class; underlined with a hand cursor while
// the mouse is over its text, it opens its target with the shell or notifies the dialog.
#pragma once

#include "CTEVElement.h"
#include "GdiHandles.h"
#include "OwnWindow.h"
#include "TextRoom.h"

#include <optional>

// Whether a link may hand its target to the shell. Descriptions shown by a viewer come from
// elsewhere, so there only web and mail addresses open; null and empty targets never do.
bool MayOpenLinkTarget(const wchar_t* target, BOOL inViewer);

class CTEVUrl : public CTEVElement, public COwnWindow, public ITextRoom {
public:
    CTEVUrl(CTEVElement* parent, CTEVEngine* engine);

    BOOL IsKindOf(const wchar_t* tag, CTEVElement** out) override;
    BOOL LoadFromNode(IXMLDOMNode* node) override;
    void Create() override;

    bool IsHovering() const { return m_hovering != FALSE; }

    std::optional<TextRoom> MeasureTextRoom() const override;

    static constexpr UINT_PTR kHoverTimerId = 100;
    static constexpr UINT kHoverIntervalMs = 50;

protected:
    // Hands an allowed target to the shell.
    virtual void OpenTarget(const wchar_t* target);

    void OnBound(HWND hwnd) override;
    // The plain and the underlined message font the link draws in.
    void MakeFonts();
    LRESULT HandleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;
    void Paint(HWND hwnd, HDC dc, const RECT& client) override;

private:
    enum TextAlign { AlignLeft, AlignRight };

    static void CALLBACK HoverTimerProc(HWND hwnd, UINT message, UINT_PTR timerId, DWORD time);

    // The text as it is painted, in whichever of the link's two fonts takes more room.
    SIZE MeasureShown(const wchar_t* text) const;
    // Draws the text and records its span for the mouse handlers.
    void PaintText(HDC dc, const RECT& client);
    void PaintFocus(HWND hwnd, HDC dc, const RECT& client) const;
    void OnMouseMove(HWND hwnd, int x);
    void OnLeftButtonDown(int x);
    void OnMouseLeave(HWND hwnd);
    bool HasText() const { return m_text && !m_text->empty(); }

    OptString m_text;
    OptString m_target;
    int m_textAlign = AlignLeft;
    GdiObject<HFONT> m_font;
    GdiObject<HFONT> m_underlinedFont;
    BOOL m_hovering = FALSE;
    std::optional<RECT> m_textSpan; // client coordinates; known from the first paint on
};
