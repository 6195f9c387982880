// The clipping check: a dialog is laid out without windows, as it would open, and its controls are
// measured where the layout placed them.
#include "LayoutCheck.h"

#include "CMyTEVEngine.h"
#include "CTEVDialog.h"
#include "ProjectModel.h"
#include "TextRoom.h"

#include <algorithm>
#include <climits>
#include <optional>
#include <unordered_map>
#include <unordered_set>

namespace {

struct ControlKind {
    const wchar_t* tag;
    const wchar_t* textAttribute; // the attribute its shown text is translated through; null: none
};

const ControlKind kControlKinds[] = {
    {L"button", L"label"}, {L"checkbox", L"label"},   {L"radio", L"label"},     {L"groupbox", L"label"},
    {L"label", L"value"},  {L"url", L"text"},         {L"textbox", nullptr},    {L"combobox", nullptr},
    {L"listbox", nullptr}, {L"list", nullptr},        {L"checkslist", nullptr}, {L"selectfile", nullptr},
    {L"tabbox", nullptr},  {L"tabswitcher", nullptr}, {L"tabpanel", L"label"},  {L"tab", L"label"},
};
const ControlKind kOtherControl = {L"control", nullptr};

const ControlKind& KindOf(CTEVElement* element) {
    for (const ControlKind& kind : kControlKinds) {
        if (element->IsKindOf(kind.tag, nullptr)) {
            return kind;
        }
    }
    return kOtherControl;
}

int Width(const RECT& r) {
    return r.right - r.left;
}
int Height(const RECT& r) {
    return r.bottom - r.top;
}

// Ids as the string table compares them: ordinal, ignoring case.
std::wstring CaseKey(std::wstring id) {
    CharUpperBuffW(id.data(), static_cast<DWORD>(id.size()));
    return id;
}

// The translated strings of a project by id, each list in project order.
using TranslatedById = std::unordered_map<std::wstring, std::vector<size_t>>;

TranslatedById IndexTranslated(const ProjectModel& model) {
    TranslatedById index;
    for (size_t i = 0; i < model.Strings().size(); ++i) {
        if (model.Strings()[i].loc) {
            index[CaseKey(model.Strings()[i].id)].push_back(i);
        }
    }
    return index;
}

// The translated strings whose id is one of the dialog's locids, in project order: the order in
// which the translation file holds them, so the first entry for a key wins as in the preview.
std::vector<size_t> StringsOfDialog(const DialogItem& dialog, const TranslatedById& index) {
    std::unordered_set<std::wstring> seen;
    std::vector<size_t> strings;
    for (const std::wstring& locid : dialog.Locids()) {
        std::wstring key = CaseKey(locid);
        const auto found = index.find(key);
        if (found != index.end() && seen.insert(std::move(key)).second) {
            strings.insert(strings.end(), found->second.begin(), found->second.end());
        }
    }
    std::sort(strings.begin(), strings.end());
    return strings;
}

// One control window as laid out, with the string that gives it its text.
struct PlacedControl {
    CTEVElement* element;
    const ControlKind* kind;
    RECT rect;                    // in the dialog's client coordinates
    std::optional<size_t> string; // the translation it shows; absent when it shows none
};

bool IsDescendant(const CTEVElement* element, const CTEVElement* ancestor) {
    for (const CTEVElement* e = element->Parent(); e; e = e->Parent()) {
        if (e == ancestor) {
            return true;
        }
    }
    return false;
}

// A page of a tab box or tab switcher: hidden while another page is selected, but checked all the
// same, since the translator sees it once selected.
bool IsPage(const CTEVElement* element) {
    CTEVElement* parent = element->Parent();
    return parent && (parent->IsKindOf(L"tabbox", nullptr) || parent->IsKindOf(L"tabswitcher", nullptr));
}

// The innermost page the element lies on; null outside every page.
const CTEVElement* PageOf(const CTEVElement* element) {
    for (const CTEVElement* e = element; e; e = e->Parent()) {
        if (IsPage(e)) {
            return e;
        }
    }
    return nullptr;
}

// Shown when its page is selected: neither it nor a container around it is hidden otherwise.
bool ShowsWithItsPage(const CTEVElement* element) {
    for (const CTEVElement* e = element; e; e = e->Parent()) {
        if (e->OwnHidden() && !IsPage(e)) {
            return false;
        }
    }
    return true;
}

// Two controls show together unless they lie on different pages of one page container.
bool ShowTogether(const CTEVElement* a, const CTEVElement* b) {
    const CTEVElement* pageA = PageOf(a);
    const CTEVElement* pageB = PageOf(b);
    return !pageA || !pageB || pageA == pageB || IsDescendant(pageA, pageB) || IsDescendant(pageB, pageA);
}

// The room of the control's text by the control's own measure; none for a control without text.
std::optional<TextRoom> TextRoomOf(const CTEVElement* element) {
    const auto* text = dynamic_cast<const ITextRoom*>(element);
    return text ? text->MeasureTextRoom() : std::nullopt;
}

// Inspects a laid-out dialog: every control that would show, with its string.
class ControlCollector {
public:
    ControlCollector(const ProjectModel& model, const std::vector<size_t>& strings)
        : m_model(model), m_strings(strings) {}

    void Collect(CTEVElement* element) {
        // Tab panels are dialogs of their own: their controls count, not the panel.
        if (element->IsPlacedControl() && !dynamic_cast<CTEVDialog*>(element) && ShowsWithItsPage(element)) {
            const ControlKind& kind = KindOf(element);
            controls.push_back(
                {element, &kind, element->RectInDialog(), ShownString(element->Locid(), kind)});
        }
        for (size_t i = 0; i < element->ChildCount(); ++i) {
            Collect(element->Child(i));
        }
    }

    std::vector<PlacedControl> controls;

private:
    // The first translation the engine answers the control's text lookup with; for a control whose
    // text attribute is not known, the first translation of its locid that carries an attribute.
    std::optional<size_t> ShownString(const wchar_t* locid, const ControlKind& kind) const {
        if (!locid) {
            return std::nullopt;
        }
        for (size_t index : m_strings) {
            const StringItem& item = m_model.Strings()[index];
            const bool attributeMatches =
                kind.textAttribute ? EqualsNoCase(item.attr, kind.textAttribute) : item.attr.has_value();
            if (attributeMatches && EqualsNoCase(item.id.c_str(), locid)) {
                return index;
            }
        }
        return std::nullopt;
    }

    const ProjectModel& m_model;
    const std::vector<size_t>& m_strings;
};

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
    if (const auto room = TextRoomOf(control.element)) {
        // A wrapped text is reported by its height first: its lines ran out of room.
        const bool vertical = room->wraps && room->needed.cy > room->given.cy;
        const int needed = vertical ? room->needed.cy : room->needed.cx;
        const int given = vertical ? room->given.cy : room->given.cx;
        if (needed > given) {
            findings.push_back(FindingFor(control, dialogIndex, LayoutProblem::TextClipped, needed, given));
            findings.back().vertical = vertical;
        }
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
std::vector<LayoutFinding> InspectControls(const std::vector<PlacedControl>& controls, SIZE clientSize,
                                           size_t dialogIndex) {
    const RECT client = {0, 0, clientSize.cx, clientSize.cy};
    size_t overlaps = 0;
    const std::vector<std::pair<size_t, size_t>> pairs =
        OverlappingPairs(controls, kMaxLayoutFindingsPerDialog, overlaps);
    std::vector<LayoutFinding> findings;
    size_t total = overlaps;
    auto pair = pairs.begin();
    for (size_t i = 0; i < controls.size(); ++i) {
        const PlacedControl& control = controls[i];
        if (control.string) {
            const size_t before = findings.size();
            InspectOwnRoom(control, client, dialogIndex, findings);
            total += findings.size() - before;
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
    const DialogItem& dialog = model.Dialogs()[dialogIndex];
    const std::vector<size_t> strings = StringsOfDialog(dialog, translated);
    CMyTEVEngine engine(model.ProjectPath().c_str(), GetModuleHandleW(nullptr));
    engine.SetEveryPageMadeAtOpen(true); // the pages not shown are checked too
    for (size_t index : strings) {
        const StringItem& item = model.Strings()[index];
        engine.AddString(item.id.c_str(), CStrOrNull(item.attr), CStrOrNull(item.loc));
    }
    CTEVDialog root(dialog.path.c_str(), &engine, nullptr);
    if (!root.LayOutWithoutWindows()) {
        return {};
    }
    ControlCollector collector(model, strings);
    collector.Collect(&root);
    return InspectControls(collector.controls, root.ClientArea(), dialogIndex);
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
