// Enabling or disabling a named element from the state of the triggering control.
#include "CTEVDisabler.h"

#include "AttributeReaders.h"

CTEVDisabler::~CTEVDisabler() = default;

BOOL CTEVDisabler::IsKindOf(const wchar_t* tag, CTEVElement** out) {
    return MatchesKind(L"disabler", tag, out);
}

BOOL CTEVDisabler::LoadFromNode(IXMLDOMNode* node) {
    if (!CTEVElement::LoadFromNode(node)) {
        return FALSE;
    }
    m_applyTo = GetAttributeString(node, L"applyto");
    m_disable = GetAttributeBool(node, L"disable", TRUE);
    m_type = GetAttributeEnum(node, L"type", ValueEquals, {L"int", L"emptystring", L"nonemptystring"});
    m_intValue = GetAttributeInt(node, L"intval", 0);
    return TRUE;
}

bool CTEVDisabler::ConditionHolds(CTEVElement* trigger) const {
    switch (m_type) {
    case EmptyString:
        return trigger->GetText() == nullptr;
    case NonEmptyString:
        return trigger->GetText() != nullptr;
    default:
        return trigger->GetValue() == m_intValue;
    }
}

void CTEVDisabler::Execute(CTEVElement* trigger) {
    if (!trigger) {
        return;
    }
    const bool holds = ConditionHolds(trigger);
    CTEVElement* target = GetRoot()->FindById(CStrOrNull(m_applyTo));
    if (!target) {
        return;
    }
    target->SetDisabled(holds ? m_disable : !m_disable);
}
