// Checks of one translation against its original for mistakes a translator easily makes: lost or
// altered placeholders, lost accelerators, changed line breaks, edge white space and end marks.
// Pure text work, so it runs over whole projects without any window.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct StringItem;

enum class TextProblem {
    MissingPlaceholder,   // in the original, not in the translation
    ExtraPlaceholder,     // in the translation, not in the original
    PlaceholderChanged,   // another kind, or non-positional ones in another order
    AcceleratorLost,      // the original has one mnemonic, the translation none
    AcceleratorsMultiple, // the original has one mnemonic, the translation several
    AcceleratorAdded,     // the original has no mnemonic, the translation has
    AmpersandLost,        // a literal "&" ("&&") of the original no longer shows
    LineBreakCount,
    LineBreakStyle,      // the original breaks lines with CR LF, the translation with a bare LF
    EdgeWhiteSpace,      // leading or trailing white space differs
    DoubleSpace,         // more double spaces inside the text than the original has
    TrailingPunctuation, // the closing ":", ellipsis, "?", "!" or "." differs
};

// Low findings are worth a look but rarely show: callers may list them apart or leave them out.
enum class TextSeverity { Normal, Low };

TextSeverity SeverityOf(TextProblem problem);

// A text cut at its edge white space (no-break spaces included), once for every check that looks at
// the edges, and for what must keep them.
struct Edges {
    std::wstring_view leading;
    std::wstring_view core;
    std::wstring_view trailing;
};
Edges CutEdges(std::wstring_view text);

// The group a problem belongs to, for counting findings by group: "placeholders", "accelerators",
// "line breaks", "white space" or "punctuation".
const wchar_t* KindName(TextProblem problem);

struct TextFinding {
    TextProblem problem;
    std::wstring detail; // the placeholder(s) or the counts concerned, for showing to the translator

    bool operator==(const TextFinding& other) const {
        return problem == other.problem && detail == other.detail;
    }
};

// Every problem of the translation, in the order of the problem kinds above; empty when none.
std::vector<TextFinding> CheckTranslation(std::wstring_view original, std::wstring_view translation);

// The detail of a finding that something changed: "from → to".
std::wstring ChangeDetail(std::wstring_view from, std::wstring_view to);

// A short English sentence for the translator, such as "placeholder %d is missing".
std::wstring Describe(const TextFinding& finding);

// The same for a project string; an untranslated string has nothing to check.
std::vector<TextFinding> CheckString(const StringItem& item);

// The character after the first single "&" that is followed by neither a space nor the end, as
// written (callers fold case to compare); absent when the text has no mnemonic.
std::optional<wchar_t> MnemonicOf(std::wstring_view text);
