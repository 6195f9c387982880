// The difference between two wordings of an original, word by word, for the translator to see what
// changed: white space counts, so a changed space or line break shows too.
#pragma once

#include <string>
#include <vector>

struct DiffPiece {
    enum Kind { Same, Deleted, Inserted } kind;
    std::wstring text;
};

// The pieces that turn before into after, in order; deleted pieces come before the inserted ones
// that replace them.
std::vector<DiffPiece> DiffWords(const std::wstring& before, const std::wstring& after);

// One line for a label: unchanged text as it is, "[-deleted-]" and "{+inserted+}", with white space
// inside a change made visible ("·" a space, "→" a tab, "¶" a line break).
std::wstring DiffText(const std::vector<DiffPiece>& pieces);
