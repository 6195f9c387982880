// "disabler": enables or disables another element of the dialog according to the value or
// text of the control it is nested in, each time that control is operated.
#pragma once

#include "CTEVElement.h"

class CTEVDisabler : public CTEVElement {
public:
    using CTEVElement::CTEVElement;
    ~CTEVDisabler() override;

    BOOL IsKindOf(const wchar_t* tag, CTEVElement** out) override;
    BOOL LoadFromNode(IXMLDOMNode* node) override;
    void Execute(CTEVElement* trigger) override;

private:
    enum Condition { ValueEquals, EmptyString, NonEmptyString };

    bool ConditionHolds(CTEVElement* trigger) const;

    OptString m_applyTo;
    BOOL m_disable = TRUE; // what to do while the condition holds
    int m_type = ValueEquals;
    int m_intValue = 0;
};
