#include "HtmlMarkup.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cwctype>

#include "HtmlNamedValues.h"
#include "IHtmlDrawerSite.h"

namespace html {
namespace {

struct TagName {
    Tag tag;
    std::wstring_view name;
};

// Tried in this order; the first whose name is followed by a separator wins.
const TagName kKnownTags[] = {
    {Tag::Br, L"<br"},
    {Tag::I, L"<i"},
    {Tag::EndI, L"</i"},
    {Tag::B, L"<b"},
    {Tag::EndB, L"</b"},
    {Tag::Strong, L"<strong"},
    {Tag::EndStrong, L"</strong"},
    {Tag::U, L"<u"},
    {Tag::EndU, L"</u"},
    {Tag::A, L"<a"},
    {Tag::EndA, L"</a"},
    {Tag::Small, L"<small"},
    {Tag::EndSmall, L"</small"},
    {Tag::Big, L"<big"},
    {Tag::EndBig, L"</big"},
    {Tag::Center, L"<center"},
    {Tag::EndCenter, L"</center"},
    {Tag::P, L"<p"},
    {Tag::Font, L"<font"},
    {Tag::EndFont, L"</font"},
    {Tag::Img, L"<img"},
    {Tag::H1, L"<h1"},
    {Tag::EndH1, L"</h1"},
    {Tag::Div, L"<div"},
    {Tag::EndDiv, L"</div"},
    {Tag::Hr, L"<hr"},
    {Tag::Table, L"<table"},
    {Tag::EndTable, L"</table"},
    {Tag::Tr, L"<tr"},
    {Tag::EndTr, L"</tr"},
    {Tag::Td, L"<td"},
    {Tag::EndTd, L"</td"},
    {Tag::H2, L"<h2"},
    {Tag::EndH2, L"</h2"},
    {Tag::H3, L"<h3"},
    {Tag::EndH3, L"</h3"},
    {Tag::Pre, L"<pre"},
    {Tag::EndPre, L"</pre"},
    {Tag::Input, L"<input"},
    {Tag::Ul, L"<ul"},
    {Tag::Ol, L"<ol"},
    {Tag::Li, L"<li"},
    {Tag::EndUl, L"</ul"},
    {Tag::EndOl, L"</ol"},
    {Tag::Sub, L"<sub"},
    {Tag::EndSub, L"</sub"},
    {Tag::Sup, L"<sup"},
    {Tag::EndSup, L"</sup"},
    {Tag::Strike, L"<strike"},
    {Tag::EndStrike, L"</strike"},
    {Tag::Select, L"<select"},
    {Tag::EndSelect, L"</select"},
    {Tag::Option, L"<option"},
    {Tag::TextArea, L"<textarea"},
    {Tag::EndTextArea, L"</textarea"},
    {Tag::Th, L"<th"},
    {Tag::EndTh, L"</th"},
    {Tag::Form, L"<form"},
    {Tag::EndForm, L"</form"},
    {Tag::BlockQuote, L"<blockquote"},
    {Tag::EndBlockQuote, L"</blockquote"},
    {Tag::EndP, L"</p"},
};

wchar_t FoldCase(wchar_t c) {
    return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c - L'A' + L'a')
                                    : static_cast<wchar_t>(towlower(c));
}

bool IsSpaceChar(wchar_t c) {
    return c == L' ' || c == L'\t' || c == L'\n' || c == L'\r';
}

int HexDigitValue(wchar_t c) {
    if (c >= L'0' && c <= L'9') {
        return c - L'0';
    }
    if (c >= L'a' && c <= L'f') {
        return c - L'a' + 10;
    }
    if (c >= L'A' && c <= L'F') {
        return c - L'A' + 10;
    }
    return -1;
}

// Reads up to two hex digits as "%x" would, stopping at the first non-digit; nothing read is 0.
int ReadHexPair(std::wstring_view text, size_t pos) {
    int value = 0;
    for (size_t i = pos; i < pos + 2 && i < text.size(); ++i) {
        const int digit = HexDigitValue(text[i]);
        if (digit < 0) {
            break;
        }
        value = value * 16 + digit;
    }
    return value;
}

// Decodes "&#digits" at pos into out (a value of 0 writes nothing) and answers where reading goes on.
size_t DecodeNumericReference(const std::wstring& text, size_t pos, std::wstring& out) {
    size_t i = pos + 2;
    unsigned value = 0;
    while (i < text.size() && text[i] >= L'0' && text[i] <= L'9') {
        value = (value * 10 + static_cast<unsigned>(text[i] - L'0')) % 65536;
        ++i;
    }
    if (value != 0) {
        out.push_back(static_cast<wchar_t>(value));
    }
    while (i < text.size() && text[i] != L';' && text[i] != L' ') {
        ++i;
    }
    return i < text.size() ? i + 1 : i;
}

// The named reference at pos, or null.
const NamedCharacter* MatchNamedCharacter(const std::wstring& text, size_t pos) {
    size_t count = 0;
    const NamedCharacter* table = NamedCharacters(&count);
    for (size_t i = 0; i < count; ++i) {
        if (text.compare(pos, table[i].key.size(), table[i].key) == 0) {
            return &table[i];
        }
    }
    return nullptr;
}

bool CouldStartReplacement(wchar_t c) {
    return c == L'&' || c == 0xFF97 || c == 0xFFA0;
}

// The known tags by opening or closing and the first letter of their name, in table order, so a
// tag is matched against a handful of names rather than all of them.
const std::vector<const TagName*>& TagsStartingWith(bool closing, wchar_t letter) {
    static const auto buckets = [] {
        std::array<std::array<std::vector<const TagName*>, 26>, 2> byLetter;
        for (const TagName& known : kKnownTags) {
            const bool isClosing = known.name[1] == L'/';
            const wchar_t first = known.name[isClosing ? 2 : 1];
            byLetter[isClosing][first - L'a'].push_back(&known);
        }
        return byLetter;
    }();
    return buckets[closing][letter - L'a'];
}

size_t SkipPast(std::wstring_view text, size_t from, std::wstring_view marker) {
    const size_t found = FindNoCase(text, from, marker);
    return found == std::wstring_view::npos ? text.size() : found + marker.size();
}

bool IsNamedTag(std::wstring_view text, size_t pos, std::wstring_view name) {
    return StartsWithNoCase(text, pos, name) && IsTagNameEnd(text, pos + name.size());
}

// Reports the title starting at pos and answers where reading goes on.
size_t ReadTitle(std::wstring_view text, size_t pos, IHtmlDrawerSite* site) {
    const size_t start = SkipSpaces(text, SkipTag(text, pos));
    const size_t close = FindNoCase(text, start, L"</title>");
    const size_t end = close == std::wstring_view::npos ? text.size() : close;
    size_t last = end;
    while (last > start && IsSpaceChar(text[last - 1])) {
        --last;
    }
    if (site) {
        std::wstring title(text.substr(start, last - start));
        DecodeEntities(title);
        site->OnTitle(title.c_str());
    }
    return close == std::wstring_view::npos ? text.size() : close + 8;
}

} // namespace

bool StartsWithNoCase(std::wstring_view text, size_t pos, std::wstring_view prefix) {
    if (pos > text.size() || text.size() - pos < prefix.size()) {
        return false;
    }
    for (size_t i = 0; i < prefix.size(); ++i) {
        if (FoldCase(text[pos + i]) != FoldCase(prefix[i])) {
            return false;
        }
    }
    return true;
}

size_t FindNoCase(std::wstring_view text, size_t pos, std::wstring_view needle) {
    if (needle.empty()) {
        return pos <= text.size() ? pos : std::wstring_view::npos;
    }
    const wchar_t first = FoldCase(needle[0]);
    for (size_t i = pos; i < text.size(); ++i) {
        if (FoldCase(text[i]) == first && StartsWithNoCase(text, i, needle)) {
            return i;
        }
    }
    return std::wstring_view::npos;
}

bool IsTagNameEnd(std::wstring_view text, size_t pos) {
    if (pos >= text.size()) {
        return true;
    }
    const wchar_t c = text[pos];
    return c == 0 || IsSpaceChar(c) || c == L'>';
}

Tag MatchTag(std::wstring_view text, size_t pos) {
    if (pos >= text.size() || text[pos] != L'<') {
        return Tag::None;
    }
    const bool closing = pos + 1 < text.size() && text[pos + 1] == L'/';
    const size_t letterAt = pos + (closing ? 2 : 1);
    if (letterAt >= text.size()) {
        return Tag::None;
    }
    const wchar_t letter = FoldCase(text[letterAt]);
    if (letter < L'a' || letter > L'z') {
        return Tag::None;
    }
    for (const TagName* known : TagsStartingWith(closing, letter)) {
        if (IsNamedTag(text, pos, known->name)) {
            return known->tag;
        }
    }
    return Tag::None;
}

bool IsTag(std::wstring_view text, size_t pos, Tag tag) {
    return tag != Tag::None && MatchTag(text, pos) == tag;
}

size_t SkipTag(std::wstring_view text, size_t pos) {
    const size_t close = text.find(L'>', pos);
    return close == std::wstring_view::npos ? text.size() : close + 1;
}

size_t SkipSpaces(std::wstring_view text, size_t pos) {
    while (pos < text.size() && text[pos] == L' ') {
        ++pos;
    }
    return pos;
}

Attributes ParseTagAttributes(std::wstring_view text, size_t pos) {
    Attributes attributes;
    const size_t close = text.find(L'>', pos);
    const std::wstring_view tag =
        text.substr(pos, close == std::wstring_view::npos ? text.npos : close - pos);
    size_t i = 0;
    while (i < tag.size() && !IsSpaceChar(tag[i])) {
        ++i;
    }
    while (i < tag.size()) {
        while (i < tag.size() && IsSpaceChar(tag[i])) {
            ++i;
        }
        const size_t nameStart = i;
        while (i < tag.size() && tag[i] != L'=' && !IsSpaceChar(tag[i])) {
            ++i;
        }
        Attribute attribute{std::wstring(tag.substr(nameStart, i - nameStart)), std::wstring()};
        size_t afterName = i;
        while (afterName < tag.size() && IsSpaceChar(tag[afterName])) {
            ++afterName;
        }
        if (afterName < tag.size() && tag[afterName] == L'=') {
            i = afterName + 1;
            while (i < tag.size() && IsSpaceChar(tag[i])) {
                ++i;
            }
            if (i < tag.size() && (tag[i] == L'"' || tag[i] == L'\'')) {
                const wchar_t mark = tag[i++];
                const size_t valueStart = i;
                while (i < tag.size() && tag[i] != mark) {
                    ++i;
                }
                attribute.second = tag.substr(valueStart, i - valueStart);
                i = std::min(i + 1, tag.size());
            } else {
                const size_t valueStart = i;
                while (i < tag.size() && !IsSpaceChar(tag[i])) {
                    ++i;
                }
                attribute.second = tag.substr(valueStart, i - valueStart);
            }
        }
        if (!attribute.first.empty()) {
            attributes.push_back(std::move(attribute));
        }
    }
    return attributes;
}

const std::wstring* FindAttribute(const Attributes& attributes, std::wstring_view name) {
    for (const Attribute& attribute : attributes) {
        if (attribute.first.size() == name.size() && StartsWithNoCase(attribute.first, 0, name)) {
            return &attribute.second;
        }
    }
    return nullptr;
}

bool HasAttribute(const Attributes& attributes, std::wstring_view name) {
    return FindAttribute(attributes, name) != nullptr;
}

void DecodeEntities(std::wstring& text) {
    std::wstring out;
    out.reserve(text.size());
    size_t pos = 0;
    while (pos < text.size()) {
        if (!CouldStartReplacement(text[pos])) {
            out.push_back(text[pos++]);
            continue;
        }
        if (const NamedCharacter* named = MatchNamedCharacter(text, pos)) {
            out.push_back(named->character);
            pos += named->key.size();
        } else if (text.compare(pos, 2, L"&#") == 0) {
            pos = DecodeNumericReference(text, pos, out);
        } else {
            out.push_back(text[pos++]);
        }
    }
    text.swap(out);
}

COLORREF ParseColour(std::wstring_view text) {
    size_t count = 0;
    const NamedColour* colours = NamedColours(&count);
    for (size_t i = 0; i < count; ++i) {
        if (text.size() == colours[i].name.size() && StartsWithNoCase(text, 0, colours[i].name)) {
            return colours[i].colour;
        }
    }
    const size_t start = (!text.empty() && text[0] == L'#') ? 1 : 0;
    return RGB(ReadHexPair(text, start), ReadHexPair(text, start + 2), ReadHexPair(text, start + 4));
}

int ParseClampedInt(std::wstring_view text, int low, int high) {
    size_t i = 0;
    while (i < text.size() && IsSpaceChar(text[i])) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) {
        negative = text[i] == L'-';
        ++i;
    }
    long long value = 0;
    while (i < text.size() && text[i] >= L'0' && text[i] <= L'9') {
        // Saturate early: the result is clamped anyway.
        value = std::min(value * 10 + (text[i] - L'0'), static_cast<long long>(INT_MAX));
        ++i;
    }
    if (negative) {
        value = -value;
    }
    return static_cast<int>(std::clamp(value, static_cast<long long>(low), static_cast<long long>(high)));
}

CleanedMarkup CleanMarkup(std::wstring_view text, IHtmlDrawerSite* site) {
    CleanedMarkup cleaned{std::wstring(), static_cast<COLORREF>(-1)};
    std::wstring& out = cleaned.text;
    out.reserve(text.size());
    int preDepth = 0;
    size_t pos = 0;
    while (pos < text.size()) {
        const wchar_t c = text[pos];
        if (c == L'<') {
            if (IsNamedTag(text, pos, L"<script")) {
                pos = SkipTag(text, SkipPast(text, pos, L"</script"));
                continue;
            }
            if (StartsWithNoCase(text, pos, L"<!--")) {
                pos = SkipPast(text, pos + 4, L"-->");
                continue;
            }
            if (IsNamedTag(text, pos, L"<style")) {
                pos = SkipTag(text, SkipPast(text, pos, L"</style"));
                continue;
            }
            if (IsNamedTag(text, pos, L"<title")) {
                pos = ReadTitle(text, pos, site);
                continue;
            }
            if (IsNamedTag(text, pos, L"<body")) {
                if (const std::wstring* colour = FindAttribute(ParseTagAttributes(text, pos), L"bgcolor")) {
                    cleaned.background = ParseColour(*colour);
                }
                pos = SkipTag(text, pos);
                continue;
            }
            const Tag tag = MatchTag(text, pos);
            if (tag == Tag::None) {
                pos = SkipTag(text, pos);
                continue;
            }
            if (tag == Tag::Pre) {
                ++preDepth;
            } else if (tag == Tag::EndPre) {
                preDepth = std::max(0, preDepth - 1);
            }
            out.push_back(c);
            ++pos;
            continue;
        }
        if (preDepth == 0 && IsSpaceChar(c)) {
            if (out.empty() || out.back() != L' ') {
                out.push_back(L' ');
            }
            ++pos;
            continue;
        }
        out.push_back(c);
        ++pos;
    }
    return cleaned;
}

} // namespace html
