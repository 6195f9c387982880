// Checks of translations against their originals: one row per rule, the traps that must stay quiet
// next to the mistakes that must be found.
#include "ProjectModel.h"
#include "TextChecks.h"

#include <gtest/gtest.h>

void PrintTo(const TextFinding& finding, std::ostream* out) {
    *out << static_cast<int>(finding.problem) << ":";
    for (wchar_t c : finding.detail) {
        *out << (c < 128 ? static_cast<char>(c) : '?');
    }
}

namespace {

using P = TextProblem;

struct Row {
    const wchar_t* original;
    const wchar_t* translation;
    std::vector<TextFinding> expected;
};

const Row kRows[] = {
    {L"%s files", L"%s Dateien", {}},
    {L"%5.2f MB", L"%.1f MB", {}},
    {L"%d of %s", L"%s von %d", {{P::PlaceholderChanged, L"order"}}},
    {L"%d files", L"%s Dateien", {{P::PlaceholderChanged, L"%d \u2192 %s"}}},
    {L"%ls", L"%s", {{P::PlaceholderChanged, L"%ls \u2192 %s"}}},
    {L"%i files", L"%d Dateien", {}},
    {L"%d files", L"Dateien", {{P::MissingPlaceholder, L"%d"}}},
    {L"Files", L"%d Dateien", {{P::ExtraPlaceholder, L"%d"}}},
    {L"100%% done", L"100%% fertig", {}},
    {L"100%% done", L"100 % fertig", {}},
    {L"%1$s by %2$s", L"%2$s von %1$s", {}},
    {L"%1$s by %2$s", L"%1$s von", {{P::MissingPlaceholder, L"%2$s"}}},
    {L"%1$d", L"%1$s", {{P::PlaceholderChanged, L"%1$d \u2192 %1$s"}}},
    {L"{0} of {1}", L"{1} von {0}", {}},
    {L"Hello {name}", L"Hallo {nom}", {{P::MissingPlaceholder, L"{name}"}, {P::ExtraPlaceholder, L"{nom}"}}},
    {L"{{0}} as is", L"{{0}} wie es ist", {}},
    {L"&Open", L"\u00D6&ffnen", {}},
    {L"&Open", L"\u00D6ffnen", {{P::AcceleratorLost, L"O"}}},
    {L"&Open", L"&\u00D6ff&nen", {{P::AcceleratorsMultiple, L"2"}}},
    {L"Drag && Drop", L"Ziehen && Ablegen", {}},
    {L"Tom & Jerry", L"Tom und Jerry", {}},
    {L"Fish &", L"Fisch", {}},
    {L"One\nTwo", L"Eins Zwei", {{P::LineBreakCount, L"1 \u2192 0"}}},
    {L" Name", L"Name", {{P::EdgeWhiteSpace, L"leading"}}},
    {L"Name", L"Name ", {{P::EdgeWhiteSpace, L"trailing"}}},
    {L"Name:", L"Name", {{P::TrailingPunctuation, L"\":\" \u2192 none"}}},
    {L"Name:", L"Nom\u00A0:", {}},
    {L"Open...", L"\u00D6ffnen\u2026", {}},
    {L"Save", L"Speichern...", {{P::TrailingPunctuation, L"none \u2192 \"...\""}}},

    // Printf numbering in one text only: the nth in order is the one numbered n.
    {L"%s of %d", L"%2$d von %1$s", {}},
    {L"%s of %d", L"%1$s von %2$d", {}},
    {L"%1$s by %2$s", L"%s von %s", {}},
    {L"%s of %d",
     L"%2$s von %1$d",
     {{P::PlaceholderChanged, L"%s \u2192 %1$d"}, {P::PlaceholderChanged, L"%d \u2192 %2$s"}}},
    {L"%s of %d", L"%1$s von", {{P::MissingPlaceholder, L"%d"}}},
    // A "%" glued between a number and a word is a percent sign, unless the original has that item.
    {L"100% done", L"100%-ige Fertigstellung", {}},
    {L"3rd step", L"il 3%-esimo passo", {}},
    {L"%d of 100%", L"%d von 100%-igen", {}},
    {L"%d px wide", L"Breite%dpx", {}},
    {L"%5d files", L"%5s Dateien", {{P::PlaceholderChanged, L"%5d \u2192 %5s"}}},
    // Brace items with alignment or format; the format is the translator's to localise.
    {L"{0:N2} MB", L"MB", {{P::MissingPlaceholder, L"{0:N2}"}}},
    {L"{0:d} to {1:d}", L"{0:dd.MM.} bis {1:dd.MM.}", {}},
    {L"{1,-10}|{0}", L"{0}|{1,-10}", {}},
    {L"{1,-10}|{0}",
     L"{0}|{2,-10}",
     {{P::MissingPlaceholder, L"{1,-10}"}, {P::ExtraPlaceholder, L"{2,-10}"}}},
    {L"{key: value}", L"{Schl\u00FCssel: Wert}", {}},
    // Empty braces take their arguments in order, and match numbered ones from 0.
    {L"{} of {}", L"{} von", {{P::MissingPlaceholder, L"{}"}}},
    {L"{} of {:>5}", L"{1:>5} von {0}", {}},
    {L"{} of {}", L"{} von %s", {{P::PlaceholderChanged, L"{} \u2192 %s"}}},
    // Windows message inserts match by number; "%0", "%n", "%.", "%!" and "%%" are text.
    {L"%1 of %2", L"%2 von %1", {}},
    {L"%1 of %2", L"%1 von %3", {{P::MissingPlaceholder, L"%2"}, {P::ExtraPlaceholder, L"%3"}}},
    {L"%1 of %12", L"%1 von", {{P::MissingPlaceholder, L"%12"}}},
    {L"%1!d! files", L"%1!s! Dateien", {{P::PlaceholderChanged, L"%1!d! \u2192 %1!s!"}}},
    // The closing "!" of an insert at the end is not an end mark.
    {L"Sum %1!d!", L"Summe: %1!d!", {}},
    {L"%1 files", L"%1!s! Dateien", {}},
    {L"Stop%0%nNext%.%!", L"Halt%!", {}},
    {L"%1!", L"%1 !", {}},

    // An accelerator where the original has none, or a literal "&" swallowed by a single one.
    {L"File", L"&Fayile", {{P::AcceleratorAdded, L"F"}}},
    {L"Save && Exit", L"Speichern & Beenden", {{P::AmpersandLost, L"1 \u2192 0"}}},
    {L"Save && Exit",
     L"Speichern &Beenden",
     {{P::AcceleratorAdded, L"B"}, {P::AmpersandLost, L"1 \u2192 0"}}},
    {L"&Drag && Drop", L"&Ziehen und Ablegen", {}},
    {L"A &&&B", L"A &&&B", {}},

    // A bare LF where the original breaks with CR LF; the other way round is harmless.
    {L"One\r\nTwo", L"Eins\nZwei", {{P::LineBreakStyle, L"CR LF \u2192 LF"}}},
    {L"One\nTwo", L"Eins\r\nZwei", {}},
    // Double spaces the original does not have; a full-width mark holds the room of a dropped space.
    {L"Save file", L"Datei  speichern", {{P::DoubleSpace, L"0 \u2192 1"}}},
    {L"Key  Value", L"Schl\u00FCssel  Wert", {}},
    {L"Limit: ", L"\u9650\u5236\uFF1A", {}},
    {L"Limit: ", L"Limite:", {{P::EdgeWhiteSpace, L"trailing"}}},

    // End marks: "?", "!" and "." too, each as its script writes it.
    {L"Continue?", L"Weiter.", {{P::TrailingPunctuation, L"\"?\" \u2192 \".\""}}},
    {L"Done!", L"Fertig", {{P::TrailingPunctuation, L"\"!\" \u2192 none"}}},
    {L"Done", L"Fertig.", {{P::TrailingPunctuation, L"none \u2192 \".\""}}},
    {L"Loading...", L"Chargement.", {{P::TrailingPunctuation, L"\"...\" \u2192 \".\""}}},
    {L"Continue?", L"\u7EE7\u7EED\uFF1F", {}},
    {L"Done.", L"\u5B8C\u4E86\u3002", {}},
    {L"Done!", L"\u5B8C\u4E86\uFF01", {}},
    {L"Continue?", L"\u03A3\u03C5\u03BD\u03AD\u03C7\u03B5\u03B9\u03B1;", {}},
    {L"Continue?", L"\u03A3\u03C5\u03BD\u03AD\u03C7\u03B5\u03B9\u03B1\u037E", {}},
    {L"Continue?", L"Continue;", {{P::TrailingPunctuation, L"\"?\" \u2192 none"}}},
    {L"Continue?", L"\u0645\u062A\u0627\u0628\u0639\u0629\u061F", {}},
    {L"Continue?", L"\u00BFContinuar?", {}},
    {L"Done!", L"\u00A1Hecho!", {}},
    {L"Continue?", L"\u00BFContinuar", {{P::TrailingPunctuation, L"\"?\" \u2192 none"}}},
    {L"Saved.", L"\u0938\u0939\u0947\u091C\u093E\u0964", {}},
    {L"Saved.", L"\u0E1A\u0E31\u0E19\u0E17\u0E36\u0E01", {}},
};

TEST(TextChecks, FindsEachProblemAndNoFalseOnes) {
    for (const Row& row : kRows) {
        SCOPED_TRACE(testing::Message() << "row " << (&row - kRows));
        EXPECT_EQ(CheckTranslation(row.original, row.translation), row.expected);
    }
}

// Callers count findings by group and may set the low ones apart: every problem has a group.
TEST(TextChecks, EveryProblemHasAGroupAndOnlyCosmeticOnesAreLow) {
    const std::wstring groups[] = {L"placeholders", L"accelerators", L"line breaks", L"white space",
                                   L"punctuation"};
    for (int i = 0; i <= static_cast<int>(P::TrailingPunctuation); ++i) {
        const P problem = static_cast<P>(i);
        EXPECT_NE(std::find(std::begin(groups), std::end(groups), KindName(problem)), std::end(groups)) << i;
        EXPECT_EQ(SeverityOf(problem) == TextSeverity::Low,
                  problem == P::DoubleSpace || problem == P::LineBreakStyle)
            << i;
    }
}

TEST(TextChecks, MnemonicIsTheFirstSingleAmpersand) {
    const std::pair<const wchar_t*, std::optional<wchar_t>> rows[] = {
        {L"&File", L'F'},         {L"A && B", std::nullopt}, {L"Tom & Jerry", std::nullopt},
        {L"End &", std::nullopt}, {L"&&Save &As", L'A'},
    };
    for (const auto& [text, mnemonic] : rows) {
        EXPECT_EQ(MnemonicOf(text), mnemonic) << testing::PrintToString(std::wstring(text));
    }
}

TEST(TextChecks, UntranslatedStringIsNotChecked) {
    EXPECT_TRUE(CheckString({L"id", std::nullopt, L"%d files:", std::nullopt}).empty());
    EXPECT_EQ(CheckString({L"id", std::nullopt, L"%d", L""}).size(), 1u);
}

TEST(TextChecks, AGoodTranslationMixingEveryKindHasNoFindings) {
    EXPECT_TRUE(CheckTranslation(L"&Copy %d of %s from {0} to %1$s...\n",
                                 L"%d von %s aus {0} nach %1$s &kopieren \u2026\n")
                    .empty());
}

} // namespace
