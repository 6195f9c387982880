// The placeholders a program fills in at run time: printf conversions, brace items ("{0}", "{0:N2}",
// "{}") and Windows message inserts ("%1", "%1!d!"). A translation that loses or alters one prints
// garbage or fails when the program formats it.
#pragma once

#include "TextChecks.h"

#include <string_view>
#include <vector>

// The length of the placeholder that starts at `at`, read as the check reads it; 0 for none (a
// doubled "%" or "{" is a literal character, not a placeholder).
size_t PlaceholderLength(std::wstring_view text, size_t at);

// Appends a finding for each placeholder of the original that the translation lacks or alters, and
// for each it adds.
void CheckPlaceholders(std::wstring_view original, std::wstring_view translation,
                       std::vector<TextFinding>& findings);
