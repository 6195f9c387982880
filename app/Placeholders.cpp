#include "Placeholders.h"

#include <windows.h>

#include <algorithm>
#include <map>
#include <optional>

namespace {

enum class Family { Printf, Brace, Insert };

struct Placeholder {
    std::wstring_view text; // as written, for the finding's detail
    Family family;
    std::wstring key;    // the number or name; empty for those that take their argument in order
    std::wstring kind;   // what must stay alike: printf length and conversion, an insert's format
    bool glued = false;  // a printf one inside a word or after a number, as in "100%-ige"
    bool isText = false; // a glued one the original has no counterpart for: a percent sign
};

bool IsDigit(wchar_t c) {
    return c >= L'0' && c <= L'9';
}

bool IsNameStart(wchar_t c) {
    return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || c == L'_';
}

bool IsLetter(wchar_t c) {
    return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || (c >= 0xC0 && IsCharAlphaW(c));
}

size_t SkipDigits(std::wstring_view text, size_t at) {
    while (at < text.size() && IsDigit(text[at])) {
        ++at;
    }
    return at;
}

// Reads a printf conversion starting at the "%" at `start`; on success sets `end` past it. The space
// flag is left out on purpose: "100 % sure" would otherwise read as "% s". So is "%n", which nobody
// prints in a user's text and which is a line break in a Windows message.
std::optional<Placeholder> ReadPrintf(std::wstring_view text, size_t start, size_t& end) {
    size_t at = start + 1;
    std::wstring key;
    const size_t digitsEnd = SkipDigits(text, at);
    if (digitsEnd > at && digitsEnd < text.size() && text[digitsEnd] == L'$') {
        key = text.substr(at, digitsEnd - at);
        at = digitsEnd + 1;
    }
    while (at < text.size() && std::wstring_view(L"-+#0'").find(text[at]) != std::wstring_view::npos) {
        ++at;
    }
    if (at < text.size() && text[at] == L'*') {
        ++at;
    } else {
        at = SkipDigits(text, at);
    }
    if (at < text.size() && text[at] == L'.') {
        ++at;
        at = (at < text.size() && text[at] == L'*') ? at + 1 : SkipDigits(text, at);
    }
    const size_t lengthStart = at;
    for (std::wstring_view length :
         {L"I64", L"I32", L"hh", L"ll", L"h", L"l", L"L", L"j", L"z", L"t", L"w"}) {
        if (text.substr(at, length.size()) == length) {
            at += length.size();
            break;
        }
    }
    if (at >= text.size() ||
        std::wstring_view(L"diouxXeEfFgGaAcCsSp").find(text[at]) == std::wstring_view::npos) {
        return std::nullopt;
    }
    std::wstring kind(text.substr(lengthStart, at - lengthStart));
    kind += text[at] == L'i' ? L'd' : text[at]; // %i and %d print alike
    end = at + 1;
    const bool glued = start > 0 && (IsDigit(text[start - 1]) || IsLetter(text[start - 1])) &&
                       end < text.size() && IsLetter(text[end]);
    return Placeholder{text.substr(start, end - start), Family::Printf, std::move(key), std::move(kind),
                       glued};
}

// Reads a Windows message insert, "%1" to "%99" with an optional "!format!", at the "%" at `start`.
// The escapes "%0", "%n", "%.", "%!" and "%%" are text.
std::optional<Placeholder> ReadInsert(std::wstring_view text, size_t start, size_t& end) {
    const size_t digits = start + 1;
    if (digits >= text.size() || text[digits] < L'1' || text[digits] > L'9') {
        return std::nullopt;
    }
    const size_t digitsEnd = std::min(SkipDigits(text, digits), digits + 2);
    size_t at = digitsEnd;
    std::wstring kind = L"s"; // what an insert without a format prints
    if (at < text.size() && text[at] == L'!') {
        size_t close = at + 1;
        while (close < text.size() && close - at <= 16 &&
               (IsDigit(text[close]) || IsNameStart(text[close]) ||
                std::wstring_view(L".-+#*").find(text[close]) != std::wstring_view::npos)) {
            ++close;
        }
        if (close > at + 1 && close < text.size() && text[close] == L'!') {
            kind = text.substr(at + 1, close - at - 1);
            at = close + 1;
        }
    }
    end = at;
    return Placeholder{text.substr(start, end - start), Family::Insert,
                       std::wstring(text.substr(digits, digitsEnd - digits)), std::move(kind)};
}

// Reads a brace item at the "{" at `start`: "{0}", "{name}", "{}" with an optional alignment
// (",-10") and format (":N2"). Formats are not compared: translators localise dates and numbers.
std::optional<Placeholder> ReadBraced(std::wstring_view text, size_t start, size_t& end) {
    size_t at = start + 1;
    bool named = false;
    if (at < text.size() && IsDigit(text[at])) {
        at = SkipDigits(text, at);
    } else if (at < text.size() && IsNameStart(text[at])) {
        named = true;
        while (at < text.size() && (IsNameStart(text[at]) || IsDigit(text[at]))) {
            ++at;
        }
    }
    const std::wstring_view name = text.substr(start + 1, at - start - 1);
    if (at < text.size() && text[at] == L',') {
        const size_t digits = at + 1 + (at + 1 < text.size() && text[at + 1] == L'-' ? 1 : 0);
        at = SkipDigits(text, digits);
        if (at == digits) {
            return std::nullopt;
        }
    }
    if (at < text.size() && text[at] == L':') {
        // A name followed by ": words" is prose such as "{key: value}", not a format.
        const size_t formatStart = ++at;
        while (at < text.size() && at - formatStart < 40 && text[at] != L'}' && text[at] != L'{' &&
               text[at] != L'\n' && !(named && text[at] == L' ')) {
            ++at;
        }
    }
    if (at >= text.size() || text[at] != L'}') {
        return std::nullopt;
    }
    end = at + 1;
    return Placeholder{text.substr(start, end - start), Family::Brace, std::wstring(name)};
}

// The placeholder at `at`, with `end` set past it.
std::optional<Placeholder> ReadPlaceholder(std::wstring_view text, size_t at, size_t& end) {
    if (text[at] == L'%') {
        std::optional<Placeholder> printf = ReadPrintf(text, at, end);
        return printf ? printf : ReadInsert(text, at, end);
    }
    return text[at] == L'{' ? ReadBraced(text, at, end) : std::nullopt;
}

std::vector<Placeholder> ReadPlaceholders(std::wstring_view text) {
    std::vector<Placeholder> found;
    size_t at = 0;
    while (at < text.size()) {
        const wchar_t c = text[at];
        const bool doubled = at + 1 < text.size() && text[at + 1] == c;
        if ((c == L'%' || c == L'{') && doubled) {
            at += 2; // "%%" and "{{" are literal characters
            continue;
        }
        size_t end = 0;
        std::optional<Placeholder> placeholder = ReadPlaceholder(text, at, end);
        if (placeholder) {
            found.push_back(std::move(*placeholder));
            at = end;
        } else {
            ++at;
        }
    }
    return found;
}

// When one text numbers its printf or brace items and the other takes them in order, the nth in
// order is the one numbered n (printf counts from 1, braces from 0): "%s %d" and "%2$d %1$s" agree.
void NumberInOrder(std::vector<Placeholder>& original, std::vector<Placeholder>& translation) {
    for (const Family family : {Family::Printf, Family::Brace}) {
        const auto numbers = [family](const std::vector<Placeholder>& list) {
            return std::any_of(list.begin(), list.end(), [family](const Placeholder& p) {
                return p.family == family && !p.key.empty();
            });
        };
        const bool numberedOriginal = numbers(original);
        if (numberedOriginal == numbers(translation)) {
            continue;
        }
        int number = family == Family::Printf ? 1 : 0;
        for (Placeholder& p : numberedOriginal ? translation : original) {
            if (p.family == family && p.key.empty()) {
                p.key = std::to_wstring(number++);
            }
        }
    }
}

// A glued "%" in the translation is a percent sign ("100%-ige", "3%-esimo") unless the original has
// a conversion of that kind that the translation's others leave over.
void MarkPercentSigns(const std::vector<Placeholder>& original, std::vector<Placeholder>& translation) {
    for (Placeholder& glued : translation) {
        if (!glued.glued) {
            continue;
        }
        const auto sameKind = [&glued](const Placeholder& p) {
            return p.family == Family::Printf && p.kind == glued.kind;
        };
        const auto inOriginal = std::count_if(original.begin(), original.end(), sameKind);
        const auto taken = std::count_if(translation.begin(), translation.end(), [&](const Placeholder& p) {
            return sameKind(p) && !p.isText && (!p.glued || &p < &glued);
        });
        glued.isText = inOriginal <= taken;
    }
}

// Placeholders taken in order take their arguments in order, so order and kind both matter.
void CompareInOrder(const std::vector<const Placeholder*>& original,
                    const std::vector<const Placeholder*>& translation, std::vector<TextFinding>& findings) {
    const auto byKind = [](const Placeholder* a, const Placeholder* b) { return a->kind < b->kind; };
    std::vector<const Placeholder*> sortedOriginal = original;
    std::vector<const Placeholder*> sortedTranslation = translation;
    std::stable_sort(sortedOriginal.begin(), sortedOriginal.end(), byKind);
    std::stable_sort(sortedTranslation.begin(), sortedTranslation.end(), byKind);
    const bool sameKinds = std::equal(
        sortedOriginal.begin(), sortedOriginal.end(), sortedTranslation.begin(), sortedTranslation.end(),
        [](const Placeholder* a, const Placeholder* b) { return a->kind == b->kind; });
    if (original.size() == translation.size()) {
        for (size_t i = 0; i < original.size(); ++i) {
            if (original[i]->kind != translation[i]->kind) {
                findings.push_back(
                    {TextProblem::PlaceholderChanged,
                     sameKinds ? L"order" : ChangeDetail(original[i]->text, translation[i]->text)});
                if (sameKinds) {
                    return; // one reordering is one mistake
                }
            }
        }
        return;
    }
    // Different counts: name what is short and what is over, kind by kind.
    size_t o = 0;
    size_t t = 0;
    while (o < sortedOriginal.size() || t < sortedTranslation.size()) {
        if (t == sortedTranslation.size() ||
            (o < sortedOriginal.size() && sortedOriginal[o]->kind < sortedTranslation[t]->kind)) {
            findings.push_back({TextProblem::MissingPlaceholder, std::wstring(sortedOriginal[o++]->text)});
        } else if (o == sortedOriginal.size() || sortedTranslation[t]->kind < sortedOriginal[o]->kind) {
            findings.push_back({TextProblem::ExtraPlaceholder, std::wstring(sortedTranslation[t++]->text)});
        } else {
            ++o;
            ++t;
        }
    }
}

// Numbered, named and inserted placeholders match by key, so any order and any repetition is fine.
void CompareKeyed(const std::vector<const Placeholder*>& original,
                  const std::vector<const Placeholder*>& translation, std::vector<TextFinding>& findings) {
    // The family is part of the key: a printf "%1$s", a brace "{1}" and an insert "%1" never match.
    using Key = std::pair<Family, std::wstring_view>;
    std::map<Key, const Placeholder*> inOriginal;
    std::map<Key, const Placeholder*> inTranslation;
    for (const Placeholder* p : original) {
        inOriginal.emplace(Key(p->family, p->key), p);
    }
    for (const Placeholder* p : translation) {
        inTranslation.emplace(Key(p->family, p->key), p);
    }
    for (const auto& [key, p] : inOriginal) {
        const auto match = inTranslation.find(key);
        if (match == inTranslation.end()) {
            findings.push_back({TextProblem::MissingPlaceholder, std::wstring(p->text)});
        } else if (match->second->kind != p->kind) {
            findings.push_back({TextProblem::PlaceholderChanged, ChangeDetail(p->text, match->second->text)});
        }
    }
    for (const auto& [key, p] : inTranslation) {
        if (inOriginal.count(key) == 0) {
            findings.push_back({TextProblem::ExtraPlaceholder, std::wstring(p->text)});
        }
    }
}

} // namespace

size_t PlaceholderLength(std::wstring_view text, size_t at) {
    const bool doubled = at + 1 < text.size() && text[at + 1] == text[at];
    size_t end = at;
    return at < text.size() && !doubled && ReadPlaceholder(text, at, end) ? end - at : 0;
}

void CheckPlaceholders(std::wstring_view original, std::wstring_view translation,
                       std::vector<TextFinding>& findings) {
    std::vector<Placeholder> fromOriginal = ReadPlaceholders(original);
    std::vector<Placeholder> fromTranslation = ReadPlaceholders(translation);
    if (fromOriginal.empty() && fromTranslation.empty()) {
        return;
    }
    MarkPercentSigns(fromOriginal, fromTranslation);
    NumberInOrder(fromOriginal, fromTranslation);
    std::vector<const Placeholder*> inOrder[2];
    std::vector<const Placeholder*> keyed[2];
    for (int side = 0; side < 2; ++side) {
        for (const Placeholder& p : side == 0 ? fromOriginal : fromTranslation) {
            if (!p.isText) {
                (p.key.empty() ? inOrder : keyed)[side].push_back(&p);
            }
        }
    }
    CompareInOrder(inOrder[0], inOrder[1], findings);
    CompareKeyed(keyed[0], keyed[1], findings);
}
