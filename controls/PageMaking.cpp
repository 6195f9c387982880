#include "PageMaking.h"

#include "CTEVDialog.h"
#include "CTEVEngine.h"

#include <utility>

namespace {

bool IsPageContainer(CTEVElement& element) {
    return element.IsKindOf(L"tabbox", nullptr) || element.IsKindOf(L"tabswitcher", nullptr);
}

bool IsPageOf(CTEVElement& container, CTEVElement& child) {
    return child.IsKindOf(container.IsKindOf(L"tabbox", nullptr) ? L"tabpanel" : L"tab", nullptr);
}

// Adds the elements below element that lie on a page (all of them when element does), until count
// passes limit.
void CountOnPages(CTEVElement& element, bool onPage, int limit, int& count) {
    const bool container = IsPageContainer(element);
    for (size_t i = 0; i < element.ChildCount() && count <= limit; ++i) {
        CTEVElement& child = *element.Child(i);
        const bool childOnPage = onPage || (container && IsPageOf(element, child));
        count += childOnPage ? 1 : 0;
        CountOnPages(child, childOnPage, limit, count);
    }
}

} // namespace

bool DeferredPage::WaitsAtCreate() {
    m_waiting = m_maker && !m_needed;
    return m_waiting;
}

void DeferredPage::Need(CTEVElement& page) {
    if (!m_waiting) {
        m_needed = true;
        return;
    }
    m_waiting = false;
    // Without its maker the page's Create makes it.
    std::exchange(m_maker, nullptr)->MakeWaitingPage(page);
}

namespace pages {

bool EveryPageMadeAtOpen(CTEVElement& container) {
    if (container.Engine() && container.Engine()->EveryPageMadeAtOpen()) {
        return true;
    }
    int count = 0;
    CountOnPages(*container.GetRoot(), false, kElementsMadeAtOpen, count);
    return count <= kElementsMadeAtOpen;
}

void PlaceLatePage(CTEVElement& page, const std::optional<RECT>& area) {
    if (!area) {
        return;
    }
    const int width = area->right - area->left;
    const int height = area->bottom - area->top;
    page.Arrange(area->left, area->top, width, height);
    const SIZE need = page.MeasuredMinSize();
    if (need.cx > width || need.cy > height) {
        if (auto* dialog = dynamic_cast<CTEVDialog*>(page.GetRoot())) {
            dialog->FitGrownContent();
        }
    }
}

} // namespace pages
