// The translation file's text, laid out byte for byte as the platform's XML writer lays it out, made
// by our own code so that the save can write it, check every write and flush it.
#pragma once

#include "ProjectModel.h"

#include <string>
#include <vector>

// The whole file for the translated strings, in their order: a byte-order mark, the declaration, and
// a "strings" root holding one "string" element per translated string with its "id", "attr" (when
// present), "text" and "loc". Written to disk as it is in memory, it is UTF-16 LE.
std::wstring TranslationFileText(const std::vector<StringItem>& strings);
