#include "CTEVTabBox.h"

#include "CTEVEngine.h"
#include "CTEVTabPanel.h"

#include <algorithm>

namespace {

constexpr DWORD kTabControlStyle = WS_TABSTOP | WS_CLIPSIBLINGS;

// Measures for tab boxes laid out without windows: a tab control made once, out of sight in the
// message-only window, and given the tabs and font of the box it measures for.
HWND MeasuringTabControl() {
    static const HWND control = [] {
        HWND made = CreateWindowExW(0, WC_TABCONTROLW, L"", WS_CHILD | kTabControlStyle, 0, 0, 0, 0,
                                    HWND_MESSAGE, nullptr, nullptr, nullptr);
        SendMessageW(made, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
        return made;
    }();
    return control;
}

} // namespace

BOOL CTEVTabBox::IsKindOf(const wchar_t* tag, CTEVElement** out) {
    return MatchesKind(L"tabbox", tag, out);
}

void CTEVTabBox::Create() {
    // Clipping siblings keeps the tab control from painting over the pages above it.
    CreateControlWindow(WC_TABCONTROLW, L"", kTabControlStyle, 0);
    if (m_window) {
        // Before the pages: their own filters, joining later, are asked before the box's.
        StartFiltering();
        InsertTabs(m_window);
    }
    m_minwidth = 0;
    m_minheight = 0;
    InheritGaps();
    const int first = FirstShownPage();
    if (m_window && !pages::EveryPageMadeAtOpen(*this)) {
        for (size_t i = 0; i < m_children.size(); ++i) {
            CTEVElement* panel = nullptr;
            if (static_cast<int>(i) != first && m_children[i]->IsKindOf(L"tabpanel", &panel)) {
                static_cast<CTEVTabPanel*>(panel)->Defer(*this);
            }
        }
    }
    CreateChildren(kMaxPages);
    if (!m_window) {
        return;
    }
    // The pages lie above the tab control, in document order, so that they show and that Tab
    // walks through them in order.
    for (auto& child : m_children) {
        if (HWND page = child->Window()) {
            HWND above = GetWindow(m_window, GW_HWNDPREV);
            SetWindowPos(page, above ? above : HWND_TOP, 0, 0, 0, 0,
                         SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
        }
    }
    SendMessageW(m_window, TCM_SETCURSEL, first, 0);
    ShowPage(first);
}

void CTEVTabBox::InsertTabs(HWND control) {
    for (size_t i = 0; i < std::min(m_children.size(), kMaxPages); ++i) {
        CTEVElement* panel = nullptr;
        if (m_children[i]->IsKindOf(L"tabpanel", &panel)) {
            const wchar_t* label = static_cast<CTEVTabPanel*>(panel)->Label();
            TCITEMW item = {};
            item.mask = TCIF_TEXT | TCIF_PARAM;
            item.pszText = const_cast<wchar_t*>(label ? label : L"");
            item.lParam = reinterpret_cast<LPARAM>(panel);
            SendMessageW(control, TCM_INSERTITEMW, i, reinterpret_cast<LPARAM>(&item));
        }
    }
}

std::vector<ItemTextRoom> CTEVTabBox::MeasureItemTextRooms() {
    HWND control = MeasuringControl();
    const int count = control ? static_cast<int>(SendMessageW(control, TCM_GETITEMCOUNT, 0, 0)) : 0;
    RECT last = {};
    if (count == 0 || !SendMessageW(control, TCM_GETITEMRECT, count - 1, reinterpret_cast<LPARAM>(&last))) {
        return {};
    }
    const SIZE given = ClientArea();
    // The same two pixels past the last tab as the box's minimum width; the arrows are two scroll
    // bar buttons wide.
    const int pastTab = last.right + 2 <= given.cx ? 2 : 2 * GetSystemMetrics(SM_CXHSCROLL);
    std::vector<ItemTextRoom> rooms;
    for (int i = 0; i < count; ++i) {
        TCITEMW item = {};
        item.mask = TCIF_PARAM;
        RECT tab = {};
        if (SendMessageW(control, TCM_GETITEM, i, reinterpret_cast<LPARAM>(&item)) &&
            SendMessageW(control, TCM_GETITEMRECT, i, reinterpret_cast<LPARAM>(&tab))) {
            auto* panel = reinterpret_cast<CTEVTabPanel*>(item.lParam);
            if (panel->Label() && *panel->Label()) {
                rooms.push_back(
                    {panel, panel->Label(), TextRoom{{tab.right + pastTab, tab.bottom - tab.top}, given}});
            }
        }
    }
    return rooms;
}

HWND CTEVTabBox::MeasuringControl() {
    if (m_window || !IsPlacedControl()) {
        return m_window;
    }
    HWND control = MeasuringTabControl();
    // The control figures its tabs' places only while it has room: as much as the box has, or
    // before the box is placed, room for any row.
    const RECT placed = PlacedRect();
    const bool isPlaced = placed.right > placed.left && placed.bottom > placed.top;
    SetWindowPos(control, nullptr, 0, 0, isPlaced ? placed.right - placed.left : kLargestWindowSize,
                 isPlaced ? placed.bottom - placed.top : kLargestWindowSize, SWP_NOZORDER | SWP_NOACTIVATE);
    SendMessageW(control, TCM_DELETEALLITEMS, 0, 0);
    InsertTabs(control);
    return control;
}

int CTEVTabBox::FirstShownPage() const {
    int first = 0;
    while (first < static_cast<int>(m_children.size()) && m_children[first]->OwnHidden()) {
        ++first;
    }
    return first == static_cast<int>(m_children.size()) ? 0 : first;
}

void CTEVTabBox::MakeWaitingPage(CTEVElement& page) {
    const auto at = std::find_if(m_children.begin(), m_children.end(),
                                 [&page](const auto& child) { return child.get() == &page; });
    page.Create();
    if (HWND window = page.Window()) {
        SetWindowPos(window, PageInsertAfter(static_cast<size_t>(at - m_children.begin())), 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
    }
    pages::PlaceLatePage(page, m_pageArea);
}

HWND CTEVTabBox::PageInsertAfter(size_t index) const {
    for (size_t i = index; i-- > 0;) {
        if (HWND before = m_children[i]->Window()) {
            return before;
        }
    }
    HWND next = m_window;
    for (size_t i = index + 1; i < m_children.size(); ++i) {
        if (HWND after = m_children[i]->Window()) {
            next = after;
            break;
        }
    }
    HWND above = GetWindow(next, GW_HWNDPREV);
    return above ? above : HWND_TOP;
}

HWND CTEVTabBox::GetContainerHwnd() {
    // Pages are siblings of the tab control, not its children.
    return ParentContainer();
}

void CTEVTabBox::GetMinSize(SIZE* size) {
    SIZE page = {0, 0};
    for (auto& child : m_children) {
        const SIZE childSize = child->MeasuredMinSize();
        page.cx = std::max(page.cx, childSize.cx);
        page.cy = std::max(page.cy, childSize.cy);
    }
    RECT outer = {0, 0, page.cx, page.cy};
    if (HWND control = MeasuringControl()) {
        SendMessageW(control, TCM_ADJUSTRECT, TRUE, reinterpret_cast<LPARAM>(&outer));
        // Wide enough for every tab to show without scroll arrows.
        const int count = static_cast<int>(SendMessageW(control, TCM_GETITEMCOUNT, 0, 0));
        RECT last = {};
        if (count > 0 && SendMessageW(control, TCM_GETITEMRECT, count - 1, reinterpret_cast<LPARAM>(&last))) {
            outer.right = std::max<LONG>(outer.right, outer.left + last.right + 2);
        }
    }
    size->cx = std::max<LONG>(outer.right - outer.left, m_minwidth);
    size->cy = std::max<LONG>(outer.bottom - outer.top, m_minheight);
}

void CTEVTabBox::Arrange(int x, int y, int cx, int cy) {
    HWND control = MeasuringControl();
    if (!control) {
        return;
    }
    PlaceControl(x, y, cx, cy);
    // Every page takes the whole display area below the tabs.
    RECT display = {x, y, x + cx, y + cy};
    SendMessageW(control, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&display));
    m_pageArea = display;
    for (auto& child : m_children) {
        child->Arrange(display.left, display.top, display.right - display.left, display.bottom - display.top);
    }
}

BOOL CTEVTabBox::HandleNotify(WPARAM, NMHDR* header) {
    if (header && header->hwndFrom == m_window && header->code == TCN_SELCHANGE) {
        ShowPage(static_cast<int>(SendMessageW(m_window, TCM_GETCURSEL, 0, 0)));
    }
    // The dialog still sees the change.
    return FALSE;
}

void CTEVTabBox::ShowPage(int index) {
    if (index >= 0 && index < static_cast<int>(m_children.size())) {
        m_children[index]->NeedWindows();
    }
    for (size_t i = 0; i < m_children.size(); ++i) {
        m_children[i]->SetHidden(static_cast<int>(i) != index);
    }
}

void CTEVTabBox::SelectNext(int step) {
    const int count = static_cast<int>(SendMessageW(m_window, TCM_GETITEMCOUNT, 0, 0));
    if (count <= 0) {
        return;
    }
    HWND focus = GetFocus();
    const bool focusInPage = focus != m_window && Contains(focus);
    const int current = static_cast<int>(SendMessageW(m_window, TCM_GETCURSEL, 0, 0));
    const int next = ((std::max(current, 0) + step) % count + count) % count;
    SendMessageW(m_window, TCM_SETCURSEL, next, 0);
    // Sent as a click sends it, so the tab box and the dialog learn of it the same way.
    NMHDR header = {m_window, static_cast<UINT_PTR>(m_controlId), static_cast<UINT>(TCN_SELCHANGE)};
    SendMessageW(GetParent(m_window), WM_NOTIFY, m_controlId, reinterpret_cast<LPARAM>(&header));
    // The keyboard must not stay in a page that was just hidden.
    if (focusInPage && !IsWindowVisible(focus)) {
        CTEVElement* page = next < static_cast<int>(m_children.size()) ? m_children[next].get() : nullptr;
        if (!page || !page->FocusFirstTabStop()) {
            SetFocus(m_window);
        }
    }
}

bool CTEVTabBox::Contains(HWND window) const {
    if (!window || !m_window) {
        return false;
    }
    if (window == m_window) {
        return true;
    }
    for (const auto& child : m_children) {
        HWND page = child->Window();
        if (page && (window == page || IsChild(page, window))) {
            return true;
        }
    }
    return false;
}

bool CTEVTabBox::OwnsWindow(HWND window) const {
    if (window == m_window) {
        return true;
    }
    return std::any_of(m_children.begin(), m_children.end(),
                       [window](const auto& child) { return child->Window() == window; });
}

bool CTEVTabBox::PreTranslateKey(const MSG& msg) {
    if (msg.message != WM_KEYDOWN || GetKeyState(VK_CONTROL) >= 0) {
        return false;
    }
    int step = 0;
    if (msg.wParam == VK_TAB) {
        step = GetKeyState(VK_SHIFT) < 0 ? -1 : 1;
    } else if (msg.wParam == VK_NEXT) {
        step = 1;
    } else if (msg.wParam == VK_PRIOR) {
        step = -1;
    }
    if (step == 0) {
        return false;
    }
    SelectNext(step);
    return true;
}
