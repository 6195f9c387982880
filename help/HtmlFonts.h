// Fonts of HTML items and the measuring of text runs.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "GdiHandles.h"

struct HtmlFontStyle {
    std::wstring face;
    int height = 0;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;

    bool operator==(const HtmlFontStyle& other) const {
        return face == other.face && height == other.height && bold == other.bold && italic == other.italic &&
               underline == other.underline && strikeOut == other.strikeOut;
    }
};

// "Wingdings" needs the symbol character set to show its glyphs.
GdiObject<HFONT> CreateHtmlFont(const HtmlFontStyle& style);

// Measures text on the screen, keeping the last font selected while the style stays the same.
class HtmlTextMeasurer {
public:
    HtmlTextMeasurer();
    HtmlTextMeasurer(const HtmlTextMeasurer&) = delete;
    HtmlTextMeasurer& operator=(const HtmlTextMeasurer&) = delete;
    ~HtmlTextMeasurer();

    SIZE Measure(const std::wstring& text, const HtmlFontStyle& style);

private:
    void UseStyle(const HtmlFontStyle& style);

    WindowDC m_screen{nullptr};
    MemoryDC m_dc;
    HtmlFontStyle m_style;
    GdiObject<HFONT> m_font;
    // Declared last so the font is deselected before it is deleted.
    std::unique_ptr<SelectedObject> m_selection;
};
