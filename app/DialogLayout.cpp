// A dialog laid out without windows, as it would open, with its controls collected where the layout
// placed them.
#include "DialogLayout.h"

#include "ProjectModel.h"

#include <algorithm>
#include <unordered_set>

namespace {

const ControlKind kControlKinds[] = {
    {L"button", L"label"},   {L"checkbox", L"label"},   {L"radio", L"label"},     {L"groupbox", L"label"},
    {L"label", L"value"},    {L"url", L"text"},         {L"textbox", nullptr},    {L"combobox", nullptr},
    {L"listbox", nullptr},   {L"list", nullptr},        {L"checkslist", nullptr}, {L"selectfile", nullptr},
    {L"tabbox", nullptr},    {L"tabswitcher", nullptr}, {L"tabpanel", L"label"},  {L"tab", L"label"},
    {L"listitem", L"label"},
};
const ControlKind kOtherControl = {L"control", nullptr};
// An entry or a tab: the child element whose text a control shows.
const ControlKind kItemText = {L"item", L"label"};

// Ids as the string table compares them: ordinal, ignoring case.
std::wstring CaseKey(std::wstring id) {
    CharUpperBuffW(id.data(), static_cast<DWORD>(id.size()));
    return id;
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

// The strings whose texts the layout shows: the typed one joins in project order, or leaves when
// it was emptied.
std::vector<size_t> WithTyped(std::vector<size_t> strings, const std::optional<TypedText>& typed) {
    if (!typed) {
        return strings;
    }
    strings.erase(std::remove(strings.begin(), strings.end(), typed->string), strings.end());
    if (typed->text && !typed->text->empty()) {
        strings.insert(std::lower_bound(strings.begin(), strings.end(), typed->string), typed->string);
    }
    return strings;
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
            CollectItemTexts(element);
        }
        for (size_t i = 0; i < element->ChildCount(); ++i) {
            Collect(element->Child(i));
        }
    }

    std::vector<PlacedControl> controls;
    std::vector<PlacedItemText> itemTexts;

private:
    void CollectItemTexts(CTEVElement* control) {
        auto* rooms = dynamic_cast<IItemTextRooms*>(control);
        if (!rooms) {
            return;
        }
        for (const ItemTextRoom& room : rooms->MeasureItemTextRooms()) {
            if (const std::optional<size_t> string = ShownString(room.item->Locid(), kItemText)) {
                itemTexts.push_back({controls.size() - 1, room.item, room.text, *string, room.room});
            }
        }
    }

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

} // namespace

const ControlKind& KindOf(CTEVElement* element) {
    for (const ControlKind& kind : kControlKinds) {
        if (element->IsKindOf(kind.tag, nullptr)) {
            return kind;
        }
    }
    return kOtherControl;
}

TranslatedById IndexTranslated(const ProjectModel& model) {
    TranslatedById index;
    for (size_t i = 0; i < model.Strings().size(); ++i) {
        if (model.Strings()[i].loc) {
            index[CaseKey(model.Strings()[i].id)].push_back(i);
        }
    }
    return index;
}

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

void AddTranslations(CTEVEngine& engine, const ProjectModel& model, std::vector<size_t> strings,
                     const std::optional<TypedText>& typed) {
    for (size_t index : WithTyped(std::move(strings), typed)) {
        const StringItem& item = model.Strings()[index];
        const OptString& text = typed && typed->string == index ? typed->text : item.loc;
        engine.AddString(item.id.c_str(), CStrOrNull(item.attr), CStrOrNull(text));
    }
}

bool IsDescendant(const CTEVElement* element, const CTEVElement* ancestor) {
    for (const CTEVElement* e = element->Parent(); e; e = e->Parent()) {
        if (e == ancestor) {
            return true;
        }
    }
    return false;
}

bool IsPage(const CTEVElement* element) {
    CTEVElement* parent = element->Parent();
    return parent && (parent->IsKindOf(L"tabbox", nullptr) || parent->IsKindOf(L"tabswitcher", nullptr));
}

const CTEVElement* PageOf(const CTEVElement* element) {
    for (const CTEVElement* e = element; e; e = e->Parent()) {
        if (IsPage(e)) {
            return e;
        }
    }
    return nullptr;
}

std::optional<TextFit> TextFitOf(const CTEVElement* element) {
    const auto* text = dynamic_cast<const ITextRoom*>(element);
    const std::optional<TextRoom> room = text ? text->MeasureTextRoom() : std::nullopt;
    if (!room) {
        return std::nullopt;
    }
    // A wrapped text is judged by its height first: its lines ran out of room.
    const bool vertical = room->wraps && room->needed.cy > room->given.cy;
    return TextFit{vertical, vertical ? room->needed.cy : room->needed.cx,
                   vertical ? room->given.cy : room->given.cx};
}

DialogLayout::DialogLayout(const ProjectModel& model, size_t dialogIndex, std::vector<size_t> strings,
                           const std::optional<TypedText>& typed)
    : m_engine(model.ProjectPath().c_str(), GetModuleHandleW(nullptr)),
      m_root(model.Dialogs()[dialogIndex].path.c_str(), &m_engine, nullptr) {
    m_engine.SetEveryPageMadeAtOpen(true); // pages not shown are laid out too
    const std::vector<size_t> shown = WithTyped(strings, typed);
    AddTranslations(m_engine, model, std::move(strings), typed);
    m_loaded = m_root.LayOutWithoutWindows();
    if (m_loaded) {
        ControlCollector collector(model, shown);
        collector.Collect(&m_root);
        m_controls = std::move(collector.controls);
        m_itemTexts = std::move(collector.itemTexts);
    }
}
