// Find and replace in translations, as a translator means it: a word is found whatever accelerator
// mark it carries ("Datei" finds "&Datei"), and the mark stays on its letter when the replacement
// keeps that letter.
#pragma once

#include <optional>
#include <string>

struct ReplaceQuery {
    std::wstring find;
    std::wstring replacement; // as written: an "&" in it is a mark
    bool matchCase = false;
    bool wholeWords = false;
};

// The text with every match of the query replaced; absent when nothing matches or nothing is sought.
// Marks are left out of matching ("&&", a written ampersand, matches "&"). A mark inside a match moves
// into the replacement: before the same letter at the same place, else before the first of that letter,
// else before the replacement's first letter, so the control keeps an accelerator.
std::optional<std::wstring> ReplaceInTranslation(const std::wstring& text, const ReplaceQuery& query);
