#include "HtmlFonts.h"

#include "TextUtil.h"

GdiObject<HFONT> CreateHtmlFont(const HtmlFontStyle& style) {
    const DWORD charset = EqualsNoCase(style.face.c_str(), L"Wingdings") ? SYMBOL_CHARSET : ANSI_CHARSET;
    return GdiObject<HFONT>(CreateFontW(style.height, 0, 0, 0, style.bold ? FW_BOLD : FW_NORMAL, style.italic,
                                        style.underline, style.strikeOut, charset, OUT_DEFAULT_PRECIS,
                                        CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                                        style.face.c_str()));
}

// A memory DC compatible with the screen measures like the screen without holding the screen's DC
// across selections.
HtmlTextMeasurer::HtmlTextMeasurer() : m_dc(m_screen.Get()) {}

HtmlTextMeasurer::~HtmlTextMeasurer() {
    m_selection.reset();
}

void HtmlTextMeasurer::UseStyle(const HtmlFontStyle& style) {
    if (m_font && m_style == style) {
        return;
    }
    m_selection.reset();
    m_font = CreateHtmlFont(style);
    m_style = style;
    if (m_font) {
        m_selection = std::make_unique<SelectedObject>(m_dc.Get(), m_font.Get());
    }
}

SIZE HtmlTextMeasurer::Measure(const std::wstring& text, const HtmlFontStyle& style) {
    SIZE size{0, 0};
    if (!m_dc.Get()) {
        return size;
    }
    UseStyle(style);
    GetTextExtentPoint32W(m_dc.Get(), text.c_str(), static_cast<int>(text.size()), &size);
    return size;
}
