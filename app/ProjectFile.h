// The project file, tevproject.xml: its root names the project and the translation file, its
// "strings" lists the strings to translate and its "files" the dialog descriptions. The open dialog
// reads the root alone, the project model the whole file; both by the rules here.
#pragma once

#include "TextUtil.h"

#include <optional>
#include <string>
#include <vector>

// The root's "name" and "dst", which a project file must have.
struct ProjectHead {
    std::wstring name;
    std::wstring dst;
};

// Reads the file no further than the root's start tag, so that listing projects costs the same
// whatever their size; what follows is not checked. Absent when the file does not read that far,
// its root is not "tevproject" or lacks "name" or "dst".
std::optional<ProjectHead> ReadProjectHead(const std::wstring& path);

// What a project file names: its strings (every element directly under its first "strings") and
// the file names of its dialogs (every element directly under its first "files").
struct ProjectContent {
    bool hasRoot = false;
    bool hasStrings = false;
    struct Entry {
        OptString id, attr, text;
    };
    std::vector<Entry> strings;
    std::vector<std::wstring> dialogFiles;
};

// Absent when the whole file does not read (see xml::ReadElements).
std::optional<ProjectContent> ReadProjectFile(const std::wstring& path);
