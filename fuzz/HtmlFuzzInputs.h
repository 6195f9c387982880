// Generates and mutates HTML-subset inputs for the drawer's fuzz runs: deep nesting, huge numbers,
// cut-off tags, random entities, tables with wild spans and colours. Deterministic for a seed.
#pragma once

#include <windows.h>

#include <random>
#include <string>
#include <vector>

#include "CHtmlDrawer.h"
#include "GdiHandles.h"

// Live GDI objects of this process. Wine answers 0 to GetGuiResources; there the handle table is
// probed instead, where a handle with a zero high word still names its object.
inline DWORD CountGdiObjects() {
    const DWORD reported = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    if (reported != 0) {
        return reported;
    }
    DWORD count = 0;
    for (ULONG_PTR index = 1; index < 0x10000; ++index) {
        if (GetObjectType(reinterpret_cast<HGDIOBJ>(index)) != 0) {
            ++count;
        }
    }
    return count;
}

class HtmlFuzzInputs {
public:
    explicit HtmlFuzzInputs(unsigned seed) : m_random(seed) {}

    std::wstring Next() {
        std::wstring input;
        switch (Below(6)) {
        case 0:
            input = DeepNesting();
            break;
        case 1:
            input = WildTable();
            break;
        case 2:
            if (!m_pool.empty()) {
                input = Mutate(m_pool[Below(static_cast<unsigned>(m_pool.size()))]);
                break;
            }
            [[fallthrough]];
        default:
            input = Fragments(1 + Below(60));
            break;
        }
        if (Below(4) == 0) {
            input.resize(Below(static_cast<unsigned>(input.size()) + 1));
        }
        Remember(input);
        return input;
    }

    // One in a few inputs is handed over as plain text.
    bool NextIsPlainText() { return Below(16) == 0; }

private:
    unsigned Below(unsigned bound) {
        return bound ? std::uniform_int_distribution<unsigned>(0, bound - 1)(m_random) : 0;
    }

    template <size_t N> const wchar_t* Pick(const wchar_t* const (&choices)[N]) { return choices[Below(N)]; }

    std::wstring Number() {
        static const wchar_t* const kNumbers[] = {
            L"0",  L"1",    L"-1",    L"2",          L"3",           L"+2",
            L"-3", L"7",    L"50%",   L"100%",       L"999%",        L"1000",
            L"65", L"4096", L"99999", L"2147483647", L"-2147483648", L"99999999999999999999",
            L"",   L"x"};
        return Pick(kNumbers);
    }

    std::wstring Colour() {
        static const wchar_t* const kColours[] = {L"red",       L"#00ff00", L"#12",       L"LightGrey",
                                                  L"LightGray", L"#",       L"Gray",      L"zz",
                                                  L"#ffffff",   L"navy",    L"#0000FFFF", L""};
        return Pick(kColours);
    }

    std::wstring Attribute() {
        static const wchar_t* const kNames[] = {
            L"width", L"height",      L"colspan",     L"rowspan", L"border",     L"size",
            L"face",  L"color",       L"bgcolor",     L"align",   L"valign",     L"href",
            L"clear", L"cellpadding", L"cellspacing", L"nowrap",  L"bordercolor"};
        static const wchar_t* const kWords[] = {L"left",      L"right",           L"center",
                                                L"middle",    L"justify",         L"bottom",
                                                L"Wingdings", L"Arial,Helvetica", L"x"};
        const std::wstring name = Pick(kNames);
        std::wstring value;
        switch (Below(4)) {
        case 0:
            value = Number();
            break;
        case 1:
            value = Colour();
            break;
        case 2:
            value = Pick(kWords);
            break;
        default:
            value = std::wstring(Below(3) ? 1 + Below(8) : 200 + Below(400), L'F');
            break;
        }
        switch (Below(4)) {
        case 0:
            return L" " + name;
        case 1:
            return L" " + name + L"='" + value + L"'";
        case 2:
            return L" " + name + L"=\"" + value;
        default:
            return L" " + name + L"=" + value;
        }
    }

    std::wstring Tag() {
        static const wchar_t* const kTags[] = {
            L"br",         L"i",           L"/i",    L"b",      L"/b",     L"strong",  L"u",       L"a",
            L"/a",         L"small",       L"big",   L"/big",   L"center", L"/center", L"p",       L"/p",
            L"font",       L"/font",       L"img",   L"h1",     L"/h1",    L"h2",      L"h3",      L"/h3",
            L"div",        L"/div",        L"hr",    L"table",  L"/table", L"tr",      L"/tr",     L"td",
            L"/td",        L"th",          L"/th",   L"pre",    L"/pre",   L"ul",      L"/ul",     L"ol",
            L"/ol",        L"li",          L"sub",   L"/sub",   L"sup",    L"/sup",    L"strike",  L"/strike",
            L"blockquote", L"/blockquote", L"title", L"/title", L"body",   L"script",  L"/script", L"style",
            L"/style",     L"!--",         L"--",    L"bogus",  L"TABLE",  L"Td",      L"select",  L"form"};
        std::wstring tag = L"<";
        tag += Pick(kTags);
        const unsigned attributes = Below(3) == 0 ? Below(5) : 0;
        for (unsigned k = 0; k < attributes; ++k) {
            tag += Attribute();
        }
        if (Below(8) != 0) {
            tag += L">";
        }
        return tag;
    }

    std::wstring Entity() {
        static const wchar_t* const kEntities[] = {
            L"&amp;",    L"&lt;",    L"&amp;lt;", L"&nbsp;", L"&yuml;",   L"&euro;",
            L"&#65;",    L"&#0;",    L"&#",       L"&#x41;", L"&#65536;", L"&#99999999999999999999999;",
            L"&#55296;", L"&bogus;", L"&",        L"\xFF97", L"\xFFA0"};
        return Pick(kEntities);
    }

    std::wstring Text() {
        static const wchar_t* const kWords[] = {L"word", L"a", L"Help", L"text", L"\x00e4\x00f6\x00fc", L"l"};
        switch (Below(6)) {
        case 0:
            return std::wstring(1 + Below(4), L" \t\r\n"[Below(4)]);
        case 1:
            return std::wstring(Below(2) ? 1 + Below(5) : 300 + Below(300), L'W');
        default:
            return Pick(kWords);
        }
    }

    std::wstring Fragments(unsigned count) {
        std::wstring text;
        for (unsigned k = 0; k < count; ++k) {
            const unsigned choice = Below(10);
            text += choice < 4 ? Tag() : choice < 6 ? Entity() : Text();
        }
        return text;
    }

    std::wstring DeepNesting() {
        static const wchar_t* const kOpeners[] = {L"<table><tr><td>",
                                                  L"<ul><li>",
                                                  L"<ol><li>",
                                                  L"<blockquote>",
                                                  L"<pre>",
                                                  L"<div align=right>",
                                                  L"<p align=center>x<div align=left>",
                                                  L"<font size=+9>",
                                                  L"<h1>",
                                                  L"<table border=3 width=50%><tr><td colspan=3>"};
        const std::wstring opener = Pick(kOpeners);
        const unsigned depth = Below(3) == 0 ? 500 + Below(1500) : 1 + Below(40);
        std::wstring text;
        for (unsigned k = 0; k < depth; ++k) {
            text += opener;
            if (Below(4) == 0) {
                text += Text();
            }
        }
        return text;
    }

    std::wstring WildTable() {
        std::wstring text = L"<table" + Attribute() + Attribute() + L">";
        const unsigned rows = 1 + Below(Below(4) == 0 ? 60 : 6);
        for (unsigned r = 0; r < rows; ++r) {
            text += L"<tr" + (Below(2) ? Attribute() : std::wstring()) + L">";
            const unsigned cells = Below(Below(4) == 0 ? 40 : 5);
            for (unsigned c = 0; c < cells; ++c) {
                text += Below(5) ? L"<td" : L"<th";
                for (unsigned a = Below(4); a > 0; --a) {
                    text += Attribute();
                }
                text += L">" + Fragments(Below(4));
                if (Below(2)) {
                    text += L"</td>";
                }
            }
        }
        if (Below(3)) {
            text += L"</table>";
        }
        return text;
    }

    std::wstring Mutate(std::wstring text) {
        for (unsigned k = 1 + Below(6); k > 0; --k) {
            const size_t at = Below(static_cast<unsigned>(text.size()) + 1);
            switch (Below(5)) {
            case 0:
                text.insert(at, Tag());
                break;
            case 1:
                text.insert(at, Entity());
                break;
            case 2:
                if (at < text.size()) {
                    text.erase(at, 1 + Below(16));
                }
                break;
            case 3:
                if (at < text.size()) {
                    text[at] = static_cast<wchar_t>(Below(3) ? L"<>&#;\"' =/"[Below(10)] : Below(65536));
                }
                break;
            default:
                if (at < text.size() && text.size() < 20000) {
                    text.insert(at, text.substr(at, Below(200)));
                }
                break;
            }
        }
        return text;
    }

    void Remember(const std::wstring& input) {
        if (input.size() > 20000) {
            return;
        }
        if (m_pool.size() < 64) {
            m_pool.push_back(input);
        } else {
            m_pool[Below(64)] = input;
        }
    }

    std::mt19937 m_random;
    std::vector<std::wstring> m_pool;
};

// Formats, lays out and paints one input into a memory bitmap, as the help popup would.
class HtmlFuzzCanvas {
public:
    HtmlFuzzCanvas()
        : m_screen(nullptr), m_dc(m_screen.Get()),
          m_bitmap(CreateCompatibleBitmap(m_screen.Get(), 400, 300)) {
        m_selection = std::make_unique<SelectedObject>(m_dc.Get(), m_bitmap.Get());
    }
    ~HtmlFuzzCanvas() { m_selection.reset(); }

    void Run(const std::wstring& input, bool plainText) {
        SetContent(input, plainText);
        LayOut();
        Draw();
    }

    void SetContent(const std::wstring& input, bool plainText) {
        m_drawer.SetContent(input.c_str(), L"MS Shell Dlg", -11, RGB(0, 0, 0),
                            plainText ? L"help.txt" : L"/");
    }
    // As the help popup lays out its text.
    void LayOut() {
        RECT layout{10, 10, 320, 20};
        m_drawer.Layout(&layout);
    }
    // Once in place and once scrolled.
    void Draw() {
        RECT visible{10, 10, 390, 290};
        m_drawer.Draw(m_dc.Get(), &visible, 0, 0);
        m_drawer.Draw(m_dc.Get(), &visible, 5, 40);
    }

private:
    WindowDC m_screen;
    MemoryDC m_dc;
    GdiObject<HBITMAP> m_bitmap;
    std::unique_ptr<SelectedObject> m_selection;
    CHtmlDrawer m_drawer;
};
