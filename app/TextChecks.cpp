#include "TextChecks.h"

#include "Placeholders.h"
#include "ProjectModel.h"

#include <algorithm>
#include <cwctype>

namespace {

bool IsEdgeWhiteSpace(wchar_t c) {
    return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n' || c == 0xA0 || c == 0x202F || c == 0x3000;
}

struct Ampersands {
    int mnemonics = 0;
    std::optional<wchar_t> first; // the first mnemonic
    int literal = 0;              // "&&" pairs, each shown as one "&"
    int stray = 0;                // a single "&" before a space or at the end: shown as nothing
};

Ampersands FindAmpersands(std::wstring_view text) {
    Ampersands found;
    for (size_t at = 0; at < text.size(); ++at) {
        if (text[at] != L'&') {
            continue;
        }
        const wchar_t next = at + 1 < text.size() ? text[at + 1] : L'\0';
        if (next == L'&') {
            ++found.literal;
        } else if (next == L' ' || next == L'\0') {
            ++found.stray;
        } else if (++found.mnemonics == 1) {
            found.first = next;
        }
        ++at; // the "&" takes the character after it, even a second "&"
    }
    return found;
}

std::wstring CountChange(std::ptrdiff_t from, std::ptrdiff_t to) {
    return ChangeDetail(std::to_wstring(from), std::to_wstring(to));
}

void CheckAmpersands(std::wstring_view original, std::wstring_view translation,
                     std::vector<TextFinding>& findings) {
    const Ampersands inOriginal = FindAmpersands(original);
    const Ampersands inTranslation = FindAmpersands(translation);
    if (inOriginal.mnemonics == 1) {
        if (inTranslation.mnemonics == 0) {
            findings.push_back({TextProblem::AcceleratorLost, std::wstring(1, *inOriginal.first)});
        } else if (inTranslation.mnemonics > 1) {
            findings.push_back({TextProblem::AcceleratorsMultiple, std::to_wstring(inTranslation.mnemonics)});
        }
    } else if (inOriginal.mnemonics == 0 && inTranslation.first) {
        findings.push_back({TextProblem::AcceleratorAdded, std::wstring(1, *inTranslation.first)});
    }
    // Fewer literal ampersands alone may be a word chosen instead ("und" for "&&"); with a stray "&"
    // or one mnemonic too many, an "&" written single is what swallowed it.
    if (inTranslation.literal < inOriginal.literal &&
        (inTranslation.stray > 0 || inTranslation.mnemonics > inOriginal.mnemonics)) {
        findings.push_back(
            {TextProblem::AmpersandLost, CountChange(inOriginal.literal, inTranslation.literal)});
    }
}

struct LineBreaks {
    std::ptrdiff_t count = 0;
    std::ptrdiff_t withReturn = 0; // preceded by CR
};

LineBreaks FindLineBreaks(std::wstring_view text) {
    LineBreaks found;
    for (size_t at = 0; at < text.size(); ++at) {
        if (text[at] == L'\n') {
            ++found.count;
            found.withReturn += at > 0 && text[at - 1] == L'\r';
        }
    }
    return found;
}

void CheckLineBreaks(std::wstring_view original, std::wstring_view translation,
                     std::vector<TextFinding>& findings) {
    const LineBreaks inOriginal = FindLineBreaks(original);
    const LineBreaks inTranslation = FindLineBreaks(translation);
    if (inOriginal.count != inTranslation.count) {
        findings.push_back({TextProblem::LineBreakCount, CountChange(inOriginal.count, inTranslation.count)});
    }
    // Edit controls need CR LF to break a line; a bare LF shows as a box or not at all.
    if (inOriginal.withReturn > 0 && inOriginal.withReturn == inOriginal.count &&
        inTranslation.withReturn < inTranslation.count) {
        findings.push_back({TextProblem::LineBreakStyle, L"CR LF \u2192 LF"});
    }
}

// Full-width marks of Chinese and Japanese ("：", "。", "、") hold their own room: the space that
// follows the original's colon is rightly dropped after them.
bool EndsFullWidth(std::wstring_view text) {
    if (text.empty()) {
        return false;
    }
    const wchar_t last = text.back();
    return (last >= 0x3000 && last <= 0x303F) || (last >= 0xFF01 && last <= 0xFF60);
}

std::ptrdiff_t DoubleSpaces(std::wstring_view text) {
    std::ptrdiff_t count = 0;
    for (size_t at = 1; at < text.size(); ++at) {
        count += text[at] == L' ' && text[at - 1] == L' ' && (at < 2 || text[at - 2] != L' ');
    }
    return count;
}

void CheckWhiteSpace(const Edges& original, const Edges& translation, std::vector<TextFinding>& findings) {
    if (original.leading != translation.leading) {
        findings.push_back({TextProblem::EdgeWhiteSpace, L"leading"});
    }
    const bool spaceHeldByMark = translation.trailing.empty() &&
                                 original.trailing.find_first_not_of(L' ') == std::wstring_view::npos &&
                                 EndsFullWidth(translation.core);
    if (original.trailing != translation.trailing && !spaceHeldByMark) {
        findings.push_back({TextProblem::EdgeWhiteSpace, L"trailing"});
    }
    const std::ptrdiff_t inOriginal = DoubleSpaces(original.core);
    const std::ptrdiff_t inTranslation = DoubleSpaces(translation.core);
    if (inTranslation > inOriginal) {
        findings.push_back({TextProblem::DoubleSpace, CountChange(inOriginal, inTranslation)});
    }
}

bool EndsWith(std::wstring_view text, std::wstring_view end) {
    return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

bool HasLetterIn(std::wstring_view text, wchar_t first, wchar_t last) {
    return std::any_of(text.begin(), text.end(), [=](wchar_t c) { return c >= first && c <= last; });
}

bool IsGreek(std::wstring_view text) {
    return HasLetterIn(text, 0x0370, 0x03FF) || HasLetterIn(text, 0x1F00, 0x1FFF);
}

// Thai and Lao end a sentence with a space, not a mark.
bool WritesNoFullStop(std::wstring_view text) {
    return HasLetterIn(text, 0x0E00, 0x0EFF);
}

// "%1!d!" at the end of a text: its closing "!" belongs to the insert, not to a sentence.
bool EndsInWindowsInsert(std::wstring_view text) {
    if (text.size() < 4 || text.back() != L'!') {
        return false;
    }
    const size_t open = text.find_last_of(L'!', text.size() - 2); // where the insert's format starts
    if (open == std::wstring_view::npos) {
        return false;
    }
    size_t number = open;
    while (number > 0 && iswdigit(text[number - 1])) {
        --number;
    }
    return number > 0 && number < open && open - number <= 2 && text[number] != L'0' &&
           text[number - 1] == L'%';
}

// The closing mark of a text without its edge white space, as one of "...", ":", "?", "!", "." or empty.
// Scripts write the same mark in their own way: the ellipsis as "…", the full-width "：？！。" of Chinese and
// Japanese, the Greek question mark (also typed as ";"), the Arabic "؟", the danda of Hindi and its kin. The
// Spanish "¿" and "¡" open a sentence and are never the end.
std::wstring_view EndMark(std::wstring_view text) {
    if (EndsWith(text, L"...") || EndsWith(text, L"\u2026") || EndsWith(text, L"\u22EF")) {
        return L"...";
    }
    switch (text.empty() ? L'\0' : text.back()) {
    case L':':
    case 0xFF1A:
        return L":";
    case L'?':
    case 0xFF1F:
    case 0x037E: // Greek question mark
    case 0x061F: // Arabic question mark
        return L"?";
    case L';':
        return IsGreek(text) ? L"?" : L"";
    case L'!':
        return EndsInWindowsInsert(text) ? L"" : L"!";
    case 0xFF01:
        return L"!";
    case L'.':
    case 0x3002: // ideographic full stop
    case 0xFF0E:
    case 0xFF61:
    case 0x06D4: // Urdu full stop
    case 0x0964: // danda
    case 0x104B: // Myanmar full stop
    case 0x1362: // Ethiopic full stop
    case 0x17D4: // Khmer full stop
        return L".";
    default:
        return L"";
    }
}

void CheckEndMark(const Edges& original, const Edges& translation, std::vector<TextFinding>& findings) {
    const std::wstring_view originalMark = EndMark(original.core);
    const std::wstring_view translationMark = EndMark(translation.core);
    if (originalMark == translationMark ||
        (originalMark == L"." && translationMark.empty() && WritesNoFullStop(translation.core))) {
        return;
    }
    const auto quoted = [](std::wstring_view mark) {
        return mark.empty() ? L"none" : L"\"" + std::wstring(mark) + L"\"";
    };
    findings.push_back(
        {TextProblem::TrailingPunctuation, ChangeDetail(quoted(originalMark), quoted(translationMark))});
}

} // namespace

Edges CutEdges(std::wstring_view text) {
    size_t start = 0;
    while (start < text.size() && IsEdgeWhiteSpace(text[start])) {
        ++start;
    }
    size_t end = text.size();
    while (end > start && IsEdgeWhiteSpace(text[end - 1])) {
        --end;
    }
    return {text.substr(0, start), text.substr(start, end - start), text.substr(end)};
}

std::wstring ChangeDetail(std::wstring_view from, std::wstring_view to) {
    return std::wstring(from) + L" \u2192 " + std::wstring(to);
}

std::vector<TextFinding> CheckTranslation(std::wstring_view original, std::wstring_view translation) {
    std::vector<TextFinding> findings;
    CheckPlaceholders(original, translation, findings);
    CheckAmpersands(original, translation, findings);
    CheckLineBreaks(original, translation, findings);
    const Edges originalEdges = CutEdges(original);
    const Edges translationEdges = CutEdges(translation);
    CheckWhiteSpace(originalEdges, translationEdges, findings);
    CheckEndMark(originalEdges, translationEdges, findings);
    return findings;
}

TextSeverity SeverityOf(TextProblem problem) {
    return problem == TextProblem::LineBreakStyle || problem == TextProblem::DoubleSpace
               ? TextSeverity::Low
               : TextSeverity::Normal;
}

const wchar_t* KindName(TextProblem problem) {
    switch (problem) {
    case TextProblem::MissingPlaceholder:
    case TextProblem::ExtraPlaceholder:
    case TextProblem::PlaceholderChanged:
        return L"placeholders";
    case TextProblem::AcceleratorLost:
    case TextProblem::AcceleratorsMultiple:
    case TextProblem::AcceleratorAdded:
    case TextProblem::AmpersandLost:
        return L"accelerators";
    case TextProblem::LineBreakCount:
    case TextProblem::LineBreakStyle:
        return L"line breaks";
    case TextProblem::EdgeWhiteSpace:
    case TextProblem::DoubleSpace:
        return L"white space";
    case TextProblem::TrailingPunctuation:
        return L"punctuation";
    }
    return L"";
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
    case TextProblem::AcceleratorAdded:
        return L"an accelerator (&" + detail + L") where the original has none";
    case TextProblem::AmpersandLost:
        return L"a literal \"&\" no longer shows (write it as \"&&\"): " + detail;
    case TextProblem::LineBreakCount:
        return L"line breaks: " + detail;
    case TextProblem::LineBreakStyle:
        return L"line break style: " + detail;
    case TextProblem::EdgeWhiteSpace:
        return detail + L" white space differs from the original";
    case TextProblem::DoubleSpace:
        return L"double spaces inside the text: " + detail;
    case TextProblem::TrailingPunctuation:
        return L"end mark: " + detail;
    }
    return detail;
}

std::vector<TextFinding> CheckString(const StringItem& item) {
    return item.loc ? CheckTranslation(item.text, *item.loc) : std::vector<TextFinding>{};
}

std::optional<wchar_t> MnemonicOf(std::wstring_view text) {
    return FindAmpersands(text).first;
}
