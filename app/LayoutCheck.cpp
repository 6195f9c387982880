// The clipping check: a dialog is laid out without windows, as it would open, and its controls are
// measured where the layout placed them.
#include "LayoutCheck.h"

#include "DialogLayout.h"
#include "ProjectModel.h"

#include <algorithm>
#include <climits>
#include <optional>
#include <unordered_map>

namespace {

int Width(const RECT& r) {
    return r.right - r.left;
}
int Height(const RECT& r) {
    return r.bottom - r.top;
}

// Two controls show together unless they lie on different pages of one page container.
bool ShowTogether(const CTEVElement* a, const CTEVElement* b) {
    const CTEVElement* pageA = PageOf(a);
    const CTEVElement* pageB = PageOf(b);
    return !pageA || !pageB || pageA == pageB || IsDescendant(pageA, pageB) || IsDescendant(pageB, pageA);
}

std::wstring NameOf(const PlacedControl& control) {
    const wchar_t* id = control.element->Id();
    return id && *id ? id : control.kind->tag;
}

LayoutFinding FindingFor(const PlacedControl& control, size_t dialog, LayoutProblem problem, int needed,
                         int available) {
    LayoutFinding finding;
    finding.problem = problem;
    finding.dialog = dialog;
    finding.string = *control.string;
    finding.element = NameOf(control);
    finding.kind = control.kind->tag;
    finding.text = control.element->WindowText();
    finding.needed = needed;
    finding.available = available;
    return finding;
}

// The findings of one control by itself: its text and its place in the dialog.
void InspectOwnRoom(const PlacedControl& control, const RECT& client, size_t dialogIndex,
                    std::vector<LayoutFinding>& findings) {
    if (const std::optional<TextFit> fit = TextFitOf(control.element); fit && fit->Lacking() > 0) {
        findings.push_back(
            FindingFor(control, dialogIndex, LayoutProblem::TextClipped, fit->needed, fit->given));
        findings.back().vertical = fit->vertical;
    }
    const int pastRight = control.rect.right - client.right;
    const int pastBottom = control.rect.bottom - client.bottom;
    if (pastRight > 0 || pastBottom > 0) {
        const bool right = pastRight >= pastBottom;
        findings.push_back(FindingFor(control, dialogIndex, LayoutProblem::OutsideDialog,
                                      right ? control.rect.right : control.rect.bottom,
                                      right ? client.right : client.bottom));
    }
}

// A clipped entry or tab label, named by its own element.
LayoutFinding ItemFindingFor(const PlacedItemText& item, size_t dialog) {
    LayoutFinding finding;
    finding.problem = LayoutProblem::TextClipped;
    finding.dialog = dialog;
    finding.string = item.string;
    const wchar_t* id = item.item->Id();
    finding.kind = KindOf(item.item).tag;
    finding.element = id && *id ? id : finding.kind;
    finding.text = item.text;
    finding.needed = item.room.needed.cx;
    finding.available = item.room.given.cx;
    return finding;
}

bool ReportedOverlap(const PlacedControl& control, const PlacedControl& other, RECT& shared) {
    return (control.string || other.string) && !IsDescendant(control.element, other.element) &&
           !IsDescendant(other.element, control.element) && ShowTogether(control.element, other.element) &&
           IntersectRect(&shared, &control.rect, &other.rect);
}

// The overlapping pairs (first < second in document order), found by sweeping the controls from
// left to right so that only those that meet across are compared; past the cap only counted.
std::vector<std::pair<size_t, size_t>> OverlappingPairs(const std::vector<PlacedControl>& controls,
                                                        size_t cap, size_t& count) {
    std::vector<size_t> byLeft(controls.size());
    for (size_t i = 0; i < byLeft.size(); ++i) {
        byLeft[i] = i;
    }
    std::stable_sort(byLeft.begin(), byLeft.end(),
                     [&](size_t a, size_t b) { return controls[a].rect.left < controls[b].rect.left; });
    std::vector<std::pair<size_t, size_t>> pairs;
    count = 0;
    for (size_t a = 0; a < byLeft.size(); ++a) {
        const RECT& rect = controls[byLeft[a]].rect;
        for (size_t b = a + 1; b < byLeft.size() && controls[byLeft[b]].rect.left < rect.right; ++b) {
            RECT shared = {};
            if (ReportedOverlap(controls[byLeft[a]], controls[byLeft[b]], shared)) {
                if (++count <= cap) {
                    pairs.emplace_back(std::min(byLeft[a], byLeft[b]), std::max(byLeft[a], byLeft[b]));
                }
            }
        }
    }
    std::sort(pairs.begin(), pairs.end());
    return pairs;
}

// Each control's own findings, then its overlaps with later controls, in document order; at most
// kMaxLayoutFindingsPerDialog of them, and then one that counts the rest.
std::vector<LayoutFinding> InspectControls(const std::vector<PlacedControl>& controls,
                                           const std::vector<PlacedItemText>& itemTexts, SIZE clientSize,
                                           size_t dialogIndex) {
    const RECT client = {0, 0, clientSize.cx, clientSize.cy};
    size_t overlaps = 0;
    const std::vector<std::pair<size_t, size_t>> pairs =
        OverlappingPairs(controls, kMaxLayoutFindingsPerDialog, overlaps);
    std::vector<LayoutFinding> findings;
    size_t total = overlaps;
    auto pair = pairs.begin();
    auto itemText = itemTexts.begin();
    for (size_t i = 0; i < controls.size(); ++i) {
        const PlacedControl& control = controls[i];
        if (control.string) {
            const size_t before = findings.size();
            InspectOwnRoom(control, client, dialogIndex, findings);
            total += findings.size() - before;
        }
        for (; itemText != itemTexts.end() && itemText->control == i; ++itemText) {
            if (itemText->room.needed.cx > itemText->room.given.cx) {
                findings.push_back(ItemFindingFor(*itemText, dialogIndex));
                ++total;
            }
        }
        for (; pair != pairs.end() && pair->first == i; ++pair) {
            const PlacedControl& other = controls[pair->second];
            RECT shared = {};
            IntersectRect(&shared, &control.rect, &other.rect);
            const PlacedControl& blamed = control.string ? control : other;
            findings.push_back(
                FindingFor(blamed, dialogIndex, LayoutProblem::Overlap, Width(shared), Height(shared)));
            findings.back().other = NameOf(&blamed == &control ? other : control);
        }
    }
    if (findings.size() > kMaxLayoutFindingsPerDialog) {
        findings.resize(kMaxLayoutFindingsPerDialog);
    }
    if (total > findings.size()) {
        LayoutFinding more = findings.back();
        more.problem = LayoutProblem::NotListed;
        more.needed = static_cast<int>(std::min<size_t>(total - findings.size(), INT_MAX));
        more.available = 0;
        findings.push_back(std::move(more));
    }
    return findings;
}

std::vector<LayoutFinding> CheckDialog(const ProjectModel& model, size_t dialogIndex,
                                       const TranslatedById& translated) {
    DialogLayout layout(model, dialogIndex, StringsOfDialog(model.Dialogs()[dialogIndex], translated));
    if (!layout.Loaded()) {
        return {};
    }
    return InspectControls(layout.Controls(), layout.ItemTexts(), layout.ClientSize(), dialogIndex);
}

std::wstring Quoted(const std::wstring& text) {
    return L"\"" + text + L"\"";
}

} // namespace

std::wstring LayoutFinding::Describe() const {
    switch (problem) {
    case LayoutProblem::TextClipped:
        return FormatText(L"%s needs %d px%s, has %d px", Quoted(text).c_str(), needed,
                          vertical ? L" of height" : L"", available);
    case LayoutProblem::OutsideDialog:
        return FormatText(L"extends %d px past the dialog", needed - available);
    case LayoutProblem::Overlap:
        return L"overlaps " + Quoted(other);
    case LayoutProblem::NotListed:
        return FormatText(L"and %d more layout findings in this dialog, not listed", needed);
    }
    return {};
}

std::vector<LayoutFinding> CheckDialogLayout(const ProjectModel& model, size_t dialogIndex) {
    if (dialogIndex >= model.Dialogs().size()) {
        return {};
    }
    return CheckDialog(model, dialogIndex, IndexTranslated(model));
}

std::vector<LayoutFinding> CheckDialogsLayout(const ProjectModel& model,
                                              const std::vector<size_t>& dialogIndices,
                                              const std::function<bool()>& timeUp, size_t* checked) {
    const TranslatedById translated = IndexTranslated(model);
    std::vector<LayoutFinding> findings;
    // A description listed more than once is laid out once: every listing shows the same controls.
    std::unordered_map<const DialogContent*, std::vector<LayoutFinding>> laidOut;
    size_t count = 0;
    for (size_t i : dialogIndices) {
        if (count > 0 && timeUp && timeUp()) {
            break;
        }
        ++count;
        if (i >= model.Dialogs().size()) {
            continue;
        }
        const auto [done, isNew] = laidOut.try_emplace(model.Dialogs()[i].content.get());
        if (isNew) {
            done->second = CheckDialog(model, i, translated);
        }
        for (LayoutFinding finding : done->second) {
            finding.dialog = i;
            findings.push_back(std::move(finding));
        }
    }
    if (checked) {
        *checked = count;
    }
    return findings;
}

std::vector<LayoutFinding> CheckProjectLayout(const ProjectModel& model) {
    std::vector<size_t> all(model.Dialogs().size());
    for (size_t i = 0; i < all.size(); ++i) {
        all[i] = i;
    }
    return CheckDialogsLayout(model, all);
}
