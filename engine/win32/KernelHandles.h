// RAII owners for kernel handles: open files, directory searches, the thread's COM apartment.
#pragma once

#include <windows.h>
#include <objbase.h>

#include <string>
#include <utility>

// An open file handle, closed exactly once.
class FileHandle {
public:
    explicit FileHandle(HANDLE handle) : m_handle(handle) {}
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    FileHandle(FileHandle&& other) noexcept : m_handle(std::exchange(other.m_handle, INVALID_HANDLE_VALUE)) {}
    ~FileHandle() {
        if (Valid()) {
            CloseHandle(m_handle);
        }
    }
    HANDLE Get() const { return m_handle; }
    bool Valid() const { return m_handle != INVALID_HANDLE_VALUE && m_handle != nullptr; }

private:
    HANDLE m_handle;
};

// The entries of one FindFirstFileW pattern, walked with Next(); the search is closed on
// destruction.
class FileSearch {
public:
    explicit FileSearch(const std::wstring& pattern) : m_handle(FindFirstFileW(pattern.c_str(), &m_found)) {}
    FileSearch(const FileSearch&) = delete;
    FileSearch& operator=(const FileSearch&) = delete;
    ~FileSearch() {
        if (m_handle != INVALID_HANDLE_VALUE) {
            FindClose(m_handle);
        }
    }

    // The current entry; valid while Found() is true.
    bool Found() const { return m_handle != INVALID_HANDLE_VALUE && m_hasEntry; }
    const WIN32_FIND_DATAW& Entry() const { return m_found; }
    void Next() { m_hasEntry = FindNextFileW(m_handle, &m_found) != FALSE; }

private:
    WIN32_FIND_DATAW m_found = {};
    HANDLE m_handle;
    bool m_hasEntry = true;
};

// COM on this thread for the object's lifetime; uninitialised only when this object initialised it.
class ComApartment {
public:
    ComApartment() : m_initialised(SUCCEEDED(CoInitialize(nullptr))) {}
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;
    ~ComApartment() {
        if (m_initialised) {
            CoUninitialize();
        }
    }

private:
    bool m_initialised;
};
