// The room a control's text needs and the room the control gives it, answered by each control that
// draws a text of its own: its minimum size and any check of a laid-out dialog measure the text
// with the same code, in the font, format and prefix handling the control draws it with.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

class CTEVElement;

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

// The room of a text a control shows for one of its child elements: an entry of a combo box or a
// list box, the label of a tab. In the control's pixels, as TextRoom.
struct ItemTextRoom {
    CTEVElement* item;
    std::wstring text; // as shown
    TextRoom room;
};

class IItemTextRooms {
public:
    // One room for each child whose text the control shows, laid out as it is now.
    virtual std::vector<ItemTextRoom> MeasureItemTextRooms() = 0;

protected:
    ~IItemTextRooms() = default;
};

// A text as DrawText lays it out and as its pixels fall.
struct DrawnText {
    // DrawText's own measure: the advance of the widest line, and whole lines' height.
    SIZE box = {0, 0};
    // The columns the text's pixels cover, from inkLeft to one before inkRight, drawn in a box
    // whose left edge is column 0: a glyph may reach past its advance on either side, and Wine
    // draws some glyphs wider than it measures them. Both 0 when nothing is drawn.
    int inkLeft = 0;
    int inkRight = 0;
    // One past the last column drawn within the advance: all a control that clips the text to its
    // measured advance ever shows of it.
    int inkRightInBox = 0;
};

// The text drawn with DrawText in font and format on the dialog's background, wrapping at width
// when the format wraps (then drawn in a box of that width, aligned as format says; a single line
// is drawn from the left edge of its own box). Measured on dc (the elements' shared measuring DC),
// drawn once. A null text measures as the letter "W", as an element without text is measured.
DrawnText MeasureDrawnText(HDC dc, HFONT font, const wchar_t* text, UINT format, int width = 0);

// The narrowest box a single line shows whole in when centred in it as DrawText and the button
// control centre (offset by half the spare room, rounded toward zero), with its pixels allowed
// margin pixels past each edge of the box (negative: kept that far inside).
int CentredLineWidth(const DrawnText& line, int margin);

// The font a control draws its text in: the one set on its window, else the stock GUI font.
HFONT ControlFont(HWND control);
// A window's text as a control draws it, prefix marks included; empty without a window.
std::wstring ControlText(HWND control);
SIZE ClientSize(HWND window);
