#include "TextChecks.h"

#include "ProjectModel.h"

#include <algorithm>
#include <map>

namespace {

struct Placeholder {
    std::wstring_view text; // as written, for the finding's detail
    std::wstring key;       // empty for non-positional printf ones, which match by order
    std::wstring kind;      // printf length and conversion; empty for braced ones
};

bool IsDigit(wchar_t c) {
    return c >= L'0' && c <= L'9';
}

bool IsNameStart(wchar_t c) {
    return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || c == L'_';
}

size_t SkipDigits(std::wstring_view text, size_t at) {
    while (at < text.size() && IsDigit(text[at])) {
        ++at;
    }
    return at;
}

// Reads a printf conversion starting at the "%" at `start`; on success sets `end` past it. The space
// flag is left out on purpose: "100 % sure" would otherwise read as "% s".
std::optional<Placeholder> ReadPrintf(std::wstring_view text, size_t start, size_t& end) {
    size_t at = start + 1;
    std::wstring key;
    const size_t digitsEnd = SkipDigits(text, at);
    if (digitsEnd > at && digitsEnd < text.size() && text[digitsEnd] == L'$') {
        key = L"%" + std::wstring(text.substr(at, digitsEnd - at));
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
        std::wstring_view(L"diouxXeEfFgGaAcCsSpn").find(text[at]) == std::wstring_view::npos) {
        return std::nullopt;
    }
    std::wstring kind(text.substr(lengthStart, at - lengthStart));
    kind += text[at] == L'i' ? L'd' : text[at]; // %i and %d print alike
    end = at + 1;
    return Placeholder{text.substr(start, end - start), key, kind};
}

// Reads "{0}" or "{name}" starting at the "{" at `start`.
std::optional<Placeholder> ReadBraced(std::wstring_view text, size_t start, size_t& end) {
    size_t at = start + 1;
    if (at < text.size() && IsDigit(text[at])) {
        at = SkipDigits(text, at);
    } else if (at < text.size() && IsNameStart(text[at])) {
        while (at < text.size() && (IsNameStart(text[at]) || IsDigit(text[at]))) {
            ++at;
        }
    } else {
        return std::nullopt;
    }
    if (at >= text.size() || text[at] != L'}') {
        return std::nullopt;
    }
    end = at + 1;
    const std::wstring_view whole = text.substr(start, end - start);
    return Placeholder{whole, std::wstring(whole), L""};
}

std::vector<Placeholder> Placeholders(std::wstring_view text) {
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
        std::optional<Placeholder> placeholder;
        if (c == L'%') {
            placeholder = ReadPrintf(text, at, end);
        } else if (c == L'{') {
            placeholder = ReadBraced(text, at, end);
        }
        if (placeholder) {
            found.push_back(std::move(*placeholder));
            at = end;
        } else {
            ++at;
        }
    }
    return found;
}

std::wstring Arrow(std::wstring_view from, std::wstring_view to) {
    return std::wstring(from) + L" \u2192 " + std::wstring(to);
}

// Non-positional printf placeholders take their arguments in order, so order and kind both matter.
void CompareSequential(const std::vector<const Placeholder*>& original,
                       const std::vector<const Placeholder*>& translation,
                       std::vector<TextFinding>& findings) {
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
                findings.push_back({TextProblem::PlaceholderChanged,
                                    sameKinds ? L"order" : Arrow(original[i]->text, translation[i]->text)});
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

// Positional and braced placeholders match by key, so any order and any repetition is fine.
void CompareKeyed(const std::vector<const Placeholder*>& original,
                  const std::vector<const Placeholder*>& translation, std::vector<TextFinding>& findings) {
    std::map<std::wstring_view, const Placeholder*> inOriginal;
    std::map<std::wstring_view, const Placeholder*> inTranslation;
    for (const Placeholder* p : original) {
        inOriginal.emplace(p->key, p);
    }
    for (const Placeholder* p : translation) {
        inTranslation.emplace(p->key, p);
    }
    for (const auto& [key, p] : inOriginal) {
        const auto match = inTranslation.find(key);
        if (match == inTranslation.end()) {
            findings.push_back({TextProblem::MissingPlaceholder, std::wstring(p->text)});
        } else if (match->second->kind != p->kind) {
            findings.push_back({TextProblem::PlaceholderChanged, Arrow(p->text, match->second->text)});
        }
    }
    for (const auto& [key, p] : inTranslation) {
        if (inOriginal.count(key) == 0) {
            findings.push_back({TextProblem::ExtraPlaceholder, std::wstring(p->text)});
        }
    }
}

void CheckPlaceholders(std::wstring_view original, std::wstring_view translation,
                       std::vector<TextFinding>& findings) {
    const std::vector<Placeholder> fromOriginal = Placeholders(original);
    const std::vector<Placeholder> fromTranslation = Placeholders(translation);
    if (fromOriginal.empty() && fromTranslation.empty()) {
        return;
    }
    std::vector<const Placeholder*> sequential[2];
    std::vector<const Placeholder*> keyed[2];
    for (int side = 0; side < 2; ++side) {
        for (const Placeholder& p : side == 0 ? fromOriginal : fromTranslation) {
            (p.key.empty() ? sequential : keyed)[side].push_back(&p);
        }
    }
    CompareSequential(sequential[0], sequential[1], findings);
    CompareKeyed(keyed[0], keyed[1], findings);
}

struct Mnemonics {
    int count = 0;
    std::optional<wchar_t> first;
};

Mnemonics FindMnemonics(std::wstring_view text) {
    Mnemonics found;
    for (size_t at = 0; at < text.size(); ++at) {
        if (text[at] != L'&' || at + 1 >= text.size()) {
            continue;
        }
        const wchar_t next = text[at + 1];
        if (next == L'&') {
            ++at; // "&&" shows one "&"
        } else if (next != L' ') {
            if (++found.count == 1) {
                found.first = next;
            }
            ++at;
        }
    }
    return found;
}

bool IsWhiteSpace(wchar_t c) {
    return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n' || c == 0xA0 || c == 0x202F || c == 0x3000;
}

std::wstring_view Leading(std::wstring_view text) {
    size_t end = 0;
    while (end < text.size() && IsWhiteSpace(text[end])) {
        ++end;
    }
    return text.substr(0, end);
}

std::wstring_view Trailing(std::wstring_view text) {
    size_t start = text.size();
    while (start > 0 && IsWhiteSpace(text[start - 1])) {
        --start;
    }
    return text.substr(start);
}

bool EndsWith(std::wstring_view text, std::wstring_view end) {
    return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

// The closing mark that tells the user more follows; "..." and "…" and the full-width colon count as
// the same mark, since languages choose between them.
std::wstring_view EndMark(std::wstring_view text) {
    text.remove_suffix(Trailing(text).size());
    if (EndsWith(text, L"...") || EndsWith(text, L"\u2026")) {
        return L"...";
    }
    if (EndsWith(text, L":") || EndsWith(text, L"\uFF1A")) {
        return L":";
    }
    return L"";
}

std::wstring Quoted(std::wstring_view mark) {
    return mark.empty() ? L"none" : L"\"" + std::wstring(mark) + L"\"";
}

} // namespace

std::vector<TextFinding> CheckTranslation(std::wstring_view original, std::wstring_view translation) {
    std::vector<TextFinding> findings;
    CheckPlaceholders(original, translation, findings);

    const Mnemonics originalMnemonics = FindMnemonics(original);
    if (originalMnemonics.count == 1) {
        const int count = FindMnemonics(translation).count;
        if (count == 0) {
            findings.push_back({TextProblem::AcceleratorLost, std::wstring(1, *originalMnemonics.first)});
        } else if (count > 1) {
            findings.push_back({TextProblem::AcceleratorsMultiple, std::to_wstring(count)});
        }
    }

    const auto breaks = [](std::wstring_view text) { return std::count(text.begin(), text.end(), L'\n'); };
    const auto originalBreaks = breaks(original);
    const auto translationBreaks = breaks(translation);
    if (originalBreaks != translationBreaks) {
        findings.push_back({TextProblem::LineBreakCount,
                            Arrow(std::to_wstring(originalBreaks), std::to_wstring(translationBreaks))});
    }

    if (Leading(original) != Leading(translation)) {
        findings.push_back({TextProblem::EdgeWhiteSpace, L"leading"});
    }
    if (Trailing(original) != Trailing(translation)) {
        findings.push_back({TextProblem::EdgeWhiteSpace, L"trailing"});
    }

    const std::wstring_view originalMark = EndMark(original);
    const std::wstring_view translationMark = EndMark(translation);
    if (originalMark != translationMark) {
        findings.push_back(
            {TextProblem::TrailingPunctuation, Arrow(Quoted(originalMark), Quoted(translationMark))});
    }
    return findings;
}

std::wstring Describe(const TextFinding& finding) {
    const std::wstring& detail = finding.detail;
    switch (finding.problem) {
    case TextProblem::MissingPlaceholder:
        return L"placeholder " + detail + L" is missing";
    case TextProblem::ExtraPlaceholder:
        return L"placeholder " + detail + L" is not in the original";
    case TextProblem::PlaceholderChanged:
        return detail == L"order" ? L"placeholders are in another order" : L"placeholder changed: " + detail;
    case TextProblem::AcceleratorLost:
        return L"the accelerator (&" + detail + L" in the original) is lost";
    case TextProblem::AcceleratorsMultiple:
        return detail + L" accelerators where the original has one";
    case TextProblem::LineBreakCount:
        return L"line breaks: " + detail;
    case TextProblem::EdgeWhiteSpace:
        return detail + L" white space differs from the original";
    case TextProblem::TrailingPunctuation:
        return L"end mark: " + detail;
    }
    return detail;
}

std::vector<TextFinding> CheckString(const StringItem& item) {
    return item.loc ? CheckTranslation(item.text, *item.loc) : std::vector<TextFinding>{};
}

std::optional<wchar_t> MnemonicOf(std::wstring_view text) {
    return FindMnemonics(text).first;
}
