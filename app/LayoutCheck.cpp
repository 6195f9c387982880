// The clipping check: a dialog is run modally with a template that is never made visible, its
// controls are measured once created and laid out, and the run ends before the message loop starts.
#include "LayoutCheck.h"

#include "CMyTEVEngine.h"
#include "CTEVDialog.h"
#include "GdiHandles.h"
#include "ProjectModel.h"

#include <algorithm>
#include <functional>
#include <optional>
#include <unordered_map>
#include <unordered_set>

namespace {

// How a control's own chrome adds to its text, as each control computes its minimum size.
enum class TextRule { None, PushButton, CheckBox, Radio, GroupBox, Label, Link };

struct ControlKind {
    const wchar_t* tag;
    const wchar_t* textAttribute; // the attribute its shown text is translated through; null: none
    TextRule rule;
};

const ControlKind kControlKinds[] = {
    {L"button", L"label", TextRule::PushButton}, {L"checkbox", L"label", TextRule::CheckBox},
    {L"radio", L"label", TextRule::Radio},       {L"groupbox", L"label", TextRule::GroupBox},
    {L"label", L"value", TextRule::Label},       {L"url", L"text", TextRule::Link},
    {L"textbox", nullptr, TextRule::None},       {L"combobox", nullptr, TextRule::None},
    {L"listbox", nullptr, TextRule::None},       {L"list", nullptr, TextRule::None},
    {L"checkslist", nullptr, TextRule::None},    {L"selectfile", nullptr, TextRule::None},
    {L"tabbox", nullptr, TextRule::None},        {L"tabswitcher", nullptr, TextRule::None},
};
const ControlKind kOtherControl = {L"control", nullptr, TextRule::None};

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
    for (size_t i = 0; i < model.strings.size(); ++i) {
        if (model.strings[i].loc) {
            index[CaseKey(model.strings[i].id)].push_back(i);
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

std::wstring WindowText(HWND window) {
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

// The extent of text drawn in the control's own font with the format the control paints with,
// starting from a rectangle of the given width.
SIZE MeasureInWindow(HWND window, const std::wstring& text, UINT format, int width = 0) {
    auto font = reinterpret_cast<HGDIOBJ>(SendMessageW(window, WM_GETFONT, 0, 0));
    WindowDC dc(window);
    SelectedObject selected(dc.Get(), font ? font : GetStockObject(SYSTEM_FONT));
    RECT rect = {0, 0, width, 0};
    DrawTextW(dc.Get(), text.c_str(), -1, &rect, DT_CALCRECT | format);
    return {Width(rect), Height(rect)};
}

// Dialog units of the container the control lies in (a dialog or a tab panel).
SIZE DialogUnitsOf(HWND control, int x, int y) {
    RECT rect = {0, 0, x, y};
    MapDialogRect(GetParent(control), &rect);
    return {rect.right, rect.bottom};
}

struct TextNeed {
    int needed;
    int available;
    bool vertical;
};

// A text wrapped in the client area after an indent needs its height there, and the width of a
// single word too long for a line.
TextNeed WrappedNeed(HWND window, const std::wstring& text, UINT format, int indent, const RECT& client) {
    const SIZE wrapped = MeasureInWindow(window, text, format | DT_WORDBREAK, Width(client) - indent);
    if (wrapped.cy > Height(client)) {
        return {static_cast<int>(wrapped.cy), Height(client), true};
    }
    return {indent + static_cast<int>(wrapped.cx), Width(client), false};
}

// The room the control's text needs against the room it has, by the control's own measure.
std::optional<TextNeed> MeasureTextNeed(HWND window, TextRule rule) {
    const std::wstring text = WindowText(window);
    if (rule == TextRule::None || text.empty()) {
        return std::nullopt;
    }
    RECT client = {};
    GetClientRect(window, &client);
    const int width = Width(client);
    const DWORD style = static_cast<DWORD>(GetWindowLongW(window, GWL_STYLE));
    auto line = [&](UINT format) { return static_cast<int>(MeasureInWindow(window, text, format).cx); };
    switch (rule) {
    case TextRule::PushButton:
    case TextRule::GroupBox:
        return TextNeed{line(DT_SINGLELINE) + 12, width, false};
    case TextRule::CheckBox: {
        // The box is 10 vertical dialog units wide, then a gap of 7 before the label.
        const SIZE box = DialogUnitsOf(window, 7, 10);
        return TextNeed{box.cy + box.cx + line(DT_SINGLELINE), width, false};
    }
    case TextRule::Radio: {
        if (style & BS_MULTILINE) {
            // The circle and its gap take 14 horizontal dialog units.
            return WrappedNeed(window, text, 0, DialogUnitsOf(window, 14, 14).cx, client);
        }
        const SIZE circle = DialogUnitsOf(window, 1, 10);
        return TextNeed{circle.cy + circle.cx + line(DT_SINGLELINE), width, false};
    }
    case TextRule::Label: {
        const UINT prefix = (style & SS_NOPREFIX) ? DT_NOPREFIX : 0;
        // A vertically centred static draws a single line.
        if (style & SS_CENTERIMAGE) {
            return TextNeed{line(DT_SINGLELINE | DT_EXPANDTABS | prefix), width, false};
        }
        return WrappedNeed(window, text, DT_EXPANDTABS | prefix, 0, client);
    }
    case TextRule::Link:
        return TextNeed{line(DT_SINGLELINE | DT_NOPREFIX), width, false};
    case TextRule::None:
        break;
    }
    return std::nullopt;
}

// Inspects a laid-out dialog: every control window that would show, with its string.
class ControlCollector {
public:
    ControlCollector(const ProjectModel& model, const std::vector<size_t>& strings, HWND dialog)
        : m_model(model), m_strings(strings), m_dialog(dialog) {}

    void Collect(CTEVElement* element) {
        HWND window = element->Window();
        // Tab panels are dialogs of their own: their controls count, not the panel.
        if (window && !dynamic_cast<CTEVDialog*>(element) && ShowsWithItsPage(element)) {
            const ControlKind& kind = KindOf(element);
            RECT rect = {};
            GetWindowRect(window, &rect);
            MapWindowPoints(HWND_DESKTOP, m_dialog, reinterpret_cast<POINT*>(&rect), 2);
            controls.push_back({element, &kind, rect, ShownString(element->Locid(), kind)});
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
            const StringItem& item = m_model.strings[index];
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
    HWND m_dialog;
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
    finding.text = WindowText(control.element->Window());
    finding.needed = needed;
    finding.available = available;
    return finding;
}

std::vector<LayoutFinding> InspectControls(const std::vector<PlacedControl>& controls, HWND dialog,
                                           size_t dialogIndex) {
    std::vector<LayoutFinding> findings;
    RECT client = {};
    GetClientRect(dialog, &client);
    for (size_t i = 0; i < controls.size(); ++i) {
        const PlacedControl& control = controls[i];
        if (control.string) {
            const auto need = MeasureTextNeed(control.element->Window(), control.kind->rule);
            if (need && need->needed > need->available) {
                findings.push_back(FindingFor(control, dialogIndex, LayoutProblem::TextClipped, need->needed,
                                              need->available));
                findings.back().vertical = need->vertical;
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
        for (size_t j = i + 1; j < controls.size(); ++j) {
            const PlacedControl& other = controls[j];
            if (!control.string && !other.string) {
                continue;
            }
            RECT shared = {};
            if (IsDescendant(control.element, other.element) ||
                IsDescendant(other.element, control.element) ||
                !ShowTogether(control.element, other.element) ||
                !IntersectRect(&shared, &control.rect, &other.rect)) {
                continue;
            }
            const PlacedControl& blamed = control.string ? control : other;
            findings.push_back(
                FindingFor(blamed, dialogIndex, LayoutProblem::Overlap, Width(shared), Height(shared)));
            findings.back().other = NameOf(&blamed == &control ? other : control);
        }
    }
    return findings;
}

// A dialog run that never shows: the template lacks the visible style, and the run ends at
// WM_INITDIALOG, after the controls are created and laid out and before the message loop would
// show the window.
class LayoutProbe : public CTEVDialog {
public:
    using Inspect = std::function<void(CTEVDialog& dialog, HWND window)>;

    LayoutProbe(const wchar_t* source, CTEVEngine* engine, Inspect inspect)
        : CTEVDialog(source, engine, nullptr), m_inspect(std::move(inspect)) {}

    BOOL LoadFromNode(IXMLDOMNode* node) override {
        if (!CTEVDialog::LoadFromNode(node)) {
            return FALSE;
        }
        // A template with the visible style is shown even when WM_INITDIALOG ends the dialog.
        m_style &= ~WS_VISIBLE;
        return TRUE;
    }

    void OnInitDialog() override {
        CTEVDialog::OnInitDialog();
        m_inspect(*this, m_window);
        EndDialog(m_window, IDOK);
    }

private:
    Inspect m_inspect;
};

std::vector<LayoutFinding> CheckDialog(const ProjectModel& model, size_t dialogIndex,
                                       const TranslatedById& translated) {
    const DialogItem& dialog = model.dialogs[dialogIndex];
    const std::vector<size_t> strings = StringsOfDialog(dialog, translated);
    CMyTEVEngine engine(model.projectPath.c_str(), GetModuleHandleW(nullptr));
    engine.SetEveryPageMadeAtOpen(true); // the pages not shown are checked too
    for (size_t index : strings) {
        const StringItem& item = model.strings[index];
        engine.AddString(item.id.c_str(), CStrOrNull(item.attr), CStrOrNull(item.loc));
    }
    std::vector<LayoutFinding> findings;
    LayoutProbe probe(dialog.path.c_str(), &engine, [&](CTEVDialog& root, HWND window) {
        ControlCollector collector(model, strings, window);
        collector.Collect(&root);
        findings = InspectControls(collector.controls, window, dialogIndex);
    });
    probe.DoModal(nullptr);
    return findings;
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
    }
    return {};
}

std::vector<LayoutFinding> CheckDialogLayout(const ProjectModel& model, size_t dialogIndex) {
    if (dialogIndex >= model.dialogs.size()) {
        return {};
    }
    return CheckDialog(model, dialogIndex, IndexTranslated(model));
}

std::vector<LayoutFinding> CheckDialogsLayout(const ProjectModel& model,
                                              const std::vector<size_t>& dialogIndices) {
    const TranslatedById translated = IndexTranslated(model);
    std::vector<LayoutFinding> findings;
    for (size_t i : dialogIndices) {
        if (i < model.dialogs.size()) {
            std::vector<LayoutFinding> found = CheckDialog(model, i, translated);
            findings.insert(findings.end(), found.begin(), found.end());
        }
    }
    return findings;
}

std::vector<LayoutFinding> CheckProjectLayout(const ProjectModel& model) {
    std::vector<size_t> all(model.dialogs.size());
    for (size_t i = 0; i < all.size(); ++i) {
        all[i] = i;
    }
    return CheckDialogsLayout(model, all);
}
