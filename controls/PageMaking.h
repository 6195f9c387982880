// When the pages of tab boxes and tab switchers are made. A control knows its size only once its
// window is made, so a dialog whose pages hold few elements makes every page when it opens and its
// biggest page sizes the container from the start. A dialog with more (generated or hostile
// descriptions) makes only the pages it shows: each other page waits, taking no room and no window,
// until it is first shown or the application looks up an element on it; the dialog grows then if
// that page needs more room.
#pragma once

#include "CTEVElement.h"

#include <optional>

// A container whose pages may wait: it makes a waiting page when the page is first needed.
class IPageMaker {
public:
    // Makes the page's windows and fits them into the container.
    virtual void MakeWaitingPage(CTEVElement& page) = 0;

protected:
    ~IPageMaker() = default;
};

// The making of one page: with its container, or later when first needed.
class DeferredPage {
public:
    // Before the page's Create: the page waits, and maker makes it when it is needed.
    void Defer(IPageMaker& maker) { m_maker = &maker; }
    // In the page's Create: true when the page waits instead of being made now; a page needed
    // before its container was made is made with it.
    bool WaitsAtCreate();
    // The page is needed: a waiting page is made at once.
    void Need(CTEVElement& page);
    bool IsWaiting() const { return m_waiting; }

private:
    IPageMaker* m_maker = nullptr; // not owned: the page's container, until it made the page
    bool m_waiting = false;        // Create came and went without making the page
    bool m_needed = false;         // needed before Create: made then
};

namespace pages {

// Elements on pages that a dialog makes at open however they are shown: far more than a real
// dialog's pages hold, and few enough windows to open at once.
constexpr int kElementsMadeAtOpen = 300;

// Whether container, a tab box or tab switcher, makes every page when its dialog opens.
bool EveryPageMadeAtOpen(CTEVElement& container);

// Places a page made after the layout in the area its container gives every page; the whole
// dialog is laid out again, larger, when the page needs more room. area: none before the first
// layout, which places the page with the rest.
void PlaceLatePage(CTEVElement& page, const std::optional<RECT>& area);

} // namespace pages
