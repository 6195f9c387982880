// Helpers shared by the tests: temporary folders and files, descriptions written inline.
#pragma once

#include "CTEVElement.h"
#include "TextUtil.h"

#include <windows.h>

#include <ostream>
#include <string>

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
