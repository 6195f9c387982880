// Reading VARNO string files and matching their pairs to the project's strings.
#include "ImportStrings.h"

#include "TextGroups.h"
#include "XmlReader.h"

#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <optional>

namespace {

// The pairs under a "translation" root: each child's first "src" and first "dst" element, their
// whole text as written (white space and line breaks too: a multi-line original must match the
// project's text exactly), kept in content.text. content.xmlRoot receives the root's name; false
// when the file does not parse.
bool ReadXmlPairs(const std::wstring& path, ImportContent& content) {
    // Where a text lies in the buffer: its pieces come one after another while it is captured.
    struct Span {
        size_t begin = 0;
        size_t length = 0;
    };
    enum class Part { None, Src, Dst };
    bool isTranslation = false;
    std::wstring buffer;
    std::vector<std::pair<Span, Span>> spans;
    std::optional<Span> src, dst;
    Part capturing = Part::None;
    const auto endPair = [&] {
        if (src && dst) {
            spans.emplace_back(*src, *dst);
        }
        src.reset();
        dst.reset();
        capturing = Part::None;
    };
    const bool parsed = xml::ReadElements(
        path.c_str(),
        [&](int depth, std::wstring_view name, const xml::ElementAttributes&) {
            if (depth == 0) {
                content.xmlRoot = name;
                isTranslation = name == L"translation";
            } else if (isTranslation && depth == 1) {
                endPair();
            } else if (isTranslation && depth == 2) {
                capturing = Part::None;
                if (name == L"src" && !src) {
                    src = Span{buffer.size(), 0};
                    capturing = Part::Src;
                } else if (name == L"dst" && !dst) {
                    dst = Span{buffer.size(), 0};
                    capturing = Part::Dst;
                }
            }
        },
        [&](int depth, std::wstring_view text) {
            if (depth >= 2 && capturing != Part::None) {
                buffer.append(text);
                (capturing == Part::Src ? *src : *dst).length += text.size();
            }
        });
    endPair();
    if (!parsed) {
        content.xmlRoot.clear();
        return false;
    }
    content.text = std::make_unique<const std::wstring>(std::move(buffer));
    const std::wstring_view text(*content.text);
    content.pairs.reserve(spans.size());
    for (const auto& [original, translation] : spans) {
        content.pairs.push_back({text.substr(original.begin, original.length),
                                 text.substr(translation.begin, translation.length)});
    }
    return true;
}

bool IsUtf8(const std::string& bytes) {
    return bytes.empty() || MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data(),
                                                static_cast<int>(bytes.size()), nullptr, 0) > 0;
}

std::wstring FromUtf8(const std::string& bytes) {
    const int length =
        MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring text(static_cast<size_t>(std::max(length, 0)), L'\0');
    if (length > 0) {
        MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(), length);
    }
    return text;
}

// An odd last byte is no unit.
std::wstring FromUtf16(std::string_view bytes, bool bigEndian) {
    std::wstring units(bytes.size() / 2, L'\0');
    for (size_t i = 0; i < units.size(); ++i) {
        const unsigned first = static_cast<unsigned char>(bytes[2 * i]);
        const unsigned second = static_cast<unsigned char>(bytes[2 * i + 1]);
        units[i] = static_cast<wchar_t>(bigEndian ? first << 8 | second : second << 8 | first);
    }
    return units;
}

// XML begins with markup, a text file with an original text or a section header. Judged on the
// bytes, so that no encoding (UTF-8 or UTF-16 with or without a mark, or one the XML declares) hides
// the first character: byte-order marks, the zero bytes of UTF-16 and white space are passed over.
bool LooksLikeXml(const std::string& bytes) {
    const size_t first = bytes.find_first_not_of(std::string_view("\xEF\xBB\xBF\xFF\xFE\0 \t\r\n", 10));
    return first != std::string::npos && bytes[first] == '<';
}

} // namespace

std::wstring DecodeImportText(const std::string& bytes) {
    const std::string_view view(bytes);
    if (view.substr(0, 2) == "\xFF\xFE") {
        return FromUtf16(view.substr(2), false);
    }
    if (view.substr(0, 2) == "\xFE\xFF") {
        return FromUtf16(view.substr(2), true);
    }
    if (view.substr(0, 3) == "\xEF\xBB\xBF") {
        return FromUtf8(bytes.substr(3));
    }
    // Text files hold no zero bytes, but UTF-16 has one in every Latin character; the side they
    // stand on tells the byte order.
    size_t zerosAtEven = 0, zerosAtOdd = 0;
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\0') {
            ++(i % 2 ? zerosAtOdd : zerosAtEven);
        }
    }
    if (zerosAtEven + zerosAtOdd > 0) {
        return FromUtf16(view, zerosAtEven > zerosAtOdd);
    }
    return IsUtf8(bytes) ? FromUtf8(bytes) : FromUtf16(view, false);
}

namespace {

// Calls visit(line, position of its first "=") for every line that holds one.
template <typename Visit> void ForEachPairLine(std::wstring_view units, Visit visit) {
    while (!units.empty()) {
        const size_t feed = units.find(L'\n');
        std::wstring_view line = units.substr(0, feed);
        units.remove_prefix(feed == std::wstring_view::npos ? units.size() : feed + 1);
        if (feed != std::wstring_view::npos && !line.empty() && line.back() == L'\r') {
            line.remove_suffix(1);
        }
        const size_t equals = line.find(L'=');
        if (equals != std::wstring_view::npos) {
            visit(line, equals);
        }
    }
}

} // namespace

std::vector<ImportPair> ParseImportText(std::wstring_view units) {
    constexpr wchar_t kByteOrderMark = 0xFEFF;
    if (!units.empty() && units.front() == kByteOrderMark) {
        units.remove_prefix(1);
    }
    // Counted first, so that the pairs of a large file are not copied as they grow.
    size_t count = 0;
    ForEachPairLine(units, [&](std::wstring_view, size_t) { ++count; });
    std::vector<ImportPair> pairs;
    pairs.reserve(count);
    ForEachPairLine(units, [&](std::wstring_view line, size_t equals) {
        pairs.push_back({line.substr(0, equals), line.substr(equals + 1)});
    });
    return pairs;
}

ImportContent ReadImportFile(const std::wstring& path) {
    ImportContent result;
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(std::filesystem::path(path), error);
    if (error) {
        return result;
    }
    if (size > kMaxImportFileBytes) {
        result.format = ImportFormat::TooLarge;
        return result;
    }
    std::ifstream file(std::filesystem::path(path), std::ios::binary);
    if (!file) {
        return result;
    }
    // One read of the whole file: reading it byte by byte costs more than parsing it.
    std::string bytes(static_cast<size_t>(size), '\0');
    file.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<size_t>(file.gcount()));
    if (!LooksLikeXml(bytes)) {
        result.format = ImportFormat::Text;
        result.text = std::make_unique<const std::wstring>(DecodeImportText(bytes));
        result.pairs = ParseImportText(*result.text);
        return result;
    }
    result.format = ImportFormat::Xml;
    // The parser reads the file itself, so that an encoding declaration is honoured.
    ReadXmlPairs(path, result);
    return result;
}

ImportSummary ApplyImport(const std::vector<StringItem>& strings, const std::vector<ImportPair>& pairs,
                          const std::function<void(size_t, std::wstring)>& setTranslation) {
    ImportSummary summary;
    TextGroups byOriginal; // views into the strings' texts
    byOriginal.Reset(strings.size());
    for (size_t i = 0; i < strings.size(); ++i) {
        byOriginal.Add(strings[i].text, i);
    }
    for (const ImportPair& pair : pairs) {
        const size_t first = byOriginal.First(pair.original);
        summary.unmatched += first == TextGroups::kNone ? 1 : 0;
        for (size_t i = first; i != TextGroups::kNone; i = byOriginal.Next(i)) {
            if (!strings[i].loc) {
                setTranslation(i, std::wstring(pair.translation));
                ++summary.filled;
            }
        }
    }
    return summary;
}
