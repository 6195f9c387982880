#include "PseudoTranslation.h"

#include "Placeholders.h"

#include <algorithm>

namespace {

// Accented look-alikes of A-Z and a-z from Latin-1 and Latin Extended, which the usual dialog fonts
// carry; a letter without a common look-alike stays as it is.
constexpr wchar_t kUpper[] = L"\u00C5\u0181\u00C7\u010E\u00C9\u0191\u011C\u0124\u00CE\u0134\u0136\u0139M"
                             L"\u00D1\u00D6\u01A4Q\u0154\u0160\u0162\u00DBV\u0174X\u00DD\u017D";
constexpr wchar_t kLower[] = L"\u00E5\u0180\u00E7\u010F\u00E9\u0192\u011D\u0125\u00EE\u0135\u0137\u013Am"
                             L"\u00F1\u00F6\u01A5q\u0155\u0161\u0163\u00FBv\u0175x\u00FD\u017E";
static_assert(sizeof(kUpper) / sizeof(wchar_t) == 27 && sizeof(kLower) / sizeof(wchar_t) == 27);

// A wide letter: translations grow in width too, and padding of narrow marks would let a control that
// is only just wide enough pass.
constexpr wchar_t kPadding = L'\u0174';

bool IsEndMark(wchar_t c) {
    return std::wstring_view(L".:!?\u2026").find(c) != std::wstring_view::npos;
}

wchar_t LookAlike(wchar_t c) {
    if (c >= L'A' && c <= L'Z') {
        return kUpper[c - L'A'];
    }
    if (c >= L'a' && c <= L'z') {
        return kLower[c - L'a'];
    }
    return c;
}

// How many characters at `at` must stay as written: a placeholder, a doubled "&", "%" or brace, an
// accelerator with its letter, or a line break or tab; 0 for a character that may change.
size_t KeptLength(std::wstring_view text, size_t at) {
    const wchar_t c = text[at];
    const bool doubled = at + 1 < text.size() && text[at + 1] == c;
    switch (c) {
    case L'&':
        // A single "&" before a space or at the end marks nothing; before anything else its letter
        // is the key, which must stay the key.
        return doubled ? 2 : (at + 1 < text.size() && text[at + 1] != L' ' ? 2 : 1);
    case L'%':
        // Besides the placeholders, a Windows message's escapes ("%n", "%.", "%!", "%0") stay whole.
        if (doubled || (at + 1 < text.size() &&
                        std::wstring_view(L"n.!0").find(text[at + 1]) != std::wstring_view::npos)) {
            return 2;
        }
        return PlaceholderLength(text, at);
    case L'{':
        return doubled ? 2 : PlaceholderLength(text, at);
    case L'}':
        return doubled ? 2 : 0;
    case L'\r':
    case L'\n':
    case L'\t':
        return 1;
    default:
        return 0;
    }
}

} // namespace

int PseudoGrowthPercent(size_t originalLength) {
    return originalLength <= 10 ? 100 : originalLength <= 20 ? 60 : originalLength <= 50 ? 40 : 30;
}

std::wstring PseudoTranslate(std::wstring_view original, std::optional<int> growthPercent) {
    const Edges edges = CutEdges(original);
    const size_t begin = edges.leading.size();
    const size_t end = begin + edges.core.size();
    size_t markStart = end;
    while (markStart > begin && IsEndMark(original[markStart - 1])) {
        --markStart;
    }
    // An end mark that belongs to a placeholder ("%1!d!") or an accelerator ("&.") stays inside.
    const std::wstring_view trimmed = original.substr(begin, end - begin);
    for (size_t at = 0; at < trimmed.size();) {
        const size_t kept = KeptLength(trimmed, at);
        at += std::max<size_t>(kept, 1);
        markStart = kept > 0 ? std::max(markStart, begin + at) : markStart;
    }
    const std::wstring_view core = original.substr(begin, markStart - begin);

    std::wstring pseudo(original.substr(0, begin));
    pseudo += L'[';
    for (size_t at = 0; at < core.size();) {
        const size_t kept = KeptLength(core, at);
        if (kept > 0) {
            pseudo.append(core.substr(at, kept));
            at += kept;
        } else {
            pseudo += LookAlike(core[at++]);
        }
    }
    const size_t growth = static_cast<size_t>(growthPercent ? std::max(*growthPercent, 0)
                                                            : PseudoGrowthPercent(original.size()));
    pseudo.append((original.size() * growth + 99) / 100, kPadding);
    pseudo += L']';
    pseudo.append(original.substr(markStart));
    return pseudo;
}
