// Replacing a file's contents so that a crash, a full disk or a lock at any moment leaves at its path
// the earlier file or the new one, whole and never missing; and what interrupted saves leave beside it.
#pragma once

#include "FileOps.h"
#include "SaveResult.h"

#include <functional>
#include <optional>
#include <string>

// Hands the new contents of a file, piece by piece, to the sink it is given, and stops when the sink
// answers false.
using ContentsWriter = std::function<void(const std::function<bool(const void* bytes, size_t size)>& sink)>;

// stem + extension, then stem + ".2" + extension and so on: the first name nothing uses, or absent
// when a hundred are taken (as all are when the stem names a device, which exists everywhere).
std::optional<std::wstring> FreeName(FileOps& files, const std::wstring& stem, const wchar_t* extension);

// Writes the contents to a temporary beside target (target + ".saving.tmp", or a numbered one),
// flushes it, checks its size and moves it over target in one step. With a backup name, the earlier file is
// first given that second name, so target exists throughout. A read-only target is refused. On
// failure target is as it was, and neither the temporary nor the backup is left.
SaveResult ReplaceContents(FileOps& files, const std::wstring& target, const ContentsWriter& contents,
                           const std::wstring& backup);

// Deletes the temporaries of earlier saves of target that no program holds open. While target is
// missing they are kept: one may be all that is left of it.
void RemoveStaleTemporaries(FileOps& files, const std::wstring& target);

// When target is missing: the most recently written temporary or backup beside it that holds a
// whole translation file, which an interrupted save left and which can be restored; else absent.
std::optional<std::wstring> FindInterruptedSave(const std::wstring& target);

// Puts the copy that FindInterruptedSave found at target's path, never over a file there. A
// restored temporary is removed; a backup stays.
SaveResult RestoreInterruptedSave(FileOps& files, const std::wstring& copy, const std::wstring& target);
