// The tab switcher: its two window classes, measuring and painting the items and the caption
// bar, page layout, and switching by mouse, keyboard, value and command.
#include "CTEVTabSwitcher.h"

#include "AttributeReaders.h"
#include "CTEVEngine.h"
#include "CTEVTab.h"
#include "SystemMetrics.h"

#include <windowsx.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <utility>

namespace {

const wchar_t kListClass[] = L"TEV_TAB_SWITCHER_WINDOW";
const wchar_t kCaptionClass[] = L"TEV_TAB_CAPTION_WINDOW";
const wchar_t kElementProperty[] = L"CTEVTabSwitcher_this";

constexpr UINT kPlaceFlags = SWP_NOZORDER | SWP_NOOWNERZORDER;
constexpr int kItemSpacing = 2; // between items, and above the first
constexpr UINT kItemTextFormat = DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS;

COLORREF Shift(COLORREF colour, int amount) {
    auto component = [amount](int value) { return std::clamp(value + amount, 0, 255); };
    return RGB(component(GetRValue(colour)), component(GetGValue(colour)), component(GetBValue(colour)));
}

void FillSolid(HDC dc, const RECT& rect, COLORREF colour) {
    GdiObject<HBRUSH> brush(CreateSolidBrush(colour));
    FillRect(dc, &rect, brush.Get());
}

// Horizontal bands from top to bottom, one per step of the largest component difference.
void Gradient(HDC dc, const RECT& rect, COLORREF top, COLORREF bottom) {
    const int from[3] = {GetRValue(top), GetGValue(top), GetBValue(top)};
    const int to[3] = {GetRValue(bottom), GetGValue(bottom), GetBValue(bottom)};
    int bands = 0;
    for (int c = 0; c < 3; ++c) {
        bands = std::max(bands, std::abs(to[c] - from[c]));
    }
    if (bands == 0) {
        FillSolid(dc, rect, top);
        return;
    }
    const float bandHeight = static_cast<float>(rect.bottom - rect.top) / static_cast<float>(bands);
    for (int i = 0; i < bands; ++i) {
        RECT band = rect;
        band.top = rect.top + static_cast<int>(std::floor(static_cast<float>(i) * bandHeight));
        band.bottom = i + 1 == bands
                          ? rect.bottom
                          : rect.top + static_cast<int>(std::floor(static_cast<float>(i + 1) * bandHeight));
        if (band.bottom <= band.top) {
            continue;
        }
        int colour[3];
        for (int c = 0; c < 3; ++c) {
            const float step = static_cast<float>(to[c] - from[c]) / static_cast<float>(bands);
            colour[c] =
                static_cast<int>(std::floor(static_cast<float>(i) * step + static_cast<float>(from[c])));
        }
        FillSolid(dc, band, RGB(colour[0], colour[1], colour[2]));
    }
}

HFONT CreateCaptionFont(int captionHeight) {
    NONCLIENTMETRICSW metrics;
    if (!ReadNonClientMetrics(&metrics)) {
        return nullptr;
    }
    LOGFONTW font = metrics.lfCaptionFont;
    font.lfHeight = captionHeight * 2 / 3;
    font.lfWidth = 0;
    font.lfWeight = FW_BOLD;
    return CreateFontIndirectW(&font);
}

bool Contains(const RECT& rect, int x, int y) {
    return x >= rect.left && x <= rect.right && y >= rect.top && y <= rect.bottom;
}

} // namespace

CTEVTabSwitcher::CaptionBar::CaptionBar(CTEVTabSwitcher& owner)
    : COwnWindow(kElementProperty, &owner), m_owner(owner) {}

void CTEVTabSwitcher::CaptionBar::OnBound(HWND hwnd) {
    m_owner.m_captionWindow = hwnd;
}

void CTEVTabSwitcher::CaptionBar::Paint(HWND, HDC dc, const RECT& client) {
    m_owner.PaintCaption(dc, client);
}

CTEVTabSwitcher::CTEVTabSwitcher(CTEVElement* parent, CTEVEngine* engine)
    : CTEVElement(parent, engine), COwnWindow(kElementProperty, this), m_captionBar(*this) {
    HINSTANCE instance = engine ? engine->Instance() : nullptr;
    const UINT style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
    RegisterClassOnce(instance, {kListClass, style, IDC_ARROW, COLOR_WINDOW});
    RegisterClassOnce(instance, {kCaptionClass, style, IDC_ARROW, COLOR_WINDOW});
}

CTEVTabSwitcher::~CTEVTabSwitcher() = default;

BOOL CTEVTabSwitcher::IsKindOf(const wchar_t* tag, CTEVElement** out) {
    return MatchesKind(L"tabswitcher", tag, out);
}

BOOL CTEVTabSwitcher::LoadFromNode(IXMLDOMNode* node) {
    if (!CTEVElement::LoadFromNode(node)) {
        return FALSE;
    }
    m_imageAlign = GetAttributeEnum(node, L"imageAlign", 0, {L"left", L"top"});
    m_imageSize = GetAttributeInt(node, L"imageSize", 16);
    m_showList = GetAttributeBool(node, L"showSwitcher", TRUE);
    m_showCaption = GetAttributeBool(node, L"showCaption", TRUE);
    // Pages share one rectangle, so only the first page marked selected may show.
    bool selectedSeen = false;
    for (CTEVTab* tab : Tabs()) {
        if (tab->IsSelected() && std::exchange(selectedSeen, true)) {
            tab->DropInitialSelection();
        }
    }
    return TRUE;
}

void CTEVTabSwitcher::Create() {
    const SIZE gaps = DialogUnits(10, 7);
    m_listGap = m_showList ? gaps.cx : 0;
    m_captionGap = m_showCaption ? gaps.cy : 0;
    m_captionHeight = m_showCaption ? DialogUnits(0, 20).cy : 0;
    m_captionFont.Reset(CreateCaptionFont(m_captionHeight));
    m_minwidth = 0;
    m_minheight = 0;
    m_itemHeight = 0;
    m_dpi = DpiOf(ParentContainer());

    if (m_showList) {
        CreateControlWindow(kListClass, nullptr, WS_BORDER | WS_TABSTOP, 0, BindingParam());
    }
    if (m_showList && IsPlacedControl()) {
        HDC dc = MeasuringDC();
        SelectedObject font(dc, GetStockObject(DEFAULT_GUI_FONT));
        int count = 0;
        for (const CTEVTab* tab : Tabs()) {
            const SIZE item = MeasureItem(dc, *tab);
            m_minwidth = std::max<int>(m_minwidth, item.cx);
            m_itemHeight = std::max<int>(m_itemHeight, item.cy);
            ++count;
        }
        // Every item is laid out at the tallest item's height, so the list is measured so too.
        m_minheight = count * (m_itemHeight + Scaled(kItemSpacing));
        m_minwidth += 2;
        m_minheight += 4;
    }
    if (m_showCaption && !LaysOutWithoutWindows()) {
        CreateWindowExW(0, kCaptionClass, nullptr, WS_CHILD | (IsHidden() ? 0 : WS_VISIBLE), m_left, m_top,
                        m_width, m_height, ParentContainer(),
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(m_controlId)),
                        m_engine ? m_engine->Instance() : nullptr, m_captionBar.BindingParam());
    }
    if (!pages::EveryPageMadeAtOpen(*this)) {
        for (CTEVTab* tab : Tabs()) {
            if (!tab->IsSelected()) {
                tab->Defer(*this);
            }
        }
    }
    CTEVElement::Create();
}

// The page's windows come last among their siblings; they move up behind the caption bar, where
// the pages made with the dialog lie, so that Tab reaches them between the list and what follows.
void CTEVTabSwitcher::MakeWaitingPage(CTEVElement& page) {
    HWND container = GetContainerHwnd();
    HWND first = container ? GetWindow(container, GW_CHILD) : nullptr;
    HWND last = first ? GetWindow(first, GW_HWNDLAST) : nullptr;
    page.Create();
    std::vector<HWND> made;
    for (HWND w = last ? GetWindow(last, GW_HWNDNEXT) : GetWindow(container, GW_CHILD); w;
         w = GetWindow(w, GW_HWNDNEXT)) {
        made.push_back(w);
    }
    HWND after = m_captionWindow ? m_captionWindow : m_window;
    for (HWND w : made) {
        if (after) {
            SetWindowPos(w, after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
            after = w;
        }
    }
    pages::PlaceLatePage(page, m_pageArea);
}

SIZE CTEVTabSwitcher::MeasureItem(HDC dc, const CTEVTab& tab) const {
    RECT text = {0, 0, 3, 3};
    DrawTextW(dc, tab.Label() ? tab.Label() : L"", -1, &text, DT_CALCRECT | DT_EDITCONTROL);
    const int textWidth = text.right - text.left;
    const int textHeight = text.bottom - text.top;
    const int s = Scaled(m_imageSize);
    if (m_imageAlign == 1) {
        return {std::max(std::max(textWidth, s) + Scaled(8 + 10), s + 2 * s / 3), textHeight + s + Scaled(6)};
    }
    return {textWidth + s + Scaled(12 + 10), std::max(textHeight, s) + Scaled(4)};
}

int CTEVTabSwitcher::Scaled(int pixels) const {
    return ScaledForDpi(pixels, m_dpi);
}

HWND CTEVTabSwitcher::GetContainerHwnd() {
    return ParentContainer();
}

void CTEVTabSwitcher::GetMinSize(SIZE* size) {
    int childWidth = 0;
    int childHeight = 0;
    for (auto& child : m_children) {
        const SIZE childSize = child->MeasuredMinSize();
        childWidth = std::max<int>(childWidth, childSize.cx);
        childHeight = std::max<int>(childHeight, childSize.cy);
    }
    size->cx = AddClamped(m_minwidth, static_cast<long long>(m_listGap) + childWidth);
    size->cy = std::max(m_minheight,
                        AddClamped(childHeight, static_cast<long long>(m_captionGap) + m_captionHeight));
}

void CTEVTabSwitcher::Arrange(int x, int y, int cx, int cy) {
    const int pageLeft = AddClamped(x, static_cast<long long>(m_minwidth) + m_listGap);
    const int pageWidth = AddClamped(cx, -(static_cast<long long>(m_minwidth) + m_listGap));
    PlaceControl(x, y, m_minwidth, cy, kPlaceFlags);
    if (m_captionWindow) {
        SetWindowPos(m_captionWindow, nullptr, pageLeft, y, pageWidth, m_captionHeight, kPlaceFlags);
    }
    LayoutCaptions();
    const int pageTop = y + m_captionHeight + m_captionGap;
    const int pageHeight = cy - m_captionGap - m_captionHeight;
    m_pageArea = RECT{pageLeft, pageTop, pageLeft + pageWidth, pageTop + pageHeight};
    for (auto& child : m_children) {
        child->Arrange(pageLeft, pageTop, pageWidth, pageHeight);
    }
}

void CTEVTabSwitcher::LayoutCaptions() {
    RECT client = {};
    if (m_window) {
        GetClientRect(m_window, &client);
    }
    const int spacing = Scaled(kItemSpacing);
    int offset = spacing;
    for (CTEVTab* tab : Tabs()) {
        tab->SetItemRect(
            {client.left, client.top + offset, client.right, client.top + offset + m_itemHeight});
        offset += m_itemHeight + spacing;
    }
}

void CTEVTabSwitcher::ApplyHidden() {
    CTEVElement::ApplyHidden();
    if (m_captionWindow) {
        ShowWindow(m_captionWindow, IsHidden() ? SW_HIDE : SW_SHOW);
    }
}

void CTEVTabSwitcher::SetValue(int value) {
    for (CTEVTab* tab : Tabs()) {
        if (tab->GetValue() == value) {
            SwitchTo(tab);
            return;
        }
    }
}

int CTEVTabSwitcher::GetValue() {
    CTEVTab* selected = SelectedTab();
    return selected ? selected->GetValue() : -1;
}

// Selects the tab with that id itself: tabs often share a value (0 when none is given), so
// going through SetValue would pick the wrong page.
void CTEVTabSwitcher::SetText(const wchar_t* text) {
    if (!text) {
        return;
    }
    for (CTEVTab* tab : Tabs()) {
        if (tab->Id() && wcscmp(tab->Id(), text) == 0) {
            SwitchTo(tab);
            return;
        }
    }
}

const wchar_t* CTEVTabSwitcher::GetText() {
    const CTEVTab* selected = SelectedTab();
    return selected ? selected->Id() : nullptr;
}

void CTEVTabSwitcher::DoCommand(const wchar_t* command) {
    const std::vector<CTEVTab*> tabs = Tabs();
    const auto selected = std::find_if(tabs.begin(), tabs.end(), [](CTEVTab* t) { return t->IsSelected(); });
    if (EqualsNoCase(command, L"next")) {
        // Without a selection the wizard starts at its first page.
        const auto next = selected == tabs.end() ? tabs.begin() : selected + 1;
        if (next != tabs.end()) {
            SwitchTo(*next);
        }
    } else if (EqualsNoCase(command, L"back")) {
        if (selected != tabs.end() && selected != tabs.begin()) {
            SwitchTo(*(selected - 1));
        }
    } else if (EqualsNoCase(command, L"help")) {
        if (selected != tabs.end()) {
            (*selected)->DoCommand(L"help");
        }
    }
}

std::vector<CTEVTab*> CTEVTabSwitcher::Tabs() const {
    std::vector<CTEVTab*> tabs;
    for (auto& child : m_children) {
        CTEVElement* tab = nullptr;
        if (child->IsKindOf(L"tab", &tab)) {
            tabs.push_back(static_cast<CTEVTab*>(tab));
        }
    }
    return tabs;
}

CTEVTab* CTEVTabSwitcher::SelectedTab() const {
    for (CTEVTab* tab : Tabs()) {
        if (tab->IsSelected()) {
            return tab;
        }
    }
    return nullptr;
}

CTEVTab* CTEVTabSwitcher::TabAt(int x, int y) const {
    for (CTEVTab* tab : Tabs()) {
        if (Contains(tab->ItemRect(), x, y)) {
            return tab;
        }
    }
    return nullptr;
}

void CTEVTabSwitcher::SwitchTo(CTEVTab* tab) {
    if (!tab || tab->IsSelected()) {
        return;
    }
    if (CTEVTab* previous = SelectedTab()) {
        previous->Select(FALSE);
    }
    tab->SetHot(FALSE);
    tab->Select(TRUE);
    if (m_window) {
        InvalidateRect(m_window, nullptr, FALSE);
    }
    if (m_captionWindow) {
        InvalidateRect(m_captionWindow, nullptr, TRUE);
    }
}

void CTEVTabSwitcher::RepaintItem(const CTEVTab& tab) const {
    if (m_window) {
        InvalidateRect(m_window, &tab.ItemRect(), FALSE);
    }
}

void CTEVTabSwitcher::OnBound(HWND hwnd) {
    m_window = hwnd;
}

LRESULT CTEVTabSwitcher::HandleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_DESTROY:
        EndHover();
        break;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        // The focus rectangle is painted with the items.
        if (const CTEVTab* selected = SelectedTab()) {
            RepaintItem(*selected);
        }
        break;
    case WM_ERASEBKGND:
        return 1;
    case WM_GETDLGCODE:
        return DLGC_WANTARROWS;
    case WM_NCCALCSIZE:
        InflateRect(reinterpret_cast<RECT*>(lParam), -1, -1);
        return 0;
    case WM_NCPAINT: {
        HDC dc = GetWindowDC(hwnd);
        RECT frame = {};
        GetWindowRect(hwnd, &frame);
        OffsetRect(&frame, -frame.left, -frame.top);
        FrameRect(dc, &frame, GetSysColorBrush(COLOR_GRAYTEXT));
        ReleaseDC(hwnd, dc);
        return 0;
    }
    case WM_KEYDOWN:
        if (wParam == VK_UP) {
            DoCommand(L"back");
        } else if (wParam == VK_DOWN) {
            DoCommand(L"next");
        }
        return 0;
    case WM_MOUSEMOVE:
        if (!m_tracking) {
            m_tracking = TRUE;
            StartTimer(kHoverTimerId, kHoverIntervalMs);
        }
        OnMouseMove(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        break;
    case WM_TIMER:
        if (wParam == kHoverTimerId) {
            OnHoverTimer(hwnd);
            return 0;
        }
        break;
    case WM_LBUTTONDOWN:
        // The arrow keys work in the list once it was clicked, as in any list.
        SetFocus(hwnd);
        SwitchTo(TabAt(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)));
        break;
    default:
        break;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

void CTEVTabSwitcher::OnMouseMove(int x, int y) {
    CTEVTab* under = TabAt(x, y);
    for (CTEVTab* tab : Tabs()) {
        const BOOL hot = tab == under && !tab->IsSelected();
        if (tab->IsHot() != hot) {
            tab->SetHot(hot);
            RepaintItem(*tab);
        }
    }
}

// Keeps the hover while the cursor is over the list, or over a menu or tooltip opened on it.
void CTEVTabSwitcher::OnHoverTimer(HWND hwnd) {
    if (!CursorStaysOver(hwnd)) {
        EndHover();
    }
}

void CTEVTabSwitcher::EndHover() {
    m_tracking = FALSE;
    StopTimer(kHoverTimerId);
    for (CTEVTab* tab : Tabs()) {
        if (tab->IsHot()) {
            tab->SetHot(FALSE);
            RepaintItem(*tab);
        }
    }
}

// Only what needs painting and can be seen is drawn: the part of the client area the device context
// clips to (the update region, within the visible part of a list that may be far taller than the
// screen), and of the items those that touch it.
void CTEVTabSwitcher::Paint(HWND hwnd, HDC dc, const RECT& client) {
    RECT area = client;
    RECT clip = {};
    const int clipping = GetClipBox(dc, &clip);
    if (clipping == NULLREGION || (clipping != ERROR && !IntersectRect(&area, &client, &clip))) {
        return;
    }
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    if (width <= 0 || height <= 0) {
        return;
    }
    // A 32-bit DIB section rather than a device bitmap: the engine may alpha-blend icons into it.
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB};
    void* bits = nullptr;
    MemoryDC memory(dc);
    GdiObject<HBITMAP> bitmap(CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!memory.Get() || !bitmap) {
        return;
    }
    {
        SelectedObject target(memory.Get(), bitmap.Get());
        SelectedObject font(memory.Get(), GetStockObject(DEFAULT_GUI_FONT));
        // The bitmap holds the area alone; items are drawn at their client coordinates.
        SetViewportOrgEx(memory.Get(), -area.left, -area.top, nullptr);
        FillSolid(memory.Get(), area, GetSysColor(COLOR_WINDOW));
        RECT shown = {};
        for (const CTEVTab* tab : Tabs()) {
            if (IntersectRect(&shown, &tab->ItemRect(), &area)) {
                DrawItem(memory.Get(), *tab);
            }
        }
        const CTEVTab* selected = SelectedTab();
        if (selected && GetFocus() == hwnd && ShowsFocusCues()) {
            RECT focus = selected->ItemRect();
            InflateRect(&focus, -2, 0);
            DrawFocusRect(memory.Get(), &focus);
        }
        SetViewportOrgEx(memory.Get(), 0, 0, nullptr);
        BitBlt(dc, area.left, area.top, width, height, memory.Get(), 0, 0, SRCCOPY);
    }
}

void CTEVTabSwitcher::DrawItem(HDC dc, const CTEVTab& tab) const {
    const RECT& r = tab.ItemRect();
    const int s = Scaled(m_imageSize);
    FillSolid(dc, r, GetSysColor(COLOR_WINDOW));
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    const RECT band = {r.left + 2, r.top, r.right - 2, r.bottom};
    const COLORREF highlight = GetSysColor(COLOR_HIGHLIGHT);
    if (tab.IsSelected()) {
        SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHTTEXT));
        Gradient(dc, band, Shift(highlight, 20), Shift(highlight, -20));
    } else if (tab.IsHot()) {
        const COLORREF hot = Shift(highlight, 50);
        Gradient(dc, band, Shift(hot, 10), Shift(hot, -10));
    }

    RECT text = r;
    POINT icon = {};
    UINT format = kItemTextFormat;
    if (m_imageAlign == 1) {
        text = {r.left, r.top + s + Scaled(4), r.right, r.bottom - Scaled(2)};
        icon = {r.left + (r.right - r.left) / 2 - s / 2, r.top + Scaled(2)};
        format |= DT_CENTER;
    } else {
        text = {r.left + s + Scaled(8), r.top, r.right - Scaled(4), r.bottom};
        icon = {r.left + Scaled(4), r.top + (r.bottom - r.top) / 2 - s / 2};
    }
    SetBkMode(dc, TRANSPARENT);
    if (tab.Label()) {
        DrawTextW(dc, tab.Label(), -1, &text, format);
    }
    if (m_engine) {
        m_engine->DrawImage(dc, icon.x, icon.y, s, s, tab.Icon());
    }
}

void CTEVTabSwitcher::PaintCaption(HDC dc, const RECT& client) {
    const CTEVTab* selected = SelectedTab();
    if (!selected) {
        return;
    }
    const COLORREF highlight = GetSysColor(COLOR_HIGHLIGHT);
    Gradient(dc, client, Shift(highlight, 20), Shift(highlight, -20));
    if (!selected->Caption()) {
        return;
    }
    SelectedObject font(dc, m_captionFont.Get());
    SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHTTEXT));
    SetBkMode(dc, TRANSPARENT);
    RECT text = client;
    text.left += 4;
    DrawTextW(dc, selected->Caption(), -1, &text, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
}
