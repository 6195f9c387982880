// Where the platform's BUTTON control puts its text, its mark and its edges, drawn with the
// visual style when one is active and plainly otherwise: the measures of push buttons, check
// boxes, radios and group boxes hold their texts to the same places. dc is the measuring DC.
#pragma once

#include <windows.h>

// The room before a check box's or radio's label: the mark, half a digit's width of gap, and the
// one-pixel margin the control leaves before the text.
int MarkRoom(HDC dc, HWND control, HFONT font, bool radio);
// The height of the check box's square or the radio's circle.
int MarkHeight(HDC dc, HWND control, bool radio);

// A push button centres its label in the rectangle labelInset pixels inside its edges; the label
// is whole while it keeps edgeInset pixels clear of them (a plain frame cuts it, the visual
// style's border does not).
struct PushButtonInsets {
    int labelInset = 0;
    int edgeInset = 0;
};
PushButtonInsets PushButtonInsetsOf(HDC dc, HWND control, bool isDefault);

// A group box draws its caption from this column on.
constexpr int kGroupCaptionLeft = 8;
// Whether the group box clips its caption to the caption's own advance (as the visual style's
// drawing does), rather than to the control.
bool GroupCaptionClippedToAdvance(HWND control);
