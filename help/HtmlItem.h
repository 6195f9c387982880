// One piece of formatted HTML-subset output: a text run, a break (line break, rule, table frame)
// or a table cell with its own items.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

// Colour values beside real COLORREFs: no colour, 3-D sunken and 3-D raised lines.
constexpr COLORREF kNoColour = static_cast<COLORREF>(-1);
constexpr COLORREF kSunkenLines = static_cast<COLORREF>(-1);
constexpr COLORREF kRaisedLines = static_cast<COLORREF>(-2);

enum HtmlItemKind { kTextItem = 0, kBreakItem = 2, kCellItem = 3 };

// Bits of HtmlItem::lines.
enum HtmlLineBits { kLineLeft = 1, kLineTop = 2, kLineRight = 4, kLineBottom = 8, kLineMiddle = 16 };

enum HtmlAlign { kAlignLeft = 0, kAlignRight = 1, kAlignCentre = 2, kAlignJustify = 3 };
enum HtmlVAlign { kVAlignTop = 0, kVAlignBottom = 1, kVAlignMiddle = 2 };
enum HtmlFloat { kFloatNone = -1, kFloatLeft = 0, kFloatRight = 1 };

struct HtmlItem;
using HtmlItemList = std::vector<std::unique_ptr<HtmlItem>>;

struct HtmlItem {
    int kind = kTextItem;
    int width = 0;
    int height = 0;
    int x = 0;
    int y = 0;
    int lines = 0;
    int lineWidth = 0;
    COLORREF lineColour = kNoColour;
    std::wstring face;
    int fontHeight = 0;
    int bold = 0;
    int italic = 0;
    COLORREF textColour = 0;
    COLORREF background = kNoColour;
    int align = kAlignLeft;
    int valign = kVAlignTop;
    std::wstring text;
    int row = 0;
    int column = 0;
    int colspan = 1;
    int rowspan = 1;
    int cellWidth = 0;
    int tableWidth = 0;
    int border = 0;
    int cellHeight = 0;
    int tableHeight = 0;
    int padding = 0;
    int spacing = 0;
    int floatSide = kFloatNone;
    int linkIndex = -1;
    int preformatted = 0;
    int clear = 0;
    HtmlItemList children;
    // Measures of a cell kept during one layout so nested tables are measured once: narrowest
    // content width, preferred content width, and two spare slots.
    int layoutCache[4] = {-1, -1, -1, -1};

    bool IsText() const { return kind != kBreakItem && kind != kCellItem; }
    bool IsBreak() const { return kind == kBreakItem; }
    bool IsCell() const { return kind == kCellItem; }
    bool IsSingleSpace() const { return IsText() && text == L" "; }
};
