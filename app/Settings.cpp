// The program folder, the settings file and the translation path rule.
#include <windows.h>

#include "Settings.h"

#include "PathRules.h"

#include "TextUtil.h"

#include <utility>
#include <vector>

namespace {

std::wstring WithTrailingSeparator(std::wstring folder) {
    if (!folder.empty() && !IsPathSeparator(folder.back())) {
        folder += L'\\';
    }
    return folder;
}

} // namespace

std::wstring ProgramFolderOf(HINSTANCE instance) {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD length = GetModuleFileNameW(instance, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) {
            return std::wstring();
        }
        if (length < buffer.size()) {
            return FolderOf(std::wstring(buffer.data(), length));
        }
        buffer.resize(buffer.size() * 2);
    }
}

Settings::Settings() : m_path(ProgramFolderOf() + L"settings.ini") {}

Settings::Settings(std::wstring iniPath) : m_path(std::move(iniPath)) {}

int Settings::ReadInt(const wchar_t* section, const wchar_t* key, int defaultValue) const {
    return static_cast<int>(GetPrivateProfileIntW(section, key, defaultValue, m_path.c_str()));
}

std::wstring Settings::ReadString(const wchar_t* section, const wchar_t* key) const {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD length = GetPrivateProfileStringW(section, key, L"", buffer.data(),
                                                      static_cast<DWORD>(buffer.size()), m_path.c_str());
        // A value that fills the buffer may have been cut short.
        if (length + 1 < buffer.size()) {
            return std::wstring(buffer.data(), length);
        }
        buffer.resize(buffer.size() * 2);
    }
}

bool Settings::WriteInt(const wchar_t* section, const wchar_t* key, int value) const {
    return WritePrivateProfileStringW(section, key, std::to_wstring(value).c_str(), m_path.c_str()) != FALSE;
}

bool Settings::WriteString(const wchar_t* section, const wchar_t* key, const std::wstring& value) const {
    return WritePrivateProfileStringW(section, key, value.c_str(), m_path.c_str()) != FALSE;
}

std::wstring Settings::OutputFolder() const {
    const std::wstring base = FolderOf(m_path);
    const std::wstring folder = ReadString(L"settings", L"outpath");
    if (folder.empty()) {
        return base;
    }
    return WithTrailingSeparator(IsRootedPath(folder) ? folder : base + folder);
}

std::wstring TranslationPath(const std::wstring& outFolder, int languageId, const std::wstring& dst) {
    return FormatText(L"%s%d\\%s", WithTrailingSeparator(outFolder).c_str(), languageId, dst.c_str());
}
