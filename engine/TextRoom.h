// The room a control's text needs and the room the control gives it, answered by each control that
// draws a text of its own: its minimum size and any check of a laid-out dialog measure the text
// with the same code, in the font, format and prefix handling the control draws it with.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

// Pixels, for the control as it is laid out now.
struct TextRoom {
    SIZE needed = {0, 0}; // the control size the text needs, the control's own chrome included
    SIZE given = {0, 0};  // the control's client size
    // The text wraps at the control's width, so its height counts as well. A single line's height
    // is the control's own affair: its minimum height holds the line.
    bool wraps = false;
};

class ITextRoom {
public:
    // The room of the text the control shows now; none without a window or while it shows no text.
    virtual std::optional<TextRoom> MeasureTextRoom() const = 0;

protected:
    ~ITextRoom() = default;
};

// The size of text drawn with DrawText in font and format, wrapping at width when the format
// wraps: the box DrawText measures, widened to the ink of glyphs drawn past its right edge, which
// the box leaves out (a glyph may reach beyond its advance, and a font may draw wider than it
// measures). Alignment flags are ignored; a null text measures as the letter "W", as an element
// without text is measured.
SIZE MeasureDrawnText(HFONT font, const wchar_t* text, UINT format, int width = 0);

// The font a control draws its text in: the one set on its window, else the stock GUI font.
HFONT ControlFont(HWND control);
// A window's text as a control draws it, prefix marks included; empty without a window.
std::wstring ControlText(HWND control);
SIZE ClientSize(HWND window);
