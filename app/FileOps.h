// The file operations a save is made of, behind an interface so that tests can make any one of them
// fail as a full disk, a lock or a crash would, and their real implementation.
#pragma once

#include <windows.h>

#include "KernelHandles.h"

#include <string>

// Each operation answers ERROR_SUCCESS or the system's error code, taken at once.
class FileOps {
public:
    virtual ~FileOps() = default;

    // A new file, open for writing and shared with nobody while it is written; ERROR_FILE_EXISTS
    // when the name is taken.
    virtual FileHandle CreateNew(const std::wstring& path, DWORD& error) = 0;
    // Writes all of the bytes, or answers why not.
    virtual DWORD Write(HANDLE file, const void* bytes, size_t size) = 0;
    virtual DWORD Flush(HANDLE file) = 0;
    virtual DWORD Size(HANDLE file, ULONGLONG& size) = 0;
    // A second name for an existing file (a hard link); fails where the file system has none.
    virtual DWORD Link(const std::wstring& existing, const std::wstring& newName) = 0;
    // A flushed copy under a new name, never replacing a file.
    virtual DWORD Copy(const std::wstring& existing, const std::wstring& newName) = 0;
    // ERROR_SHARING_VIOLATION when another program holds the file so that it cannot be replaced; a
    // missing file can be.
    virtual DWORD CheckReplaceable(const std::wstring& path) = 0;
    // Puts from in to's place in one step, replacing the file there.
    virtual DWORD Replace(const std::wstring& from, const std::wstring& to) = 0;
    virtual DWORD Delete(const std::wstring& path) = 0;
    // ERROR_FILE_NOT_FOUND (or ERROR_PATH_NOT_FOUND) when nothing is there.
    virtual DWORD Attributes(const std::wstring& path, DWORD& attributes) = 0;
};

class Win32FileOps : public FileOps {
public:
    FileHandle CreateNew(const std::wstring& path, DWORD& error) override;
    DWORD Write(HANDLE file, const void* bytes, size_t size) override;
    DWORD Flush(HANDLE file) override;
    DWORD Size(HANDLE file, ULONGLONG& size) override;
    DWORD Link(const std::wstring& existing, const std::wstring& newName) override;
    DWORD Copy(const std::wstring& existing, const std::wstring& newName) override;
    DWORD CheckReplaceable(const std::wstring& path) override;
    // A target that another program holds open is reported as ERROR_SHARING_VIOLATION, where the
    // system says only ERROR_ACCESS_DENIED.
    DWORD Replace(const std::wstring& from, const std::wstring& to) override;
    DWORD Delete(const std::wstring& path) override;
    DWORD Attributes(const std::wstring& path, DWORD& attributes) override;
};

// The real operations, for callers that are not handed others.
FileOps& SystemFileOps();
