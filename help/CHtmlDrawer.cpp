#include "CHtmlDrawer.h"

#include <algorithm>
#include <new>

#include "GdiHandles.h"
#include "HtmlItemBuilder.h"
#include "HtmlLayout.h"
#include "HtmlMarkup.h"
#include "HtmlPainter.h"
#include "TextUtil.h"

namespace {

// Help texts are short; a bound on the length keeps every coordinate far from overflowing.
constexpr size_t kMaxContentLength = 1 << 20;

bool IsPlainTextSource(const wchar_t* sourceName) {
    if (!sourceName) {
        return false;
    }
    const wchar_t* dot = wcsrchr(sourceName, L'.');
    return dot && EqualsNoCase(dot + 1, L"txt");
}

} // namespace

CHtmlDrawer::CHtmlDrawer(IHtmlDrawerSite* site) : m_site(site) {}

CHtmlDrawer::~CHtmlDrawer() = default;

void CHtmlDrawer::SetContent(const wchar_t* text, const wchar_t* face, int fontHeight, COLORREF colour,
                             const wchar_t* sourceName, std::optional<SIZE> largest) {
    try {
        BuildContent(text, face, fontHeight, colour, sourceName, largest);
    } catch (const std::bad_alloc&) {
        // Out of memory: a short beep, and the items built so far stay.
        Beep(1000, 10);
    }
}

void CHtmlDrawer::BuildContent(const wchar_t* text, const wchar_t* face, int fontHeight, COLORREF colour,
                               const wchar_t* sourceName, std::optional<SIZE> largest) {
    m_items.clear();
    m_links.clear();
    m_background = kNoColour;
    m_listDepth = 0;
    std::wstring_view source = text ? std::wstring_view(text) : std::wstring_view();
    source = source.substr(0, kMaxContentLength);

    HtmlBuildDefaults defaults;
    defaults.face = TrimFaceName(face ? face : L"");
    defaults.fontHeight = std::clamp(fontHeight, -kMaxFontHeight, kMaxFontHeight);
    defaults.colour = colour;
    HtmlItemBuilder builder(m_links, m_listDepth);
    if (largest) {
        // Content only grows downwards as items are added, so once a part is too high the whole is.
        builder.StopWhen([this, largest] { return LaidOutBottom(largest->cx) > largest->cy; });
    }
    if (IsPlainTextSource(sourceName)) {
        defaults.face = L"Courier New";
        defaults.preformatted = true;
        builder.BuildPlain(source, m_items, defaults);
        return;
    }
    html::CleanedMarkup cleaned = html::CleanMarkup(source, m_site);
    m_background = cleaned.background;
    builder.Build(cleaned.text, m_items, defaults);
}

void CHtmlDrawer::Layout(RECT* rect) {
    if (!rect) {
        return;
    }
    ResetLayoutCache(m_items);
    HtmlExtent extent{rect->left, rect->top};
    try {
        extent = LayOutItems(m_items, rect->left, rect->top, rect->right - 2);
    } catch (const std::bad_alloc&) {
        Beep(1000, 10);
    }
    ResetLayoutCache(m_items);
    rect->right = extent.right;
    rect->bottom = extent.bottom;
}

int CHtmlDrawer::LaidOutBottom(int width) {
    RECT area = {0, 0, width, 0};
    Layout(&area);
    return area.bottom;
}

void CHtmlDrawer::Draw(HDC dc, const RECT* rect, int dx, int dy) {
    if (!dc || !rect) {
        return;
    }
    // Painting changes the background mode, text alignment and colour; the caller's stay as they were.
    const int saved = SaveDC(dc);
    if (m_background != kNoColour) {
        GdiObject<HBRUSH> brush(CreateSolidBrush(m_background));
        if (brush) {
            FillRect(dc, rect, brush.Get());
        }
    }
    SetBkMode(dc, TRANSPARENT);
    SetTextAlign(dc, 0);
    PaintItems(dc, m_items, *rect, dx, dy);
    if (saved) {
        RestoreDC(dc, saved);
    }
}

COLORREF CHtmlDrawer::ParseColour(const wchar_t* text) {
    return html::ParseColour(text ? std::wstring_view(text) : std::wstring_view());
}

void CHtmlDrawer::DecodeEntities(std::wstring& text) {
    html::DecodeEntities(text);
}

HtmlAttributes CHtmlDrawer::ParseTagAttributes(const wchar_t* tag) {
    return tag ? html::ParseTagAttributes(tag) : HtmlAttributes();
}
