#include "ProjectChecks.h"

#include "Dismissals.h"
#include "LayoutCheck.h"
#include "ProjectModel.h"
#include "TextChecks.h"
#include "TextUtil.h"

#include <windows.h>

#include <algorithm>
#include <string_view>
#include <unordered_map>

namespace {

wchar_t FoldCase(wchar_t c) {
    wchar_t folded[1] = {c};
    CharUpperBuffW(folded, 1);
    return folded[0];
}

std::optional<wchar_t> FoldedMnemonicOf(const std::wstring& text) {
    const std::optional<wchar_t> mnemonic = MnemonicOf(text);
    return mnemonic ? std::optional<wchar_t>(FoldCase(*mnemonic)) : std::nullopt;
}

const std::vector<size_t> kNone;

std::wstring Grouped(size_t number) {
    const std::wstring digits = std::to_wstring(number);
    wchar_t grouped[64] = L"";
    // The user's own grouping; the plain digits where the locale cannot say.
    NUMBERFMTW format = {};
    wchar_t decimal[8] = L".";
    wchar_t thousand[8] = L",";
    GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_STHOUSAND, thousand, ARRAYSIZE(thousand));
    format.LeadingZero = 1;
    format.Grouping = 3;
    format.lpDecimalSep = decimal;
    format.lpThousandSep = thousand;
    if (GetNumberFormatEx(LOCALE_NAME_USER_DEFAULT, 0, digits.c_str(), &format, grouped, ARRAYSIZE(grouped)) >
        0) {
        return grouped;
    }
    return digits;
}

std::wstring Problems(size_t count) {
    return Grouped(count) + (count == 1 ? L" problem" : L" problems");
}

const wchar_t* KindOf(LayoutProblem problem) {
    switch (problem) {
    case LayoutProblem::TextClipped:
        return L"clipped";
    case LayoutProblem::OutsideDialog:
        return L"outside the dialog";
    case LayoutProblem::Overlap:
        return L"overlaps";
    case LayoutProblem::NotListed:
        return L"layout not listed";
    }
    return L"layout";
}

constexpr wchar_t kClashKind[] = L"accelerator clashes";
constexpr wchar_t kInconsistentKind[] = L"inconsistent";
constexpr wchar_t kConflictKind[] = L"id conflicts";
constexpr wchar_t kReviewKind[] = L"need review";

// The control names it while the dialog's design stays: pixels differ between machines and fonts.
Finding FindingOf(const LayoutFinding& layout) {
    std::wstring detail = layout.element;
    if (layout.problem == LayoutProblem::Overlap) {
        detail += L" / " + layout.other;
    }
    return {layout.string, layout.dialog, layout.Describe(), KindOf(layout.problem), std::move(detail)};
}

Finding ClashFinding(const ProjectModel& model, size_t string, size_t peer, size_t dialog, wchar_t mnemonic) {
    const StringItem& other = model.Strings()[peer];
    return {string, dialog,
            FormatText(L"the accelerator \"%c\" is also used by \"%s\" (%s)", mnemonic, other.loc->c_str(),
                       other.id.c_str()),
            kClashKind, other.id};
}

} // namespace

void ProjectChecks::Reset(const ProjectModel& model) {
    const size_t stringCount = model.Strings().size();
    m_strings.assign(stringCount, StringState());
    m_dialogsOf.assign(stringCount, {});
    m_dialogs.assign(model.Dialogs().size(), DialogState());
    m_layoutStale.assign(model.Dialogs().size(), true);
    m_total = Progress();

    // A dialog shows one translation per unit (an id with its attr), however often the project lists
    // it: its view and its counts hold each unit once, by the unit's first string.
    // Views into the model's strings, which outlive the groups: no key is copied.
    TextGroups unitsById;
    unitsById.Reset(stringCount);
    m_unitsByOriginal.Reset(stringCount);
    for (size_t s = 0; s < stringCount; ++s) {
        m_strings[s].unitHead = model.UnitHead(s);
        if (model.UnitHead(s) == s) {
            unitsById.Add(model.Strings()[s].id, s);
            m_unitsByOriginal.Add(model.Strings()[s].text, s);
            ++m_total.strings;
        }
    }
    for (size_t d = 0; d < model.Dialogs().size(); ++d) {
        std::vector<size_t>& used = m_dialogs[d].strings;
        for (const std::wstring& locid : model.Dialogs()[d].Locids()) {
            for (size_t unit = unitsById.First(locid); unit != TextGroups::kNone; unit = unitsById.Next(unit)) {
                used.push_back(unit);
            }
        }
        std::sort(used.begin(), used.end());
        used.erase(std::unique(used.begin(), used.end()), used.end());
        for (size_t s : used) {
            m_dialogsOf[s].push_back(d);
        }
    }
    for (size_t s = 0; s < stringCount; ++s) {
        CheckText(model, s);
    }
    for (size_t d = 0; d < m_dialogs.size(); ++d) {
        FindClashes(model, d);
    }
    FindOriginalConflicts(model);
}

void ProjectChecks::FindOriginalConflicts(const ProjectModel& model) {
    for (size_t s = 0; s < m_strings.size(); ++s) {
        const size_t head = model.UnitHead(s);
        if (model.Strings()[s].text != model.Strings()[head].text) {
            m_total.problems += m_strings[head].originalConflicts ? 0 : 1;
            m_strings[s].originalConflicts = true;
            m_strings[head].originalConflicts = true;
        }
    }
}

std::optional<size_t> ProjectChecks::OtherTranslation(const ProjectModel& model, size_t string,
                                                      const OptString& translation) const {
    if (!translation) {
        return std::nullopt;
    }
    for (size_t unit = m_unitsByOriginal.First(model.Strings()[string].text); unit != TextGroups::kNone;
         unit = m_unitsByOriginal.Next(unit)) {
        const OptString& other = model.Strings()[unit].loc;
        if (unit != m_strings[string].unitHead && other && *other != *translation) {
            return unit;
        }
    }
    return std::nullopt;
}

std::vector<size_t> ProjectChecks::PeersOf(const ProjectModel& model, size_t string) const {
    std::vector<size_t> peers;
    for (size_t unit = m_unitsByOriginal.First(model.Strings()[string].text); unit != TextGroups::kNone;
         unit = m_unitsByOriginal.Next(unit)) {
        if (unit != m_strings[string].unitHead) {
            const std::vector<size_t> members = model.UnitOf(unit);
            peers.insert(peers.end(), members.begin(), members.end());
        }
    }
    return peers;
}

OptString ProjectChecks::OtherOriginal(const ProjectModel& model, size_t string) const {
    if (!m_strings[string].originalConflicts) {
        return std::nullopt;
    }
    const std::wstring& text = model.Strings()[string].text;
    for (size_t s : model.UnitOf(string)) {
        if (model.Strings()[s].text != text) {
            return model.Strings()[s].text;
        }
    }
    return std::nullopt;
}

size_t ProjectChecks::CountTextFindings(const ProjectModel& model, size_t string) const {
    const StringItem& item = model.Strings()[string];
    // Counting needs no descriptions unless a dismissal of the string's may cover some.
    if (!m_dismissals || !m_dismissals->Mentions(item)) {
        return CheckString(item).size() + (OtherTranslation(model, string, item.loc) ? 1 : 0);
    }
    const std::vector<Finding> text = TextFindingsOf(model, string, item.loc, std::nullopt);
    return static_cast<size_t>(std::count_if(text.begin(), text.end(), [&](const Finding& finding) {
        return !Dismissed(model, finding, item.loc);
    }));
}

void ProjectChecks::CheckText(const ProjectModel& model, size_t string) {
    StringState& state = m_strings[string];
    const bool translated = model.Strings()[string].loc.has_value();
    const auto findings = static_cast<unsigned>(CountTextFindings(model, string));
    const bool needsReview = model.Strings()[string].NeedsReview();
    // Every string shows its findings; a unit counts once, by its first string.
    if (model.UnitHead(string) == string) {
        m_total.translated = m_total.translated - state.translated + translated;
        m_total.problems = m_total.problems - state.textFindings + findings;
        m_total.needReview = m_total.needReview - state.needsReview + needsReview;
    }
    state.needsReview = needsReview;
    for (size_t d : m_dialogsOf[string]) {
        m_dialogs[d].translated = m_dialogs[d].translated - state.translated + translated;
        m_dialogs[d].textFindings = m_dialogs[d].textFindings - state.textFindings + findings;
    }
    state.translated = translated;
    state.textFindings = findings;
}

// Two translations of one dialog that share a mnemonic where their originals did not: the second
// can no longer be reached by its key. Clashes the original design has already are not the
// translator's doing.
void ProjectChecks::FindClashes(const ProjectModel& model, size_t dialog) {
    struct Keyed {
        size_t string;
        wchar_t original;
    };
    std::unordered_map<wchar_t, std::vector<Keyed>> byLetter;
    DialogState& state = m_dialogs[dialog];
    for (size_t s : state.strings) {
        const StringItem& item = model.Strings()[s];
        if (!item.loc) {
            continue;
        }
        const std::optional<wchar_t> original = FoldedMnemonicOf(item.text);
        const std::optional<wchar_t> translated = FoldedMnemonicOf(*item.loc);
        if (original && translated) {
            byLetter[*translated].push_back({s, *original});
        }
    }
    const auto counts = [&](size_t string, size_t peer, wchar_t letter) {
        return !Dismissed(model, ClashFinding(model, string, peer, dialog, letter),
                          model.Strings()[string].loc);
    };
    for (const auto& [letter, users] : byLetter) {
        for (size_t a = 0; a < users.size(); ++a) {
            for (size_t b = a + 1; b < users.size(); ++b) {
                if (users[a].original != users[b].original) {
                    const size_t first = users[a].string;
                    const size_t second = users[b].string;
                    state.clashes.push_back(
                        {first, second, counts(first, second, letter), counts(second, first, letter)});
                }
            }
        }
    }
    for (const Clash& clash : state.clashes) {
        m_strings[clash.a].clashes += clash.aCounts;
        m_strings[clash.b].clashes += clash.bCounts;
        state.clashFindings += clash.aCounts + clash.bCounts;
    }
    m_total.problems += state.clashFindings;
}

void ProjectChecks::DropClashes(size_t dialog) {
    DialogState& state = m_dialogs[dialog];
    for (const Clash& clash : state.clashes) {
        m_strings[clash.a].clashes -= clash.aCounts;
        m_strings[clash.b].clashes -= clash.bCounts;
    }
    m_total.problems -= state.clashFindings;
    state.clashFindings = 0;
    state.clashes.clear();
}

void ProjectChecks::DropLayout(size_t dialog) {
    DialogState& state = m_dialogs[dialog];
    for (const Finding& finding : state.layout) {
        m_strings[finding.string].layoutFindings -= !finding.dismissed;
    }
    m_total.problems -= state.layoutFindings;
    state.layoutFindings = 0;
    state.layout.clear();
}

void ProjectChecks::Recheck(const ProjectModel& model, const std::vector<size_t>& changed) {
    std::vector<size_t> dialogs;
    std::vector<size_t> peers;
    for (size_t s : changed) {
        if (s >= m_strings.size()) {
            continue;
        }
        CheckText(model, s);
        dialogs.insert(dialogs.end(), m_dialogsOf[s].begin(), m_dialogsOf[s].end());
        const std::vector<size_t> ofOriginal = PeersOf(model, s);
        peers.insert(peers.end(), ofOriginal.begin(), ofOriginal.end());
    }
    // Another translation of the same original starts or stops differing from theirs.
    std::sort(peers.begin(), peers.end());
    peers.erase(std::unique(peers.begin(), peers.end()), peers.end());
    for (size_t s : peers) {
        CheckText(model, s);
    }
    std::sort(dialogs.begin(), dialogs.end());
    dialogs.erase(std::unique(dialogs.begin(), dialogs.end()), dialogs.end());
    for (size_t d : dialogs) {
        DropClashes(d);
        FindClashes(model, d);
        DropLayout(d);
        m_layoutStale[d] = true;
    }
}

void ProjectChecks::SetLayoutFindings(const ProjectModel& model, size_t dialog,
                                      std::vector<Finding> findings) {
    if (dialog >= m_dialogs.size()) {
        return;
    }
    DropLayout(dialog);
    findings.erase(std::remove_if(findings.begin(), findings.end(),
                                  [&](const Finding& f) { return f.string >= m_strings.size(); }),
                   findings.end());
    DialogState& state = m_dialogs[dialog];
    for (Finding& finding : findings) {
        finding.dismissed = Dismissed(model, finding, model.Strings()[finding.string].loc);
        m_strings[finding.string].layoutFindings += !finding.dismissed;
        state.layoutFindings += !finding.dismissed;
    }
    m_total.problems += state.layoutFindings;
    state.layout = std::move(findings);
    m_layoutStale[dialog] = false;
}

void ProjectChecks::Recount(const ProjectModel& model, size_t string) {
    if (string >= m_strings.size()) {
        return;
    }
    for (size_t s : model.UnitOf(string)) {
        CheckText(model, s);
    }
    for (size_t d : DialogsOf(model, string)) {
        DropClashes(d);
        FindClashes(model, d);
        // The findings stay as they were laid out; only which of them count changes.
        const bool stale = m_layoutStale[d];
        std::vector<Finding> layout = m_dialogs[d].layout; // a copy: the old ones are dropped first
        SetLayoutFindings(model, d, std::move(layout));
        m_layoutStale[d] = stale;
    }
}

bool ProjectChecks::Dismissed(const ProjectModel& model, const Finding& finding,
                              const OptString& translation) const {
    return m_dismissals &&
           m_dismissals->Covers(model.Strings()[finding.string], translation, finding.kind, finding.detail);
}

bool ProjectChecks::LayOutStaleDialogs(const ProjectModel& model, std::optional<unsigned> budgetMs) {
    std::vector<size_t> stale;
    for (size_t dialog = 0; dialog < m_dialogs.size(); ++dialog) {
        if (m_layoutStale[dialog]) {
            stale.push_back(dialog);
        }
    }
    const ULONGLONG deadline = GetTickCount64() + budgetMs.value_or(0);
    const std::function<bool()> timeUp = [&] { return budgetMs && GetTickCount64() >= deadline; };
    size_t checked = 0;
    std::vector<std::vector<Finding>> byDialog(m_dialogs.size());
    for (const LayoutFinding& layout : CheckDialogsLayout(model, stale, timeUp, &checked)) {
        if (layout.dialog < byDialog.size()) {
            byDialog[layout.dialog].push_back(FindingOf(layout));
        }
    }
    for (size_t i = 0; i < checked; ++i) {
        SetLayoutFindings(model, stale[i], std::move(byDialog[stale[i]]));
    }
    return checked < stale.size();
}

Progress ProjectChecks::Total() const {
    return m_total;
}

Progress ProjectChecks::OfDialog(size_t dialog) const {
    if (dialog >= m_dialogs.size()) {
        return {};
    }
    const DialogState& state = m_dialogs[dialog];
    return {state.strings.size(), state.translated,
            state.textFindings + state.clashFindings + state.layoutFindings};
}

const std::vector<size_t>& ProjectChecks::DialogsOf(const ProjectModel& model, size_t string) const {
    return string < m_dialogsOf.size() ? m_dialogsOf[model.UnitHead(string)] : kNone;
}

bool ProjectChecks::HasFindings(size_t string) const {
    if (string >= m_strings.size()) {
        return false;
    }
    // Every string of a unit shows the unit's clashes and layout findings: its dialogs show one text.
    const StringState& own = m_strings[string];
    const StringState& unit = m_strings[own.unitHead];
    return own.textFindings + own.originalConflicts + unit.clashes + unit.layoutFindings > 0;
}

const std::vector<size_t>& ProjectChecks::StringsOf(size_t dialog) const {
    return dialog < m_dialogs.size() ? m_dialogs[dialog].strings : kNone;
}

std::vector<Finding> ProjectChecks::FindingsOf(const ProjectModel& model, size_t string) const {
    if (!HasFindings(string)) {
        return {};
    }
    return CheckCandidate(model, string, model.Strings()[string].loc);
}

std::vector<Finding> ProjectChecks::CheckCandidate(const ProjectModel& model, size_t string,
                                                   const OptString& translation) const {
    return Candidates(model, string, translation, false);
}

std::vector<Finding> ProjectChecks::TextFindingsOf(const ProjectModel& model, size_t string,
                                                   const OptString& translation,
                                                   std::optional<size_t> dialog) const {
    std::vector<Finding> findings;
    if (!translation) {
        return findings;
    }
    for (TextFinding& text : CheckTranslation(model.Strings()[string].text, *translation)) {
        findings.push_back({string, dialog, Describe(text), KindName(text.problem), std::move(text.detail)});
    }
    if (const std::optional<size_t> other = OtherTranslation(model, string, translation)) {
        const StringItem& peer = model.Strings()[*other];
        findings.push_back({string, dialog,
                            FormatText(L"the same original is also translated as \"%s\" (%s)",
                                       peer.loc->c_str(), peer.id.c_str()),
                            kInconsistentKind, *peer.loc});
    }
    return findings;
}

std::vector<Finding> ProjectChecks::Candidates(const ProjectModel& model, size_t string,
                                               const OptString& translation, bool keepDismissed) const {
    std::vector<Finding> findings;
    if (string >= m_strings.size()) {
        return findings;
    }
    const StringItem& item = model.Strings()[string];
    const std::vector<size_t>& dialogs = DialogsOf(model, string);
    const std::optional<size_t> first =
        dialogs.empty() ? std::nullopt : std::optional<size_t>(dialogs.front());
    if (const OptString other = OtherOriginal(model, string)) {
        findings.push_back({string, first,
                            L"its id and attr also stand for the original \"" + *other +
                                L"\": the translation file keeps one translation for both",
                            kConflictKind, *other});
    }
    std::vector<Finding> text = TextFindingsOf(model, string, translation, first);
    findings.insert(findings.end(), std::make_move_iterator(text.begin()),
                    std::make_move_iterator(text.end()));
    const std::optional<wchar_t> original = FoldedMnemonicOf(item.text);
    const std::optional<wchar_t> mnemonic = translation ? FoldedMnemonicOf(*translation) : std::nullopt;
    const size_t head = m_strings[string].unitHead;
    for (size_t d : dialogs) {
        if (original && mnemonic) {
            FindClashesWith(model, string, *mnemonic, d, findings);
        }
        // Layout findings hold for the stored translation only: another text lays out otherwise.
        if (!translation || translation != item.loc) {
            continue;
        }
        for (const Finding& layout : m_dialogs[d].layout) {
            if (layout.string == head) {
                findings.push_back({string, layout.dialog, layout.what, layout.kind, layout.detail});
            }
        }
    }
    for (Finding& finding : findings) {
        finding.dismissed = Dismissed(model, finding, translation);
    }
    if (!keepDismissed) {
        findings.erase(
            std::remove_if(findings.begin(), findings.end(), [](const Finding& f) { return f.dismissed; }),
            findings.end());
    }
    return findings;
}

void ProjectChecks::FindClashesWith(const ProjectModel& model, size_t string, wchar_t mnemonic, size_t dialog,
                                    std::vector<Finding>& findings) const {
    const std::optional<wchar_t> original = FoldedMnemonicOf(model.Strings()[string].text);
    for (size_t other : m_dialogs[dialog].strings) {
        const StringItem& peer = model.Strings()[other];
        if (other == m_strings[string].unitHead || !peer.loc || FoldedMnemonicOf(*peer.loc) != mnemonic) {
            continue;
        }
        const std::optional<wchar_t> peerOriginal = FoldedMnemonicOf(peer.text);
        if (peerOriginal && peerOriginal != original) {
            findings.push_back(ClashFinding(model, string, other, dialog, mnemonic));
        }
    }
}

std::vector<Finding> ProjectChecks::AllFindings(const ProjectModel& model) const {
    std::vector<Finding> all;
    for (size_t s = 0; s < m_strings.size(); ++s) {
        if (model.UnitHead(s) != s) {
            continue;
        }
        const StringItem& item = model.Strings()[s];
        if (item.NeedsReview()) {
            const std::vector<size_t>& dialogs = DialogsOf(model, s);
            all.push_back({s, dialogs.empty() ? std::nullopt : std::optional<size_t>(dialogs.front()),
                           L"original changed: \"" + *item.madeFrom + L"\" \u2192 \"" + item.text + L"\"",
                           kReviewKind, *item.madeFrom});
        }
        // Dismissed findings are counted nowhere: only a dismissal naming the string tells of them.
        if (!HasFindings(s) && !(m_dismissals && m_dismissals->Mentions(item))) {
            continue;
        }
        std::vector<Finding> own = Candidates(model, s, item.loc, true);
        all.insert(all.end(), std::make_move_iterator(own.begin()), std::make_move_iterator(own.end()));
    }
    return all;
}

bool CanDismiss(const Finding& finding) {
    return finding.kind != kConflictKind && finding.kind != kReviewKind;
}

std::wstring FindingsSummary(const std::vector<Finding>& findings) {
    std::vector<std::pair<std::wstring, size_t>> byKind;
    size_t counted = 0;
    for (const Finding& finding : findings) {
        if (finding.dismissed) {
            continue;
        }
        ++counted;
        const auto kind = std::find_if(byKind.begin(), byKind.end(),
                                       [&](const auto& entry) { return entry.first == finding.kind; });
        if (kind == byKind.end()) {
            byKind.emplace_back(finding.kind, 1);
        } else {
            ++kind->second;
        }
    }
    std::wstring summary = counted == 0   ? std::wstring(L"No findings")
                           : counted == 1 ? std::wstring(L"1 finding")
                                          : Grouped(counted) + L" findings";
    for (size_t i = 0; i < byKind.size(); ++i) {
        summary += (i == 0 ? L": " : L", ") + Grouped(byKind[i].second) + L" " + byKind[i].first;
    }
    if (const size_t dismissed = findings.size() - counted) {
        summary += L" (" + Grouped(dismissed) + L" dismissed)";
    }
    return summary;
}

std::wstring ProgressText(const Progress& progress) {
    return Grouped(progress.translated) + L" of " + Grouped(progress.strings) + L" translated, " +
           Problems(progress.problems) +
           (progress.needReview > 0 ? L", " + Grouped(progress.needReview) + L" need review" : L"");
}

std::wstring FindingsLine(const std::vector<Finding>& findings) {
    std::wstring line;
    for (const Finding& finding : findings) {
        if (!line.empty()) {
            line += L"; ";
        }
        for (wchar_t c : finding.what) {
            line += c == L'&' ? L"&&" : std::wstring(1, c);
        }
    }
    return line;
}

std::wstring ShortProgressText(const Progress& progress) {
    std::wstring text = std::to_wstring(progress.translated) + L"/" + std::to_wstring(progress.strings);
    if (progress.problems > 0) {
        text += L", " + Problems(progress.problems);
    }
    return text;
}

std::wstring DialogsText(const ProjectModel& model, const std::vector<size_t>& dialogs) {
    constexpr size_t kNamed = 2;
    std::wstring text;
    for (size_t i = 0; i < dialogs.size() && i < kNamed; ++i) {
        text += (i ? L", " : L"") + model.Dialogs()[dialogs[i]].Caption();
    }
    if (dialogs.size() > kNamed) {
        text += FormatText(L" and %u more", static_cast<unsigned>(dialogs.size() - kNamed));
    }
    return text;
}
