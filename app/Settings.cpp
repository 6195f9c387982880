// The program folder, the settings file and the translation path rule.
#include <windows.h>

#include "Settings.h"

#include "TextUtil.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace {

bool IsSeparator(wchar_t c) {
    return c == L'\\' || c == L'/';
}

// A drive ("D:", "D:\"), a leading separator (also "\\server\share") is rooted.
bool IsRooted(const std::wstring& path) {
    return (!path.empty() && IsSeparator(path[0])) || (path.size() >= 2 && path[1] == L':');
}

std::wstring WithTrailingSeparator(std::wstring folder) {
    if (!folder.empty() && !IsSeparator(folder.back())) {
        folder += L'\\';
    }
    return folder;
}

// The path up to and including its last separator.
std::wstring FolderPart(const std::wstring& path) {
    const size_t separator = path.find_last_of(L"\\/");
    return separator == std::wstring::npos ? std::wstring() : path.substr(0, separator + 1);
}

} // namespace

std::wstring ProgramFolder(HINSTANCE instance) {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD length = GetModuleFileNameW(instance, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) {
            return std::wstring();
        }
        if (length < buffer.size()) {
            return FolderPart(std::wstring(buffer.data(), length));
        }
        buffer.resize(buffer.size() * 2);
    }
}

Settings::Settings() : m_path(ProgramFolder() + L"settings.ini") {}

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

std::wstring Settings::OutputFolder() const {
    const std::wstring base = FolderPart(m_path);
    const std::wstring folder = ReadString(L"settings", L"outpath");
    if (folder.empty()) {
        return base;
    }
    return WithTrailingSeparator(IsRooted(folder) ? folder : base + folder);
}

std::wstring TranslationPath(const std::wstring& outFolder, int languageId, const std::wstring& dst) {
    return FormatText(L"%s%d\\%s", WithTrailingSeparator(outFolder).c_str(), languageId, dst.c_str());
}

bool IsSafeRelativePath(const std::wstring& path) {
    if (IsRooted(path) || path.find(L':') != std::wstring::npos) {
        return false;
    }
    int depth = 0;
    std::wstring component;
    for (size_t start = 0; start <= path.size();) {
        const size_t end = std::min(path.find_first_of(L"\\/", start), path.size());
        component = path.substr(start, end - start);
        if (component == L"..") {
            if (--depth < 0) {
                return false;
            }
        } else if (!component.empty() && component != L".") {
            ++depth;
        }
        start = end + 1;
    }
    // The last component is the file name.
    return !component.empty() && component != L"." && component != L"..";
}
