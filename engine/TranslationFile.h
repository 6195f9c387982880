// The translation file: a "strings" root with a "string" entry per translated string. The engine's
// string table reads it for previews and the translator's project model to know what is translated,
// both through this one reader, each with its own rule for finding an entry.
#pragma once

#include "TextUtil.h"

#include <functional>

// One "string" entry; each attribute is absent when the entry lacks it.
struct TranslationEntry {
    OptString id;   // the string's id, the locid it answers to
    OptString attr; // the attribute whose text it replaces
    OptString loc;  // the translated text
    OptString text; // the original the translation was made from
};

using TranslationEntryVisitor = std::function<void(TranslationEntry entry)>;

// Visits each "string" element directly under a "strings" root, in file order. False when the file
// does not read (see xml::ReadElements: part of it may have been visited) or its root is another.
bool ReadTranslationFile(const wchar_t* path, const TranslationEntryVisitor& visit);
