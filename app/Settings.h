// The program folder, "settings.ini" beside the program, and where translation files are kept.
#pragma once

#include <windows.h>

#include <string>

// Folder of the module the instance was loaded from, with a trailing backslash; the running
// executable for a null instance.
std::wstring ProgramFolderOf(HINSTANCE instance = nullptr);

// One profile file. Missing files, sections and keys read as the defaults.
class Settings {
public:
    // The file "settings.ini" in the program folder.
    Settings();
    explicit Settings(std::wstring iniPath);

    int ReadInt(const wchar_t* section, const wchar_t* key, int defaultValue) const;
    std::wstring ReadString(const wchar_t* section, const wchar_t* key) const;
    bool WriteInt(const wchar_t* section, const wchar_t* key, int value) const;
    bool WriteString(const wchar_t* section, const wchar_t* key, const std::wstring& value) const;

    // "outpath" of section "settings" with a trailing backslash: the folder of the settings file when
    // empty, and taken relative to that folder when not rooted.
    std::wstring OutputFolder() const;

private:
    std::wstring m_path;
};

// outFolder + language + "\" + dst, a backslash being added to outFolder when missing.
std::wstring TranslationPath(const std::wstring& outFolder, int languageId, const std::wstring& dst);
