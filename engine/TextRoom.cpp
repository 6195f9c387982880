// Measuring a text as a control draws it: DrawText's box, and the columns its pixels cover.
#include "TextRoom.h"

#include "CTEVElement.h"
#include "GdiHandles.h"

#include <algorithm>
#include <cwchar>

namespace {

// Where a text lies in its box, not how much room it takes.
constexpr UINT kPlacementFlags = DT_CENTER | DT_RIGHT | DT_VCENTER | DT_BOTTOM;

// A colour as a 32-bit bitmap stores it (blue in the low byte).
DWORD PixelOf(COLORREF colour) {
    return (GetRValue(colour) << 16) | (GetGValue(colour) << 8) | GetBValue(colour);
}

// A 32-bit bitmap, top row first, kept between measures and grown as texts ask: making one for
// each text would cost more than drawing it.
class InkCanvas {
public:
    // Room for width x height pixels filled with the background; false when none could be made.
    bool Prepare(HDC dc, int width, int height, DWORD background) {
        if (width > m_stride || height > m_rows) {
            const int stride = std::max(width, m_stride);
            const int rows = std::max(height, m_rows);
            BITMAPINFO info = {};
            info.bmiHeader = {sizeof(BITMAPINFOHEADER), stride, -rows, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
            void* bits = nullptr;
            GdiObject<HBITMAP> bitmap(CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
            if (!bitmap) {
                return false;
            }
            m_bitmap = std::move(bitmap);
            m_pixels = static_cast<DWORD*>(bits);
            m_stride = stride;
            m_rows = rows;
        }
        m_width = width;
        m_height = height;
        m_background = background;
        for (int y = 0; y < height; ++y) {
            std::fill_n(Row(y), width, background);
        }
        return true;
    }

    HBITMAP Bitmap() const { return m_bitmap.Get(); }

    // The first and one past the last column drawn in, from column from up to before column to;
    // {0, 0} when none is.
    std::pair<int, int> InkColumns(int from, int to) const {
        to = std::min(to, m_width);
        int first = to;
        int end = from;
        for (int y = 0; y < m_height; ++y) {
            const DWORD* row = Row(y);
            for (int x = from; x < first; ++x) {
                if ((row[x] & 0xFFFFFF) != m_background) {
                    first = x;
                    break;
                }
            }
            for (int x = to - 1; x >= end; --x) {
                if ((row[x] & 0xFFFFFF) != m_background) {
                    end = x + 1;
                    break;
                }
            }
        }
        return first < end ? std::make_pair(first, end) : std::make_pair(0, 0);
    }

private:
    DWORD* Row(int y) const { return m_pixels + static_cast<size_t>(y) * m_stride; }

    GdiObject<HBITMAP> m_bitmap;
    DWORD* m_pixels = nullptr;
    int m_stride = 0;
    int m_rows = 0;
    int m_width = 0;
    int m_height = 0;
    DWORD m_background = 0;
};

// The smallest spare room a centred line may have (the box less its advance, possibly negative)
// for the offset, half of it rounded toward zero, to keep under pixels left of the text's start
// and over pixels past its advance inside the box.
int SpareRoomFor(int under, int over) {
    // The offset half / 2 reaches under from half = 2 * under (under > 0), or 2 * under - 1 as
    // rounding toward zero lifts odd negative halves.
    const int left = under > 0 ? 2 * under : 2 * under - 1;
    // The room right of the text, spare - offset, reaches over from 2 * over - 1 (over > 0), else
    // from 2 * over.
    const int right = over > 0 ? 2 * over - 1 : 2 * over;
    return std::max(left, right);
}

} // namespace

DrawnText MeasureDrawnText(HDC dc, HFONT font, const wchar_t* text, UINT format, int width) {
    if (!text) {
        text = L"W";
    }
    const int length = static_cast<int>(std::min<size_t>(wcslen(text), CTEVElement::kMaxMeasuredText));
    const bool wraps = (format & DT_WORDBREAK) && !(format & DT_SINGLELINE);
    // A single line breaks at words only where its box is too narrow: it is measured unbroken.
    const UINT layout = format & ~kPlacementFlags & ~(wraps ? 0 : DT_WORDBREAK);
    SelectedObject selected(dc, font);
    RECT rect = {0, 0, width, 0};
    DrawTextW(dc, text, length, &rect, DT_CALCRECT | layout);
    DrawnText drawn;
    drawn.box = {rect.right - rect.left, rect.bottom - rect.top};
    if (drawn.box.cx <= 0 || drawn.box.cy <= 0) {
        return drawn;
    }
    // A wrapped text is drawn where its control draws it: broken and aligned at the width it is
    // given. Glyph pixels may fall a little before the box, or past it by a share of the text's
    // own width when Wine draws it wider than it measures.
    const int drawnWidth = wraps ? std::max<int>(width, drawn.box.cx) : drawn.box.cx;
    const int before = drawn.box.cy;
    static InkCanvas canvas;
    const DWORD background = PixelOf(GetSysColor(COLOR_BTNFACE));
    if (!canvas.Prepare(dc, before + drawnWidth + drawn.box.cx + 1, drawn.box.cy, background)) {
        drawn.inkRight = drawn.inkRightInBox = drawn.box.cx;
        return drawn;
    }
    SelectedObject bitmap(dc, canvas.Bitmap());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    RECT place = {before, 0, before + drawnWidth, drawn.box.cy};
    DrawTextW(dc, text, length, &place,
              (wraps ? layout | (format & (DT_CENTER | DT_RIGHT)) : layout) | DT_NOCLIP);
    GdiFlush();
    const auto [first, end] = canvas.InkColumns(0, before + drawnWidth + drawn.box.cx + 1);
    if (first < end) {
        drawn.inkLeft = first - before;
        drawn.inkRight = end - before;
        const int endInBox = canvas.InkColumns(before, before + drawn.box.cx).second;
        drawn.inkRightInBox = std::max(endInBox - before, 0);
    }
    return drawn;
}

int CentredLineWidth(const DrawnText& line, int margin) {
    const int advance = line.box.cx;
    return advance + SpareRoomFor(-line.inkLeft - margin, line.inkRight - advance - margin);
}

HFONT ControlFont(HWND control) {
    const auto font = reinterpret_cast<HFONT>(control ? SendMessageW(control, WM_GETFONT, 0, 0) : 0);
    return font ? font : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

std::wstring ControlText(HWND control) {
    if (!control) {
        return {};
    }
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(control)) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(control, text.data(), static_cast<int>(text.size()))));
    return text;
}

SIZE ClientSize(HWND window) {
    RECT client = {};
    GetClientRect(window, &client);
    return {client.right - client.left, client.bottom - client.top};
}
