#include "TranslationWriter.h"

#include <algorithm>
#include <iterator>

namespace {

const wchar_t kHeader[] = L"\xFEFF<?xml version=\"1.0\" encoding=\"UTF-16\"?>\n";

// The characters the platform's writer replaces in an attribute value; line breaks and tabs become
// references so that they read back unchanged rather than as spaces.
const wchar_t* ReferenceFor(wchar_t c) {
    switch (c) {
    case L'"':
        return L"&quot;";
    case L'&':
        return L"&amp;";
    case L'<':
        return L"&lt;";
    case L'>':
        return L"&gt;";
    case L'\n':
        return L"&#10;";
    case L'\r':
        return L"&#13;";
    case L'\t':
        return L"&#9;";
    default:
        return nullptr;
    }
}

void AppendAttribute(std::wstring& out, const wchar_t* name, const std::wstring& value) {
    out += L' ';
    out += name;
    out += L"=\"";
    for (const wchar_t c : value) {
        if (const wchar_t* reference = ReferenceFor(c)) {
            out += reference;
        } else {
            out += c;
        }
    }
    out += L'"';
}

// Enough room for the usual text, so that the string grows once or not at all.
size_t EstimatedLength(const std::vector<StringItem>& strings) {
    size_t length = std::size(kHeader) + 32;
    for (const StringItem& item : strings) {
        if (item.loc) {
            length += 48 + item.id.size() + (item.attr ? item.attr->size() : 0) + item.text.size() +
                      item.loc->size();
        }
    }
    return length;
}

} // namespace

std::wstring TranslationFileText(const std::vector<StringItem>& strings) {
    const bool anyTranslated = std::any_of(strings.begin(), strings.end(),
                                           [](const StringItem& item) { return item.loc.has_value(); });
    if (!anyTranslated) {
        // The writer closes an element without children in its start tag.
        return std::wstring(kHeader) + L"<strings/>\n";
    }
    std::wstring text;
    text.reserve(EstimatedLength(strings));
    text += kHeader;
    text += L"<strings>";
    for (const StringItem& item : strings) {
        if (!item.loc) {
            continue;
        }
        text += L"<string";
        AppendAttribute(text, L"id", item.id);
        if (item.attr) {
            AppendAttribute(text, L"attr", *item.attr);
        }
        AppendAttribute(text, L"text", item.text);
        AppendAttribute(text, L"loc", *item.loc);
        text += L"/>";
    }
    text += L"</strings>\n";
    return text;
}
