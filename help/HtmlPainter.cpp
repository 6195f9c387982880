#include "HtmlPainter.h"

#include <algorithm>

#include "GdiHandles.h"
#include "HtmlFonts.h"

namespace {

constexpr COLORREF kGrey = RGB(128, 128, 128);
constexpr COLORREF kWhite = RGB(255, 255, 255);

// Touching edges count as visible.
bool Touches(const RECT& item, const RECT& visible) {
    return item.left <= visible.right && item.right >= visible.left && item.top <= visible.bottom &&
           item.bottom >= visible.top;
}

RECT ItemRect(const HtmlItem& item, int dx, int dy) {
    return RECT{item.x - dx, item.y - dy, item.x - dx + item.width, item.y - dy + item.height};
}

void FillBackground(HDC dc, const RECT& rect, COLORREF colour) {
    GdiObject<HBRUSH> brush(CreateSolidBrush(colour));
    if (brush) {
        FillRect(dc, &rect, brush.Get());
    }
}

void PaintText(HDC dc, const HtmlItem& item, const RECT& rect) {
    HtmlFontStyle style;
    style.face = item.face;
    style.height = item.fontHeight;
    style.bold = item.bold != 0;
    style.italic = item.italic != 0;
    style.underline = item.lines == kLineBottom;
    style.strikeOut = (item.lines & kLineMiddle) != 0;
    GdiObject<HFONT> font = CreateHtmlFont(style);
    SelectedObject selection(dc, font.Get());
    SetTextColor(dc, item.textColour);
    const int x = rect.left + ((item.lines & kLineLeft) ? item.lineWidth : 0);
    const int y = rect.top + ((item.lines & kLineTop) ? 2 * item.lineWidth : 0);
    TextOutW(dc, x, y, item.text.c_str(), static_cast<int>(item.text.size()));
}

COLORREF PenColour(COLORREF lineColour) {
    if (lineColour == kSunkenLines) {
        return kGrey;
    }
    return lineColour == kRaisedLines ? kWhite : lineColour;
}

// The second colour of a 3-D pair, for the right, bottom and middle lines.
COLORREF SecondPenColour(COLORREF lineColour) {
    if (lineColour == kSunkenLines) {
        return kWhite;
    }
    return lineColour == kRaisedLines ? kGrey : lineColour;
}

void DrawLine(HDC dc, int x1, int y1, int x2, int y2) {
    MoveToEx(dc, x1, y1, nullptr);
    LineTo(dc, x2, y2);
}

void DrawLeadingEdges(HDC dc, const RECT& r, int lines, COLORREF colour) {
    GdiObject<HPEN> pen(CreatePen(PS_SOLID, 1, colour));
    SelectedObject selection(dc, pen.Get());
    if (lines & kLineLeft) {
        DrawLine(dc, r.left, r.top, r.left, r.bottom - 1);
    }
    if (lines & kLineTop) {
        DrawLine(dc, r.left, r.top, r.right, r.top);
    }
}

void DrawTrailingEdges(HDC dc, const RECT& r, int lines, COLORREF colour) {
    GdiObject<HPEN> pen(CreatePen(PS_SOLID, 1, colour));
    SelectedObject selection(dc, pen.Get());
    if (lines & kLineRight) {
        DrawLine(dc, r.right - 1, r.top, r.right - 1, r.bottom - 1);
    }
    if (lines & kLineBottom) {
        DrawLine(dc, r.left, r.bottom - 1, r.right, r.bottom - 1);
    }
    if (lines & kLineMiddle) {
        const int y = r.bottom - (r.bottom - r.top) / 2 - 1;
        DrawLine(dc, r.left, y, r.right, y);
    }
}

// lineWidth nested 1-pixel frames, stopping once the rectangle is used up.
void PaintLines(HDC dc, const HtmlItem& item, RECT rect) {
    for (int round = 0; round < item.lineWidth && rect.left < rect.right && rect.top < rect.bottom; ++round) {
        DrawLeadingEdges(dc, rect, item.lines, PenColour(item.lineColour));
        DrawTrailingEdges(dc, rect, item.lines, SecondPenColour(item.lineColour));
        InflateRect(&rect, -1, -1);
    }
}

bool HasFontOnlyLines(const HtmlItem& item) {
    return item.IsText() && (item.lines == kLineBottom || item.lines == kLineMiddle);
}

void PaintItem(HDC dc, const HtmlItem& item, const RECT& visible, int dx, int dy) {
    const RECT rect = ItemRect(item, dx, dy);
    if (!Touches(rect, visible)) {
        return;
    }
    if (item.background != kNoColour) {
        FillBackground(dc, rect, item.background);
    }
    if (item.IsText() && item.width != 0) {
        PaintText(dc, item, rect);
    } else if (item.IsCell()) {
        PaintItems(dc, item.children, visible, dx, dy);
    }
    if (item.lines != 0 && !HasFontOnlyLines(item)) {
        PaintLines(dc, item, rect);
    }
}

} // namespace

void PaintItems(HDC dc, const HtmlItemList& items, const RECT& visible, int dx, int dy) {
    for (const auto& item : items) {
        PaintItem(dc, *item, visible, dx, dy);
    }
}
