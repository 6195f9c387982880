#include "HtmlItemBuilder.h"

#include <algorithm>
#include <iterator>
#include <map>

#include "HtmlMarkup.h"
#include "TextUtil.h"

using html::Attributes;
using html::FindAttribute;
using html::Tag;

namespace {

constexpr COLORREF kLinkBlue = RGB(0, 0, 255);

int ClampFontHeight(int height) {
    return std::clamp(height, -kMaxFontHeight, kMaxFontHeight);
}

// Heights may be negative (character height); growing means growing the magnitude either way.
int GrowFontHeight(int height, int amount) {
    return ClampFontHeight(height < 0 ? height - amount : height + amount);
}

int ParseAlign(const std::wstring* value, int fallback) {
    if (!value) {
        return fallback;
    }
    if (EqualsNoCase(value->c_str(), L"left")) {
        return kAlignLeft;
    }
    if (EqualsNoCase(value->c_str(), L"right")) {
        return kAlignRight;
    }
    if (EqualsNoCase(value->c_str(), L"center") || EqualsNoCase(value->c_str(), L"middle")) {
        return kAlignCentre;
    }
    if (EqualsNoCase(value->c_str(), L"justify")) {
        return kAlignJustify;
    }
    return fallback;
}

int ParseVAlign(const std::wstring* value) {
    if (!value) {
        return kVAlignTop;
    }
    if (EqualsNoCase(value->c_str(), L"bottom")) {
        return kVAlignBottom;
    }
    if (EqualsNoCase(value->c_str(), L"center") || EqualsNoCase(value->c_str(), L"middle")) {
        return kVAlignMiddle;
    }
    return kVAlignTop;
}

int ReadInt(const Attributes& attributes, std::wstring_view name, int fallback, int low, int high) {
    const std::wstring* value = FindAttribute(attributes, name);
    return value ? html::ParseClampedInt(*value, low, high) : fallback;
}

COLORREF ReadColour(const Attributes& attributes, std::wstring_view name, COLORREF fallback) {
    const std::wstring* value = FindAttribute(attributes, name);
    return value ? html::ParseColour(*value) : fallback;
}

bool HasPercent(const std::wstring* value) {
    return value && value->find(L'%') != std::wstring::npos;
}

bool IsAnyOf(Tag tag, std::initializer_list<Tag> tags) {
    return std::find(tags.begin(), tags.end(), tag) != tags.end();
}

// Finds the first of the given tags from pos whose nesting level (raised by opens, lowered by
// closes) is 0; a close at level 0 that is among the wanted tags ends the search too.
size_t FindAtLevel(std::wstring_view text, size_t pos, std::initializer_list<Tag> wanted,
                   std::initializer_list<Tag> opens, std::initializer_list<Tag> closes) {
    int level = 0;
    for (size_t i = text.find(L'<', pos); i < text.size(); i = text.find(L'<', i + 1)) {
        const Tag tag = html::MatchTag(text, i);
        if (tag == Tag::None) {
            continue;
        }
        if (level == 0 && IsAnyOf(tag, wanted)) {
            return i;
        }
        if (IsAnyOf(tag, opens)) {
            ++level;
        } else if (IsAnyOf(tag, closes) && level > 0) {
            --level;
        }
    }
    return std::wstring_view::npos;
}

// Answers FindAtLevel for many start positions in one text in logarithmic time; the wanted tags
// must include the closing ones. Built once per text, so blocks that run to their end cost no more
// than one pass however many there are.
class TagLevelIndex {
public:
    TagLevelIndex(std::wstring_view text, std::initializer_list<Tag> wanted, std::initializer_list<Tag> opens,
                  std::initializer_list<Tag> closes) {
        int level = 0;
        for (size_t i = text.find(L'<'); i < text.size(); i = text.find(L'<', i + 1)) {
            const Tag tag = html::MatchTag(text, i);
            if (tag == Tag::None) {
                continue;
            }
            if (IsAnyOf(tag, wanted)) {
                m_wantedByLevel[level].push_back(i);
            }
            if (IsAnyOf(tag, opens)) {
                ++level;
            } else if (IsAnyOf(tag, closes)) {
                --level;
            } else {
                continue;
            }
            m_levelChanges.push_back({i, level});
        }
    }

    size_t Find(size_t from) const {
        const auto wanted = m_wantedByLevel.find(LevelAt(from));
        if (wanted == m_wantedByLevel.end()) {
            return std::wstring_view::npos;
        }
        const auto found = std::lower_bound(wanted->second.begin(), wanted->second.end(), from);
        return found == wanted->second.end() ? std::wstring_view::npos : *found;
    }

private:
    int LevelAt(size_t pos) const {
        const auto after = std::lower_bound(
            m_levelChanges.begin(), m_levelChanges.end(), pos,
            [](const std::pair<size_t, int>& change, size_t at) { return change.first < at; });
        return after == m_levelChanges.begin() ? 0 : std::prev(after)->second;
    }

    std::map<int, std::vector<size_t>> m_wantedByLevel;
    std::vector<std::pair<size_t, int>> m_levelChanges;
};

size_t OrEnd(size_t pos, std::wstring_view text) {
    return pos == std::wstring_view::npos ? text.size() : pos;
}

struct TextStyle {
    std::wstring face;
    int height = 0;
    COLORREF colour = 0;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool link = false;
    int linkIndex = -1;
    bool centring = false;
    bool subscript = false;
    bool superscript = false;
    bool strike = false;
};

// One call of the recursive build: the style state of one run of markup and its items.
class BuildRun {
public:
    BuildRun(HtmlItemBuilder& builder, int& listDepth, std::wstring_view text, HtmlItemList& out,
             const HtmlBuildDefaults& defaults)
        : m_builder(builder), m_listDepth(listDepth), m_text(text), m_out(out), m_defaults(defaults) {
        m_style.face = defaults.face;
        m_style.height = defaults.fontHeight;
        m_style.colour = defaults.colour;
    }

    void Run(bool plain) {
        size_t pos = plain ? 0 : html::SkipSpaces(m_text, 0);
        while (pos < m_text.size() && !m_builder.Stopped()) {
            const wchar_t c = m_text[pos];
            if (c == L'\t') {
                AppendTab();
                ++pos;
            } else if (c == L' ' || c == L'\n' || c == L'\r') {
                pos = HandleSpace(pos);
            } else if (c == L'<' && !plain) {
                pos = HandleTag(pos);
            } else {
                pos = HandleWord(pos, plain);
            }
        }
    }

private:
    int EffectiveAlign() const { return m_style.centring ? kAlignCentre : m_defaults.align; }

    HtmlFontStyle MeasureStyle() const {
        HtmlFontStyle font;
        font.face = m_style.face;
        font.height = m_style.subscript ? m_style.height * 2 / 3 : m_style.height;
        font.bold = m_style.bold;
        font.italic = m_style.italic;
        return font;
    }

    HtmlItem& Append(std::unique_ptr<HtmlItem> item) {
        m_charactersSinceBreak = item->IsText() ? m_charactersSinceBreak + item->text.size() : 0;
        m_out.push_back(std::move(item));
        return *m_out.back();
    }

    void AppendText(std::wstring text) {
        auto item = std::make_unique<HtmlItem>();
        const HtmlFontStyle font = MeasureStyle();
        const SIZE size = m_builder.Measurer().Measure(text, font);
        item->kind = kTextItem;
        item->width = size.cx;
        item->height = size.cy;
        item->face = font.face;
        item->fontHeight = m_style.superscript ? m_style.height * 2 / 3 : font.height;
        item->bold = m_style.bold;
        item->italic = m_style.italic;
        item->textColour = m_style.link ? kLinkBlue : m_style.colour;
        const bool underlined = m_style.link || m_style.underline;
        item->lines = underlined ? kLineBottom : 0;
        item->lineWidth = underlined ? 1 : 0;
        item->lineColour = m_style.link ? kLinkBlue : RGB(0, 0, 0);
        item->align = EffectiveAlign();
        item->linkIndex = m_style.link ? m_style.linkIndex : -1;
        item->preformatted = m_defaults.preformatted;
        if (m_style.strike) {
            item->lines |= kLineMiddle;
            item->lineWidth = 1;
        }
        item->text = std::move(text);
        Append(std::move(item));
        m_builder.CountTextItem();
    }

    void AppendStrut() { AppendText(L" "); }

    HtmlItem& AppendBreak(int align) {
        auto item = std::make_unique<HtmlItem>();
        item->kind = kBreakItem;
        item->align = align;
        item->lineWidth = 1;
        item->lineColour = kSunkenLines;
        return Append(std::move(item));
    }

    HtmlItem& AppendBreak() { return AppendBreak(EffectiveAlign()); }

    void AppendRule() {
        HtmlItem& rule = AppendBreak();
        rule.width = 1;
        rule.height = 2;
        rule.lines = kLineLeft | kLineTop | kLineRight | kLineBottom;
    }

    std::unique_ptr<HtmlItem> MakeCell(int row, int column, int padding) const {
        auto cell = std::make_unique<HtmlItem>();
        cell->kind = kCellItem;
        cell->row = row;
        cell->column = column;
        cell->padding = padding;
        cell->lineColour = kSunkenLines;
        return cell;
    }

    void BuildChildren(HtmlItem& cell, std::wstring_view text, HtmlBuildDefaults defaults) {
        defaults.depth = m_defaults.depth + 1;
        m_builder.Build(text, cell.children, defaults);
    }

    HtmlBuildDefaults ChildDefaults(int align, bool preformatted) const {
        HtmlBuildDefaults child = m_defaults;
        child.align = align;
        child.preformatted = preformatted;
        return child;
    }

    // Tab stops every 5 characters, counted over the text items since the last other item.
    void AppendTab() { AppendText(std::wstring(5 - m_charactersSinceBreak % 5, L' ')); }

    size_t HandleSpace(size_t pos) {
        const wchar_t c = m_text[pos];
        if (m_pending || m_defaults.preformatted) {
            AppendStrut();
            if (m_defaults.preformatted && (c == L'\n' || c == L'\r')) {
                AppendBreak();
            }
        }
        if (c == L'\r' && pos + 1 < m_text.size() && m_text[pos + 1] == L'\n') {
            ++pos;
        }
        return pos + 1;
    }

    size_t HandleWord(size_t pos, bool plain) {
        size_t end = pos;
        while (end < m_text.size() && !wcschr(L"\t\n\r ", m_text[end]) && (plain || m_text[end] != L'<')) {
            ++end;
        }
        std::wstring word(m_text.substr(pos, end - pos));
        if (!plain) {
            html::DecodeEntities(word);
        }
        AppendText(std::move(word));
        m_pending = true;
        return end;
    }

    // "<p " or "<div " directly followed by a space carries attributes.
    bool HasAttributesAfterName(Tag tag, size_t pos) const {
        const size_t nameEnd = pos + (tag == Tag::P ? 2 : 4);
        return nameEnd < m_text.size() && m_text[nameEnd] == L' ';
    }

    bool CanNest() const { return m_defaults.depth < kMaxBuildDepth; }

    size_t HandleTag(size_t pos) {
        const Tag tag = html::MatchTag(m_text, pos);
        const size_t after = html::SkipTag(m_text, pos);
        switch (tag) {
        case Tag::I:
        case Tag::EndI:
            m_style.italic = tag == Tag::I;
            break;
        case Tag::B:
        case Tag::Strong:
        case Tag::EndB:
        case Tag::EndStrong:
            m_style.bold = tag == Tag::B || tag == Tag::Strong;
            break;
        case Tag::U:
        case Tag::EndU:
            m_style.underline = tag == Tag::U;
            break;
        case Tag::A:
            StartLink(pos);
            break;
        case Tag::EndA:
            m_style.link = false;
            m_style.linkIndex = -1;
            break;
        case Tag::Small:
            m_style.height -= m_style.height / 3;
            break;
        case Tag::Big:
            m_style.height = ClampFontHeight(m_style.height + m_style.height / 3);
            break;
        case Tag::EndSmall:
        case Tag::EndBig:
            m_style.height = m_defaults.fontHeight;
            break;
        case Tag::Font:
            ApplyFont(pos);
            break;
        case Tag::EndFont:
            m_style.face = m_defaults.face;
            m_style.height = m_defaults.fontHeight;
            m_style.colour = m_defaults.colour;
            break;
        case Tag::H1:
        case Tag::H2:
        case Tag::H3:
            StartHeading(tag);
            LineBreak(tag, pos);
            break;
        case Tag::EndH1:
        case Tag::EndH2:
        case Tag::EndH3:
            m_style.height = m_defaults.fontHeight;
            m_style.bold = false;
            LineBreak(tag, pos);
            break;
        case Tag::Center:
        case Tag::EndCenter:
            m_style.centring = tag == Tag::Center;
            LineBreak(tag, pos);
            break;
        case Tag::P:
        case Tag::Div:
            if (HasAttributesAfterName(tag, pos)) {
                return Block(tag, pos);
            }
            LineBreak(tag, pos);
            break;
        case Tag::Br:
        case Tag::EndDiv:
        case Tag::Hr:
            LineBreak(tag, pos);
            break;
        case Tag::Sub:
        case Tag::EndSub:
            m_style.subscript = tag == Tag::Sub;
            break;
        case Tag::Sup:
        case Tag::EndSup:
            m_style.superscript = tag == Tag::Sup;
            break;
        case Tag::Strike:
        case Tag::EndStrike:
            m_style.strike = tag == Tag::Strike;
            break;
        case Tag::Ul:
        case Tag::Ol:
            return CanNest() ? List(tag, pos) : after;
        case Tag::BlockQuote:
            return CanNest() ? BlockQuote(pos) : after;
        case Tag::Pre:
            return CanNest() ? Preformatted(pos) : after;
        case Tag::Table:
            return CanNest() ? Table(pos) : after;
        default:
            break;
        }
        return after;
    }

    void StartLink(size_t pos) {
        const Attributes attributes = html::ParseTagAttributes(m_text, pos);
        if (const std::wstring* href = FindAttribute(attributes, L"href")) {
            m_style.link = true;
            m_style.linkIndex = m_builder.FindOrAddLink(*href);
        }
    }

    void ApplyFont(size_t pos) {
        const Attributes attributes = html::ParseTagAttributes(m_text, pos);
        if (const std::wstring* face = FindAttribute(attributes, L"face")) {
            m_style.face = TrimFaceName(*face);
        }
        if (const std::wstring* colour = FindAttribute(attributes, L"color")) {
            m_style.colour = html::ParseColour(*colour);
        }
        if (const std::wstring* size = FindAttribute(attributes, L"size")) {
            const int value = html::ParseClampedInt(*size, -kMaxFontHeight, kMaxFontHeight);
            const bool relative = !size->empty() && (size->front() == L'+' || size->front() == L'-');
            if (value != 0) {
                m_style.height =
                    relative ? GrowFontHeight(m_defaults.fontHeight, value) : ClampFontHeight(value * 4 + 8);
            }
        }
    }

    void StartHeading(Tag tag) {
        const int height = m_style.height;
        if (tag == Tag::H1) {
            m_style.height = ClampFontHeight(height * 2);
        } else if (tag == Tag::H2) {
            m_style.height = ClampFontHeight(height + height / 2);
        } else {
            m_style.height = ClampFontHeight(height + height / 3);
        }
        m_style.bold = true;
    }

    void LineBreak(Tag tag, size_t pos) {
        const bool wasPending = m_pending;
        if (m_pending || tag == Tag::Br) {
            AppendStrut();
        }
        if (tag == Tag::Hr) {
            AppendRule();
        } else {
            const bool clear =
                tag == Tag::Br && html::HasAttribute(html::ParseTagAttributes(m_text, pos), L"clear");
            AppendBreak().clear = clear;
        }
        if (tag == Tag::Hr || (tag == Tag::P && wasPending)) {
            AppendStrut();
            AppendBreak();
        }
        if (!m_defaults.preformatted && (tag == Tag::Br || tag == Tag::P)) {
            m_pending = false;
        }
    }

    size_t FindBlockEnd(Tag tag, size_t from) {
        if (tag == Tag::Div) {
            if (!m_divEnds) {
                m_divEnds = std::make_unique<TagLevelIndex>(
                    m_text, std::initializer_list<Tag>{Tag::EndDiv, Tag::EndTable},
                    std::initializer_list<Tag>{Tag::Div, Tag::Table},
                    std::initializer_list<Tag>{Tag::EndDiv, Tag::EndTable});
            }
            return m_divEnds->Find(from);
        }
        if (!m_paragraphEnds) {
            m_paragraphEnds = std::make_unique<TagLevelIndex>(
                m_text, std::initializer_list<Tag>{Tag::EndP, Tag::P, Tag::Hr, Tag::EndTable},
                std::initializer_list<Tag>{Tag::Table}, std::initializer_list<Tag>{Tag::EndTable});
        }
        return m_paragraphEnds->Find(from);
    }

    // The next tag like the block's own that carries an "align" attribute.
    size_t FindAlignedSibling(Tag tag, size_t from) const {
        for (size_t i = m_text.find(L'<', from); i < m_text.size(); i = m_text.find(L'<', i + 1)) {
            if (html::IsTag(m_text, i, tag) &&
                html::HasAttribute(html::ParseTagAttributes(m_text, i), L"align")) {
                return i;
            }
        }
        return m_text.size();
    }

    // A "<p" or "<div" with attributes: content aligned unlike its surroundings is built on its own.
    size_t Block(Tag tag, size_t pos) {
        const Attributes attributes = html::ParseTagAttributes(m_text, pos);
        const int callAlign = EffectiveAlign();
        const int blockAlign = ParseAlign(FindAttribute(attributes, L"align"), callAlign);
        const size_t start = html::SkipTag(m_text, pos);
        if (blockAlign == callAlign || !CanNest()) {
            LineBreak(tag, pos);
            return start;
        }
        size_t end = FindBlockEnd(tag, start);
        if (end == std::wstring_view::npos) {
            end = FindAlignedSibling(tag, start);
        }
        AppendBreak(blockAlign);
        if (tag == Tag::P) {
            AppendBreak(blockAlign);
        }
        HtmlBuildDefaults block = ChildDefaults(blockAlign, m_defaults.preformatted);
        block.depth = m_defaults.depth + 1;
        m_builder.Build(m_text.substr(start, end - start), m_out, block);
        AppendBreak(callAlign);
        m_pending = false;
        const Tag closing = html::MatchTag(m_text, end);
        return (closing == Tag::EndDiv || closing == Tag::EndP) ? html::SkipTag(m_text, end) : end;
    }

    std::wstring MarkerText(Tag tag, int number) const {
        const bool odd = m_listDepth % 2 != 0;
        if (tag == Tag::Ul) {
            return odd ? L" m " : L" l ";
        }
        const std::wstring label =
            odd ? std::wstring(1, static_cast<wchar_t>(L'a' + number % 26)) : std::to_wstring(number + 1);
        return L"   " + label + L".    ";
    }

    size_t List(Tag tag, size_t pos) {
        const Tag closing = tag == Tag::Ul ? Tag::EndUl : Tag::EndOl;
        const size_t start = html::SkipTag(m_text, pos);
        const size_t end = OrEnd(FindAtLevel(m_text, start, {closing}, {tag}, {closing}), m_text);
        const std::wstring_view list = m_text.substr(start, end - start);
        const std::initializer_list<Tag> opens = {Tag::Ul, Tag::Ol, Tag::Table};
        const std::initializer_list<Tag> closes = {Tag::EndUl, Tag::EndOl, Tag::EndTable};
        AppendBreak();
        int number = 0;
        for (size_t li = FindAtLevel(list, 0, {Tag::Li}, opens, closes);
             li != std::wstring_view::npos && !m_builder.Stopped(); ++number) {
            const size_t itemStart = html::SkipTag(list, li);
            const size_t next = FindAtLevel(list, itemStart, {Tag::Li}, opens, closes);
            AppendListRow(tag, number, list.substr(itemStart, OrEnd(next, list) - itemStart));
            li = next;
        }
        return end < m_text.size() ? html::SkipTag(m_text, end) : end;
    }

    void AppendListRow(Tag tag, int number, std::wstring_view itemText) {
        HtmlItem& marker = Append(MakeCell(number, 0, 2));
        HtmlBuildDefaults markerDefaults = ChildDefaults(kAlignLeft, true);
        if (tag == Tag::Ul) {
            markerDefaults.face = L"Wingdings";
        }
        BuildChildren(marker, MarkerText(tag, number), markerDefaults);
        HtmlItem& content = Append(MakeCell(number, 1, 2));
        ++m_listDepth;
        BuildChildren(content, itemText, ChildDefaults(m_defaults.align, m_defaults.preformatted));
        --m_listDepth;
        AppendBreak();
    }

    size_t BlockQuote(size_t pos) {
        const size_t start = html::SkipTag(m_text, pos);
        const size_t end =
            OrEnd(FindAtLevel(m_text, start, {Tag::EndBlockQuote}, {Tag::BlockQuote}, {Tag::EndBlockQuote}),
                  m_text);
        AppendBreak();
        BuildChildren(Append(MakeCell(0, 0, 15)), m_text.substr(start, end - start),
                      ChildDefaults(m_defaults.align, m_defaults.preformatted));
        AppendBreak();
        return end < m_text.size() ? html::SkipTag(m_text, end) : end;
    }

    size_t Preformatted(size_t pos) {
        const size_t start = html::SkipTag(m_text, pos);
        const size_t end =
            OrEnd(FindAtLevel(m_text, start, {Tag::EndPre}, {Tag::Pre}, {Tag::EndPre}), m_text);
        AppendBreak();
        HtmlBuildDefaults code = ChildDefaults(kAlignLeft, true);
        code.face = L"Courier New";
        BuildChildren(Append(MakeCell(0, 0, 0)), m_text.substr(start, end - start), code);
        AppendBreak();
        return html::SkipSpaces(m_text, end < m_text.size() ? html::SkipTag(m_text, end) : end);
    }

    struct TableFormat {
        COLORREF lineColour = kSunkenLines;
        int width = 0;
        int height = 0;
        int border = 0;
        int padding = 4;
        int spacing = 4;
        int align = kAlignLeft;
        int floatSide = kFloatNone;
    };

    TableFormat ReadTableFormat(const Attributes& attributes) {
        TableFormat format;
        format.lineColour = ReadColour(attributes, L"bordercolor", kSunkenLines);
        const std::wstring* width = FindAttribute(attributes, L"width");
        if (HasPercent(width)) {
            format.width = -html::ParseClampedInt(*width, 0, kMaxPercent);
        } else {
            format.width = ReadInt(attributes, L"width", 0, 0, kMaxPixels);
        }
        if (!HasPercent(FindAttribute(attributes, L"height"))) {
            format.height = ReadInt(attributes, L"height", 0, 0, kMaxPixels);
        }
        format.border = ReadInt(attributes, L"border", 0, 0, kMaxBorder);
        format.padding = ReadInt(attributes, L"cellpadding", 4, 0, kMaxPadding) + (format.border ? 1 : 0);
        format.spacing = ReadInt(attributes, L"cellspacing", 4, 0, kMaxPadding);
        format.align = EffectiveAlign();
        const std::wstring* align = FindAttribute(attributes, L"align");
        if (align && (EqualsNoCase(align->c_str(), L"center") || EqualsNoCase(align->c_str(), L"middle"))) {
            m_style.centring = true;
            format.align = kAlignCentre;
        } else if (align && EqualsNoCase(align->c_str(), L"right")) {
            format.floatSide = kFloatRight;
            format.align = kAlignRight;
        } else if (align && EqualsNoCase(align->c_str(), L"left")) {
            format.floatSide = kFloatLeft;
            format.align = kAlignLeft;
        }
        return format;
    }

    size_t Table(size_t pos) {
        const Attributes attributes = html::ParseTagAttributes(m_text, pos);
        const bool wasCentring = m_style.centring;
        const TableFormat format = ReadTableFormat(attributes);
        AppendBreak().background = ReadColour(attributes, L"bgcolor", kNoColour);
        const size_t start = html::SkipTag(m_text, pos);
        const size_t end =
            OrEnd(FindAtLevel(m_text, start, {Tag::EndTable}, {Tag::Table}, {Tag::EndTable}), m_text);
        BuildRows(m_text.substr(start, end - start), format);
        m_style.centring = wasCentring;
        AppendBreak();
        return html::SkipSpaces(m_text, end < m_text.size() ? html::SkipTag(m_text, end) : end);
    }

    void BuildRows(std::wstring_view table, const TableFormat& format) {
        const std::initializer_list<Tag> opens = {Tag::Table};
        const std::initializer_list<Tag> closes = {Tag::EndTable};
        int row = 0;
        int rowAlign = kAlignLeft;
        size_t pos = 0;
        while (!m_builder.Stopped()) {
            const size_t next = FindAtLevel(table, pos, {Tag::Tr, Tag::Td, Tag::Th}, opens, closes);
            if (next == std::wstring_view::npos) {
                return;
            }
            COLORREF rowBackground = kNoColour;
            pos = next;
            if (html::IsTag(table, next, Tag::Tr)) {
                const Attributes attributes = html::ParseTagAttributes(table, next);
                rowBackground = ReadColour(attributes, L"bgcolor", kNoColour);
                rowAlign = ParseAlign(FindAttribute(attributes, L"align"), rowAlign);
                pos = html::SkipTag(table, next);
            }
            int column = 0;
            bool hadCells = false;
            while (!m_builder.Stopped()) {
                const size_t cell =
                    FindAtLevel(table, pos, {Tag::Td, Tag::Th, Tag::Tr, Tag::EndTr}, opens, closes);
                if (cell == std::wstring_view::npos) {
                    pos = table.size();
                    break;
                }
                const Tag tag = html::MatchTag(table, cell);
                if (tag == Tag::Tr) {
                    pos = cell;
                    break;
                }
                if (tag == Tag::EndTr) {
                    pos = html::SkipTag(table, cell);
                    break;
                }
                pos = AppendTableCell(table, cell, row, column, rowAlign, rowBackground, format);
                hadCells = true;
            }
            if (hadCells) {
                ++row;
                AppendBreak();
            }
        }
    }

    // Reads the cell at pos, appends it, advances column and answers where its content ends.
    size_t AppendTableCell(std::wstring_view table, size_t pos, int row, int& column, int rowAlign,
                           COLORREF rowBackground, const TableFormat& format) {
        const bool header = html::IsTag(table, pos, Tag::Th);
        const Attributes attributes = html::ParseTagAttributes(table, pos);
        const size_t start = html::SkipTag(table, pos);
        const size_t end =
            OrEnd(FindAtLevel(table, start, {Tag::Td, Tag::EndTd, Tag::Th, Tag::EndTh, Tag::Tr, Tag::EndTr},
                              {Tag::Table}, {Tag::EndTable}),
                  table);
        auto cell = MakeCell(row, column, format.padding);
        const std::wstring* width = FindAttribute(attributes, L"width");
        if (HasPercent(width)) {
            if (format.width > 0) {
                cell->cellWidth = html::ParseClampedInt(*width, 0, kMaxPercent) * format.width / 100;
            }
        } else {
            cell->cellWidth = ReadInt(attributes, L"width", 0, 0, kMaxPixels);
        }
        cell->cellWidth = std::min(cell->cellWidth, kMaxPixels);
        cell->cellHeight = ReadInt(attributes, L"height", 0, 0, kMaxPixels);
        cell->background = ReadColour(attributes, L"bgcolor", rowBackground);
        cell->colspan = ReadInt(attributes, L"colspan", 1, 1, kMaxSpan);
        cell->rowspan = ReadInt(attributes, L"rowspan", 1, 1, kMaxSpan);
        cell->valign = ParseVAlign(FindAttribute(attributes, L"valign"));
        cell->align = format.align;
        cell->border = format.border;
        cell->spacing = format.spacing;
        cell->tableWidth = format.width;
        cell->tableHeight = format.height;
        cell->lineColour = format.lineColour;
        cell->floatSide = format.floatSide;
        if (format.border) {
            cell->lines = kLineLeft | kLineTop | kLineRight | kLineBottom;
            cell->lineWidth = 1;
        }
        const int contentAlign =
            ParseAlign(FindAttribute(attributes, L"align"), header ? kAlignCentre : rowAlign);
        const bool noWrap =
            (html::HasAttribute(attributes, L"nowrap") || html::HasAttribute(attributes, L"nobreak")) &&
            cell->cellWidth == 0;
        HtmlBuildDefaults content = ChildDefaults(contentAlign, noWrap);
        if (header) {
            content.fontHeight = GrowFontHeight(content.fontHeight, 4);
        }
        column += cell->colspan;
        BuildChildren(Append(std::move(cell)), table.substr(start, end - start), content);
        return end;
    }

    HtmlItemBuilder& m_builder;
    int& m_listDepth;
    std::wstring_view m_text;
    HtmlItemList& m_out;
    HtmlBuildDefaults m_defaults;
    TextStyle m_style;
    bool m_pending = false;
    size_t m_charactersSinceBreak = 0;
    std::unique_ptr<TagLevelIndex> m_divEnds;
    std::unique_ptr<TagLevelIndex> m_paragraphEnds;
};

} // namespace

std::wstring TrimFaceName(std::wstring_view face) {
    const size_t comma = face.find(L',');
    face = face.substr(0, comma == std::wstring_view::npos ? face.size() : comma);
    return std::wstring(face.substr(0, LF_FACESIZE - 1));
}

HtmlItemBuilder::HtmlItemBuilder(std::vector<std::wstring>& links, int& listDepth)
    : m_links(links), m_listDepth(listDepth) {}

void HtmlItemBuilder::Build(std::wstring_view text, HtmlItemList& out, const HtmlBuildDefaults& defaults) {
    BuildRun(*this, m_listDepth, text, out, defaults).Run(false);
}

void HtmlItemBuilder::BuildPlain(std::wstring_view text, HtmlItemList& out,
                                 const HtmlBuildDefaults& defaults) {
    BuildRun(*this, m_listDepth, text, out, defaults).Run(true);
}

void HtmlItemBuilder::StopWhen(std::function<bool()> full) {
    m_full = std::move(full);
}

void HtmlItemBuilder::CountTextItem() {
    // Asked at each doubling, so the checks cost no more than the items they count.
    if (m_full && ++m_textItems == m_nextCheck) {
        m_nextCheck *= 2;
        m_stopped = m_full();
    }
}

int HtmlItemBuilder::FindOrAddLink(const std::wstring& target) {
    for (size_t i = 0; i < m_links.size(); ++i) {
        if (EqualsNoCase(m_links[i].c_str(), target.c_str())) {
            return static_cast<int>(i);
        }
    }
    m_links.push_back(target);
    return static_cast<int>(m_links.size()) - 1;
}
