// Radio groups: tighter spacing, the group's tab stop, its value and its single "changed".
#include "CTEVRadioGroup.h"

#include "CTEVRadio.h"

namespace {

CTEVRadio* AsRadio(CTEVElement* element) {
    CTEVElement* radio = nullptr;
    return element->IsKindOf(L"radio", &radio) ? static_cast<CTEVRadio*>(radio) : nullptr;
}

} // namespace

BOOL CTEVRadioGroup::IsKindOf(const wchar_t* tag, CTEVElement** out) {
    return MatchesKind(L"radiogroup", tag, out);
}

void CTEVRadioGroup::Create() {
    // Radios sit closer together than the dialog's other controls.
    const SIZE gaps = DialogUnits(4, 3);
    m_columnGap = gaps.cx;
    m_rowGap = gaps.cy;
    for (size_t i = 0; i < m_children.size(); ++i) {
        if (CTEVRadio* radio = AsRadio(m_children[i].get())) {
            radio->SetGroupStart(i == 0);
        }
        m_children[i]->Create();
    }
}

int CTEVRadioGroup::FireEvent(CTEVElement* source, const wchar_t* event, WPARAM wParam, LPARAM lParam) {
    if (source && source->IsKindOf(L"radio", nullptr) && EqualsNoCase(event, L"changed")) {
        return Fire(L"changed", 0, 0);
    }
    return CTEVElement::FireEvent(source, event, wParam, lParam);
}

void CTEVRadioGroup::SetValue(int value) {
    for (auto& child : m_children) {
        if (CTEVRadio* radio = AsRadio(child.get())) {
            radio->SetValue(radio->Value() == value ? BST_CHECKED : BST_UNCHECKED);
        }
    }
}

int CTEVRadioGroup::GetValue() {
    for (auto& child : m_children) {
        CTEVRadio* radio = AsRadio(child.get());
        if (radio && radio->GetValue() != 0) {
            return radio->Value();
        }
    }
    return 0;
}
