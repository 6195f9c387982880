// "spin": the platform up-down control; written inside a "textbox" it attaches itself to that
// text box, which then shows its position, and reports the user's clicks as "vscroll".
#pragma once

#include "CTEVElement.h"

class CTEVSpin : public CTEVElement {
public:
    using CTEVElement::CTEVElement;
    ~CTEVSpin() override;

    BOOL IsKindOf(const wchar_t* tag, CTEVElement** out) override;
    BOOL LoadFromNode(IXMLDOMNode* node) override;
    void Create() override;
    void Arrange(int x, int y, int cx, int cy) override;

    enum BuddyAlign { AlignLeft, AlignRight };

private:
    int m_buddyAlign = AlignRight;
    int m_upper = 2147483647;
    int m_lower = 0;
    int m_pos = 0;
    bool m_attached = false; // the text box has been given the initial position
};
