// What the translator is working on, without any window: the open project and its checks, the rows
// the string list shows, the current string, and a journal of every translation change. The windows
// receive the session and observe it; none of them knows another.
#pragma once

#include "Dismissals.h"
#include "ImportStrings.h"
#include "ProjectChecks.h"
#include "ProjectModel.h"
#include "RecoveryFile.h"
#include "StringSearch.h"
#include "TextReplace.h"
#include "TranslationMemory.h"

#include <optional>
#include <string>
#include <vector>

enum class ChangeCause {
    Typed,      // stored by the translator
    Propagated, // copied forward to a later untranslated string with the same original
    Imported,   // given by an older strings file
    Replaced,   // rewritten by find and replace
    Recovered,  // kept by a session that ended without saving
    Merged,     // taken from another program's save of the same file
    Reviewed,   // kept as it was for an original that changed since it was made
    Undone,     // taken back by an undo
    Redone,     // made again by a redo
};

enum class SaveOutcome {
    Saved,
    Failed,        // the model's last save result says why
    ChangedOnDisk, // another program wrote the file since: nothing was written, the caller chooses
};

// What a merging save took from the file another program wrote.
struct MergeReport {
    size_t taken = 0;     // strings given the other program's translation
    size_t conflicts = 0; // strings both changed: ours was written, theirs kept in the backup
};

// One translation change of a unit (the strings sharing an id and attr), enough to take it back or to
// apply it again.
struct TranslationChange {
    size_t string; // index into the model's strings: the one changed, or its unit's first
    OptString before;
    OptString after;
    ChangeCause cause;
    OptString madeFromBefore; // the original the translation before was made from, when not today's
};

// What one undo or redo changed: one action of the translator's, such as a store with its forward
// copies or a whole import.
struct UndoneAction {
    size_t string = 0;  // the first string the action changed
    size_t strings = 0; // every string it changed, copies included
};
// "Undone: translation of btnCancel (3 strings)", or "Redone: ..." for a redo.
std::wstring UndoneText(const ProjectModel& model, const UndoneAction& action, bool redone);
// What a store did beyond the string stored, given the strings it changed: "Also filled 2 strings with
// the same original"; empty when it filled no other.
std::wstring ForwardCopyText(const ProjectModel& model, size_t stored, const std::vector<size_t>& changed);

// A translation file of another project of the language, or a TMX file, whose translations are
// suggested.
struct MemoryFile {
    std::wstring path;
    std::wstring origin; // the project's name
};

// A translation a replace would change, before and after.
struct PlannedReplacement {
    size_t string; // its unit's first string
    std::wstring before;
    std::wstring after;
};

// Unsaved translations that an earlier session of the same translation file left.
struct RecoveryOffer {
    size_t translations = 0;
    FILETIME kept = {}; // when the last of them was kept
    // Made in this project against the translation file as it is now: safe to apply unasked.
    bool madeAgainstThisFile = false;
};

// Which strings the list keeps besides the search.
enum class ShownStrings { All = 0, Untranslated = 1, Problems = 2, NeedsReview = 3 };

struct RowFilter {
    OptString search; // absent or empty: no search
    int dialog = -1;  // index into the model's dialogs; -1: every dialog
    ShownStrings shown = ShownStrings::All;

    // Whether every string passing this filter passes last too: a longer search only narrows.
    bool Narrows(const RowFilter& last) const;
};

// Loads the project with every string pseudo-translated from its original (growthPercent: a flat
// growth instead of the length table) and no translation file, so that nothing can be written; the
// model is unmodified. On a failure status the model is left untouched.
LoadResult LoadPseudoTranslated(ProjectModel& model, const std::wstring& projectFile,
                                std::optional<int> growthPercent = std::nullopt);

class SessionObserver {
public:
    virtual ~SessionObserver() = default;
    // Another project was opened: everything shown of the last one is stale.
    virtual void OnProjectOpened() {}
    // These strings' translations changed, with their checks and progress.
    virtual void OnTranslationsChanged(const std::vector<size_t>& strings) {}
    // The strings checked anew as a whole (a layout check): marks and progress may differ anywhere.
    virtual void OnChecksChanged() {}
    // The rows were chosen anew.
    virtual void OnRowsChanged() {}
    // The project became modified, or was saved.
    virtual void OnModifiedChanged() {}
};

class TranslationSession {
public:
    TranslationSession() = default;
    TranslationSession(const TranslationSession&) = delete;
    TranslationSession& operator=(const TranslationSession&) = delete;

    // Observers are not owned and must be removed before they go.
    void AddObserver(SessionObserver* observer);
    void RemoveObserver(SessionObserver* observer);

    // Opens a project with its translation; on any failure status the open one stays as it was.
    // The rows start unfiltered and the opened project is unmodified. Every change from then on is
    // kept in a recovery file until it is saved or dropped. The pseudo-locale's language opens the
    // project pseudo-translated instead (see IsPseudo).
    LoadResult Open(const std::wstring& projectFile, const std::wstring& translationFile, int language);

    const ProjectModel& Model() const { return m_model; }
    const ProjectChecks& Checks() const { return m_checks; }
    // A pseudo-translated project is never modified: nothing of it is written, no recovery file
    // either, and a save does nothing.
    bool IsModified() const { return !m_pseudo && m_model.IsModified(); }
    bool IsPseudo() const { return m_pseudo; }

    // Marks a finding as intended, or no longer, and keeps the dismissals beside the translation file
    // at once (of a pseudo-translation, in memory only). Findings that cannot be dismissed, and a
    // change that changes nothing, are left alone. When they cannot be written, nothing changes and
    // the result says why.
    SaveResult SetDismissed(const Finding& finding, bool dismissed);

    // Stores the translator's translation of one string (absent: untranslated); a present text is copied
    // forward to every later untranslated string with the same original. Returns the strings changed, the
    // stored one first; none when it already had that translation.
    std::vector<size_t> StoreTranslation(size_t string, const OptString& translation);
    // Gives each pair's translation to the untranslated strings with its original.
    ImportSummary Import(const std::vector<ImportPair>& pairs);
    // The files whose translations are suggested besides the project's own; read when first needed.
    void SetMemoryFiles(std::vector<MemoryFile> files);
    // The best translations made before for the string's original, best first (see TranslationMemory).
    std::vector<Suggestion> Suggestions(size_t string);

    // Every translation the query changes, once per unit, in project order.
    std::vector<PlannedReplacement> PlanReplace(const ReplaceQuery& query) const;
    // Replaces in every translation the query matches, as one undo step; answers the units changed.
    size_t ReplaceAll(const ReplaceQuery& query);
    // Writes the translation file; on success the project is no longer modified. Refused with
    // ChangedOnDisk when another program wrote the file since it was last read or written here.
    SaveOutcome Save();
    // Takes the other program's changes for the strings not changed here since the last save, then
    // saves; where both changed a string, ours is written and the file on disk is kept as a backup.
    SaveOutcome SaveMerging(MergeReport& report);
    // Saves over the other program's file, which is kept as a backup.
    SaveOutcome SaveOverwriting();
    // Drops the changes without saving (they stay in memory): the project counts as saved, and its
    // recovery file goes.
    void DiscardModified();

    // What the last session of this translation file left unsaved, found at open.
    std::optional<RecoveryOffer> PendingRecovery() const;
    // Applies it to the strings with the same id and attr; answers how many translations changed.
    size_t ApplyRecovery();
    void DiscardRecovery();
    // Takes back the last translator's action that is not yet taken back (every string it changed,
    // across saves), or makes the last one taken back again; absent when there is none. A new action
    // drops what could be made again.
    std::optional<UndoneAction> Undo();
    std::optional<UndoneAction> Redo();
    bool CanUndo() const { return !m_undoable.empty(); }
    bool CanRedo() const { return !m_redoable.empty(); }

    // Lays out every dialog changed since its last layout check and keeps the findings; with a
    // budget, as many as fit in that many milliseconds, for a caller that goes on when it is idle.
    // Answers whether dialogs are left to lay out.
    bool LayOutStaleDialogs(std::optional<unsigned> budgetMs = std::nullopt);

    // The rows the list shows: the strings passing the filter, in project order.
    void SetFilter(RowFilter filter);
    const std::vector<size_t>& Rows() const { return m_rows; }
    // The row that shows the string; absent when the filter hides it.
    std::optional<size_t> RowOf(size_t string) const;
    // The string shown at a row; absent for a row out of range.
    std::optional<size_t> StringAt(size_t row) const;

    // The string the translator is on, shown or not; absent when none is chosen.
    std::optional<size_t> Current() const { return m_current; }
    void SetCurrent(std::optional<size_t> string);

    // Every translation change since the project was opened, oldest first.
    const std::vector<TranslationChange>& Journal() const { return m_journal; }

private:
    bool Passes(size_t string) const;
    SaveOutcome WriteFile();
    // Appends the journal's records from journalStart on to the recovery file.
    void KeepForRecovery(size_t journalStart);
    void ChooseRows();
    // Journals a change of the unit's translation to after and makes it.
    void ChangeUnit(size_t string, OptString after, ChangeCause cause, std::vector<size_t>& changed,
                    const OptString& madeFrom = std::nullopt);
    // Recovery, checks and observers after translations changed; wasModified: before the change;
    // the change's records start at journalStart. An action of the translator's is one undo step.
    void AfterChange(const std::vector<size_t>& changed, bool wasModified, size_t journalStart,
                     bool isAction = true);
    // Applies an action's records backwards (undo) or forwards (redo) and moves it between the lists.
    std::optional<UndoneAction> Replay(bool undo);

    template <typename Notify> void NotifyAll(Notify notify) {
        // A copy: an observer may remove itself while it is told.
        const std::vector<SessionObserver*> observers = m_observers;
        for (SessionObserver* observer : observers) {
            notify(*observer);
        }
    }

    ProjectModel m_model;
    ProjectChecks m_checks;
    StringSearch m_search;
    RowFilter m_filter;
    // Whether m_rows holds every string passing m_filter as the translations stand: a change can make
    // a string pass that did not, so the next filter looks at the whole project again.
    bool m_rowsCurrent = false;
    std::vector<size_t> m_rows;
    std::vector<size_t> m_rowOfString; // by string; kNoRow when hidden
    std::optional<size_t> m_current;
    std::vector<TranslationChange> m_journal;
    size_t m_savedJournalSize = 0; // the journal's size at the last save: later records are unsaved
    // The journal records of one action each, in the order made; the last is undone or redone first.
    struct Action {
        size_t begin;
        size_t end;
    };
    std::vector<Action> m_undoable;
    std::vector<Action> m_redoable;
    RecoveryFile m_recovery;
    Dismissals m_dismissals; // the checks count by it
    bool m_pseudo = false;
    std::optional<RecoveryContent> m_pendingRecovery;
    std::vector<MemoryFile> m_memoryFiles;
    // Built at the first suggestion after an open, so that opening costs nothing more.
    std::optional<TranslationMemory> m_memory;
    std::vector<SessionObserver*> m_observers; // not owned
};
