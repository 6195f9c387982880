// The "checkslist" element: a one-column list of check boxes declared by "checkitem" children.
#pragma once

#include "CTEVElement.h"

class CTEVChecksList : public CTEVElement {
public:
    using CTEVElement::CTEVElement;
    ~CTEVChecksList() override;

    BOOL IsKindOf(const wchar_t* tag, CTEVElement** out) override;
    void Arrange(int x, int y, int cx, int cy) override;
    BOOL LoadFromNode(IXMLDOMNode* node) override;
    void Create() override;

    // "visibleItems" is kept between these bounds.
    static constexpr int kMinVisibleItems = 1;
    static constexpr int kMaxVisibleItems = 1000;

private:
    int InsertItems();
    SIZE MeasureRows(int rowCount);

    int m_visibleItems = 10;
};

// One entry of a "checkslist": a label and an integer value kept as the row's param.
class CTEVCheckItem : public CTEVElement {
public:
    using CTEVElement::CTEVElement;
    ~CTEVCheckItem() override;

    BOOL IsKindOf(const wchar_t* tag, CTEVElement** out) override;
    BOOL LoadFromNode(IXMLDOMNode* node) override;

    const wchar_t* Label() const { return CStrOrNull(m_label); }
    int Value() const { return m_value; }

private:
    OptString m_label;
    int m_value = 0;
};
