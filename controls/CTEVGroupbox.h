// The "groupbox" element: a captioned frame drawn around its children, which are laid out
// inside its margins as windows of the same container.
#pragma once

#include "CTEVElement.h"
#include "TextRoom.h"

class CTEVGroupbox : public CTEVElement, public ITextRoom {
public:
    using CTEVElement::CTEVElement;

    BOOL IsKindOf(const wchar_t* tag, CTEVElement** out) override;
    BOOL LoadFromNode(IXMLDOMNode* node) override;
    void Create() override;
    HWND GetContainerHwnd() override;

    std::optional<TextRoom> MeasureTextRoom() const override;

private:
    // The frame size a caption needs on its one line in the frame's top edge.
    SIZE RoomFor(const wchar_t* caption) const;

    OptString m_label;
};
