#include "SafeReplace.h"

#include "PathRules.h"
#include "TextUtil.h"
#include "XmlReader.h"

#include <algorithm>
#include <cwctype>
#include <iterator>
#include <vector>

namespace {

const int kNameTries = 100;
const wchar_t kTemporaryInfix[] = L".saving";
const wchar_t kTemporaryExtension[] = L".tmp";

std::wstring NumberedName(const std::wstring& stem, int number, const wchar_t* extension) {
    return number == 1 ? stem + extension : FormatText(L"%s.%d%s", stem.c_str(), number, extension);
}

std::wstring FileNameOf(const std::wstring& path) {
    return path.substr(FolderOf(path).size());
}

bool StartsWithNoCase(const std::wstring& text, const std::wstring& prefix) {
    return text.size() >= prefix.size() &&
           EqualsNoCase(text.substr(0, prefix.size()).c_str(), prefix.c_str());
}

// target + ".saving.tmp" or target + ".saving." + number + ".tmp", as the file system compares names.
bool IsTemporaryName(const std::wstring& name, const std::wstring& targetName) {
    const std::wstring prefix = targetName + kTemporaryInfix;
    const size_t suffixLength = std::size(kTemporaryExtension) - 1;
    if (name.size() < prefix.size() + suffixLength || !StartsWithNoCase(name, prefix) ||
        !EqualsNoCase(name.substr(name.size() - suffixLength).c_str(), kTemporaryExtension)) {
        return false;
    }
    const std::wstring number = name.substr(prefix.size(), name.size() - prefix.size() - suffixLength);
    return number.empty() ||
           (number.size() > 1 && number[0] == L'.' &&
            std::all_of(number.begin() + 1, number.end(), [](wchar_t c) { return std::iswdigit(c) != 0; }));
}

// The files (not folders) that match the pattern, all listed before any is touched.
std::vector<WIN32_FIND_DATAW> FilesMatching(const std::wstring& pattern) {
    std::vector<WIN32_FIND_DATAW> found;
    for (FileSearch search(pattern); search.Found(); search.Next()) {
        if (!(search.Entry().dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
            found.push_back(search.Entry());
        }
    }
    return found;
}

bool IsWholeTranslationFile(const std::wstring& path) {
    bool isStrings = false;
    const bool parsed = xml::ReadElements(
        path.c_str(), [&](int depth, std::wstring_view name, const xml::ElementAttributes&) {
            if (depth == 0) {
                isStrings = name == L"strings";
            }
        });
    return parsed && isStrings;
}

// Every byte written, flushed to the disk, and there: a full disk may take part of a write and still
// report success.
SaveResult WriteAll(FileOps& files, HANDLE file, const ContentsWriter& contents, const std::wstring& target) {
    DWORD error = ERROR_SUCCESS;
    ULONGLONG given = 0;
    contents([&](const void* bytes, size_t size) {
        error = files.Write(file, bytes, size);
        given += size;
        return error == ERROR_SUCCESS;
    });
    if (error == ERROR_SUCCESS) {
        error = files.Flush(file);
    }
    ULONGLONG written = 0;
    if (error == ERROR_SUCCESS) {
        error = files.Size(file, written);
    }
    if (error != ERROR_SUCCESS) {
        return SaveFailure(error, target);
    }
    return written == given ? SaveResult() : SaveResult{SaveCause::Incomplete, ERROR_SUCCESS, target, {}};
}

// Creating the file under a new name, rather than looking for one first, leaves no moment in which
// another save could take the same name. The file is closed on return.
SaveResult WriteTemporary(FileOps& files, const std::wstring& target, const ContentsWriter& contents,
                          std::wstring& temporary) {
    DWORD error = ERROR_SUCCESS;
    for (int number = 1; number <= kNameTries; ++number) {
        const std::wstring name = NumberedName(target + kTemporaryInfix, number, kTemporaryExtension);
        const FileHandle file = files.CreateNew(name, error);
        if (file.Valid()) {
            temporary = name;
            return WriteAll(files, file.Get(), contents, target);
        }
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) {
            return SaveFailure(error, target);
        }
    }
    return {SaveCause::NoFreeName, error, target, {}};
}

// A hard link costs neither time nor space; file systems without links get a copy.
DWORD KeepUnderSecondName(FileOps& files, const std::wstring& existing, const std::wstring& newName) {
    const DWORD error = files.Link(existing, newName);
    return error == ERROR_SUCCESS ? error : files.Copy(existing, newName);
}

// The earlier file gets its backup name before the new one takes its place, so target never goes
// missing; when the replace fails, the backup name goes again.
SaveResult MoveIntoPlace(FileOps& files, const std::wstring& temporary, const std::wstring& target,
                         const std::wstring& backup) {
    if (!backup.empty()) {
        if (const DWORD error = KeepUnderSecondName(files, target, backup)) {
            return SaveFailure(error, target);
        }
    }
    if (const DWORD error = files.Replace(temporary, target)) {
        if (!backup.empty()) {
            files.Delete(backup);
        }
        return SaveFailure(error, target);
    }
    return SaveResult();
}

} // namespace

std::optional<std::wstring> FreeName(FileOps& files, const std::wstring& stem, const wchar_t* extension) {
    for (int number = 1; number <= kNameTries; ++number) {
        std::wstring name = NumberedName(stem, number, extension);
        DWORD attributes = 0;
        if (files.Attributes(name, attributes) != ERROR_SUCCESS) {
            return name;
        }
    }
    return std::nullopt;
}

SaveResult ReplaceContents(FileOps& files, const std::wstring& target, const ContentsWriter& contents,
                           const std::wstring& backup) {
    // The system would replace a read-only file under Wine, and take its read-only bit with it.
    DWORD attributes = 0;
    if (files.Attributes(target, attributes) == ERROR_SUCCESS && (attributes & FILE_ATTRIBUTE_READONLY)) {
        return {SaveCause::ReadOnly, ERROR_ACCESS_DENIED, target, {}};
    }
    // A backup name given to a held file could not be taken back if the replace then failed.
    if (const DWORD error = files.CheckReplaceable(target)) {
        return SaveFailure(error, target);
    }
    RemoveStaleTemporaries(files, target);
    std::wstring temporary;
    SaveResult result = WriteTemporary(files, target, contents, temporary);
    if (result.Saved()) {
        result = MoveIntoPlace(files, temporary, target, backup);
    }
    if (!result.Saved() && !temporary.empty()) {
        files.Delete(temporary);
    }
    return result;
}

void RemoveStaleTemporaries(FileOps& files, const std::wstring& target) {
    DWORD attributes = 0;
    if (files.Attributes(target, attributes) != ERROR_SUCCESS) {
        return;
    }
    const std::wstring folder = FolderOf(target);
    const std::wstring targetName = FileNameOf(target);
    for (const WIN32_FIND_DATAW& entry :
         FilesMatching(target + kTemporaryInfix + L"*" + kTemporaryExtension)) {
        if (IsTemporaryName(entry.cFileName, targetName)) {
            // A save in progress holds its temporary open for nobody else: deleting it fails.
            files.Delete(folder + entry.cFileName);
        }
    }
}

std::optional<std::wstring> FindInterruptedSave(const std::wstring& target) {
    if (GetFileAttributesW(target.c_str()) != INVALID_FILE_ATTRIBUTES) {
        return std::nullopt;
    }
    const std::wstring folder = FolderOf(target);
    const std::wstring targetName = FileNameOf(target);
    std::optional<std::wstring> newest;
    FILETIME newestTime = {};
    for (const WIN32_FIND_DATAW& entry : FilesMatching(target + L".*")) {
        const std::wstring name = entry.cFileName;
        const bool isBackup = StartsWithNoCase(name, targetName + L".") &&
                              name.size() >= targetName.size() + 4 &&
                              EqualsNoCase(name.substr(name.size() - 4).c_str(), L".bak");
        if (!isBackup && !IsTemporaryName(name, targetName)) {
            continue;
        }
        if ((!newest || CompareFileTime(&entry.ftLastWriteTime, &newestTime) > 0) &&
            IsWholeTranslationFile(folder + name)) {
            newest = folder + name;
            newestTime = entry.ftLastWriteTime;
        }
    }
    return newest;
}

SaveResult RestoreInterruptedSave(FileOps& files, const std::wstring& copy, const std::wstring& target) {
    if (const DWORD error = KeepUnderSecondName(files, copy, target)) {
        return SaveFailure(error, target);
    }
    if (IsTemporaryName(FileNameOf(copy), FileNameOf(target))) {
        files.Delete(copy);
    }
    return SaveResult();
}
