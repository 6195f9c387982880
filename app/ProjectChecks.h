// The checks of a whole project kept up to date as translations change: which strings have
// problems, how far each dialog and the project are translated, and the findings to list. Text
// checks and mnemonic clashes are cheap and always current; layout findings come from laying
// dialogs out, which costs far more, so they are given per dialog and dropped when a string of the
// dialog changes.
#pragma once

#include "TextUtil.h"
#include "TextGroups.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

class Dismissals;
class ProjectModel;

struct Finding {
    size_t string;                // index into the model's strings
    std::optional<size_t> dialog; // where it matters, when any dialog uses the string
    std::wstring what;            // for the translator, such as "placeholder %d is missing"
    std::wstring kind;            // the group the summaries count it in, such as "placeholders"
    // What tells it from the string's other findings of its kind, the same as long as the texts are:
    // the placeholder, the control, the other string.
    std::wstring detail;
    bool dismissed = false; // the translator marked it as intended
};

// Whether the translator may mark the finding as intended: a translation may be, but an id that
// stands for two originals, or an original that changed under its translation, may not.
bool CanDismiss(const Finding& finding);

struct Progress {
    size_t strings = 0;
    size_t translated = 0;
    size_t problems = 0;   // findings
    size_t needReview = 0; // translations made from another wording of the original
};

class ProjectChecks {
public:
    // The findings marked as intended, which no count holds; not owned, and none when null. The
    // counts follow it from the next Reset on.
    void SetDismissals(const Dismissals* dismissals) { m_dismissals = dismissals; }
    // Checks every string of the model from scratch; layout findings are dropped.
    void Reset(const ProjectModel& model);
    // Counts the string's unit anew after its dismissals changed; no dialog is laid out again.
    void Recount(const ProjectModel& model, size_t string);
    // After the translations of these strings changed (their dialogs' layout findings go too).
    void Recheck(const ProjectModel& model, const std::vector<size_t>& changed);
    // Replaces the layout findings of one dialog; the dialog is no longer stale.
    void SetLayoutFindings(const ProjectModel& model, size_t dialog, std::vector<Finding> findings);
    // Lays out every stale dialog with the model's translations and keeps what it finds; with a
    // budget, only as many as fit in that many milliseconds (one at least). Answers whether stale
    // dialogs remain.
    bool LayOutStaleDialogs(const ProjectModel& model, std::optional<unsigned> budgetMs = std::nullopt);
    // Whether the dialog was not laid out since it was last changed.
    bool LayoutStale(size_t dialog) const { return dialog < m_layoutStale.size() && m_layoutStale[dialog]; }

    Progress Total() const;
    Progress OfDialog(size_t dialog) const;
    // Whether the string has findings that are not dismissed.
    bool HasFindings(size_t string) const;
    // Its findings that are not dismissed.
    std::vector<Finding> FindingsOf(const ProjectModel& model, size_t string) const;
    // The findings the string would have with this translation, as the translator types it; those
    // dismissed for it are left out.
    std::vector<Finding> CheckCandidate(const ProjectModel& model, size_t string,
                                        const OptString& translation) const;
    // Every finding, dismissed ones marked, in string order, each unit's once.
    std::vector<Finding> AllFindings(const ProjectModel& model) const;
    // The dialogs that show a string's unit, in project order.
    const std::vector<size_t>& DialogsOf(const ProjectModel& model, size_t string) const;
    // The units a dialog shows (those whose id one of its elements names), each once by its first
    // string, in project order.
    const std::vector<size_t>& StringsOf(size_t dialog) const;

private:
    struct StringState {
        bool translated = false;
        unsigned textFindings = 0;
        unsigned clashes = 0; // mnemonic clashes it takes part in, over all its dialogs
        unsigned layoutFindings = 0;
        // Its id and attr stand for another original too: the file cannot tell the two apart.
        bool originalConflicts = false;
        bool needsReview = false;
        // The first string of its unit, which the unit's clashes and layout findings are counted on.
        size_t unitHead = 0;
    };
    // Two strings of a dialog whose translations take one mnemonic; each side counts unless its
    // finding is dismissed.
    struct Clash {
        size_t a;
        size_t b;
        bool aCounts;
        bool bCounts;
    };
    struct DialogState {
        std::vector<size_t> strings; // each once, in project order
        std::vector<Clash> clashes;
        size_t clashFindings = 0;
        std::vector<Finding> layout; // dismissed ones marked
        size_t layoutFindings = 0;   // those not dismissed
        size_t translated = 0;
        size_t textFindings = 0;
    };

    bool Dismissed(const ProjectModel& model, const Finding& finding, const OptString& translation) const;
    // Every finding of the string with the translation, dismissed ones marked, or left out unless
    // keepDismissed.
    std::vector<Finding> Candidates(const ProjectModel& model, size_t string, const OptString& translation,
                                    bool keepDismissed) const;
    // The findings of the translation alone: the text checks' and another translation of the same
    // original.
    std::vector<Finding> TextFindingsOf(const ProjectModel& model, size_t string,
                                        const OptString& translation, std::optional<size_t> dialog) const;
    // The string's text findings that are not dismissed.
    size_t CountTextFindings(const ProjectModel& model, size_t string) const;
    void CheckText(const ProjectModel& model, size_t string);
    void FindOriginalConflicts(const ProjectModel& model);
    // The other original of a string whose unit has two; absent when it has one.
    OptString OtherOriginal(const ProjectModel& model, size_t string) const;
    // A unit with the string's original whose translation differs from translation; absent when none.
    std::optional<size_t> OtherTranslation(const ProjectModel& model, size_t string,
                                           const OptString& translation) const;
    // The strings whose findings change with the string's translation besides its own: the other
    // strings of its original.
    std::vector<size_t> PeersOf(const ProjectModel& model, size_t string) const;
    void FindClashes(const ProjectModel& model, size_t dialog);
    void DropClashes(size_t dialog);
    // The translations of other strings of the dialog that take the same mnemonic.
    void FindClashesWith(const ProjectModel& model, size_t string, wchar_t mnemonic, size_t dialog,
                         std::vector<Finding>& findings) const;
    void DropLayout(size_t dialog);

    const Dismissals* m_dismissals = nullptr; // not owned

    std::vector<StringState> m_strings;
    std::vector<std::vector<size_t>> m_dialogsOf; // by string
    // The units by original text, each by its first string: views into the model's texts.
    TextGroups m_unitsByOriginal;
    std::vector<DialogState> m_dialogs;
    std::vector<bool> m_layoutStale;
    Progress m_total;
};

// "5 findings: 2 placeholders, 3 clipped": the findings not dismissed, by kind in the order first
// found, and ", 1 dismissed" when some are; "No findings" when none counts.
std::wstring FindingsSummary(const std::vector<Finding>& findings);
// "1,234 of 20,000 translated, 17 problems", and ", 12 need review" when some do, numbers grouped as
// the user's locale does.
std::wstring ProgressText(const Progress& progress);
// The findings on one line for a label, "&" doubled so that the label shows it.
std::wstring FindingsLine(const std::vector<Finding>& findings);
// "Options", "Options, Rename Photos" or "Options, Rename Photos and 3 more": the dialogs that show
// a string; empty for none.
std::wstring DialogsText(const ProjectModel& model, const std::vector<size_t>& dialogs);
// "12/15" or "12/15, 2 problems": a dialog's progress beside its caption.
std::wstring ShortProgressText(const Progress& progress);
