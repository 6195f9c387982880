// Turns cleaned HTML-subset markup into the item tree that layout places and painting draws.
#pragma once

#include <windows.h>

#include <functional>
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

    // full is asked now and then while items are built (each time the text items built double,
    // from kFirstFullCheck on); once it answers true, building stops where it is, at every depth.
    void StopWhen(std::function<bool()> full);
    bool Stopped() const { return m_stopped; }
    // A text item was built: the moment to ask whether the content is full.
    void CountTextItem();
    static constexpr size_t kFirstFullCheck = 256;

    int FindOrAddLink(const std::wstring& target);
    HtmlTextMeasurer& Measurer() { return m_measurer; }

private:
    std::vector<std::wstring>& m_links;
    int& m_listDepth;
    HtmlTextMeasurer m_measurer;
    std::function<bool()> m_full; // empty: everything is built
    size_t m_textItems = 0;
    size_t m_nextCheck = kFirstFullCheck;
    bool m_stopped = false;
};

// The face as an item keeps it: up to the first comma, within the platform's face-name limit.
std::wstring TrimFaceName(std::wstring_view face);
