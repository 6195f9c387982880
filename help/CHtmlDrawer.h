// Formats a short text in a subset of HTML into items, lays them out in a rectangle and paints them.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "HtmlItem.h"
#include "IHtmlDrawerSite.h"

using HtmlAttribute = std::pair<std::wstring, std::wstring>;
using HtmlAttributes = std::vector<HtmlAttribute>;

class CHtmlDrawer {
public:
    explicit CHtmlDrawer(IHtmlDrawerSite* site = nullptr);
    CHtmlDrawer(const CHtmlDrawer&) = delete;
    CHtmlDrawer& operator=(const CHtmlDrawer&) = delete;
    ~CHtmlDrawer();

    // Replaces the content. face, fontHeight and colour are the defaults of all text; a sourceName
    // ending in ".txt" makes the text plain preformatted text in "Courier New". Null texts are empty.
    // With largest, the text is built only until what is built, laid out that wide, passes that
    // height: what could not be seen anyway is left out, so a text however long costs what fills it.
    void SetContent(const wchar_t* text, const wchar_t* face, int fontHeight, COLORREF colour,
                    const wchar_t* sourceName, std::optional<SIZE> largest = std::nullopt);
    // Lays the content out from rect's left, top within its right edge; answers the extent in
    // rect->right and rect->bottom.
    void Layout(RECT* rect);
    // Fills rect with the body background when set and paints the items shifted by (-dx, -dy).
    void Draw(HDC dc, const RECT* rect, int dx, int dy);

    // Markup helpers shared by building and by users of the drawer.
    static COLORREF ParseColour(const wchar_t* text);
    static void DecodeEntities(std::wstring& text);
    static HtmlAttributes ParseTagAttributes(const wchar_t* tag);

    const HtmlItemList& Items() const { return m_items; }
    const std::vector<std::wstring>& Links() const { return m_links; }

private:
    void BuildContent(const wchar_t* text, const wchar_t* face, int fontHeight, COLORREF colour,
                      const wchar_t* sourceName, std::optional<SIZE> largest);
    // The bottom of the items built so far, laid out from (0, 0) that wide.
    int LaidOutBottom(int width);

    HtmlItemList m_items;
    IHtmlDrawerSite* m_site = nullptr;
    std::vector<std::wstring> m_links;
    COLORREF m_background = kNoColour;
    int m_listDepth = 0;
};
