// The open project in memory: its strings with their translations and its dialogs, loaded from the
// project file, the descriptions and the translation file, and written back as a translation file.
#pragma once

#include <windows.h>

#include "FileStamp.h"
#include "SaveResult.h"
#include "TextGroups.h"
#include "TextUtil.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// An optional text that few strings have: where it is absent it costs one pointer, so that the
// strings every keystroke passes over stay small.
class RareText {
public:
    RareText() = default;
    RareText(const OptString& text) : m_text(text ? std::make_shared<const std::wstring>(*text) : nullptr) {}
    explicit operator bool() const { return m_text != nullptr; }
    const std::wstring& operator*() const { return *m_text; }
    operator OptString() const { return m_text ? OptString(*m_text) : std::nullopt; }

private:
    std::shared_ptr<const std::wstring> m_text;
};

struct StringItem {
    std::wstring id;
    OptString attr;
    std::wstring text; // the original text, never empty
    OptString loc;     // present (even empty) when the string is translated
    // The original the translation was made from, when it is not today's: the translation still
    // shows, but needs review. Written back until the translation is stored again.
    RareText madeFrom;

    bool NeedsReview() const { return static_cast<bool>(madeFrom); }
};

// What a description file gives: one copy for every listing of the file, however often a
// project lists it.
struct DialogContent {
    std::wstring caption;             // the dialog's caption, or the file name without one
    std::vector<std::wstring> locids; // depth-first from the root, duplicates kept
};

struct DialogItem {
    DialogItem(std::wstring filePath, std::wstring caption, std::vector<std::wstring> locids)
        : path(std::move(filePath)), content(std::make_shared<const DialogContent>(
                                         DialogContent{std::move(caption), std::move(locids)})) {}

    std::wstring path;
    std::shared_ptr<const DialogContent> content; // never null

    const std::wstring& Caption() const { return content->caption; }
    const std::vector<std::wstring>& Locids() const { return content->locids; }
};

// Reads a description's caption (or its file name) and every locid in document order; absent when
// the file does not load or has no "dialog" root, with why in whyNot when given.
std::optional<DialogItem> LoadDialogItem(const std::wstring& path, std::wstring* whyNot = nullptr);

// A description the project lists that could not be read, so that the translator hears of it.
struct UnreadDescription {
    std::wstring file; // as the project lists it
    std::wstring why;  // "not found", ...
};

class FileOps;

// The entries of a translation file, indexed once so that each project string is found in constant
// time and ids holding any character work.
class TranslationIndex {
public:
    struct Entry {
        std::wstring id;
        OptString attr;
        OptString loc;
        OptString text;
        bool taken = false;
    };
    // What one unit of the project (an id with its attr) takes from the file.
    struct Taken {
        const Entry* first = nullptr; // the entry its translation comes from; null: none
        // The entries after the first whose "loc" differs from the first's: an earlier version
        // wrote one entry per listing of a string, and they may disagree.
        size_t disagreeing = 0;
    };

    // Adds an entry after those already there.
    void Add(std::wstring id, OptString attr, OptString loc, OptString text);

    // The "loc" of the first entry in document order that matches: with an attr, the entry must carry
    // the same attr; without one, any entry with the id matches. Absent when none matches or the
    // first match has no "loc".
    OptString Find(const std::wstring& id, const OptString& attr) const;
    // Find's entry and the disagreeing ones after it; every matching entry counts as taken.
    Taken Take(const std::wstring& id, const OptString& attr);
    // The entries with a "loc" that no Take matched.
    size_t CountUntakenWithLoc() const;

    TranslationIndex() = default;
    // Moving keeps the entries where they are, which the index views; a copy would not.
    TranslationIndex(TranslationIndex&&) = default;
    TranslationIndex& operator=(TranslationIndex&&) = default;
    TranslationIndex(const TranslationIndex&) = delete;
    TranslationIndex& operator=(const TranslationIndex&) = delete;

private:
    static bool Matches(const Entry& entry, const OptString& attr) { return !attr || entry.attr == attr; }
    // The first entry with the id; the entries are grouped by id at the first lookup, once every
    // one is added and stays put.
    size_t FirstWithId(const std::wstring& id) const;

    std::vector<Entry> m_entries; // in document order
    mutable TextGroups m_byId;
    mutable bool m_grouped = false;
};

enum class LoadStatus {
    Loaded,
    ProjectUnreadable, // the project file does not load
    NoProjectRoot,     // no "tevproject" root
    NoStrings,         // the root has no "strings" element
    // The translation file exists but cannot be opened now (another program holds it, or access is
    // refused): no damaged file, so the project does not open untranslated over it.
    TranslationInaccessible,
};

struct LoadResult {
    LoadStatus status = LoadStatus::Loaded;
    // The translation file exists but does not parse or has no "strings" root; its strings start
    // untranslated and the first save keeps the file as a backup.
    bool translationUnreadable = false;
    DWORD translationError = ERROR_SUCCESS; // TranslationInaccessible: the system's error
};

struct StringInfo {
    std::wstring id;
    OptString attr;
    OptString caption; // of the first dialog that uses the id

    // The id as the windows show it: "[attr] id", or the id alone without an attr.
    std::wstring Label() const { return attr ? L"[" + *attr + L"] " + id : id; }
};

// What a successful save did with the translation file it replaced.
struct SaveReport {
    // Translated entries of the earlier file that no project string takes, so the new file lacks them.
    size_t droppedEntries = 0;
    // Entries of the earlier file that repeated a translation with another text; the first was
    // taken, so the new file lacks them.
    size_t disagreeingEntries = 0;
    // Where the earlier file was kept; empty when nothing needed keeping.
    std::wstring backupPath;
};

class ProjectModel {
public:
    ProjectModel() = default;
    // A model of the given strings and dialogs, read from no file: checks and imports work on it.
    ProjectModel(std::vector<StringItem> strings, std::vector<DialogItem> dialogs);

    const std::vector<StringItem>& Strings() const { return m_strings; }
    const std::vector<DialogItem>& Dialogs() const { return m_dialogs; }
    // The listed descriptions that were left out, in project order.
    const std::vector<UnreadDescription>& UnreadDescriptions() const { return m_unread; }
    const std::wstring& ProjectPath() const { return m_projectPath; }
    const std::wstring& TranslationPath() const { return m_translationPath; }
    int LanguageId() const { return m_languageId; }

    // Replaces the project only when it loads; on any failure status the model is left untouched.
    LoadResult Load(const std::wstring& projectFile, const std::wstring& translationFile, int language);

    // Writes every translated string to translationPath. The new file is written beside the old one
    // and replaces it in one step only once complete and flushed, so a failure leaves the earlier
    // file as it was, and the path never goes missing. An earlier file holding translations the new
    // one lacks (strings gone from the project, or of another project writing the same file) is kept
    // as a backup. Does not touch the modified state.
    bool SaveStrings();
    // The same through the given file operations.
    bool SaveStrings(FileOps& files);
    // What the last successful save dropped and where it kept the earlier file.
    const SaveReport& LastSave() const { return m_lastSave; }
    // Why the last save failed, with the message to show; Saved() after a successful one.
    const SaveResult& LastSaveResult() const { return m_lastResult; }

    // The first string whose translation holds a character that XML cannot carry (a control
    // character, an unpaired surrogate); such a file could not be read back, so saving is refused.
    std::optional<size_t> FindUnsavableString() const;

    // Absent for an index out of range.
    std::optional<StringInfo> GetStringInfo(size_t index) const;
    // The index of the first dialog, in project order, that uses the string's id.
    std::optional<size_t> FirstDialogOf(size_t index) const;

    // The translation file keys a translation by id and attr: the strings that share both are one
    // unit, which has one translation wherever it appears. The first string of the unit.
    size_t UnitHead(size_t index) const { return m_unitHead[index]; }
    // Every string of the unit, the first first.
    std::vector<size_t> UnitOf(size_t index) const;

    // Sets the translation of one string's unit, for today's original, and copies a present text to
    // the units of every later untranslated string with the same original text. Sets modified.
    // Returns the indices whose translation was set, index first, for the rows to update; storing the
    // translation the string already has changes nothing and returns none, unless it needed review.
    std::vector<size_t> SetLoc(size_t index, const OptString& loc);
    // Sets one unit's translation and nothing else, and sets modified: an import, a recovery or a
    // merge finds every string it gives a text to by itself. Appends the unit's strings to changed,
    // index first. madeFrom: the original the translation was made from when not today's, as an undo
    // brings it back.
    void SetUnitLoc(size_t index, OptString loc, std::vector<size_t>& changed,
                    const OptString& madeFrom = std::nullopt);

    // Whether translations changed since the project was opened or last saved.
    bool IsModified() const { return m_modified; }
    void MarkSaved() { m_modified = false; }

    bool HasUnreadableTranslation() const { return m_keepUnreadable; }

    // Whether another program wrote the translation file since this model last read or wrote it.
    bool ChangedOnDisk() const;
    // Each string's translation as the file on disk gives it now, by the same rule as loading;
    // absent when the file does not read.
    std::optional<std::vector<OptString>> TranslationsOnDisk() const;
    // The next save keeps the file it replaces under a backup name, as when it drops entries.
    void KeepEarlierFileAtNextSave() { m_keepEarlier = true; }

private:
    std::vector<StringItem> m_strings;
    std::vector<DialogItem> m_dialogs;
    std::wstring m_projectPath;
    std::wstring m_translationPath;
    int m_languageId = -1;
    bool m_modified = false;
    std::vector<UnreadDescription> m_unread;
    // By string: the first string of its unit, and the next one of it (kNoString after the last).
    std::vector<size_t> m_unitHead;
    std::vector<size_t> m_nextInUnit;
    void FindUnits();
    // Gives each unit its translation from the file, and tells which of the file's translated
    // entries no unit takes and how many disagree with the one a unit took.
    void TakeTranslations(TranslationIndex& translation, size_t& notTaken, size_t& disagreeing);

    // The translation file as this model last read or wrote it: its size and time of writing, and its
    // translated entries that no string takes. A save need not read it again while it is unchanged.
    struct KnownFile {
        std::optional<FileStamp> stamp;
        size_t entriesNotTaken = 0;
        size_t entriesDisagreeing = 0;
    };
    KnownFile m_knownFile;

    SaveResult SaveTranslationFile(FileOps& files);
    SaveResult MoveIntoPlace(FileOps& files, size_t dropped, size_t disagreeing);
    size_t CountEntriesNotCarriedOver() const;

    SaveReport m_lastSave;
    SaveResult m_lastResult;

    // The translation file that could not be read is renamed aside at the next save.
    bool m_keepUnreadable = false;
    bool m_keepEarlier = false; // for the next save only
};
