#include "TextReplace.h"

#include <windows.h>

#include <vector>

namespace {

// The text as shown, without accelerator marks, and where each shown character was written.
struct ShownText {
    std::wstring text;
    std::vector<size_t> writtenAt; // by shown character; one past the end holds the written length
    std::optional<size_t> mark;    // the shown character the mark stands before
};

ShownText Shown(const std::wstring& written) {
    ShownText shown;
    for (size_t i = 0; i < written.size(); ++i) {
        shown.writtenAt.push_back(i);
        if (written[i] == L'&' && i + 1 < written.size()) {
            if (written[i + 1] != L'&' && written[i + 1] != L' ' && !shown.mark) {
                shown.mark = shown.text.size();
            }
            ++i; // the marked letter, or the second "&" of a written ampersand
        }
        shown.text.push_back(written[i]);
    }
    shown.writtenAt.push_back(written.size());
    return shown;
}

bool IsWordCharacter(wchar_t c) {
    return IsCharAlphaNumericW(c) || c == L'_';
}

bool SameLetter(wchar_t a, wchar_t b) {
    return CompareStringOrdinal(&a, 1, &b, 1, TRUE) == CSTR_EQUAL;
}

bool MatchesAt(const std::wstring& text, size_t at, const ReplaceQuery& query) {
    const size_t length = query.find.size();
    if (CompareStringOrdinal(text.c_str() + at, static_cast<int>(length), query.find.c_str(),
                             static_cast<int>(length), query.matchCase ? FALSE : TRUE) != CSTR_EQUAL) {
        return false;
    }
    return !query.wholeWords || ((at == 0 || !IsWordCharacter(text[at - 1])) &&
                                 (at + length == text.size() || !IsWordCharacter(text[at + length])));
}

// The replacement with the mark placed before the marked letter it keeps, or before its first letter.
std::wstring MarkedReplacement(const std::wstring& replacement, size_t offset, wchar_t letter) {
    size_t place = replacement.size();
    if (offset < replacement.size() && SameLetter(replacement[offset], letter)) {
        place = offset;
    } else {
        for (size_t i = 0; i < replacement.size() && place == replacement.size(); ++i) {
            if (SameLetter(replacement[i], letter)) {
                place = i;
            }
        }
        for (size_t i = 0; i < replacement.size() && place == replacement.size(); ++i) {
            if (IsCharAlphaNumericW(replacement[i])) {
                place = i;
            }
        }
    }
    std::wstring marked = replacement;
    if (place < marked.size() && marked.find(L'&') == std::wstring::npos) {
        marked.insert(place, 1, L'&');
    }
    return marked;
}

} // namespace

std::optional<std::wstring> ReplaceInTranslation(const std::wstring& text, const ReplaceQuery& query) {
    if (query.find.empty()) {
        return std::nullopt;
    }
    const ShownText shown = Shown(text);
    std::wstring result;
    size_t copied = 0; // shown characters before it are in result
    bool replaced = false;
    for (size_t at = 0; at + query.find.size() <= shown.text.size();) {
        if (!MatchesAt(shown.text, at, query)) {
            ++at;
            continue;
        }
        const size_t end = at + query.find.size();
        result.append(text, shown.writtenAt[copied], shown.writtenAt[at] - shown.writtenAt[copied]);
        const bool holdsMark = shown.mark && *shown.mark >= at && *shown.mark < end;
        result += holdsMark ? MarkedReplacement(query.replacement, *shown.mark - at, shown.text[*shown.mark])
                            : query.replacement;
        copied = end;
        at = end;
        replaced = true;
    }
    if (!replaced) {
        return std::nullopt;
    }
    result.append(text, shown.writtenAt[copied], std::wstring::npos);
    return result;
}
