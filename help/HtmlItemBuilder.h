// Turns cleaned HTML-subset markup into the item tree that layout places and painting draws.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

#include "HtmlFonts.h"
#include "HtmlItem.h"

// Bounds that keep hostile markup from exhausting the stack or overflowing sizes.
constexpr int kMaxBuildDepth = 20;
constexpr int kMaxFontHeight = 500;
constexpr int kMaxSpan = 1000;
constexpr int kMaxPixels = 10000;
constexpr int kMaxPercent = 1000;
constexpr int kMaxBorder = 100;
constexpr int kMaxPadding = 1000;

struct HtmlBuildDefaults {
    std::wstring face;
    int fontHeight = 0;
    COLORREF colour = 0;
    int align = 0;
    bool preformatted = false;
    int depth = 0;
};

class HtmlItemBuilder {
public:
    HtmlItemBuilder(std::vector<std::wstring>& links, int& listDepth);

    // Builds items from markup that went through the cleaning pass.
    void Build(std::wstring_view text, HtmlItemList& out, const HtmlBuildDefaults& defaults);
    // Builds items from plain text: no tags, no entities, white space kept, breaks at line ends.
    void BuildPlain(std::wstring_view text, HtmlItemList& out, const HtmlBuildDefaults& defaults);

    int FindOrAddLink(const std::wstring& target);
    HtmlTextMeasurer& Measurer() { return m_measurer; }

private:
    std::vector<std::wstring>& m_links;
    int& m_listDepth;
    HtmlTextMeasurer m_measurer;
};

// The face as an item keeps it: up to the first comma, within the platform's face-name limit.
std::wstring TrimFaceName(std::wstring_view face);
