// The "radio" element: a radio button with a value inside its radio group, optionally
// wrapping its label to the width of its layout column.
#pragma once

#include "CTEVElement.h"
#include "TextRoom.h"

class CTEVRadio : public CTEVElement, public ITextRoom {
public:
    using CTEVElement::CTEVElement;

    BOOL IsKindOf(const wchar_t* tag, CTEVElement** out) override;
    BOOL LoadFromNode(IXMLDOMNode* node) override;
    void Create() override;
    BOOL HandleCommand(int code, int id, HWND control) override;
    void SetValue(int state) override;
    int GetValue() override;
    void SetLayoutWidth(int width) override;

    std::optional<TextRoom> MeasureTextRoom() const override;

    // Set by the radio group before creation: the radio starts a tab group (WS_GROUP).
    void SetGroupStart(BOOL groupStart) { m_groupStart = groupStart; }
    // The "value" attribute: what the group reports while this radio is checked.
    int Value() const { return m_value; }

    enum VAlign { VAlignDefault, VAlignTop, VAlignBottom, VAlignCenter };
    enum HAlign { HAlignDefault, HAlignLeft, HAlignRight, HAlignCenter };

private:
    DWORD WindowStyle() const;
    // The radio size a label needs after the circle and its gap: on one line, or wrapped in a
    // radio of the given width.
    SIZE RoomFor(const wchar_t* label, int width) const;
    // The height a wrapped label of textHeight pixels needs for its circle to show whole.
    int CircleRoom(int textHeight) const;

    OptString m_label;
    BOOL m_selected = FALSE;
    BOOL m_groupStart = FALSE;
    BOOL m_multiline = FALSE;
    int m_value = 0;
    int m_vAlign = VAlignDefault;
    int m_hAlign = HAlignDefault;
};
