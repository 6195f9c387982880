// "tabpanel": one page of a tab box, a modeless child dialog that numbers and holds its own
// controls so that the pages need not share one window.
#pragma once

#include "CTEVDialog.h"
#include "PageMaking.h"

class CTEVTabPanel : public CTEVDialog {
public:
    CTEVTabPanel(CTEVElement* parent, CTEVEngine* engine);
    ~CTEVTabPanel() override;

    BOOL IsKindOf(const wchar_t* tag, CTEVElement** out) override;
    // A page that waits takes no room and is not arranged.
    void GetMinSize(SIZE* size) override;
    void Arrange(int x, int y, int cx, int cy) override;
    BOOL LoadFromNode(IXMLDOMNode* node) override;
    void Create() override;
    void ApplyHidden() override;
    void ApplyDisabled() override;
    void NeedWindows() override;
    void OnInitDialog() override;
    BOOL PreProcessMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

    const wchar_t* Label() const { return CStrOrNull(m_label); }
    // Before Create: the page waits until maker makes it.
    void Defer(IPageMaker& maker) { m_page.Defer(maker); }

private:
    // The margins around the controls, in the page's dialog units.
    void SetMargins();

    OptString m_label; // the tab's text, translated through the locid like a button's label
    DeferredPage m_page;
};
