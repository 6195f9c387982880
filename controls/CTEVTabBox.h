// "tabbox": the platform's tab control with one tab per "tabpanel" child. All pages share the
// tab control's display area and exactly one shows: the one whose tab is selected.
#pragma once

#include "CTEVElement.h"
#include "KeyFilter.h"
#include "PageMaking.h"
#include "TextRoom.h"

#include <optional>

// Ctrl+Tab and Ctrl+PgDn reach the focused control, not the tab box, and the dialog manager would
// take Ctrl+Tab for plain Tab: the box filters the keys meant for its tab control and its pages.
class CTEVTabBox : public CTEVElement, public CKeyFilter, public IItemTextRooms, private IPageMaker {
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

    // The pages' tab labels: whole while the row of tabs fits, else covered at the right by the
    // scroll arrows.
    std::vector<ItemTextRoom> MeasureItemTextRooms() override;

protected:
    // The tab control and the pages themselves.
    bool OwnsWindow(HWND window) const override;

private:
    // One tab per page, up to kMaxPages, in control.
    void InsertTabs(HWND control);
    // The tab control that measures the tabs and the display area: the box's own, or without
    // windows a shared one given the box's tabs; null when the box has neither.
    HWND MeasuringControl();
    // The child that shows when the dialog opens: the first not hidden by its own flag.
    int FirstShownPage() const;
    // Shows the child at index, made first if it waits, and hides every other one through their
    // hidden flags.
    void ShowPage(int index);
    // True when window is the tab control or lies inside one of the pages.
    bool Contains(HWND window) const;
    void MakeWaitingPage(CTEVElement& page) override;
    // Where a page made after the others goes in the z-order: among the pages in document order,
    // above the tab control.
    HWND PageInsertAfter(size_t index) const;

    std::optional<RECT> m_pageArea; // the display area the pages were last arranged in
};
