// Reading the HTML subset: tag recognition, attributes, entities, colours and the cleaning pass.
// Every scan stays inside the text it is given.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>
#include <utility>
#include <vector>

class IHtmlDrawerSite;

namespace html {

using Attribute = std::pair<std::wstring, std::wstring>;
using Attributes = std::vector<Attribute>;

// The tags the drawer understands, in the order they are tried.
enum class Tag {
    None = -1,
    Br,
    I,
    EndI,
    B,
    EndB,
    Strong,
    EndStrong,
    U,
    EndU,
    A,
    EndA,
    Small,
    EndSmall,
    Big,
    EndBig,
    Center,
    EndCenter,
    P,
    Font,
    EndFont,
    Img,
    H1,
    EndH1,
    Div,
    EndDiv,
    Hr,
    Table,
    EndTable,
    Tr,
    EndTr,
    Td,
    EndTd,
    H2,
    EndH2,
    H3,
    EndH3,
    Pre,
    EndPre,
    Input,
    Ul,
    Ol,
    Li,
    EndUl,
    EndOl,
    Sub,
    EndSub,
    Sup,
    EndSup,
    Strike,
    EndStrike,
    Select,
    EndSelect,
    Option,
    TextArea,
    EndTextArea,
    Th,
    EndTh,
    Form,
    EndForm,
    BlockQuote,
    EndBlockQuote,
    EndP,
};

// Case-insensitive prefix test at pos; false when the text ends first.
bool StartsWithNoCase(std::wstring_view text, size_t pos, std::wstring_view prefix);
// The position of the next case-insensitive occurrence of needle from pos, or npos.
size_t FindNoCase(std::wstring_view text, size_t pos, std::wstring_view needle);
// True for the characters that may follow a tag name: end of text, NUL, tab, LF, CR, space, ">".
bool IsTagNameEnd(std::wstring_view text, size_t pos);
// The known tag starting at pos ("<" followed by a known name and a separator), or Tag::None.
Tag MatchTag(std::wstring_view text, size_t pos);
// True when the given known tag starts at pos.
bool IsTag(std::wstring_view text, size_t pos, Tag tag);
// The position just past the ">" that ends the tag starting at pos, or the text's end.
size_t SkipTag(std::wstring_view text, size_t pos);
size_t SkipSpaces(std::wstring_view text, size_t pos);

// The attributes of the tag at pos (which starts with "<"); names without "=" have empty values.
Attributes ParseTagAttributes(std::wstring_view text, size_t pos = 0);
// The value of the named attribute (case-insensitive), or null when absent.
const std::wstring* FindAttribute(const Attributes& attributes, std::wstring_view name);
bool HasAttribute(const Attributes& attributes, std::wstring_view name);

// Replaces character entity references and decimal character references in place.
void DecodeEntities(std::wstring& text);
// A colour name or "#RRGGBB"; missing or malformed digits read as 0.
COLORREF ParseColour(std::wstring_view text);
// A decimal integer with optional sign, clamped to [low, high]; 0 when there are no digits.
int ParseClampedInt(std::wstring_view text, int low, int high);

struct CleanedMarkup {
    std::wstring text;
    COLORREF background;
};
// Drops scripts, styles, comments, the title (reported to site) and unknown tags, and folds
// white space outside "<pre>".
CleanedMarkup CleanMarkup(std::wstring_view text, IHtmlDrawerSite* site);

} // namespace html
