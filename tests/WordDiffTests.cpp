// The word-level difference the translate dialog shows for an original that changed.
#include "WordDiff.h"

#include <gtest/gtest.h>

TEST(WordDiff, ShowsInsertedAndDeletedWordsAndMakesChangedWhiteSpaceVisible) {
    const struct {
        const wchar_t* before;
        const wchar_t* after;
        const wchar_t* shown;
    } cases[] = {
        {L"Look:", L"Look in:", L"[-Look:-]{+Look·in:+}"},
        {L"Visit the web site", L"Visit our web site", L"Visit [-the-]{+our+} web site"},
        {L"Open file", L"Open  file", L"Open[-·-]{+··+}file"},   // a doubled space
        {L"Save", L"save", L"[-Save-]{+save+}"},                 // case alone
        {L"Line\nbreak", L"Line break", L"Line[-¶-]{+·+}break"}, // a line break
        {L"Same", L"Same", L"Same"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.shown, DiffText(DiffWords(c.before, c.after))) << c.after;
    }
}
