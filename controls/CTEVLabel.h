// The "label" element: static text on one line, in a given width, or wrapped to the width
// of its layout column.
#pragma once

#include "CTEVElement.h"
#include "TextRoom.h"

class CTEVLabel : public CTEVElement, public ITextRoom {
public:
    using CTEVElement::CTEVElement;

    BOOL IsKindOf(const wchar_t* tag, CTEVElement** out) override;
    BOOL LoadFromNode(IXMLDOMNode* node) override;
    void Create() override;
    void SetText(const wchar_t* text) override;
    const wchar_t* GetText() override;
    void SetLayoutWidth(int width) override;

    std::optional<TextRoom> MeasureTextRoom() const override;

    enum TextAlign { AlignLeft, AlignRight, AlignCenter };

private:
    DWORD WindowStyle() const;
    // The text as the static control draws it: on one line when centred vertically, else wrapped
    // at width (0: broken at its own line ends only).
    SIZE MeasureShown(const wchar_t* text, int width) const;

    OptString m_value;
    BOOL m_vcenter = TRUE;
    BOOL m_multiline = FALSE;
    int m_textAlign = AlignLeft;
};
