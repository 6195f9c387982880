// The HTML subset read into items: entities, colours, attributes, tag matching, and the items that
// text, links, fonts, tables and lists become.
#include "CHtmlDrawer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr int kHeight = 16;
constexpr COLORREF kDefaultColour = RGB(1, 2, 3);

struct TitleSite : IHtmlDrawerSite {
    std::vector<std::wstring> titles;
    void OnTitle(const wchar_t* title) override { titles.push_back(title); }
};

class HtmlMarkup : public testing::Test {
protected:
    const HtmlItemList& Build(const wchar_t* text, const wchar_t* source = L"/") {
        drawer.SetContent(text, L"Arial", kHeight, kDefaultColour, source);
        return drawer.Items();
    }

    // The texts of the text items of a list, in order.
    static std::vector<std::wstring> Texts(const HtmlItemList& items) {
        std::vector<std::wstring> texts;
        for (const auto& item : items) {
            if (item->IsText()) {
                texts.push_back(item->text);
            }
        }
        return texts;
    }

    // Item kinds as letters: t text, b break, c cell.
    static std::string Kinds(const HtmlItemList& items) {
        std::string kinds;
        for (const auto& item : items) {
            kinds += item->IsCell() ? 'c' : item->IsBreak() ? 'b' : 't';
        }
        return kinds;
    }

    TitleSite site;
    CHtmlDrawer drawer{&site};
};

using Words = std::vector<std::wstring>;

TEST(HtmlEntities, DecodeReferencesOnceAndStayInsideTheText) {
    const struct {
        const wchar_t* text;
        std::wstring decoded;
    } cases[] = {
        {L"&#65;", L"A"},
        {L"&#65 b", L"Ab"},
        {L"&#65x;c", L"Ac"},
        {L"&#x41;", L""},
        {L"&amp;lt;", L"&lt;"},
        {L"&lt;&gt;&quot;", L"<>\""},
        {L"&nbsp;&yuml;&euro;&trade;", L"\x00a0\x00ff\x20ac\x2122"},
        {L"&Yuml;&ldquo;", L"\x0178\""},
        {L"&AMP;", L"&AMP;"},
        {L"&#65601;", L"A"},
        {L"&#99999999999999999999999;", std::wstring(1, static_cast<wchar_t>([] {
                                                         unsigned v = 0;
                                                         for (int k = 0; k < 23; ++k) {
                                                             v = (v * 10 + 9) % 65536;
                                                         }
                                                         return v;
                                                     }()))},
        {L"a&#0;b", L"ab"},
        {L"a&#", L"a"},
        {L"a&", L"a&"},
        {L"\xff97\xffa0", L"- "},
    };
    for (const auto& c : cases) {
        std::wstring text = c.text;
        CHtmlDrawer::DecodeEntities(text);
        EXPECT_EQ(text, c.decoded) << testing::PrintToString(std::wstring(c.text));
    }
}

TEST(HtmlColours, NamesWinOverDigitsAndShortValuesReadAsZero) {
    const struct {
        const wchar_t* text;
        COLORREF colour;
    } cases[] = {
        {L"red", RGB(255, 0, 0)},
        {L"NAVY", RGB(0, 0, 128)},
        {L"Gray", RGB(0x7f, 0x7f, 0x7f)},
        {L"BlanchedAlmond", RGB(0xff, 0xff, 0xcd)},
        {L"YellowGreen", RGB(0x8b, 0xcd, 0x32)},
        {L"LightGrey", RGB(0xd3, 0xd3, 0xd3)},
        {L"#00ff80", RGB(0, 255, 0x80)},
        {L"102030", RGB(0x10, 0x20, 0x30)},
        {L"#12", RGB(0x12, 0, 0)},
        {L"#", RGB(0, 0, 0)},
        {L"", RGB(0, 0, 0)},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CHtmlDrawer::ParseColour(c.text), c.colour) << testing::PrintToString(std::wstring(c.text));
    }
    // Spellings that are not names fall through to the digits.
    EXPECT_NE(CHtmlDrawer::ParseColour(L"LightGray"), CHtmlDrawer::ParseColour(L"LightGrey"));
}

TEST(HtmlAttributes, QuotedBareAndValuelessPairsUpToTheTagEnd) {
    const HtmlAttributes attributes =
        CHtmlDrawer::ParseTagAttributes(L"<font face=\"Arial Black\" size=3 color='red' nowrap>x y=1");
    const HtmlAttributes expected = {
        {L"face", L"Arial Black"}, {L"size", L"3"}, {L"color", L"red"}, {L"nowrap", L""}};
    EXPECT_EQ(attributes, expected);
    EXPECT_TRUE(CHtmlDrawer::ParseTagAttributes(L"<td>").empty());
    const HtmlAttributes cutOff = {{L"href", L"x"}};
    EXPECT_EQ(CHtmlDrawer::ParseTagAttributes(L"<a href=\"x"), cutOff);
}

TEST_F(HtmlMarkup, TagsMatchOnlyWithASeparatorAfterTheirName) {
    const struct {
        const wchar_t* text;
        Words words;
        bool firstBold;
    } cases[] = {
        {L"<b>bold</b> plain", {L"bold", L" ", L"plain"}, true},
        {L"<B\tclass=x>bold</b>", {L"bold"}, true},
        {L"<br>line", {L" ", L"line"}, false},
        {L"<blockquote>quoted</blockquote>", {L"quoted"}, false},
        {L"<bogus>kept</bogus>", {L"kept"}, false},
        {L"<bo", {}, false},
        {L"a < b", {L"a", L" "}, false},
    };
    for (const auto& c : cases) {
        const HtmlItemList& items = Build(c.text);
        std::vector<std::wstring> texts;
        for (const auto& item : items) {
            if (item->IsText()) {
                texts.push_back(item->text);
            } else if (item->IsCell()) {
                for (const auto& child : item->children) {
                    texts.push_back(child->text);
                }
            }
        }
        EXPECT_EQ(texts, c.words) << testing::PrintToString(std::wstring(c.text));
        if (c.firstBold) {
            ASSERT_FALSE(items.empty());
            EXPECT_EQ(items.front()->bold, 1);
        }
    }
}

TEST_F(HtmlMarkup, CleaningFoldsSpacesOutsidePreAndDropsScriptsCommentsAndTitle) {
    EXPECT_EQ(Texts(Build(L"  one \t\r\n  two")), (Words{L"one", L" ", L"two"}));
    EXPECT_EQ(Texts(Build(L"a<script>x<y</script >b<!-- c -->d<style>e</style>f")), (Words{L"abdf"}));
    EXPECT_EQ(Texts(Build(L"<title> T&amp;C \n</title>body")), (Words{L"body"}));
    ASSERT_EQ(site.titles.size(), 1u);
    EXPECT_EQ(site.titles[0], L"T&C");
    const HtmlItemList& pre = Build(L"<pre>a   b</pre>");
    ASSERT_EQ(Kinds(pre), "bcb");
    EXPECT_EQ(Texts(pre[1]->children), (Words{L"a", L" ", L" ", L" ", L"b"}));
    EXPECT_EQ(pre[1]->children[0]->face, L"Courier New");
    // Constructs cut off at the very end read nothing past it.
    for (const wchar_t* cut : {L"x<title", L"x<title>", L"x<!--", L"x<!-", L"x&#", L"x<font face=",
                               L"x<table", L"x<ul><li", L"x<p align=right", L"x<body bgcolor=#12"}) {
        EXPECT_EQ(Texts(Build(cut)).front(), L"x") << testing::PrintToString(std::wstring(cut));
    }
}

TEST_F(HtmlMarkup, FontSizesFacesAndColoursStayWithinBounds) {
    const struct {
        const wchar_t* text;
        int fontHeight;
    } cases[] = {
        {L"<font size=3>x", 20},
        {L"<font size=+2>x", kHeight + 2},
        {L"<font size=-2>x", kHeight - 2},
        {L"<font size=0>x", kHeight},
        {L"<font size=99999999999999>x", 500},
        {L"<font size=+99999999999999>x", 500},
        {L"<big>x", kHeight + kHeight / 3},
        {L"<small>x", kHeight - kHeight / 3},
        {L"<h1>x", 2 * kHeight},
        {L"<h1><h1><h1><h1><h1><h1><h1><h1><h1><h1><h1><h1>x", 500},
        {L"<font size=3>a</font>x", kHeight},
    };
    for (const auto& c : cases) {
        const HtmlItemList& items = Build(c.text);
        ASSERT_FALSE(items.empty()) << testing::PrintToString(std::wstring(c.text));
        EXPECT_EQ(items.back()->fontHeight, c.fontHeight) << testing::PrintToString(std::wstring(c.text));
    }
    const HtmlItemList& faced = Build(L"<font face='Times New Roman, serif' color=green>x");
    EXPECT_EQ(faced[0]->face, L"Times New Roman");
    EXPECT_EQ(faced[0]->textColour, RGB(0, 128, 0));
    const std::wstring longFace(300, L'F');
    EXPECT_EQ(Build((L"<font face=" + longFace + L">x").c_str())[0]->face.size(), size_t(LF_FACESIZE - 1));
}

TEST_F(HtmlMarkup, LinksNeedAnHrefAndShareIndicesByTarget) {
    const HtmlItemList& items =
        Build(L"<a>none</a> <a href=Help.htm>one</a> <a href='help.HTM'>two</a> <a href=x>3</a>");
    const std::vector<std::wstring> words = Texts(items);
    ASSERT_EQ(words, (Words{L"none", L" ", L"one", L" ", L"two", L" ", L"3"}));
    EXPECT_EQ(items[0]->linkIndex, -1);
    EXPECT_EQ(items[0]->lines, 0);
    EXPECT_EQ(items[0]->textColour, kDefaultColour);
    EXPECT_EQ(items[2]->linkIndex, 0);
    EXPECT_EQ(items[2]->textColour, RGB(0, 0, 255));
    EXPECT_EQ(items[2]->lines, 8);
    EXPECT_EQ(items[4]->linkIndex, 0);
    EXPECT_EQ(items[6]->linkIndex, 1);
    EXPECT_EQ(drawer.Links(), (Words{L"Help.htm", L"x"}));
}

TEST_F(HtmlMarkup, PlainTextSourcesKeepEveryCharacterAndBreakAtLineFeeds) {
    const HtmlItemList& items = Build(L"a  <b>\nc&amp;", L"notes.TXT");
    EXPECT_EQ(Kinds(items), "tttttbt");
    EXPECT_EQ(Texts(items), (Words{L"a", L" ", L" ", L"<b>", L" ", L"c&amp;"}));
    EXPECT_EQ(items[0]->face, L"Courier New");
    EXPECT_EQ(items[0]->preformatted, 1);
}

TEST_F(HtmlMarkup, TablesBecomeAFrameCellsAndRowBreaks) {
    const HtmlItemList& items = Build(L"<table border=1 cellpadding=2 bordercolor=red bgcolor=blue>"
                                      L"<tr bgcolor=lime><td colspan=99999 rowspan=0>a<td width=50%>b"
                                      L"<tr><th>c</th></table>after");
    ASSERT_EQ(Kinds(items), "bccbcbbt");
    EXPECT_EQ(items[0]->background, RGB(0, 0, 255));
    const HtmlItem& first = *items[1];
    EXPECT_EQ(first.colspan, 1000);
    EXPECT_EQ(first.rowspan, 1);
    EXPECT_EQ(first.padding, 3);
    EXPECT_EQ(first.lines, 15);
    EXPECT_EQ(first.lineColour, RGB(255, 0, 0));
    EXPECT_EQ(first.background, RGB(0, 255, 0));
    EXPECT_EQ(items[2]->column, 1000);
    EXPECT_EQ(items[2]->cellWidth, 0) << "a percentage of an automatic table is ignored";
    const HtmlItem& header = *items[4];
    EXPECT_EQ(header.row, 1);
    EXPECT_EQ(header.background, kNoColour);
    ASSERT_EQ(header.children.size(), 1u);
    EXPECT_EQ(header.children[0]->align, 2);
    EXPECT_EQ(header.children[0]->fontHeight, kHeight + 4);
    EXPECT_EQ(items.back()->text, L"after");
}

TEST_F(HtmlMarkup, ListsBecomeRowsOfMarkerAndContentCells) {
    const HtmlItemList& bullets = Build(L"<ul><li>one<li>two<ul><li>inner</ul></ul>");
    ASSERT_EQ(Kinds(bullets), "bccbccb");
    EXPECT_EQ(bullets[1]->children[0]->face, L"Wingdings");
    EXPECT_EQ(Texts(bullets[1]->children), (Words{L"l", L" "}));
    const HtmlItemList& nested = bullets[5]->children;
    ASSERT_EQ(Kinds(nested), "tbccb");
    EXPECT_EQ(Texts(nested[2]->children), (Words{L"m", L" "})) << "nested lists alternate their marker";
    const HtmlItemList& numbers = Build(L"<ol><li>a<li>b<ol><li>c</ol></ol>");
    EXPECT_EQ(Texts(numbers[4]->children).front(), L"2.");
    EXPECT_EQ(Texts(numbers[5]->children[2]->children).front(), L"a.");
}

TEST_F(HtmlMarkup, HostileNestingIsBoundedAndKeepsItsText) {
    std::wstring deep;
    for (int k = 0; k < 5000; ++k) {
        deep += L"<table><tr><td><ul><li><blockquote><pre><div align=right>x<div align=left>";
    }
    const HtmlItemList& items = Build(deep.c_str());
    int depth = 0;
    const HtmlItemList* level = &items;
    while (level) {
        const HtmlItemList* next = nullptr;
        for (const auto& item : *level) {
            if (item->IsCell() && !item->children.empty()) {
                next = &item->children;
            }
        }
        level = next;
        ++depth;
    }
    EXPECT_LE(depth, 30);
    EXPECT_GT(depth, 5);
}

} // namespace
