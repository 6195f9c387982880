// Measuring a text as a control draws it: DrawText's box, and the ink that reaches past it.
#include "TextRoom.h"

#include "CTEVElement.h"
#include "GdiHandles.h"

#include <algorithm>
#include <cwchar>

namespace {

// Where a text lies in its box, not how much room it takes.
constexpr UINT kPlacementFlags = DT_CENTER | DT_RIGHT | DT_VCENTER | DT_BOTTOM;
constexpr DWORD kWhite = 0x00FFFFFF;

// A white 32-bit bitmap selected into a memory device context, top row first.
class InkCanvas {
public:
    InkCanvas(HDC dc, int width, int height) : m_width(width), m_height(height) {
        BITMAPINFO info = {};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        void* bits = nullptr;
        m_bitmap.Reset(CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        if (m_bitmap) {
            m_pixels = static_cast<DWORD*>(bits);
            std::fill(m_pixels, m_pixels + static_cast<size_t>(width) * height, kWhite);
        }
    }

    HBITMAP Bitmap() const { return m_bitmap.Get(); }

    // Whether anything was drawn in column x.
    bool ColumnHasInk(int x) const {
        for (int y = 0; y < m_height; ++y) {
            if ((m_pixels[static_cast<size_t>(y) * m_width + x] & 0x00FFFFFF) != kWhite) {
                return true;
            }
        }
        return false;
    }

    // One past the rightmost column drawn in, at or after from; from when none is.
    int InkEnd(int from) const {
        for (int x = m_width - 1; x >= from; --x) {
            if (ColumnHasInk(x)) {
                return x + 1;
            }
        }
        return from;
    }

private:
    GdiObject<HBITMAP> m_bitmap;
    DWORD* m_pixels = nullptr;
    int m_width;
    int m_height;
};

// How far the text's ink reaches past the right edge of its box, drawn in a box of the given
// width as a control draws it; 0 when the text cannot be drawn to look. Ink left of the box asks
// no room: it is cut at any width.
int InkPastBox(HDC dc, const wchar_t* text, int length, UINT format, int drawnWidth, SIZE box) {
    // A glyph drawn wider than it measures pushes every later glyph along, so the ink may drift
    // past the box by a share of the text's own width, never by more than all of it.
    const int reach = box.cx + 1;
    InkCanvas canvas(dc, drawnWidth + reach, box.cy);
    if (!canvas.Bitmap()) {
        return 0;
    }
    SelectedObject bitmap(dc, canvas.Bitmap());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(0, 0, 0));
    RECT place = {0, 0, drawnWidth, box.cy};
    DrawTextW(dc, text, length, &place, format | DT_NOCLIP);
    GdiFlush();
    return canvas.InkEnd(box.cx) - box.cx;
}

} // namespace

SIZE MeasureDrawnText(HFONT font, const wchar_t* text, UINT format, int width) {
    if (!text) {
        text = L"W";
    }
    const int length = static_cast<int>(std::min<size_t>(wcslen(text), CTEVElement::kMaxMeasuredText));
    const UINT layout = format & ~kPlacementFlags;
    MemoryDC dc(nullptr);
    SelectedObject selected(dc.Get(), font);
    RECT rect = {0, 0, width, 0};
    DrawTextW(dc.Get(), text, length, &rect, DT_CALCRECT | layout);
    SIZE box = {rect.right - rect.left, rect.bottom - rect.top};
    if (box.cx <= 0 || box.cy <= 0) {
        return box;
    }
    // A wrapped text breaks its lines at the width it is drawn in, not at its widest line.
    const int drawnWidth = (layout & DT_WORDBREAK) ? std::max<int>(width, box.cx) : box.cx;
    box.cx += InkPastBox(dc.Get(), text, length, layout, drawnWidth, box);
    return box;
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
