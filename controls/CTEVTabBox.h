// "tabbox": the platform's tab control with one tab per "tabpanel" child. All pages share the
// tab control's display area and exactly one shows: the one whose tab is selected.
#pragma once

#include "CTEVElement.h"
#include "KeyFilter.h"

// Ctrl+Tab and Ctrl+PgDn reach the focused control, not the tab box, and the dialog manager would
// take Ctrl+Tab for plain Tab: the box filters the keys meant for its tab control and its pages.
class CTEVTabBox : public CTEVElement, public CKeyFilter {
public:
    using CTEVElement::CTEVElement;

    BOOL IsKindOf(const wchar_t* tag, CTEVElement** out) override;
    void GetMinSize(SIZE* size) override;
    void Arrange(int x, int y, int cx, int cy) override;
    void Create() override;
    BOOL HandleNotify(WPARAM wParam, NMHDR* header) override;
    HWND GetContainerHwnd() override;

    // Pages beyond this get neither a tab nor a window: each tab added measures all the others
    // again, and no one picks from more tabs than this.
    static constexpr size_t kMaxPages = 100;

    // Moves the selection by step tabs, wrapping around, as a click on that tab would.
    void SelectNext(int step);
    // Ctrl+Tab and Ctrl+PgDn to the next page, with Shift or Ctrl+PgUp to the one before.
    bool PreTranslateKey(const MSG& msg) override;

protected:
    // The tab control and the pages themselves.
    bool OwnsWindow(HWND window) const override;

private:
    // Shows the child at index and hides every other one through their hidden flags.
    void ShowPage(int index);
    // True when window is the tab control or lies inside one of the pages.
    bool Contains(HWND window) const;
};
