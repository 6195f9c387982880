// The translation file, laid out byte for byte as the platform's XML writer lays it out, by our own
// code so that the save can write it piece by piece, check every write and flush it.
#pragma once

#include "ProjectModel.h"

#include <functional>
#include <string_view>
#include <vector>

// Receives consecutive pieces of the file's bytes; answers false to stop the writing.
using ByteSink = std::function<bool(const void* bytes, size_t size)>;

// The reference the platform's writer puts for c in an attribute value (line breaks and tabs too, so
// that they read back unchanged); empty for a character written as it is. All such sort at or below '>'.
std::wstring_view XmlReferenceFor(wchar_t c);
// Appends text to out as an attribute value or element text, every such character replaced.
void AppendXmlEscaped(std::wstring& out, std::wstring_view text);

// Hands the whole file for the translated strings to sink, in pieces of some tens of KB: a
// byte-order mark, the declaration, and a "strings" root holding one "string" element per translated
// string, in order, with its "id", "attr" (when present), "text" and "loc", all in UTF-16 LE. False
// when the sink stopped it. unitHeads, when given, holds for each string the first string with its id
// and attr: a reader takes the first entry of an id and attr, so each is written once, there.
bool WriteTranslationFile(const std::vector<StringItem>& strings, const ByteSink& sink,
                          const std::vector<size_t>& unitHeads = {});
