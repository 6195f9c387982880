#include "CHtmlDrawer.h"

CHtmlDrawer::CHtmlDrawer(IHtmlDrawerSite* site) : m_site(site) {}

CHtmlDrawer::~CHtmlDrawer() = default;

void CHtmlDrawer::SetContent(const wchar_t* text, const wchar_t* face, int fontHeight, COLORREF colour,
                             const wchar_t* sourceName) {
    m_items.clear();
    m_links.clear();
    m_background = kNoColour;
    m_listDepth = 0;
}

void CHtmlDrawer::Layout(RECT* rect) {
    if (rect) {
        rect->right = rect->left;
        rect->bottom = rect->top;
    }
}

void CHtmlDrawer::Draw(HDC dc, const RECT* rect, int dx, int dy) {}

COLORREF CHtmlDrawer::ParseColour(const wchar_t* text) {
    return 0;
}

void CHtmlDrawer::DecodeEntities(std::wstring& text) {}

HtmlAttributes CHtmlDrawer::ParseTagAttributes(const wchar_t* tag) {
    return {};
}
