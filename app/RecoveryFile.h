// Translations stored since the last save, kept in a small file beside the translation file and
// flushed with every change, so that a crash, a kill or a power cut loses none of them. A save
// removes the file; the next open of the project finds what an interrupted session left.
#pragma once

#include "FileStamp.h"
#include "KernelHandles.h"
#include "TextUtil.h"

#include <optional>
#include <string>
#include <vector>

// One string's translation as it stood after a change; the string is named by id and attr, which
// still find it when the project's strings moved.
struct RecoveredTranslation {
    std::wstring id;
    OptString attr;
    OptString loc;
};

// A change as it is kept: views into the model's strings, which the file copies.
struct KeptChange {
    std::wstring_view id;
    const OptString* attr;
    const OptString* loc;
};

struct RecoveryContent {
    std::wstring projectPath;
    // The translation file the changes were made against; absent when there was none.
    std::optional<FileStamp> translationStamp;
    FILETIME written = {}; // when the last change was kept
    // In the order made: a later one for the same string wins.
    std::vector<RecoveredTranslation> translations;
};

class RecoveryFile {
public:
    static std::wstring PathFor(const std::wstring& translationPath) {
        return translationPath + L".recovery";
    }

    // What an earlier session left beside the translation file; absent when nothing (or nothing
    // readable) is there. A change cut off while it was written is left out.
    static std::optional<RecoveryContent> Read(const std::wstring& translationPath);
    static void Remove(const std::wstring& translationPath);

    // Keeps the changes of this project and translation file from now on; the file is made at the
    // first change, replacing what an earlier session left.
    void Start(std::wstring projectPath, std::wstring translationPath);
    // Appends the changes and flushes them to the disk; false when they could not be kept (they are
    // still in memory).
    bool Append(const std::vector<KeptChange>& changes);
    // After a save or when the changes are dropped: the file goes.
    void Clear();

private:
    bool Create();

    std::wstring m_projectPath;
    std::wstring m_translationPath;
    std::optional<FileHandle> m_file; // open while changes are kept
};
