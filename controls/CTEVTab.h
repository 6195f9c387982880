// "tab": one page of a tab switcher. It has no window; its children are created beside the
// switcher's list and shown or hidden as the page is selected.
#pragma once

#include "CTEVElement.h"
#include "PageMaking.h"

class CTEVTab : public CTEVElement {
public:
    CTEVTab(CTEVElement* parent, CTEVEngine* engine);

    BOOL IsKindOf(const wchar_t* tag, CTEVElement** out) override;
    // A page that waits takes no room and is not arranged.
    void GetMinSize(SIZE* size) override;
    void Arrange(int x, int y, int cx, int cy) override;
    BOOL LoadFromNode(IXMLDOMNode* node) override;
    void Create() override;
    int GetValue() override;
    void DoCommand(const wchar_t* command) override;
    void ApplyHidden() override;
    void ApplyDisabled() override;
    void NeedWindows() override;

    // Selects or deselects the page: raises its events, then shows or hides its controls.
    void Select(BOOL on);
    // Drops a selection the description gave, before any window exists; raises nothing.
    void DropInitialSelection();
    // Before Create: the page waits until maker makes it.
    void Defer(IPageMaker& maker) { m_page.Defer(maker); }

    const wchar_t* Label() const { return CStrOrNull(m_label); }
    const wchar_t* Caption() const { return CStrOrNull(m_caption); }
    const wchar_t* Icon() const { return CStrOrNull(m_icon); }
    BOOL IsSelected() const { return m_selected; }
    BOOL IsHot() const { return m_hot; }
    void SetHot(BOOL hot) { m_hot = hot; }
    const RECT& ItemRect() const { return m_itemRect; }
    void SetItemRect(const RECT& rect) { m_itemRect = rect; }

private:
    // "tab-init" the first time only, then "tab-activate".
    void FireActivation();

    OptString m_label;
    OptString m_caption;
    OptString m_icon;
    OptString m_helpTopic;
    BOOL m_focusOnSelect = FALSE;
    BOOL m_initialized = FALSE;
    int m_value = 0;
    RECT m_itemRect = {}; // in the list's client area
    BOOL m_selected = FALSE;
    BOOL m_hot = FALSE;
    DeferredPage m_page;
};
