// Pseudo-translations: one row per thing that must survive the made-up text, and the growth table
// at its edges.
#include "PseudoTranslation.h"
#include "TextChecks.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

namespace {

struct Row {
    const wchar_t* original;
    std::optional<int> growth;
    const wchar_t* expected;
};

// "\u0174" is the padding; the rest of each expected text is the original's letters made look-alikes.
const Row kRows[] = {
    {L"OK", std::nullopt, L"[\u00D6\u0136\u0174\u0174]"},
    {L"&Open %s...", std::nullopt, L"[&O\u01A5\u00E9\u00F1 %s\u0174\u0174\u0174\u0174\u0174\u0174\u0174]..."},
    {L"%1!d! files", std::nullopt,
     L"[%1!d! \u0192\u00EE\u013A\u00E9\u0161\u0174\u0174\u0174\u0174\u0174\u0174\u0174]"},
    {L"Sum %1!d!", std::nullopt,
     L"[\u0160\u00FBm %1!d!\u0174\u0174\u0174\u0174\u0174\u0174\u0174\u0174\u0174]"},
    {L"{0:N2} of {}", std::nullopt,
     L"[{0:N2} \u00F6\u0192 {}\u0174\u0174\u0174\u0174\u0174\u0174\u0174\u0174]"},
    {L"%-8.2f%%", 0, L"[%-8.2f%%]"},
    {L"Drag && Drop", 0, L"[\u010E\u0155\u00E5\u011D && \u010E\u0155\u00F6\u01A5]"},
    {L"  Line\r\nTwo:  ", 0, L"  [\u0139\u00EE\u00F1\u00E9\r\n\u0162\u0175\u00F6]:  "},
    {L"Cancel", 30, L"[\u00C7\u00E5\u00F1\u00E7\u00E9\u013A\u0174\u0174]"},
    {L"Tom & Jerry?", 0, L"[\u0162\u00F6m & \u0134\u00E9\u0155\u0155\u00FD]?"},
};

} // namespace

TEST(PseudoTranslation, KeepsWhatTheProgramNeedsAndAccentsTheRest) {
    for (const Row& row : kRows) {
        SCOPED_TRACE(Narrow(row.original));
        const std::wstring pseudo = PseudoTranslate(row.original, row.growth);
        EXPECT_EQ(Narrow(row.expected), Narrow(pseudo));
        // The made-up text must pass every check a translation goes through.
        EXPECT_TRUE(CheckTranslation(row.original, pseudo).empty());
    }
}

TEST(PseudoTranslation, ShortTextsGrowMost) {
    const std::pair<size_t, int> kEdges[] = {{1, 100}, {10, 100}, {11, 60}, {20, 60},
                                             {21, 40}, {50, 40},  {51, 30}, {400, 30}};
    for (const auto& [length, percent] : kEdges) {
        EXPECT_EQ(percent, PseudoGrowthPercent(length)) << length;
    }
    const std::wstring original(51, L'x');
    EXPECT_EQ(2 + 51 + 16, PseudoTranslate(original).size()); // 30 % of 51, rounded up
}
