// Path helpers of the translator: separators, folders, and the guard for paths that files name.
#pragma once

#include <string>

bool IsPathSeparator(wchar_t c);

// The path up to and including its last separator; empty for a bare name.
std::wstring FolderOf(const std::wstring& path);

// A drive ("D:", "D:\"), a leading separator (also "\\server\share") is rooted.
bool IsRootedPath(const std::wstring& path);

// True for a segment that Windows takes for a device ("nul", "CON.xml", "com1 .txt", "lpt9..."):
// the name before its first dot, without trailing spaces, is a device name in any case. Such a
// name exists in every folder, and writing it writes to the device.
bool NamesDevice(const std::wstring& segment);

// True for a path, taken from a file, that names a file inside its base folder: not rooted, no
// colon, never climbing above the base, no segment naming a device, and with a file name at its
// end. Windows trims trailing dots and spaces from segments, so a segment of dots and spaces with
// two or more dots (".. ", "...") climbs like "..".
bool IsSafeRelativePath(const std::wstring& path);
