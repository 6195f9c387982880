// Find and replace in translations: accelerator marks are no part of a word, and stay on their letter.
#include "TextReplace.h"

#include <gtest/gtest.h>

TEST(TextReplace, MarksAreIgnoredInMatchingAndKeptOnTheirLetter) {
    const struct {
        const wchar_t* text;
        ReplaceQuery query;
        const wchar_t* result; // null: nothing matches
    } cases[] = {
        {L"&Datei \u00F6ffnen", {L"Datei", L"Dokument"}, L"&Dokument \u00F6ffnen"},
        {L"Da&tei", {L"datei", L"Akte"}, L"Ak&te"},  // same place, same letter
        {L"&Datei", {L"Datei", L"Akte"}, L"&Akte"},  // the letter is gone: the first letter
        {L"Date&i", {L"Datei", L"Bild"}, L"B&ild"},  // the letter comes elsewhere
        {L"Datei", {L"datei", L"x", true}, nullptr}, // match case
        {L"Dateien, Datei", {L"Datei", L"Akte", false, true}, L"Dateien, Akte"}, // whole words
        {L"R&&D und RD", {L"R&D", L"F&E"}, L"F&E und RD"}, // a written ampersand is one character
        {L"Datei Datei", {L"Datei", L"Akte"}, L"Akte Akte"},
        {L"Datei", {L"", L"x"}, nullptr},
    };
    for (const auto& test : cases) {
        const std::optional<std::wstring> result = ReplaceInTranslation(test.text, test.query);
        EXPECT_EQ(test.result ? std::optional<std::wstring>(test.result) : std::nullopt, result) << test.text;
    }
}
