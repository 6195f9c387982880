// The HTML drawer's layout and painting: line placement, alignment, floats, tables, pixels in a
// memory bitmap, GDI objects per paint, and a short fuzz run.
#include "CHtmlDrawer.h"
#include "GdiHandles.h"
#include "../fuzz/HtmlFuzzInputs.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <string>

namespace {

constexpr int kHeight = -13;

// A white bitmap selected into a memory DC.
class Canvas {
public:
    Canvas(int width, int height)
        : m_screen(nullptr), m_dc(m_screen.Get()),
          m_bitmap(CreateCompatibleBitmap(m_screen.Get(), width, height)) {
        m_selection = std::make_unique<SelectedObject>(m_dc.Get(), m_bitmap.Get());
        RECT all{0, 0, width, height};
        FillRect(m_dc.Get(), &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    }
    ~Canvas() { m_selection.reset(); }
    HDC Dc() const { return m_dc.Get(); }
    COLORREF Pixel(int x, int y) const { return GetPixel(m_dc.Get(), x, y); }

private:
    WindowDC m_screen;
    MemoryDC m_dc;
    GdiObject<HBITMAP> m_bitmap;
    std::unique_ptr<SelectedObject> m_selection;
};

class HtmlLayoutTest : public testing::Test {
protected:
    RECT LayOut(const wchar_t* text, RECT area = {10, 20, 310, 30}) {
        drawer.SetContent(text, L"Arial", kHeight, RGB(0, 0, 0), L"/");
        drawer.Layout(&area);
        return area;
    }

    const HtmlItem& Item(size_t index) const { return *drawer.Items().at(index); }

    // The first text item with the given text, searched through cells too.
    static const HtmlItem* FindText(const HtmlItemList& items, const std::wstring& text) {
        for (const auto& item : items) {
            if (item->IsText() && item->text == text) {
                return item.get();
            }
            if (item->IsCell()) {
                if (const HtmlItem* found = FindText(item->children, text)) {
                    return found;
                }
            }
        }
        return nullptr;
    }
    const HtmlItem& Text(const wchar_t* text) const {
        const HtmlItem* found = FindText(drawer.Items(), text);
        EXPECT_TRUE(found) << testing::PrintToString(std::wstring(text));
        static HtmlItem none;
        return found ? *found : none;
    }

    CHtmlDrawer drawer;
};

TEST_F(HtmlLayoutTest, ShortTextSitsOnOneLineAndReportsItsExtent) {
    const RECT extent = LayOut(L"one two");
    const HtmlItem& one = Text(L"one");
    const HtmlItem& two = Text(L"two");
    EXPECT_EQ(one.x, 10);
    EXPECT_EQ(one.y, 20);
    EXPECT_EQ(two.y, one.y);
    EXPECT_GT(two.x, one.x + one.width);
    EXPECT_EQ(extent.right, two.x + two.width);
    EXPECT_EQ(extent.bottom, 20 + one.height);
    const RECT empty = LayOut(L"");
    EXPECT_EQ(empty.right, 10);
    EXPECT_EQ(empty.bottom, 20);
}

TEST_F(HtmlLayoutTest, WordsWrapAtTheRightEdgeAndAWideWordOverflowsAlone) {
    std::wstring text;
    for (int k = 0; k < 40; ++k) {
        text += L"word ";
    }
    const RECT wrapped = LayOut(text.c_str());
    EXPECT_LE(wrapped.right, 310 - 2);
    EXPECT_GT(wrapped.bottom, 20 + 2 * Item(0).height);
    const std::wstring wide = L"a " + std::wstring(200, L'W') + L" b";
    const RECT overflow = LayOut(wide.c_str());
    const HtmlItem& a = Item(0);
    const HtmlItem& big = Item(2);
    const HtmlItem& b = Item(4);
    EXPECT_EQ(big.x, 10);
    EXPECT_GT(big.y, a.y);
    EXPECT_GT(b.y, big.y);
    EXPECT_EQ(overflow.right, big.x + big.width);
    EXPECT_GT(overflow.right, 310);
}

TEST_F(HtmlLayoutTest, AlignmentShiftsLinesButNeverLeftOfTheArea) {
    const int right = 310 - 2;
    LayOut(L"<center>mid</center>");
    const HtmlItem& mid = Text(L"mid");
    EXPECT_EQ(mid.x, 10 + (right - mid.width - 10) / 2);
    LayOut(L"<p align=right>end </p>");
    const HtmlItem& end = Text(L"end");
    EXPECT_EQ(end.x + end.width, right) << "a trailing space does not count";
    const std::wstring wide = L"<center>" + std::wstring(200, L'W') + L"</center>";
    LayOut(wide.c_str());
    EXPECT_EQ(Text(std::wstring(200, L'W').c_str()).x, 10);
}

TEST_F(HtmlLayoutTest, JustifiedLinesReachTheRightEdgeExceptTheLast) {
    std::wstring text = L"<p align=justify>";
    for (int k = 0; k < 30; ++k) {
        text += L"ab abcd ";
    }
    text += L"last</p>";
    LayOut(text.c_str());
    const int right = 310 - 2;
    int fullLines = 0;
    const HtmlItemList& items = drawer.Items();
    for (size_t k = 0; k + 1 < items.size(); ++k) {
        const HtmlItem& item = *items[k];
        const HtmlItem& next = *items[k + 1];
        if (item.IsText() && !item.IsSingleSpace() && next.IsSingleSpace() && k + 2 < items.size() &&
            items[k + 2]->y > item.y && items[k + 2]->IsText()) {
            EXPECT_EQ(item.x + item.width, right) << "line ending at item " << k;
            ++fullLines;
        }
    }
    EXPECT_GE(fullLines, 2);
    const HtmlItem& last = Text(L"last");
    EXPECT_LT(last.x + last.width, right);
}

TEST_F(HtmlLayoutTest, TableCellsShareRowsAndColumnsAndSpanThem) {
    LayOut(L"<table cellspacing=2 cellpadding=3><tr><td>a</td><td>bbbbbb</td></tr>"
           L"<tr><td colspan=2>cc</td></tr><tr><td rowspan=99>d</td><td>e</td></tr></table>after");
    const HtmlItemList& items = drawer.Items();
    const HtmlItem& frame = *items[0];
    const HtmlItem& a = *items[1];
    const HtmlItem& b = *items[2];
    const HtmlItem& c = *items[4];
    const HtmlItem& d = *items[6];
    const HtmlItem& e = *items[7];
    EXPECT_EQ(a.x, frame.x + 2);
    EXPECT_EQ(a.y, frame.y + 2);
    EXPECT_EQ(a.y, b.y);
    EXPECT_EQ(b.x, a.x + a.width + 2);
    EXPECT_EQ(c.x, a.x);
    EXPECT_EQ(c.width, a.width + 2 + b.width);
    EXPECT_EQ(d.x, a.x);
    EXPECT_EQ(e.x, b.x);
    EXPECT_EQ(d.height, e.height) << "a rowspan stops at the last row";
    EXPECT_EQ(frame.x + frame.width, b.x + b.width + 2);
    EXPECT_EQ(frame.y + frame.height, d.y + d.height + 2);
    EXPECT_EQ(Text(L"a").x, a.x + 3);
    EXPECT_EQ(Text(L"a").y, a.y + 3);
    EXPECT_GE(Text(L"after").y, frame.y + frame.height);
}

TEST_F(HtmlLayoutTest, TableWidthsFollowTheirTargets) {
    LayOut(L"<table width=200 cellspacing=0 cellpadding=0><tr><td>a</td><td>b</td></tr></table>");
    EXPECT_EQ(Item(0).width, 200);
    LayOut(L"<table width=50% cellspacing=0 cellpadding=0><tr><td>a</td><td width=40>b</td></tr></table>");
    EXPECT_EQ(Item(0).width, (310 - 2 - 10) / 2);
    EXPECT_EQ(Item(2).width, 40) << "a fixed column keeps its width while others grow";
    LayOut(L"<table cellspacing=0 cellpadding=0><tr><td>a b</td></tr></table>");
    EXPECT_LT(Item(0).width, 100) << "an automatic table grows only to its preferred width";
}

TEST_F(HtmlLayoutTest, LeftFloatKeepsTextBesideItUntilAClearingBreak) {
    LayOut(L"<table align=left width=100 height=80><tr><td>t</td></tr></table>beside<br clear=all>below");
    const HtmlItem& frame = Item(0);
    const HtmlItem& beside = Text(L"beside");
    const HtmlItem& below = Text(L"below");
    EXPECT_GE(beside.x, frame.x + frame.width);
    EXPECT_LT(beside.y, frame.y + frame.height);
    EXPECT_EQ(below.x, 10);
    EXPECT_GE(below.y, frame.y + frame.height);
}

TEST_F(HtmlLayoutTest, LinesAlignTheirItemsAtTheBottomAndRulesSpanTheArea) {
    LayOut(L"<font size=7>Big</font>small<hr>after");
    const HtmlItem& big = Text(L"Big");
    const HtmlItem& small = Text(L"small");
    EXPECT_GT(big.height, small.height);
    EXPECT_EQ(small.y + small.height, big.y + big.height);
    const auto rule = std::find_if(drawer.Items().begin(), drawer.Items().end(),
                                   [](const auto& item) { return item->IsBreak() && item->height == 2; });
    ASSERT_NE(rule, drawer.Items().end());
    EXPECT_EQ((*rule)->x, 10);
    EXPECT_EQ((*rule)->width, 310 - 2 - 10);
    EXPECT_GE((*rule)->y, big.y + big.height);
    EXPECT_GT(Text(L"after").y, (*rule)->y);
}

TEST_F(HtmlLayoutTest, RightFloatAndCellAlignmentPlaceContentAtTheirEdges) {
    LayOut(L"<table align=right width=100><tr><td height=60 valign=bottom>t</td></tr></table>text");
    const HtmlItem& frame = Item(0);
    const HtmlItem& cell = Item(1);
    const HtmlItem& text = Text(L"text");
    EXPECT_EQ(frame.x + frame.width, 310 - 2);
    EXPECT_EQ(text.x, 10);
    EXPECT_LT(text.y, frame.y + frame.height);
    EXPECT_EQ(Text(L"t").y + Text(L"t").height, cell.y + cell.height - cell.padding);
}

TEST_F(HtmlLayoutTest, HostileSizesFinishQuickly) {
    const wchar_t* const inputs[] = {
        L"<table width=2147483647 height=99999999999><tr><td width=99999999 "
        L"height=99999999>x</td></tr></table>",
        L"<table width=-5%><tr><td colspan=1000 rowspan=1000 "
        L"width=9999>x</td></tr><tr><td>y</td></tr></table>",
        L"<table cellpadding=99999 cellspacing=99999 border=99999><tr><td>x<td>y</table>",
        L"<table width=10000><tr><td width=10000>a<td width=10000>b<td width=10000>c</table>",
        L"<p align=justify>a b c d e f g h i j k l m n o p q r s t u v w x y z a b c d e f g h</p>",
    };
    for (const wchar_t* input : inputs) {
        const auto start = std::chrono::steady_clock::now();
        LayOut(input, RECT{0, 0, 0, 0});
        LayOut(input);
        const auto took = std::chrono::steady_clock::now() - start;
        EXPECT_LT(took, std::chrono::seconds(1)) << testing::PrintToString(std::wstring(input));
    }
}

TEST_F(HtmlLayoutTest, DrawsCellBackgroundsAndBordersIntoTheBitmap) {
    LayOut(L"<table border=1 cellspacing=4 cellpadding=6><tr><td bgcolor=#ff0000>x</td></tr></table>",
           RECT{0, 0, 200, 10});
    Canvas canvas(220, 120);
    const RECT visible{0, 0, 220, 120};
    drawer.Draw(canvas.Dc(), &visible, 0, 0);
    const HtmlItem& frame = Item(0);
    const HtmlItem& cell = Item(1);
    EXPECT_EQ(canvas.Pixel(cell.x + cell.width - 3, cell.y + cell.height - 3), RGB(255, 0, 0));
    EXPECT_EQ(canvas.Pixel(cell.x, cell.y + 2), RGB(128, 128, 128)) << "sunken cell: grey left edge";
    EXPECT_EQ(canvas.Pixel(cell.x + cell.width - 1, cell.y + 2), RGB(255, 255, 255));
    EXPECT_EQ(canvas.Pixel(frame.x + frame.width - 1, frame.y + 2), RGB(128, 128, 128))
        << "raised frame: grey right edge";
    EXPECT_EQ(canvas.Pixel(frame.x + 2, frame.y + 2), RGB(255, 255, 255))
        << "inside the frame, outside cells";

    // Shifted by (dx, dy), the same cell lands elsewhere; items out of sight are skipped.
    Canvas shifted(220, 120);
    drawer.Draw(shifted.Dc(), &visible, -50, -30);
    EXPECT_EQ(shifted.Pixel(cell.x + 50 + 5, cell.y + 30 + 5), RGB(255, 0, 0));
    EXPECT_EQ(shifted.Pixel(cell.x + 5, cell.y + 5), RGB(255, 255, 255));
}

TEST_F(HtmlLayoutTest, PaintingLeavesNoGdiObjectsBehind) {
    LayOut(L"<body bgcolor=yellow><h1>Title</h1><b>bold</b> <i>it</i> <u>u</u> <strike>s</strike> <a "
           L"href=x>link</a>"
           L"<hr><table border=2 bordercolor=blue><tr><td bgcolor=red>a<td>b</table><ul><li>one<li>two</ul>"
           L"<pre>code\tx</pre><blockquote>q</blockquote>");
    Canvas canvas(400, 400);
    const RECT visible{0, 0, 400, 400};
    drawer.Draw(canvas.Dc(), &visible, 0, 0);
    const DWORD before = CountGdiObjects();
    ASSERT_GT(before, 0u);
    for (int k = 0; k < 300; ++k) {
        drawer.Draw(canvas.Dc(), &visible, k % 7, k % 5);
    }
    EXPECT_EQ(CountGdiObjects(), before);
}

TEST(HtmlFuzz, ShortRunStaysFastAndLeavesNoGdiObjects) {
    HtmlFuzzInputs inputs(20261207);
    HtmlFuzzCanvas canvas;
    canvas.Run(L"<b>warm</b> up", false);
    const DWORD before = CountGdiObjects();
    for (int k = 0; k < 2000; ++k) {
        const std::wstring input = inputs.Next();
        const bool plain = inputs.NextIsPlainText();
        const auto start = std::chrono::steady_clock::now();
        canvas.Run(input, plain);
        ASSERT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1))
            << "input " << k << ": " << testing::PrintToString(input.substr(0, 200));
    }
    EXPECT_EQ(CountGdiObjects(), before);
}

} // namespace
