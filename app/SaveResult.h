// What a save of the translation file came to: the cause of a failure, the system's error behind
// it, and the message the user reads.
#pragma once

#include <windows.h>

#include <string>

enum class SaveCause {
    Saved,
    DiskFull,
    AccessDenied,
    ReadOnly, // the file's read-only attribute is set
    InUse,    // another program holds the file
    PathNotFound,
    Incomplete,    // the written file is shorter than its text, though the system reported no error
    NoFreeName,    // every name tried for the temporary or backup copy was taken
    UnsavableText, // a translation holds a character that XML cannot carry
    Other,         // any other error of the system; the message gives the system's own text
};

struct SaveResult {
    SaveCause cause = SaveCause::Saved;
    DWORD error = ERROR_SUCCESS; // the system's error behind the cause, when there is one
    std::wstring path;           // the translation file
    std::wstring original;       // for UnsavableText, the original text of the string at fault

    bool Saved() const { return cause == SaveCause::Saved; }
    // Plain English for the user: what went wrong, with which file, and what to do about it; empty
    // when saved.
    std::wstring Message() const;
};

// The system's own text for an error, with its number.
std::wstring SystemErrorText(DWORD error);

// The failure that a system error means, for the translation file at path.
SaveResult SaveFailure(DWORD error, const std::wstring& path);
