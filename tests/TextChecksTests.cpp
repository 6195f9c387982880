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
};

TEST(TextChecks, FindsEachProblemAndNoFalseOnes) {
    for (const Row& row : kRows) {
        SCOPED_TRACE(testing::Message() << "row " << (&row - kRows));
        EXPECT_EQ(CheckTranslation(row.original, row.translation), row.expected);
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
