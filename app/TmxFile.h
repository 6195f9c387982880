// Translation memory exchange files (TMX 1.4): the project's translations written for other tools'
// memories, and such files read into this program's suggestions.
#pragma once

#include "FileOps.h"
#include "SaveResult.h"

#include <string>

class ProjectModel;
class TranslationMemory;

// The language tag of a Windows language id, such as "de-DE" for 1031; "und" when it names none.
std::wstring LanguageTag(int languageId);

// Writes every translated unit of the model, once, as a translation unit from English to the
// model's language, with the project's name and the first dialog showing it as properties; the file
// is replaced whole or not at all.
SaveResult WriteTmxFile(FileOps& files, const std::wstring& path, const ProjectModel& model,
                        const std::wstring& projectName);

// Adds the file's units that hold a text in its source language and one in targetTag's language
// (the primary part compared: "de" takes "de-CH"); origin names the file in suggestions. False when
// the file does not read or is no TMX file.
bool AddTmxFile(TranslationMemory& memory, const std::wstring& path, const std::wstring& targetTag);
