// "tabbox": the platform's tab control with one tab per "tabpanel" child. All pages share the
// tab control's display area and exactly one shows: the one whose tab is selected.
#pragma once

#include "CTEVElement.h"

class CTEVTabBox : public CTEVElement {
public:
    using CTEVElement::CTEVElement;
    ~CTEVTabBox() override;

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

private:
    // Shows the child at index and hides every other one through their hidden flags.
    void ShowPage(int index);
    // True when window is the tab control or lies inside one of the pages.
    bool Contains(HWND window) const;
    // True when window is the tab control or one of the pages themselves.
    bool OwnsWindow(HWND window) const;
    // The innermost tab box of this thread that holds window, or null.
    static CTEVTabBox* HoldingWindow(HWND window);
    static LRESULT CALLBACK KeyboardFilter(int code, WPARAM wParam, LPARAM lParam);

    bool m_registered = false; // listed for the keyboard filter
};
