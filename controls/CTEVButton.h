// The "button" element: a push button that fires "clicked", or the dialog's accept or
// cancel button, which the dialog itself handles as IDOK and IDCANCEL.
#pragma once

#include "CTEVElement.h"
#include "TextRoom.h"

class CTEVButton : public CTEVElement, public ITextRoom {
public:
    using CTEVElement::CTEVElement;

    BOOL IsKindOf(const wchar_t* tag, CTEVElement** out) override;
    BOOL LoadFromNode(IXMLDOMNode* node) override;
    void Create() override;
    BOOL HandleCommand(int code, int id, HWND control) override;

    std::optional<TextRoom> MeasureTextRoom() const override;

    enum DlgType { TypeButton, TypeAccept, TypeCancel, TypeHelp, TypeDisclosure };

private:
    // The button size a label needs on its one line between the button's edges.
    bool IsDefault() const;
    SIZE RoomFor(const wchar_t* label) const;

    OptString m_label;
    int m_dlgType = TypeButton;
    BOOL m_default = FALSE;
};
