// The "checkbox" element: a two- or three-state check box whose clicks fire "changed".
#pragma once

#include "CTEVElement.h"
#include "TextRoom.h"

class CTEVCheckbox : public CTEVElement, public ITextRoom {
public:
    using CTEVElement::CTEVElement;

    BOOL IsKindOf(const wchar_t* tag, CTEVElement** out) override;
    BOOL LoadFromNode(IXMLDOMNode* node) override;
    void Create() override;
    BOOL HandleCommand(int code, int id, HWND control) override;
    void SetValue(int state) override;
    int GetValue() override;

    std::optional<TextRoom> MeasureTextRoom() const override;

private:
    DWORD ButtonStyle() const;
    // The check box size a label needs on its one line after the box and its gap.
    SIZE RoomFor(const wchar_t* label) const;

    OptString m_label;
    BOOL m_checked = FALSE;
    BOOL m_auto = TRUE;
    BOOL m_triState = FALSE;
};
