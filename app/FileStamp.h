// What tells a file apart from the same file changed: its size and time of last writing.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <utility>

using FileStamp = std::pair<ULONGLONG, ULONGLONG>; // size, time of last writing

// Absent when the file cannot be reached.
std::optional<FileStamp> StampOf(const std::wstring& path);
