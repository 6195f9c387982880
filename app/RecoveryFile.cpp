#include "RecoveryFile.h"

#include <algorithm>
#include <cwchar>
#include <string_view>

namespace {

// A line of tab-separated fields in UTF-16; an optional field starts with "+" when present and is
// "-" when absent, and "\" escapes what would end a field or a line.
constexpr wchar_t kMagic[] = L"\xFEFFtevtranslator recovery 1";

void AppendEscaped(std::wstring& line, std::wstring_view text) {
    // Most texts hold nothing to escape: they are copied in runs, not by the character.
    while (!text.empty()) {
        const size_t special = std::min(text.find_first_of(L"\\\t\n\r"), text.size());
        line.append(text.substr(0, special));
        if (special == text.size()) {
            return;
        }
        const wchar_t c = text[special];
        line += L'\\';
        line += c == L'\t' ? L't' : c == L'\n' ? L'n' : c == L'\r' ? L'r' : c;
        text.remove_prefix(special + 1);
    }
}

void AppendOptional(std::wstring& line, const OptString& text) {
    line += L'\t';
    if (text) {
        line += L'+';
        AppendEscaped(line, *text);
    } else {
        line += L'-';
    }
}

std::wstring Unescaped(std::wstring_view field) {
    std::wstring text;
    for (size_t i = 0; i < field.size(); ++i) {
        if (field[i] != L'\\' || i + 1 == field.size()) {
            text += field[i];
            continue;
        }
        const wchar_t next = field[++i];
        text += next == L't' ? L'\t' : next == L'n' ? L'\n' : next == L'r' ? L'\r' : next;
    }
    return text;
}

std::optional<OptString> OptionalField(std::wstring_view field) {
    if (field == L"-") {
        return OptString();
    }
    if (field.empty() || field[0] != L'+') {
        return std::nullopt;
    }
    return OptString(Unescaped(field.substr(1)));
}

std::vector<std::wstring_view> Fields(std::wstring_view line) {
    std::vector<std::wstring_view> fields;
    size_t start = 0;
    for (size_t tab = line.find(L'\t'); tab != std::wstring_view::npos; tab = line.find(L'\t', start)) {
        fields.push_back(line.substr(start, tab - start));
        start = tab + 1;
    }
    fields.push_back(line.substr(start));
    return fields;
}

std::optional<std::wstring> ReadText(const std::wstring& path, FILETIME& written) {
    FileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, 0, nullptr));
    LARGE_INTEGER size = {};
    // A recovery file holds what one session typed: megabytes at most.
    if (!file.Valid() || !GetFileSizeEx(file.Get(), &size) || size.QuadPart > (64 << 20)) {
        return std::nullopt;
    }
    std::wstring text(static_cast<size_t>(size.QuadPart) / sizeof(wchar_t), L'\0');
    DWORD read = 0;
    const DWORD bytes = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    if (!ReadFile(file.Get(), text.data(), bytes, &read, nullptr) || read != bytes ||
        !GetFileTime(file.Get(), nullptr, nullptr, &written)) {
        return std::nullopt;
    }
    return text;
}

bool ReadHeader(std::wstring_view line, RecoveryContent& content) {
    const std::vector<std::wstring_view> fields = Fields(line);
    if (fields.size() != 3 || fields[0] != kMagic) {
        return false;
    }
    const std::optional<OptString> project = OptionalField(fields[1]);
    const std::optional<OptString> stamp = OptionalField(fields[2]);
    if (!project || !*project || !stamp) {
        return false;
    }
    content.projectPath = **project;
    if (*stamp) {
        const std::wstring& value = **stamp;
        const size_t colon = value.find(L':');
        if (colon == std::wstring::npos) {
            return false;
        }
        content.translationStamp = FileStamp(std::wcstoull(value.c_str(), nullptr, 10),
                                             std::wcstoull(value.c_str() + colon + 1, nullptr, 10));
    }
    return true;
}

} // namespace

std::optional<RecoveryContent> RecoveryFile::Read(const std::wstring& translationPath) {
    RecoveryContent content;
    const std::optional<std::wstring> text = ReadText(PathFor(translationPath), content.written);
    if (!text) {
        return std::nullopt;
    }
    const std::wstring_view all(*text);
    size_t start = 0;
    // Only whole lines count: a line without its end was cut off by the crash.
    for (size_t end = all.find(L'\n'); end != std::wstring_view::npos; end = all.find(L'\n', start)) {
        const std::wstring_view line = all.substr(start, end - start);
        start = end + 1;
        if (content.projectPath.empty()) {
            if (!ReadHeader(line, content)) {
                return std::nullopt;
            }
            continue;
        }
        const std::vector<std::wstring_view> fields = Fields(line);
        const std::optional<OptString> attr = fields.size() == 3 ? OptionalField(fields[1]) : std::nullopt;
        const std::optional<OptString> loc = fields.size() == 3 ? OptionalField(fields[2]) : std::nullopt;
        if (attr && loc) {
            content.translations.push_back({Unescaped(fields[0]), *attr, *loc});
        }
    }
    if (content.projectPath.empty()) {
        return std::nullopt;
    }
    return content;
}

void RecoveryFile::Remove(const std::wstring& translationPath) {
    DeleteFileW(PathFor(translationPath).c_str());
}

void RecoveryFile::Start(std::wstring projectPath, std::wstring translationPath) {
    m_file.reset();
    m_projectPath = std::move(projectPath);
    m_translationPath = std::move(translationPath);
}

bool RecoveryFile::Create() {
    // The file is kept open, without sharing writes, for as long as changes are unsaved.
    m_file.emplace(CreateFileW(PathFor(m_translationPath).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                               CREATE_ALWAYS, FILE_ATTRIBUTE_HIDDEN, nullptr));
    if (!m_file->Valid()) {
        m_file.reset();
        return false;
    }
    std::wstring header = kMagic;
    AppendOptional(header, m_projectPath);
    const std::optional<FileStamp> stamp = StampOf(m_translationPath);
    AppendOptional(header,
                   stamp ? OptString(FormatText(L"%llu:%llu", stamp->first, stamp->second)) : std::nullopt);
    header += L'\n';
    DWORD written = 0;
    const DWORD bytes = static_cast<DWORD>(header.size() * sizeof(wchar_t));
    return WriteFile(m_file->Get(), header.data(), bytes, &written, nullptr) && written == bytes;
}

bool RecoveryFile::Append(const std::vector<KeptChange>& changes) {
    if (changes.empty() || m_translationPath.empty()) {
        return true;
    }
    if (!m_file && !Create()) {
        return false;
    }
    std::wstring lines;
    for (const KeptChange& change : changes) {
        AppendEscaped(lines, change.id);
        AppendOptional(lines, *change.attr);
        AppendOptional(lines, *change.loc);
        lines += L'\n';
    }
    DWORD written = 0;
    const DWORD bytes = static_cast<DWORD>(lines.size() * sizeof(wchar_t));
    return WriteFile(m_file->Get(), lines.data(), bytes, &written, nullptr) && written == bytes &&
           FlushFileBuffers(m_file->Get());
}

void RecoveryFile::Clear() {
    m_file.reset();
    if (!m_translationPath.empty()) {
        Remove(m_translationPath);
    }
}
