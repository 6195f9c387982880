// Translations taken over from the string files of the older localisation tool VARNO: its XML
// strings file and its UTF-16 text file, both pairing an original text with its translation.
#pragma once

#include "ProjectModel.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// Views into the text the pairs were read from (ImportContent::text, or what ParseImportText was
// given): a file of millions of short lines would take many times its size as strings of their own.
struct ImportPair {
    std::wstring_view original;
    std::wstring_view translation;
};

enum class ImportFormat {
    Unreadable, // missing or a folder
    TooLarge,   // larger than kMaxImportFileBytes
    Xml,
    Text,
};

struct ImportContent {
    ImportFormat format = ImportFormat::Unreadable;
    std::unique_ptr<const std::wstring> text; // what the pairs point into; kept in place when moved
    std::vector<ImportPair> pairs;
    std::wstring xmlRoot; // the root element's name of an XML file, to explain a wrong one; empty
                          // when the file does not parse
};

// The pairs of a VARNO file in file order. The content decides the format once: a file whose text
// begins with "<" (after a byte-order mark and white space) is the XML strings file (pairs only under
// a "translation" root, otherwise none); any other file is the text file.
ImportContent ReadImportFile(const std::wstring& path);

// A product's strings, even tens of thousands of them, take a few megabytes as pairs in UTF-16 with
// their markup (100,000 pairs of 30-character texts fit in 16 MiB); a larger file is no string file.
constexpr std::uintmax_t kMaxImportFileBytes = 16u << 20;

// A text file's bytes as UTF-16 code units, whatever it was saved as: a byte-order mark decides;
// without one, zero bytes show UTF-16 (little- or big-endian by where they stand), and otherwise
// valid UTF-8 is read as UTF-8 and anything else as little-endian UTF-16. The mark is dropped.
std::wstring DecodeImportText(const std::string& bytes);

// The pairs of a text file's contents, given as its UTF-16 code units: one "original=translation"
// per line, split at the first "="; lines without "=" are ignored. A leading byte-order mark and
// the carriage return of a Windows line ending are not text.
std::vector<ImportPair> ParseImportText(std::wstring_view units);

// Gives each pair's translation to every string that is untranslated when the pair comes and whose
// text equals the pair's original, in file order and project order: setTranslation sets the one
// string it is given. Strings already translated, also by an earlier pair, keep their translation.
struct ImportSummary {
    size_t filled = 0;    // strings that got a translation
    size_t unmatched = 0; // pairs whose original is the text of no project string
};

ImportSummary ApplyImport(const std::vector<StringItem>& strings, const std::vector<ImportPair>& pairs,
                          const std::function<void(size_t, std::wstring)>& setTranslation);
