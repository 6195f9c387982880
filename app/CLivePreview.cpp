// The live preview pane: the dialog is laid out without windows and drawn from its layout, so that
// re-laying it out at each pause in typing costs no window, and nothing in it can take input.
#include "CLivePreview.h"

#include "CTEVMenu.h"
#include "CTEVPicture.h"
#include "CTEVTab.h"
#include "CTEVTabPanel.h"
#include "GdiHandles.h"
#include "ProjectModel.h"
#include "Settings.h"
#include "SystemMetrics.h"
#include "WindowSize.h"

#include <windowsx.h>

#include <algorithm>
#include <climits>

namespace {

const wchar_t kSection[] = L"LivePreview";
const UINT_PTR kTypingTimer = 1;
// Long enough to let a burst of keys through, short enough to follow each word as it is typed.
const UINT kTypingPauseMs = 100;
const int kOutlineWidth = 2;
const int kMargin = 8; // around the drawn dialog, at 96 DPI
const COLORREF kClippedColour = RGB(255, 0, 0);

int Width(const RECT& r) {
    return r.right - r.left;
}
int Height(const RECT& r) {
    return r.bottom - r.top;
}

const wchar_t* PageLabel(CTEVElement* page) {
    if (auto* panel = dynamic_cast<CTEVTabPanel*>(page)) {
        return panel->Label();
    }
    if (auto* tab = dynamic_cast<CTEVTab*>(page)) {
        return tab->Label();
    }
    return nullptr;
}

bool IsPageContainer(CTEVElement* element) {
    return element->IsKindOf(L"tabbox", nullptr) || element->IsKindOf(L"tabswitcher", nullptr);
}

bool IsMenu(CTEVElement* element) {
    return element && (element->IsKindOf(L"menubar", nullptr) || element->IsKindOf(L"menupopup", nullptr));
}

// The menu path of an entry, such as "File > Open"; empty outside menus.
std::wstring MenuPath(CTEVElement* element) {
    std::wstring path;
    for (CTEVElement* e = element; e && !e->IsKindOf(L"menubar", nullptr); e = e->Parent()) {
        const wchar_t* label = nullptr;
        if (auto* item = dynamic_cast<CTEVMenuItem*>(e)) {
            label = item->Label();
        } else if (auto* popup = dynamic_cast<CTEVMenuPopup*>(e)) {
            label = popup->Label();
        } else {
            return {};
        }
        path = WithoutAccelerators(label ? label : L"") + (path.empty() ? L"" : L" > " + path);
        if (!IsMenu(e->Parent())) {
            return {};
        }
    }
    return path;
}

// The attribute through which the element's text is translated; null when any will do.
const wchar_t* TextAttributeOf(CTEVElement* element) {
    if (!element->Parent() && dynamic_cast<CTEVDialog*>(element)) {
        return L"caption";
    }
    if (IsPage(element) || dynamic_cast<CTEVMenuItem*>(element) || dynamic_cast<CTEVMenuPopup*>(element)) {
        return L"label";
    }
    return KindOf(element).textAttribute;
}

bool Shows(CTEVElement* element, const StringItem& item) {
    const wchar_t* attribute = TextAttributeOf(element);
    return element->Locid() && EqualsNoCase(item.id.c_str(), element->Locid()) &&
           (!attribute || EqualsNoCase(item.attr, attribute));
}

// Depth-first, the element before its children.
CTEVElement* FindShowing(CTEVElement* element, const StringItem& item) {
    if (Shows(element, item)) {
        return element;
    }
    for (size_t i = 0; i < element->ChildCount(); ++i) {
        if (CTEVElement* found = FindShowing(element->Child(i), item)) {
            return found;
        }
    }
    return nullptr;
}

void FillRect(HDC dc, const RECT& rect, int colourIndex) {
    ::FillRect(dc, &rect, GetSysColorBrush(colourIndex));
}

void DrawFrame(HDC dc, RECT rect, COLORREF colour, int width) {
    GdiObject<HBRUSH> brush(CreateSolidBrush(colour));
    for (int i = 0; i < width; ++i) {
        FrameRect(dc, &rect, brush.Get());
        InflateRect(&rect, -1, -1);
    }
}

void DrawTextIn(HDC dc, const std::wstring& text, RECT rect, UINT format, int colourIndex = COLOR_BTNTEXT) {
    SetTextColor(dc, GetSysColor(colourIndex));
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rect, format);
}

} // namespace

SideBySide PlaceBeside(const RECT& dialog, SIZE pane, const RECT& work, int minWidth) {
    SideBySide placed = {dialog, {}};
    const int width = std::min<int>(pane.cx, Width(work));
    const int height = std::min<int>(pane.cy, Height(work));
    const int roomRight = work.right - dialog.right;
    const int roomLeft = dialog.left - work.left;
    int left = 0;
    int paneWidth = 0;
    if (roomRight >= minWidth) {
        left = dialog.right;
        paneWidth = std::min(width, roomRight);
    } else if (roomLeft >= minWidth) {
        paneWidth = std::min(width, roomLeft);
        left = dialog.left - paneWidth;
    } else {
        const int dialogWidth = std::min<int>(Width(dialog), Width(work) - minWidth);
        placed.dialog = {work.left, dialog.top, work.left + dialogWidth, dialog.bottom};
        left = placed.dialog.right;
        paneWidth = std::min<int>(width, work.right - left);
    }
    const int top = std::max<int>(work.top, std::min<int>(dialog.top, work.bottom - height));
    placed.pane = {left, top, left + paneWidth, top + height};
    return placed;
}

CLivePreview::CLivePreview(TranslationSession& session, std::wstring settingsFile,
                           std::function<void(size_t)> pick)
    : COwnWindow(L"TEVLivePreview_this", this), m_session(session), m_settingsFile(std::move(settingsFile)),
      m_pick(std::move(pick)) {
    m_session.AddObserver(this);
}

CLivePreview::~CLivePreview() {
    m_session.RemoveObserver(this);
    if (HWND hwnd = BoundWindow()) {
        DestroyWindow(hwnd);
    }
}

void CLivePreview::Create(HWND owner) {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    RegisterClassOnce(instance,
                      {L"TEV_LIVEPREVIEW_CLASS", CS_HREDRAW | CS_VREDRAW, IDC_ARROW, COLOR_BTNFACE});
    const Settings settings(m_settingsFile);
    m_shown = settings.ReadInt(kSection, L"shown", 1) != 0;
    HWND hwnd = CreateWindowExW(WS_EX_TOOLWINDOW, L"TEV_LIVEPREVIEW_CLASS", L"Live preview",
                                WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_HSCROLL | WS_VSCROLL,
                                0, 0, 100, 100, owner, nullptr, instance, BindingParam());
    if (!hwnd) {
        return;
    }
    RECT dialog = {};
    GetWindowRect(owner, &dialog);
    const RECT work = WorkAreaNear(owner);
    const int dpi = DpiOf(owner);
    const StoredWindowSize sizes(m_settingsFile, kSection);
    const SIZE wanted = {sizes.Width(owner, ScaledForDpi(480, dpi)), sizes.Height(owner, Height(dialog))};
    const int storedDpi = settings.ReadInt(kSection, L"dpi", dpi);
    const POINT stored = {MulDiv(settings.ReadInt(kSection, L"left", INT_MIN / 2), dpi, storedDpi),
                          MulDiv(settings.ReadInt(kSection, L"top", INT_MIN / 2), dpi, storedDpi)};
    RECT place = {stored.x, stored.y, stored.x + wanted.cx, stored.y + wanted.cy};
    RECT inWork = {};
    RECT overDialog = {};
    // A remembered place that still lies on the screen and beside the dialog is kept.
    if (!IntersectRect(&inWork, &place, &work) || !EqualRect(&inWork, &place) ||
        IntersectRect(&overDialog, &place, &dialog)) {
        const SideBySide beside = PlaceBeside(dialog, wanted, work, ScaledForDpi(240, dpi));
        place = beside.pane;
        if (!EqualRect(&beside.dialog, &dialog)) {
            SetWindowPos(owner, nullptr, beside.dialog.left, beside.dialog.top, Width(beside.dialog),
                         Height(beside.dialog), SWP_NOZORDER | SWP_NOACTIVATE);
        }
    }
    SetWindowPos(hwnd, nullptr, place.left, place.top, Width(place), Height(place),
                 SWP_NOZORDER | SWP_NOACTIVATE);
    if (m_shown) {
        ShowWindow(hwnd, SW_SHOWNOACTIVATE);
    }
}

void CLivePreview::SetShown(bool shown) {
    m_shown = shown;
    if (HWND hwnd = BoundWindow()) {
        ShowWindow(hwnd, shown ? SW_SHOWNOACTIVATE : SW_HIDE);
    }
}

void CLivePreview::ShowString(size_t string, const OptString& typed) {
    StopTimer(kTypingTimer);
    const ProjectModel& model = m_session.Model();
    if (string >= model.Strings().size()) {
        return;
    }
    const std::optional<size_t> shownDialog = m_layout ? ShownDialog() : std::nullopt;
    m_string = string;
    m_typed = typed;
    m_dialogs = m_session.Checks().DialogsOf(model, string);
    // A string that the dialog shown holds too keeps that dialog: the outline moves, the view stays.
    const auto kept =
        shownDialog ? std::find(m_dialogs.begin(), m_dialogs.end(), *shownDialog) : m_dialogs.end();
    const bool keep = kept != m_dialogs.end();
    m_dialogAt = keep ? static_cast<size_t>(kept - m_dialogs.begin()) : 0;
    if (!keep) {
        m_layout.reset();
        m_scroll = {0, 0};
    }
    LayOut();
}

void CLivePreview::TextTyped(const OptString& typed) {
    if (!m_string || typed == m_typed) {
        return;
    }
    m_typed = typed;
    if (BoundWindow()) {
        StartTimer(kTypingTimer, kTypingPauseMs);
    }
}

void CLivePreview::Flush() {
    StopTimer(kTypingTimer);
    LayOut();
}

void CLivePreview::StepDialog(int step) {
    if (m_dialogs.size() < 2) {
        return;
    }
    const auto count = static_cast<int>(m_dialogs.size());
    m_dialogAt = static_cast<size_t>(((static_cast<int>(m_dialogAt) + step) % count + count) % count);
    m_scroll = {0, 0};
    LayOut();
}

std::optional<size_t> CLivePreview::ShownDialog() const {
    return m_dialogAt < m_dialogs.size() ? std::optional<size_t>(m_dialogs[m_dialogAt]) : std::nullopt;
}

void CLivePreview::OnTranslationsChanged(const std::vector<size_t>&) {
    m_translated.reset();
}

void CLivePreview::OnProjectOpened() {
    m_translated.reset();
    m_string.reset();
    m_dialogs.clear();
    m_layout.reset();
    m_target = nullptr;
}

void CLivePreview::LayOut() {
    m_target = nullptr;
    m_menuPath.clear();
    const std::optional<size_t> dialog = ShownDialog();
    const ProjectModel& model = m_session.Model();
    if (!m_string || !dialog) {
        m_layout.reset();
    } else {
        if (!m_translated) {
            m_translated = IndexTranslated(model);
        }
        m_layout = std::make_unique<DialogLayout>(model, *dialog,
                                                  StringsOfDialog(model.Dialogs()[*dialog], *m_translated),
                                                  TypedText{*m_string, m_typed});
        if (!m_layout->Loaded()) {
            m_layout.reset();
        }
    }
    FindTarget();
    SelectPages();
    UpdateFindings();
    UpdateCaption();
    UpdateScrollBars();
    ScrollTargetIntoView();
    if (HWND hwnd = BoundWindow()) {
        InvalidateRect(hwnd, nullptr, FALSE);
    }
}

void CLivePreview::FindTarget() {
    if (!m_layout || !m_string) {
        return;
    }
    m_target = FindShowing(&m_layout->Root(), m_session.Model().Strings()[*m_string]);
    if (m_target && IsMenu(m_target->Parent())) {
        m_menuPath = MenuPath(m_target);
    }
}

// Each page container shows the page the string lies on, else its first page.
void CLivePreview::SelectPages() {
    m_pages.clear();
    if (!m_layout) {
        return;
    }
    std::vector<CTEVElement*> pending = {&m_layout->Root()};
    while (!pending.empty()) {
        CTEVElement* element = pending.back();
        pending.pop_back();
        if (IsPageContainer(element) && element->ChildCount() > 0) {
            CTEVElement* shown = element->Child(0);
            for (size_t i = 0; i < element->ChildCount(); ++i) {
                CTEVElement* page = element->Child(i);
                if (m_target && (m_target == page || IsDescendant(m_target, page))) {
                    shown = page;
                }
            }
            m_pages.push_back(shown);
        }
        for (size_t i = 0; i < element->ChildCount(); ++i) {
            pending.push_back(element->Child(i));
        }
    }
}

bool CLivePreview::IsDrawn(const CTEVElement* element) const {
    for (const CTEVElement* e = element; e; e = e->Parent()) {
        if (IsPage(e) && std::find(m_pages.begin(), m_pages.end(), e) == m_pages.end()) {
            return false;
        }
    }
    return true;
}

bool CLivePreview::IsClipped(const PlacedControl& control) const {
    const std::optional<TextFit> fit = TextFitOf(control.element);
    return fit && fit->Lacking() > 0;
}

// Red for a translated text that does not fit, the system's highlight for the string's own control.
COLORREF CLivePreview::OutlineColour(CTEVElement* element) const {
    const std::optional<TextFit> fit = TextFitOf(element);
    return fit && fit->Lacking() > 0 ? kClippedColour : GetSysColor(COLOR_HIGHLIGHT);
}

void CLivePreview::UpdateFindings() {
    if (!m_string) {
        m_findings.clear();
        return;
    }
    if (!m_layout) {
        m_findings = m_dialogs.empty() ? L"No dialog shows this string." : L"The dialog does not load.";
        return;
    }
    if (!m_menuPath.empty()) {
        m_findings = L"A menu entry: " + m_menuPath + L".";
        return;
    }
    const std::optional<TextFit> fit = m_target ? TextFitOf(m_target) : std::nullopt;
    if (!m_target || !RectInDialog(m_target)) {
        m_findings = L"The string shows nowhere in this dialog as it opens.";
    } else if (fit && fit->Lacking() > 0) {
        m_findings = FormatText(L"The text is clipped by %d px%s: it needs %d px, has %d px.", fit->Lacking(),
                                fit->vertical ? L" of height" : L"", fit->needed, fit->given);
    } else {
        m_findings = L"The text fits.";
    }
    size_t others = 0;
    for (const PlacedControl& control : m_layout->Controls()) {
        others += control.element != m_target && control.string && IsClipped(control) ? 1 : 0;
    }
    if (others > 0) {
        m_findings += FormatText(L" %u other text%s of this dialog clipped.", static_cast<unsigned>(others),
                                 others == 1 ? L" is" : L"s are");
    }
}

void CLivePreview::UpdateCaption() {
    HWND hwnd = BoundWindow();
    if (!hwnd) {
        return;
    }
    std::wstring caption = L"Live preview (F6)";
    if (!m_menuPath.empty()) {
        caption += L": menu " + m_menuPath;
    } else if (m_layout && m_layout->Root().Caption()) {
        caption += L": " + std::wstring(m_layout->Root().Caption());
    }
    SetWindowTextW(hwnd, caption.c_str());
}

std::optional<CLivePreview::Outline> CLivePreview::CurrentOutline() const {
    const std::optional<RECT> rect = m_target ? RectInDialog(m_target) : std::nullopt;
    if (!rect) {
        return std::nullopt;
    }
    const POINT origin = DialogOrigin();
    RECT onPane = *rect;
    OffsetRect(&onPane, origin.x, origin.y);
    return Outline{onPane, OutlineColour(m_target)};
}

std::optional<RECT> CLivePreview::DrawnRectOf(size_t string) const {
    if (!m_layout || string >= m_session.Model().Strings().size()) {
        return std::nullopt;
    }
    CTEVElement* element = FindShowing(&m_layout->Root(), m_session.Model().Strings()[string]);
    std::optional<RECT> rect = element ? RectInDialog(element) : std::nullopt;
    if (rect) {
        const POINT origin = DialogOrigin();
        OffsetRect(&*rect, origin.x, origin.y);
    }
    return rect;
}

std::optional<RECT> CLivePreview::RectInDialog(CTEVElement* element) const {
    if (!m_layout || !IsDrawn(element)) {
        return std::nullopt;
    }
    if (element == &m_layout->Root()) {
        return RECT{0, -CaptionHeight(), m_layout->ClientSize().cx, 0};
    }
    if (IsPage(element)) {
        for (const auto& [page, rect] : PageHeaders(element->Parent())) {
            if (page == element) {
                return rect;
            }
        }
        return std::nullopt;
    }
    for (const PlacedControl& control : m_layout->Controls()) {
        if (control.element == element) {
            return control.rect;
        }
    }
    return std::nullopt;
}

int CLivePreview::Band() const {
    return ScaledForDpi(24, DpiOf(BoundWindow()));
}

int CLivePreview::CaptionHeight() const {
    return GetSystemMetrics(SM_CYCAPTION);
}

RECT CLivePreview::Canvas() const {
    RECT client = {};
    GetClientRect(BoundWindow(), &client);
    return {0, Band(), client.right, std::max<int>(Band(), client.bottom - Band())};
}

RECT CLivePreview::ArrowRect(int step) const {
    const int band = Band();
    return step < 0 ? RECT{0, 0, band, band} : RECT{band, 0, 2 * band, band};
}

POINT CLivePreview::DialogOrigin() const {
    const RECT canvas = Canvas();
    const int margin = ScaledForDpi(kMargin, DpiOf(BoundWindow()));
    return {canvas.left + margin - m_scroll.x, canvas.top + margin + CaptionHeight() - m_scroll.y};
}

// The tabs of a page container across its top, each as wide as its label.
std::vector<std::pair<CTEVElement*, RECT>> CLivePreview::PageHeaders(CTEVElement* container) const {
    std::vector<std::pair<CTEVElement*, RECT>> headers;
    const PlacedControl* placed = nullptr;
    for (const PlacedControl& control : m_layout->Controls()) {
        placed = control.element == container ? &control : placed;
    }
    if (!placed) {
        return headers;
    }
    const WindowDC screen(nullptr);
    HDC dc = screen.Get();
    SelectedObject font(dc, GetStockObject(DEFAULT_GUI_FONT));
    TEXTMETRICW metrics = {};
    GetTextMetricsW(dc, &metrics);
    const int pad = ScaledForDpi(6, DpiOf(BoundWindow()));
    int x = placed->rect.left + 2;
    for (size_t i = 0; i < container->ChildCount(); ++i) {
        CTEVElement* page = container->Child(i);
        const std::wstring label = WithoutAccelerators(PageLabel(page) ? PageLabel(page) : L"");
        SIZE size = {};
        GetTextExtentPoint32W(dc, label.c_str(), static_cast<int>(label.size()), &size);
        const RECT header = {x, placed->rect.top, x + size.cx + 2 * pad,
                             placed->rect.top + metrics.tmHeight + pad};
        headers.emplace_back(page, header);
        x = header.right;
    }
    return headers;
}

void CLivePreview::ScrollTargetIntoView() {
    const std::optional<RECT> rect = m_target ? RectInDialog(m_target) : std::nullopt;
    HWND hwnd = BoundWindow();
    if (!rect || !hwnd) {
        return;
    }
    const RECT canvas = Canvas();
    const int margin = ScaledForDpi(kMargin, DpiOf(hwnd));
    // In the drawing's own coordinates, where the scroll position counts from.
    const int top = rect->top + CaptionHeight() + margin;
    const int left = rect->left + margin;
    auto into = [](int scroll, int from, int to, int view) {
        if (to - scroll > view) {
            scroll = to - view + 2 * kOutlineWidth;
        }
        return std::max(0, std::min(scroll, from - 2 * kOutlineWidth));
    };
    m_scroll.x = into(m_scroll.x, left, left + Width(*rect), Width(canvas));
    m_scroll.y = into(m_scroll.y, top, top + Height(*rect), Height(canvas));
    UpdateScrollBars();
}

void CLivePreview::UpdateScrollBars() {
    HWND hwnd = BoundWindow();
    if (!hwnd) {
        return;
    }
    const RECT canvas = Canvas();
    const int margin = ScaledForDpi(kMargin, DpiOf(hwnd));
    const SIZE client = m_layout ? m_layout->ClientSize() : SIZE{0, 0};
    const SIZE content = {client.cx + 2 * margin, client.cy + CaptionHeight() + 2 * margin};
    const int views[] = {Width(canvas), Height(canvas)};
    const int sizes[] = {content.cx, content.cy};
    LONG* positions[] = {&m_scroll.x, &m_scroll.y};
    m_updatingScrollBars = true;
    for (int bar = SB_HORZ; bar <= SB_VERT; ++bar) {
        *positions[bar] = std::max(0, std::min<int>(*positions[bar], sizes[bar] - views[bar]));
        SCROLLINFO info = {
            sizeof(info),    SIF_ALL, 0, sizes[bar] - 1, static_cast<UINT>(std::max(0, views[bar])),
            *positions[bar], 0};
        SetScrollInfo(hwnd, bar, &info, TRUE);
    }
    m_updatingScrollBars = false;
}

void CLivePreview::Scroll(int bar, WORD request) {
    HWND hwnd = BoundWindow();
    SCROLLINFO info = {sizeof(info), SIF_ALL};
    GetScrollInfo(hwnd, bar, &info);
    const int line = ScaledForDpi(16, DpiOf(hwnd));
    int position = info.nPos;
    switch (request) {
    case SB_LINEUP:
        position -= line;
        break;
    case SB_LINEDOWN:
        position += line;
        break;
    case SB_PAGEUP:
        position -= static_cast<int>(info.nPage);
        break;
    case SB_PAGEDOWN:
        position += static_cast<int>(info.nPage);
        break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION:
        position = info.nTrackPos;
        break;
    default:
        return;
    }
    (bar == SB_HORZ ? m_scroll.x : m_scroll.y) = position;
    UpdateScrollBars();
    InvalidateRect(hwnd, nullptr, FALSE);
}

std::optional<size_t> CLivePreview::StringShownBy(CTEVElement* element) const {
    const std::vector<StringItem>& strings = m_session.Model().Strings();
    for (size_t i = 0; i < strings.size(); ++i) {
        if (Shows(element, strings[i])) {
            return i;
        }
    }
    return std::nullopt;
}

// The innermost drawn element under the point: tabs and the caption first, then the smallest control.
CTEVElement* CLivePreview::ElementAt(POINT point) const {
    if (!m_layout) {
        return nullptr;
    }
    CTEVElement* found = nullptr;
    long foundArea = LONG_MAX;
    auto consider = [&](CTEVElement* element, const RECT& rect) {
        const long area = static_cast<long>(Width(rect)) * Height(rect);
        if (PtInRect(&rect, point) && area <= foundArea) {
            found = element;
            foundArea = area;
        }
    };
    for (const PlacedControl& control : m_layout->Controls()) {
        if (IsDrawn(control.element) && !IsPage(control.element)) {
            consider(control.element, control.rect);
            if (IsPageContainer(control.element)) {
                for (const auto& [page, rect] : PageHeaders(control.element)) {
                    consider(page, rect);
                }
            }
        }
    }
    if (const std::optional<RECT> caption = RectInDialog(&m_layout->Root())) {
        consider(&m_layout->Root(), *caption);
    }
    return found;
}

void CLivePreview::OnClick(POINT point) {
    for (int step : {-1, 1}) {
        const RECT arrow = ArrowRect(step);
        if (PtInRect(&arrow, point)) {
            StepDialog(step);
            return;
        }
    }
    const RECT canvas = Canvas();
    if (!PtInRect(&canvas, point)) {
        return;
    }
    const POINT origin = DialogOrigin();
    CTEVElement* element = ElementAt({point.x - origin.x, point.y - origin.y});
    const std::optional<size_t> string = element ? StringShownBy(element) : std::nullopt;
    if (string && m_pick) {
        m_pick(*string);
    }
}

LRESULT CLivePreview::HandleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_MOUSEACTIVATE:
        // A click picks a string; the focus stays in the translation box.
        return MA_NOACTIVATE;
    case WM_LBUTTONDOWN:
        OnClick({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        return 0;
    case WM_TIMER:
        if (wParam == kTypingTimer) {
            Flush();
            return 0;
        }
        break;
    case WM_HSCROLL:
    case WM_VSCROLL:
        Scroll(message == WM_HSCROLL ? SB_HORZ : SB_VERT, LOWORD(wParam));
        return 0;
    case WM_SIZE:
        // A scroll bar shown or hidden below sizes the client again: that pass is left alone.
        if (!m_updatingScrollBars) {
            UpdateScrollBars();
        }
        InvalidateRect(hwnd, nullptr, FALSE);
        return 0;
    case WM_ERASEBKGND:
        return 1; // painted whole, through a buffer
    case WM_CLOSE:
        // The close box hides the pane; F6 brings it back.
        SetShown(false);
        return 0;
    case WM_DESTROY:
        StoreSettings();
        break;
    default:
        break;
    }
    return COwnWindow::HandleMessage(hwnd, message, wParam, lParam);
}

void CLivePreview::StoreSettings() {
    HWND hwnd = BoundWindow();
    RECT rect = {};
    WINDOWPLACEMENT placement = {sizeof(placement)};
    if (GetWindowPlacement(hwnd, &placement)) {
        rect = placement.rcNormalPosition;
    }
    StoredWindowSize(m_settingsFile, kSection).Store(hwnd, Width(rect), Height(rect));
    const Settings settings(m_settingsFile);
    settings.WriteInt(kSection, L"left", rect.left);
    settings.WriteInt(kSection, L"top", rect.top);
    settings.WriteInt(kSection, L"shown", m_shown ? 1 : 0);
}

void CLivePreview::Paint(HWND hwnd, HDC target, const RECT& client) {
    MemoryDC buffer(target);
    GdiObject<HBITMAP> bitmap(
        CreateCompatibleBitmap(target, std::max(1L, client.right), std::max(1L, client.bottom)));
    SelectedObject selected(buffer.Get(), bitmap.Get());
    HDC dc = buffer.Get();
    FillRect(dc, client, COLOR_APPWORKSPACE);
    SetBkMode(dc, TRANSPARENT);
    SelectedObject font(dc, GetStockObject(DEFAULT_GUI_FONT));
    {
        const RECT canvas = Canvas();
        const int saved = SaveDC(dc);
        IntersectClipRect(dc, canvas.left, canvas.top, canvas.right, canvas.bottom);
        DrawDialog(dc);
        RestoreDC(dc, saved);
    }
    DrawBands(dc, client);
    BitBlt(target, 0, 0, client.right, client.bottom, dc, 0, 0, SRCCOPY);
}

void CLivePreview::DrawBands(HDC dc, const RECT& client) {
    const int band = Band();
    const RECT toolbar = {0, 0, client.right, band};
    const RECT findings = {0, std::max<int>(band, client.bottom - band), client.right, client.bottom};
    FillRect(dc, toolbar, COLOR_BTNFACE);
    FillRect(dc, findings, COLOR_BTNFACE);
    const bool several = m_dialogs.size() > 1;
    for (int step : {-1, 1}) {
        RECT arrow = ArrowRect(step);
        InflateRect(&arrow, -2, -2);
        DrawFrameControl(dc, &arrow, DFC_SCROLL,
                         (step < 0 ? DFCS_SCROLLLEFT : DFCS_SCROLLRIGHT) | (several ? 0 : DFCS_INACTIVE));
    }
    std::wstring where;
    if (m_layout) {
        where = FormatText(L"Dialog %u of %u", static_cast<unsigned>(m_dialogAt + 1),
                           static_cast<unsigned>(m_dialogs.size()));
        if (const std::optional<size_t> dialog = ShownDialog()) {
            where += L": " + m_session.Model().Dialogs()[*dialog].path;
        }
    }
    const int pad = ScaledForDpi(6, DpiOf(BoundWindow()));
    DrawTextIn(dc, where, {2 * band + pad, 0, client.right - pad, band},
               DT_SINGLELINE | DT_VCENTER | DT_PATH_ELLIPSIS | DT_NOPREFIX);
    DrawTextIn(dc, m_findings, {pad, findings.top, client.right - pad, findings.bottom},
               DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
}

void CLivePreview::DrawDialog(HDC dc) {
    if (!m_layout) {
        return;
    }
    const POINT origin = DialogOrigin();
    const SIZE size = m_layout->ClientSize();
    const int captionHeight = CaptionHeight();
    const RECT caption = {origin.x, origin.y - captionHeight, origin.x + size.cx, origin.y};
    // Inactive colours: the highlight outline must stand out on the caption.
    FillRect(dc, caption, COLOR_INACTIVECAPTION);
    const wchar_t* title = m_layout->Root().Caption();
    DrawTextIn(dc, title ? title : L"", {caption.left + 4, caption.top, caption.right - 4, caption.bottom},
               DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX, COLOR_INACTIVECAPTIONTEXT);
    FillRect(dc, {origin.x, origin.y, origin.x + size.cx, origin.y + size.cy}, COLOR_BTNFACE);
    for (const PlacedControl& control : m_layout->Controls()) {
        if (!IsDrawn(control.element) || IsPage(control.element)) {
            continue;
        }
        RECT rect = control.rect;
        OffsetRect(&rect, origin.x, origin.y);
        DrawControl(dc, control, rect);
        if (IsPageContainer(control.element)) {
            DrawPages(dc, control.element);
        }
    }
    // Outlines last, so that no control is drawn over one.
    for (const PlacedControl& control : m_layout->Controls()) {
        if (control.element != m_target && control.string && IsDrawn(control.element) && IsClipped(control)) {
            RECT rect = control.rect;
            OffsetRect(&rect, origin.x, origin.y);
            InflateRect(&rect, kOutlineWidth, kOutlineWidth);
            DrawFrame(dc, rect, kClippedColour, kOutlineWidth);
        }
    }
    if (const std::optional<Outline> outline = CurrentOutline()) {
        RECT rect = outline->rect;
        InflateRect(&rect, kOutlineWidth, kOutlineWidth);
        DrawFrame(dc, rect, outline->colour, kOutlineWidth);
    }
}

void CLivePreview::DrawPages(HDC dc, CTEVElement* container) {
    const POINT origin = DialogOrigin();
    for (const auto& [page, header] : PageHeaders(container)) {
        RECT rect = header;
        OffsetRect(&rect, origin.x, origin.y);
        const bool shown = std::find(m_pages.begin(), m_pages.end(), page) != m_pages.end();
        FillRect(dc, rect, shown ? COLOR_WINDOW : COLOR_BTNFACE);
        DrawEdge(dc, &rect, EDGE_RAISED, BF_LEFT | BF_TOP | BF_RIGHT);
        const wchar_t* label = PageLabel(page);
        DrawTextIn(dc, label ? label : L"", rect, DT_SINGLELINE | DT_VCENTER | DT_CENTER);
    }
}

// Each kind drawn as the platform draws its control, closely enough to judge room and place.
void CLivePreview::DrawControl(HDC dc, const PlacedControl& control, const RECT& rect) {
    const std::wstring text = control.element->WindowText();
    const std::wstring tag = control.kind->tag;
    const int box = ScaledForDpi(13, DpiOf(BoundWindow()));
    RECT inner = rect;
    if (tag == L"button") {
        DrawFrameControl(dc, &inner, DFC_BUTTON, DFCS_BUTTONPUSH);
        DrawTextIn(dc, text, inner, DT_SINGLELINE | DT_VCENTER | DT_CENTER);
    } else if (tag == L"checkbox" || tag == L"radio") {
        RECT mark = {rect.left, rect.top + (Height(rect) - box) / 2, rect.left + box,
                     rect.top + (Height(rect) + box) / 2};
        DrawFrameControl(dc, &mark, DFC_BUTTON, tag == L"radio" ? DFCS_BUTTONRADIO : DFCS_BUTTONCHECK);
        inner.left += box + 4;
        DrawTextIn(dc, text, inner, DT_SINGLELINE | DT_VCENTER);
    } else if (tag == L"groupbox") {
        TEXTMETRICW metrics = {};
        GetTextMetricsW(dc, &metrics);
        RECT frame = {rect.left, rect.top + metrics.tmHeight / 2, rect.right, rect.bottom};
        DrawEdge(dc, &frame, EDGE_ETCHED, BF_RECT);
        SIZE extent = {};
        const std::wstring shown = WithoutAccelerators(text);
        GetTextExtentPoint32W(dc, shown.c_str(), static_cast<int>(shown.size()), &extent);
        const RECT label = {rect.left + 8, rect.top, rect.left + 8 + extent.cx + 4,
                            rect.top + metrics.tmHeight};
        FillRect(dc, label, COLOR_BTNFACE);
        DrawTextIn(dc, text, {label.left + 2, label.top, label.right, label.bottom}, DT_SINGLELINE);
    } else if (tag == L"label") {
        DrawTextIn(dc, text, inner, DT_WORDBREAK);
    } else if (tag == L"url") {
        DrawTextIn(dc, text, inner, DT_WORDBREAK, COLOR_HOTLIGHT);
    } else if (tag == L"textbox" || tag == L"combobox" || tag == L"listbox" || tag == L"list" ||
               tag == L"checkslist" || tag == L"selectfile") {
        FillRect(dc, rect, COLOR_WINDOW);
        DrawEdge(dc, &inner, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
        if (tag == L"combobox") {
            RECT arrow = {inner.right - box - 2, inner.top, inner.right, inner.bottom};
            DrawFrameControl(dc, &arrow, DFC_SCROLL, DFCS_SCROLLCOMBOBOX);
            inner.right = arrow.left;
        }
        InflateRect(&inner, -2, -1);
        DrawTextIn(dc, text, inner, DT_NOPREFIX | DT_WORDBREAK, COLOR_WINDOWTEXT);
    } else if (auto* picture = dynamic_cast<CTEVPicture*>(control.element)) {
        // The project's own picture, through the preview engine.
        control.element->Engine()->DrawImage(dc, rect.left, rect.top, Width(rect), Height(rect),
                                             picture->Picture());
    } else if (tag == L"tabbox" || tag == L"tabswitcher") {
        DrawEdge(dc, &inner, EDGE_RAISED, BF_RECT);
    } else if (Height(rect) <= 3) {
        DrawEdge(dc, &inner, EDGE_ETCHED, BF_TOP);
    } else {
        DrawEdge(dc, &inner, BDR_SUNKENOUTER, BF_RECT);
        DrawTextIn(dc, text, inner, DT_SINGLELINE | DT_VCENTER | DT_CENTER);
    }
}
