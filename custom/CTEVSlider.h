// "slider": the platform trackbar, horizontal or vertical, whose value may run mirrored; it
// reports the user's moves through the dialog as "hscroll" or "vscroll".
#pragma once

#include "CTEVElement.h"

class CTEVSlider : public CTEVElement {
public:
    using CTEVElement::CTEVElement;
    ~CTEVSlider() override;

    BOOL IsKindOf(const wchar_t* tag, CTEVElement** out) override;
    BOOL LoadFromNode(IXMLDOMNode* node) override;
    void Create() override;
    void SetValue(int value) override;
    int GetValue() override;

    enum Type { Horizontal, Vertical };

private:
    // With "invert", a value and a thumb position are mirrored within the range.
    int Mirror(int value) const;
    void NormaliseRange();
    int TickFrequency() const;

    static constexpr int kPixelsPerTick = 4;

    int m_type = Horizontal;
    BOOL m_autoTics = FALSE;
    BOOL m_noTics = FALSE;
    BOOL m_invert = FALSE;
    int m_minValue = 0;
    int m_maxValue = 100;
    int m_pos = 100;
    int m_ticFreq = 0;
    bool m_hasPos = false; // only a position the description names is given to the control
};
