// Lines of text for a windowed program's command-line uses (--check, --version): to a file, to the
// standard output or error it was given, or to the console it was started from.
#pragma once

#include "KernelHandles.h"

#include <windows.h>

#include <string>

// Where lines go: a file or pipe as UTF-8, or a console as its own text.
class LineWriter {
public:
    // A report file, created anew.
    explicit LineWriter(const std::wstring& path);
    // Standard output or error as the program was given it; else the console of the program that
    // started it (a windowed program gets none of its own).
    explicit LineWriter(DWORD standardHandle);

    bool Usable() const { return m_handle && m_handle != INVALID_HANDLE_VALUE; }
    // The line and a line break; false when nothing could take it.
    bool Write(const std::wstring& line);

private:
    FileHandle m_file; // owned: the report file or the parent's console, when either was opened
    HANDLE m_handle;   // where lines go: m_file's handle or a standard handle (not owned)
    bool m_console = false;
};
