// Helpers shared by the tests and benchmarks: temporary folders and files, descriptions written
// inline, program folders.
#pragma once

#include "CTEVElement.h"
#include "TextUtil.h"

#include <windows.h>

#include <chrono>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

// A fresh folder under the temporary path, removed with everything in it on destruction.
class TempDir {
public:
    TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    ~TempDir();

    const std::wstring& Path() const { return m_path; }
    // Path of a file inside the folder (no backslash before name needed).
    std::wstring File(const wchar_t* name) const { return m_path + L"\\" + name; }

private:
    std::wstring m_path;
};

// Writes text as UTF-8 without byte-order mark; folders on the way must exist.
void WriteUtf8File(const std::wstring& path, const std::string& text);
// Writes text as UTF-16 LE with byte-order mark.
void WriteUtf16File(const std::wstring& path, const std::wstring& text);
std::string ReadBytes(const std::wstring& path);
bool FileExists(const std::wstring& path);

std::wstring Widen(const std::string& utf8);
std::string Narrow(const std::wstring& text);

// Wall-clock seconds the call takes, for the few tests that hold a cost bound.
template <typename Work> double SecondsToRun(Work work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Loads a description given as UTF-8 XML text into root, through a temporary file.
BOOL LoadDescriptionText(CTEVElement& root, const std::string& xmlText);

inline bool operator==(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}
void PrintTo(const RECT& rect, std::ostream* out);
inline bool operator==(const SIZE& a, const SIZE& b) {
    return a.cx == b.cx && a.cy == b.cy;
}
void PrintTo(const SIZE& size, std::ostream* out);

// A translator's program folder in a fresh temporary folder: "projects\" with project folders,
// and a folder per language for the translations.
class ProgramFolder {
public:
    ProgramFolder();

    // The folder with a trailing backslash, as the translator's windows take it.
    std::wstring Path() const { return m_folder.Path() + L"\\"; }
    std::wstring File(const wchar_t* name) const { return m_folder.File(name); }
    // Writes projects\<folder>\tevproject.xml and the dialog files beside it; answers the folder.
    std::wstring AddProject(const wchar_t* folder, const std::string& projectXml,
                            const std::vector<std::pair<std::wstring, std::string>>& dialogs = {}) const;
    // The folder of a language's translations, made if missing.
    std::wstring LanguageFolder(int language = static_cast<int>(GetUserDefaultLCID())) const;

private:
    TempDir m_folder;
};
