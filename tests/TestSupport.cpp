#include "TestSupport.h"

#include <filesystem>
#include <fstream>
#include <shellapi.h>
#include <vector>

namespace {

void DeleteTree(const std::wstring& path) {
    std::vector<wchar_t> from(path.begin(), path.end());
    from.push_back(0);
    from.push_back(0); // the list of paths ends with an empty one
    SHFILEOPSTRUCTW operation = {};
    operation.wFunc = FO_DELETE;
    operation.pFrom = from.data();
    operation.fFlags = FOF_NO_UI;
    SHFileOperationW(&operation);
}

} // namespace

TempDir::TempDir() {
    wchar_t base[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, base);
    static int counter = 0;
    for (;;) {
        m_path = FormatText(L"%stevtest-%lu-%d", base, GetCurrentProcessId(), ++counter);
        if (CreateDirectoryW(m_path.c_str(), nullptr)) {
            break;
        }
    }
}

TempDir::~TempDir() {
    DeleteTree(m_path);
}

void WriteUtf8File(const std::wstring& path, const std::string& text) {
    std::ofstream file(std::filesystem::path(path), std::ios::binary);
    file << text;
}

void WriteUtf16File(const std::wstring& path, const std::wstring& text) {
    std::ofstream file(std::filesystem::path(path), std::ios::binary);
    file.write("\xFF\xFE", 2);
    file.write(reinterpret_cast<const char*>(text.data()), static_cast<std::streamsize>(text.size() * 2));
}

std::string ReadBytes(const std::wstring& path) {
    std::ifstream file(std::filesystem::path(path), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

bool FileExists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::wstring Widen(const std::string& utf8) {
    const int length =
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring text(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), text.data(), length);
    return text;
}

std::string Narrow(const std::wstring& text) {
    const int length = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                           nullptr, nullptr);
    std::string utf8(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), utf8.data(), length, nullptr,
                        nullptr);
    return utf8;
}

BOOL LoadDescriptionText(CTEVElement& root, const std::string& xmlText) {
    TempDir folder;
    const std::wstring path = folder.File(L"description.xml");
    WriteUtf8File(path, xmlText);
    return root.LoadDocument(path.c_str(), L"dialog", GetModuleHandleW(nullptr));
}

void PrintTo(const RECT& rect, std::ostream* out) {
    *out << "{" << rect.left << ", " << rect.top << ", " << rect.right << ", " << rect.bottom << "}";
}

void PrintTo(const SIZE& size, std::ostream* out) {
    *out << size.cx << " x " << size.cy;
}

ProgramFolder::ProgramFolder() {
    CreateDirectoryW(File(L"projects").c_str(), nullptr);
}

std::wstring
ProgramFolder::AddProject(const wchar_t* folder, const std::string& projectXml,
                          const std::vector<std::pair<std::wstring, std::string>>& dialogs) const {
    const std::wstring path = File(L"projects\\") + folder;
    CreateDirectoryW(path.c_str(), nullptr);
    WriteUtf8File(path + L"\\tevproject.xml", projectXml);
    for (const auto& [name, text] : dialogs) {
        WriteUtf8File(path + L"\\" + name, text);
    }
    return path;
}

std::wstring ProgramFolder::LanguageFolder(int language) const {
    const std::wstring path = File(std::to_wstring(language).c_str());
    CreateDirectoryW(path.c_str(), nullptr);
    return path;
}
