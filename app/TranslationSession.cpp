#include "TranslationSession.h"

#include "PseudoTranslation.h"
#include "TmxFile.h"

#include <algorithm>
#include <unordered_map>

namespace {

constexpr size_t kNoRow = static_cast<size_t>(-1);

} // namespace

bool RowFilter::Narrows(const RowFilter& last) const {
    if (dialog != last.dialog || shown != last.shown) {
        return false;
    }
    return !last.search || (search && ContainsNoCase(*search, *last.search));
}

void TranslationSession::AddObserver(SessionObserver* observer) {
    m_observers.push_back(observer);
}

void TranslationSession::RemoveObserver(SessionObserver* observer) {
    m_observers.erase(std::remove(m_observers.begin(), m_observers.end(), observer), m_observers.end());
}

LoadResult LoadPseudoTranslated(ProjectModel& model, const std::wstring& projectFile,
                                std::optional<int> growthPercent) {
    const LoadResult result = model.Load(projectFile, L"", kPseudoLanguageId);
    if (result.status != LoadStatus::Loaded) {
        return result;
    }
    std::vector<size_t> translated;
    for (size_t s = 0; s < model.Strings().size(); ++s) {
        if (model.UnitHead(s) == s) {
            model.SetUnitLoc(s, PseudoTranslate(model.Strings()[s].text, growthPercent), translated);
        }
    }
    model.MarkSaved();
    return result;
}

LoadResult TranslationSession::Open(const std::wstring& projectFile, const std::wstring& translationFile,
                                    int language) {
    const bool pseudo = IsPseudoLanguage(language);
    const LoadResult result = pseudo ? LoadPseudoTranslated(m_model, projectFile)
                                     : m_model.Load(projectFile, translationFile, language);
    if (result.status != LoadStatus::Loaded) {
        return result;
    }
    // The changes of the project open until now were saved, or the translator chose to drop them.
    m_recovery.Clear();
    m_model.MarkSaved();
    m_pseudo = pseudo;
    // A pseudo-translation keeps nothing: with no path the recovery file is never made.
    m_pendingRecovery = pseudo ? std::nullopt : RecoveryFile::Read(translationFile);
    m_recovery.Start(projectFile, pseudo ? L"" : translationFile);
    m_dismissals = pseudo ? Dismissals() : Dismissals::Read(translationFile);
    m_search.Index(m_model.Strings());
    m_checks.SetDismissals(&m_dismissals);
    m_checks.Reset(m_model);
    m_journal.clear();
    m_undoable.clear();
    m_redoable.clear();
    m_memory.reset();
    m_savedJournalSize = 0;
    m_current.reset();
    m_filter = RowFilter();
    m_rowsCurrent = false;
    ChooseRows();
    NotifyAll([](SessionObserver& observer) { observer.OnProjectOpened(); });
    return result;
}

std::vector<size_t> TranslationSession::StoreTranslation(size_t string, const OptString& translation) {
    if (string >= m_model.Strings().size()) {
        return {};
    }
    const OptString before = m_model.Strings()[string].loc;
    const OptString madeFromBefore = m_model.Strings()[string].madeFrom;
    const bool wasModified = IsModified();
    const size_t journalStart = m_journal.size();
    const std::vector<size_t> changed = m_model.SetLoc(string, translation);
    for (size_t s : changed) {
        // One record per unit; only the stored one had a translation before: the copies fill
        // untranslated ones.
        if (s == string) {
            m_journal.push_back({s, before, translation,
                                 before == translation ? ChangeCause::Reviewed : ChangeCause::Typed,
                                 madeFromBefore});
        } else if (m_model.UnitHead(s) != m_model.UnitHead(string) && m_model.UnitHead(s) == s) {
            m_journal.push_back({s, std::nullopt, translation, ChangeCause::Propagated});
        }
    }
    AfterChange(changed, wasModified, journalStart);
    return changed;
}

ImportSummary TranslationSession::Import(const std::vector<ImportPair>& pairs) {
    const bool wasModified = IsModified();
    const size_t journalStart = m_journal.size();
    // Every string of a pair is found through the import's index and set by itself: storing each as
    // typed would scan the rest of the project for copies once per pair.
    std::vector<size_t> changed;
    const ImportSummary summary =
        ApplyImport(m_model.Strings(), pairs, [&](size_t string, std::wstring text) {
            ChangeUnit(string, std::move(text), ChangeCause::Imported, changed);
        });
    AfterChange(changed, wasModified, journalStart);
    return summary;
}

void TranslationSession::SetMemoryFiles(std::vector<MemoryFile> files) {
    m_memoryFiles = std::move(files);
    m_memory.reset();
}

std::vector<Suggestion> TranslationSession::Suggestions(size_t string) {
    if (string >= m_model.Strings().size()) {
        return {};
    }
    if (!m_memory) {
        m_memory.emplace();
        for (const MemoryFile& file : m_memoryFiles) {
            // The project's own file is the model, as it stands now.
            const std::wstring& path = file.path;
            if (path.size() > 4 &&
                CompareStringOrdinal(path.c_str() + path.size() - 4, 4, L".tmx", 4, TRUE) == CSTR_EQUAL) {
                AddTmxFile(*m_memory, file.path, LanguageTag(m_model.LanguageId()));
            } else if (CompareStringOrdinal(file.path.c_str(), -1, m_model.TranslationPath().c_str(), -1,
                                            TRUE) != CSTR_EQUAL) {
                m_memory->AddTranslationFile(file.path, file.origin);
            }
        }
        m_memory->AddProject(m_model, L"this project");
    }
    return m_memory->Suggest(m_model.Strings()[string].text, m_model.UnitHead(string));
}

std::vector<PlannedReplacement> TranslationSession::PlanReplace(const ReplaceQuery& query) const {
    std::vector<PlannedReplacement> planned;
    const std::vector<StringItem>& strings = m_model.Strings();
    for (size_t s = 0; s < strings.size(); ++s) {
        if (m_model.UnitHead(s) == s && strings[s].loc) {
            if (std::optional<std::wstring> after = ReplaceInTranslation(*strings[s].loc, query)) {
                planned.push_back({s, *strings[s].loc, std::move(*after)});
            }
        }
    }
    return planned;
}

size_t TranslationSession::ReplaceAll(const ReplaceQuery& query) {
    const std::vector<PlannedReplacement> planned = PlanReplace(query);
    const bool wasModified = IsModified();
    const size_t journalStart = m_journal.size();
    std::vector<size_t> changed;
    for (const PlannedReplacement& replacement : planned) {
        ChangeUnit(replacement.string, replacement.after, ChangeCause::Replaced, changed);
    }
    AfterChange(changed, wasModified, journalStart);
    return planned.size();
}

void TranslationSession::ChangeUnit(size_t string, OptString after, ChangeCause cause,
                                    std::vector<size_t>& changed, const OptString& madeFrom) {
    const StringItem& item = m_model.Strings()[string];
    m_journal.push_back({string, item.loc, after, cause, item.madeFrom});
    m_model.SetUnitLoc(string, std::move(after), changed, madeFrom);
}

void TranslationSession::AfterChange(const std::vector<size_t>& changed, bool wasModified,
                                     size_t journalStart, bool isAction) {
    if (changed.empty()) {
        return;
    }
    if (isAction) {
        m_undoable.push_back({journalStart, m_journal.size()});
        m_redoable.clear();
    }
    KeepForRecovery(journalStart);
    m_checks.Recheck(m_model, changed);
    m_rowsCurrent = false;
    NotifyAll([&](SessionObserver& observer) { observer.OnTranslationsChanged(changed); });
    if (!wasModified && IsModified()) {
        NotifyAll([](SessionObserver& observer) { observer.OnModifiedChanged(); });
    }
}

void TranslationSession::KeepForRecovery(size_t journalStart) {
    std::vector<KeptChange> kept;
    kept.reserve(m_journal.size() - journalStart);
    for (size_t i = journalStart; i < m_journal.size(); ++i) {
        const StringItem& item = m_model.Strings()[m_journal[i].string];
        kept.push_back({item.id, &item.attr, &m_journal[i].after});
    }
    m_recovery.Append(kept);
}

SaveOutcome TranslationSession::Save() {
    return !m_pseudo && m_model.ChangedOnDisk() ? SaveOutcome::ChangedOnDisk : WriteFile();
}

SaveOutcome TranslationSession::SaveOverwriting() {
    m_model.KeepEarlierFileAtNextSave();
    return WriteFile();
}

SaveOutcome TranslationSession::SaveMerging(MergeReport& report) {
    report = MergeReport();
    const std::optional<std::vector<OptString>> theirs = m_model.TranslationsOnDisk();
    if (!theirs) {
        // Nothing of theirs can be told apart: their file is kept whole.
        return SaveOverwriting();
    }
    // What each unit changed here had at the last save: the first unsaved change's before.
    std::vector<std::optional<OptString>> savedHere(theirs->size());
    for (size_t i = m_savedJournalSize; i < m_journal.size(); ++i) {
        const size_t unit = m_model.UnitHead(m_journal[i].string);
        if (!savedHere[unit]) {
            savedHere[unit] = m_journal[i].before;
        }
    }
    const bool wasModified = IsModified();
    const size_t journalStart = m_journal.size();
    std::vector<size_t> changed;
    for (size_t s = 0; s < theirs->size(); ++s) {
        const OptString& ours = m_model.Strings()[s].loc;
        const OptString& their = (*theirs)[s];
        if (m_model.UnitHead(s) != s || their == ours) {
            continue;
        }
        if (!savedHere[s]) {
            ChangeUnit(s, their, ChangeCause::Merged, changed);
            ++report.taken;
        } else if (their != *savedHere[s]) {
            ++report.conflicts;
        }
    }
    AfterChange(changed, wasModified, journalStart);
    if (report.conflicts > 0) {
        m_model.KeepEarlierFileAtNextSave();
    }
    return WriteFile();
}

SaveOutcome TranslationSession::WriteFile() {
    if (!m_pseudo && !m_model.SaveStrings()) {
        return SaveOutcome::Failed;
    }
    DiscardModified();
    return SaveOutcome::Saved;
}

void TranslationSession::DiscardModified() {
    const bool wasModified = IsModified();
    m_recovery.Clear();
    m_model.MarkSaved();
    m_savedJournalSize = m_journal.size();
    if (wasModified) {
        NotifyAll([](SessionObserver& observer) { observer.OnModifiedChanged(); });
    }
}

std::optional<RecoveryOffer> TranslationSession::PendingRecovery() const {
    if (!m_pendingRecovery) {
        return std::nullopt;
    }
    RecoveryOffer offer;
    offer.translations = m_pendingRecovery->translations.size();
    offer.kept = m_pendingRecovery->written;
    offer.madeAgainstThisFile = CompareStringOrdinal(m_pendingRecovery->projectPath.c_str(), -1,
                                                     m_model.ProjectPath().c_str(), -1, TRUE) == CSTR_EQUAL &&
                                m_pendingRecovery->translationStamp == StampOf(m_model.TranslationPath());
    return offer;
}

size_t TranslationSession::ApplyRecovery() {
    if (!m_pendingRecovery) {
        return 0;
    }
    std::unordered_map<std::wstring, std::vector<size_t>> stringsById;
    const std::vector<StringItem>& strings = m_model.Strings();
    for (size_t s = 0; s < strings.size(); ++s) {
        stringsById[strings[s].id].push_back(s);
    }
    const bool wasModified = IsModified();
    const size_t journalStart = m_journal.size();
    std::vector<size_t> changed;
    std::vector<bool> done(strings.size());
    // The last translation kept for a string is the one it had.
    const std::vector<RecoveredTranslation>& kept = m_pendingRecovery->translations;
    for (auto last = kept.rbegin(); last != kept.rend(); ++last) {
        const auto found = stringsById.find(last->id);
        if (found == stringsById.end()) {
            continue;
        }
        for (size_t s : found->second) {
            const size_t unit = m_model.UnitHead(s);
            if (strings[s].attr != last->attr || done[unit]) {
                continue;
            }
            done[unit] = true;
            // A string kept unchanged was stored all the same: the review it needed was done.
            if (strings[s].loc != last->loc || strings[s].madeFrom) {
                ChangeUnit(unit, last->loc, ChangeCause::Recovered, changed);
            }
        }
    }
    m_pendingRecovery.reset();
    // What was recovered is kept again, in a file made against the translation file as it is now.
    m_recovery.Clear();
    AfterChange(changed, wasModified, journalStart);
    return m_journal.size() - journalStart;
}

SaveResult TranslationSession::SetDismissed(const Finding& finding, bool dismissed) {
    if (finding.string >= m_model.Strings().size() || !CanDismiss(finding)) {
        return {};
    }
    const StringItem& item = m_model.Strings()[finding.string];
    const Dismissal dismissal = Dismissal::Of(item, item.loc, finding.kind, finding.detail);
    if (!(dismissed ? m_dismissals.Add(dismissal) : m_dismissals.Remove(dismissal))) {
        return {};
    }
    if (!m_pseudo) {
        const SaveResult written = m_dismissals.Write(SystemFileOps(), m_model.TranslationPath());
        if (!written.Saved()) {
            dismissed ? m_dismissals.Remove(dismissal) : m_dismissals.Add(dismissal);
            return written;
        }
    }
    m_checks.Recount(m_model, finding.string);
    m_rowsCurrent = false; // the problems filter passes other strings now
    NotifyAll([](SessionObserver& observer) { observer.OnChecksChanged(); });
    return {};
}

std::optional<UndoneAction> TranslationSession::Undo() {
    return Replay(true);
}

std::optional<UndoneAction> TranslationSession::Redo() {
    return Replay(false);
}

std::optional<UndoneAction> TranslationSession::Replay(bool undo) {
    std::vector<Action>& from = undo ? m_undoable : m_redoable;
    if (from.empty()) {
        return std::nullopt;
    }
    const Action action = from.back();
    from.pop_back();
    (undo ? m_redoable : m_undoable).push_back(action);
    const bool wasModified = IsModified();
    const size_t journalStart = m_journal.size();
    std::vector<size_t> changed;
    for (size_t i = 0; i < action.end - action.begin; ++i) {
        // A copy: the journal grows meanwhile.
        const TranslationChange record = m_journal[undo ? action.end - 1 - i : action.begin + i];
        if (undo) {
            ChangeUnit(record.string, record.before, ChangeCause::Undone, changed, record.madeFromBefore);
        } else {
            ChangeUnit(record.string, record.after, ChangeCause::Redone, changed);
        }
    }
    AfterChange(changed, wasModified, journalStart, false);
    return UndoneAction{m_journal[action.begin].string, changed.size()};
}

void TranslationSession::DiscardRecovery() {
    m_pendingRecovery.reset();
    RecoveryFile::Remove(m_model.TranslationPath());
}

bool TranslationSession::LayOutStaleDialogs(std::optional<unsigned> budgetMs) {
    const bool more = m_checks.LayOutStaleDialogs(m_model, budgetMs);
    // Strings with layout findings now pass the problems filter.
    m_rowsCurrent = false;
    NotifyAll([](SessionObserver& observer) { observer.OnChecksChanged(); });
    return more;
}

void TranslationSession::SetFilter(RowFilter filter) {
    if (filter.search && filter.search->empty()) {
        filter.search.reset();
    }
    if (filter.dialog < 0 || static_cast<size_t>(filter.dialog) >= m_model.Dialogs().size()) {
        filter.dialog = -1;
    }
    const bool narrows = m_rowsCurrent && filter.Narrows(m_filter);
    m_filter = std::move(filter);
    m_rowsCurrent = narrows;
    ChooseRows();
    NotifyAll([](SessionObserver& observer) { observer.OnRowsChanged(); });
}

bool TranslationSession::Passes(size_t string) const {
    const StringItem& item = m_model.Strings()[string];
    if (m_filter.shown == ShownStrings::Untranslated && item.loc) {
        return false;
    }
    if (m_filter.shown == ShownStrings::Problems && !m_checks.HasFindings(string)) {
        return false;
    }
    if (m_filter.shown == ShownStrings::NeedsReview && !item.NeedsReview()) {
        return false;
    }
    return !m_filter.search || m_search.Matches(item, string, *m_filter.search);
}

// A filter that only narrows the last one looks at the rows shown, not at the whole project.
void TranslationSession::ChooseRows() {
    const size_t stringCount = m_model.Strings().size();
    std::vector<size_t> candidates;
    const std::vector<size_t>* looked = nullptr;
    if (m_rowsCurrent) {
        candidates.swap(m_rows);
        looked = &candidates;
    } else if (m_filter.dialog >= 0) {
        looked = &m_checks.StringsOf(static_cast<size_t>(m_filter.dialog));
    }
    m_rows.clear();
    m_rowOfString.assign(stringCount, kNoRow);
    const size_t count = looked ? looked->size() : stringCount;
    for (size_t k = 0; k < count; ++k) {
        const size_t string = looked ? (*looked)[k] : k;
        if (string < stringCount && Passes(string)) {
            m_rowOfString[string] = m_rows.size();
            m_rows.push_back(string);
        }
    }
    m_rowsCurrent = true;
}

std::optional<size_t> TranslationSession::RowOf(size_t string) const {
    if (string >= m_rowOfString.size() || m_rowOfString[string] == kNoRow) {
        return std::nullopt;
    }
    return m_rowOfString[string];
}

std::optional<size_t> TranslationSession::StringAt(size_t row) const {
    return row < m_rows.size() ? std::optional<size_t>(m_rows[row]) : std::nullopt;
}

void TranslationSession::SetCurrent(std::optional<size_t> string) {
    m_current = string && *string < m_model.Strings().size() ? string : std::nullopt;
}

std::wstring UndoneText(const ProjectModel& model, const UndoneAction& action, bool redone) {
    const std::wstring& id = model.Strings()[action.string].id;
    return FormatText(L"%s: translation of %s (%u %s)", redone ? L"Redone" : L"Undone", id.c_str(),
                      static_cast<unsigned>(action.strings), action.strings == 1 ? L"string" : L"strings");
}

std::wstring ForwardCopyText(const ProjectModel& model, size_t stored, const std::vector<size_t>& changed) {
    // The stored string's own unit shares its translation by being one string: no copy.
    const size_t copies = static_cast<size_t>(std::count_if(changed.begin(), changed.end(), [&](size_t s) {
        return model.UnitHead(s) != model.UnitHead(stored);
    }));
    if (copies == 0) {
        return L"";
    }
    return FormatText(L"Also filled %u %s with the same original", static_cast<unsigned>(copies),
                      copies == 1 ? L"string" : L"strings");
}
