#include "FileOps.h"

#include <algorithm>

namespace {

DWORD ErrorOf(BOOL succeeded) {
    return succeeded ? ERROR_SUCCESS : GetLastError();
}

// Whether some program has the file open in any way: then it cannot be opened for nobody else.
bool IsHeldOpen(const std::wstring& path) {
    const FileHandle probe(
        CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    return !probe.Valid() && GetLastError() == ERROR_SHARING_VIOLATION;
}

} // namespace

FileHandle Win32FileOps::CreateNew(const std::wstring& path, DWORD& error) {
    FileHandle file(
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    error = file.Valid() ? ERROR_SUCCESS : GetLastError();
    return file;
}

DWORD Win32FileOps::Write(HANDLE file, const void* bytes, size_t size) {
    const char* next = static_cast<const char*>(bytes);
    while (size > 0) {
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(size, 1u << 30));
        DWORD written = 0;
        if (!WriteFile(file, next, chunk, &written, nullptr)) {
            return GetLastError();
        }
        // A full disk takes part of a write and reports success; the next write tells why.
        if (written == 0) {
            return ERROR_WRITE_FAULT;
        }
        next += written;
        size -= written;
    }
    return ERROR_SUCCESS;
}

DWORD Win32FileOps::Flush(HANDLE file) {
    return ErrorOf(FlushFileBuffers(file));
}

DWORD Win32FileOps::Size(HANDLE file, ULONGLONG& size) {
    LARGE_INTEGER value = {};
    if (!GetFileSizeEx(file, &value)) {
        return GetLastError();
    }
    size = static_cast<ULONGLONG>(value.QuadPart);
    return ERROR_SUCCESS;
}

DWORD Win32FileOps::Link(const std::wstring& existing, const std::wstring& newName) {
    return ErrorOf(CreateHardLinkW(newName.c_str(), existing.c_str(), nullptr));
}

DWORD Win32FileOps::Copy(const std::wstring& existing, const std::wstring& newName) {
    if (!CopyFileW(existing.c_str(), newName.c_str(), TRUE)) {
        return GetLastError();
    }
    const FileHandle copy(CreateFileW(newName.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
    const DWORD error = copy.Valid() ? ErrorOf(FlushFileBuffers(copy.Get())) : GetLastError();
    if (error != ERROR_SUCCESS) {
        DeleteFileW(newName.c_str());
    }
    return error;
}

DWORD Win32FileOps::CheckReplaceable(const std::wstring& path) {
    // Replacing needs the access to delete, which a holder that does not share it keeps from others.
    const FileHandle probe(CreateFileW(path.c_str(), DELETE,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    return !probe.Valid() && GetLastError() == ERROR_SHARING_VIOLATION ? ERROR_SHARING_VIOLATION
                                                                       : ERROR_SUCCESS;
}

DWORD Win32FileOps::Replace(const std::wstring& from, const std::wstring& to) {
    const DWORD error =
        ErrorOf(MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH));
    return error == ERROR_ACCESS_DENIED && IsHeldOpen(to) ? ERROR_SHARING_VIOLATION : error;
}

DWORD Win32FileOps::Delete(const std::wstring& path) {
    return ErrorOf(DeleteFileW(path.c_str()));
}

DWORD Win32FileOps::Attributes(const std::wstring& path, DWORD& attributes) {
    attributes = GetFileAttributesW(path.c_str());
    return attributes == INVALID_FILE_ATTRIBUTES ? GetLastError() : ERROR_SUCCESS;
}

FileOps& SystemFileOps() {
    static Win32FileOps files;
    return files;
}
