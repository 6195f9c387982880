#include "CTEVDialog.h"

#include "AttributeReaders.h"
#include "CTEVEngine.h"
#include "Diagnostics.h"
#include "GdiHandles.h"
#include "SystemMetrics.h"
#include "XmlDom.h"
#include "UserHandles.h"

#include <windowsx.h>

#include <algorithm>
#include <cstring>

namespace {

// Appends the UTF-16 text, terminator included, to a template.
void AppendText(std::vector<WORD>& block, const wchar_t* text) {
    for (; *text; ++text) {
        block.push_back(static_cast<WORD>(*text));
    }
    block.push_back(0);
}

void AppendDword(std::vector<WORD>& block, DWORD value) {
    block.push_back(LOWORD(value));
    block.push_back(HIWORD(value));
}

int Width(const RECT& r) {
    return r.right - r.left;
}
int Height(const RECT& r) {
    return r.bottom - r.top;
}

// The font every dialog unit of the system is measured in: its height goes into the template
// where the point size belongs, as it always has.
LOGFONTW TemplateFont() {
    LOGFONTW font = {};
    GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof(font), &font);
    return font;
}

// The template's font size. The dialog manager scales it by the DPI itself, and the stock font is
// already made for the DPI: the template takes the stock height at 96 DPI, so the DPI counts once.
WORD TemplatePointSize(const LOGFONTW& font) {
    return static_cast<WORD>(MulDiv(font.lfHeight, USER_DEFAULT_SCREEN_DPI, SystemDpi()));
}

// The push button's own message, so the dialog needs no knowledge of the button class.
void ShowAsDefault(CTEVElement* button, BOOL isDefault) {
    SendMessageW(button->Window(), BM_SETSTYLE, isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
}

// The first descendant of owner with that control id, passing over nested dialogs (tab panels): they
// number their controls anew, also while their window is not made yet.
CTEVElement* FindNumberedBy(CTEVElement* owner, int controlId) {
    for (size_t i = 0; i < owner->ChildCount(); ++i) {
        CTEVElement* child = owner->Child(i);
        if (dynamic_cast<CTEVDialog*>(child)) {
            continue;
        }
        if (child->ControlId() == controlId) {
            return child;
        }
        if (CTEVElement* found = FindNumberedBy(child, controlId)) {
            return found;
        }
    }
    return nullptr;
}

// The dialog and the elements inside it that filter keys leave the chain: their windows go.
void StopFilteringTree(CTEVElement& element) noexcept {
    if (auto* filter = dynamic_cast<CKeyFilter*>(&element)) {
        filter->StopFiltering();
    }
    for (size_t i = 0; i < element.ChildCount(); ++i) {
        StopFilteringTree(*element.Child(i));
    }
}

} // namespace

CTEVDialog::CTEVDialog(const wchar_t* source, CTEVEngine* engine, CTEVElement* parent)
    : CTEVElement(parent, engine), m_source(CopyOrNull(source)), m_contextHelp(CreateContextHelp(engine)) {
    m_marginLeft = m_marginRight = m_marginTop = m_marginBottom = 5;
}

CTEVDialog::~CTEVDialog() = default;

BOOL CTEVDialog::IsKindOf(const wchar_t* tag, CTEVElement** out) {
    return MatchesKind(L"dialog", tag, out);
}

BOOL CTEVDialog::LoadFromNode(IXMLDOMNode* node) {
    if (!CTEVElement::LoadFromNode(node)) {
        return FALSE;
    }
    m_caption = GetLocalizedAttribute(node, L"caption");
    m_centerScreen = GetAttributeBool(node, L"centerScreen", FALSE);
    m_contextHelpEnabled = GetAttributeBool(node, L"contextHelp", FALSE);
    m_clipChildren = GetAttributeBool(node, L"clipChildren", FALSE);
    m_clipSiblings = GetAttributeBool(node, L"clipSiblings", FALSE);
    m_minimizeBox = GetAttributeBool(node, L"minimizeBox", FALSE);
    m_maximizeBox = GetAttributeBool(node, L"maximizeBox", FALSE);
    m_sysMenu = GetAttributeBool(node, L"sysMenu", TRUE);
    m_border =
        GetAttributeEnum(node, L"border", BorderDialogFrame, {L"none", L"thin", L"resizing", L"dialogFrame"});
    ComputeStyle();
    // Only the first "contexthelp" counts; it makes no element (the factory does not know it).
    if (m_contextHelp) {
        if (ComPtr<IXMLDOMNode> tips = xml::SelectSingleNode(node, L"contexthelp")) {
            m_contextHelp->LoadTips(tips.Get());
        }
    }
    return TRUE;
}

void CTEVDialog::ComputeStyle() {
    m_style = WS_POPUP | WS_VISIBLE | DS_SETFONT;
    if (m_clipChildren) {
        m_style |= WS_CLIPCHILDREN;
    }
    if (m_clipSiblings) {
        m_style |= WS_CLIPSIBLINGS;
    }
    if (m_maximizeBox) {
        m_style |= WS_MAXIMIZEBOX;
    }
    if (m_minimizeBox) {
        m_style |= WS_MINIMIZEBOX;
    }
    if (m_sysMenu) {
        m_style |= WS_SYSMENU;
    }
    switch (m_border) {
    case BorderThin:
        m_style |= WS_CAPTION;
        break;
    case BorderResizing:
        m_style |= WS_CAPTION | WS_THICKFRAME;
        break;
    case BorderDialogFrame:
        m_style |= WS_CAPTION | DS_MODALFRAME;
        break;
    default:
        break;
    }
    if (m_contextHelpEnabled) {
        m_style |= DS_CONTEXTHELP;
    }
}

int CTEVDialog::NewControlId() {
    return m_nextControlId++;
}

void CTEVDialog::BuildTemplate(DWORD style, DWORD exStyle, int cx, int cy) {
    const LOGFONTW font = TemplateFont();

    std::vector<WORD> block;
    block.push_back(1);      // dlgVer
    block.push_back(0xFFFF); // signature
    AppendDword(block, 0);   // helpID
    AppendDword(block, exStyle);
    AppendDword(block, style);
    block.push_back(0); // no controls: the tree creates its own
    block.push_back(0); // x
    block.push_back(0); // y
    block.push_back(static_cast<WORD>(cx));
    block.push_back(static_cast<WORD>(cy));
    block.push_back(0); // no menu
    block.push_back(0); // the standard dialog class
    AppendText(block, m_caption ? m_caption->c_str() : L"");
    // The font is the one every dialog unit of the system is measured in.
    block.push_back(TemplatePointSize(font));
    block.push_back(static_cast<WORD>(font.lfWeight));
    block.push_back(static_cast<WORD>(font.lfItalic | (font.lfCharSet << 8)));
    AppendText(block, font.lfFaceName);
    m_template = std::move(block);
}

const DLGTEMPLATE* CTEVDialog::Template() const {
    return reinterpret_cast<const DLGTEMPLATE*>(m_template.data());
}

INT_PTR CTEVDialog::DoModal(HWND owner) {
    // A second run would load the description again into the tree the open window shows.
    if (!TEV_CHECK(!m_running)) {
        return 0;
    }
    HINSTANCE instance = m_engine ? m_engine->Instance() : nullptr;
    {
        WaitCursor busy; // a large description takes a while to read
        if (!LoadDocument(CStrOrNull(m_source), L"dialog", instance)) {
            return 0;
        }
    }
    if (m_template.empty()) {
        BuildTemplate(m_style, m_exStyle, m_width, m_height);
    }
    m_running = true;
    const INT_PTR result =
        DialogBoxIndirectParamW(instance, Template(), owner, DialogProc, reinterpret_cast<LPARAM>(this));
    m_running = false;
    return result;
}

void CTEVDialog::SetDefaultButton(const wchar_t* id) {
    if (m_defaultButton) {
        ShowAsDefault(m_defaultButton, FALSE);
        m_defaultButton = nullptr;
    }
    CTEVElement* element = FindById(id);
    CTEVElement* button = nullptr;
    if (element && element->IsKindOf(L"button", &button)) {
        m_defaultButton = button;
        ShowAsDefault(button, TRUE);
        SendMessageW(m_window, DM_SETDEFID, button->ControlId(), 0);
    }
}

RECT CTEVDialog::MapDialogUnits(int left, int top, int right, int bottom) const {
    if (const std::optional<SIZE> units = WindowlessBaseUnits()) {
        return {MulDiv(left, units->cx, 4), MulDiv(top, units->cy, 8), MulDiv(right, units->cx, 4),
                MulDiv(bottom, units->cy, 8)};
    }
    RECT rect = {left, top, right, bottom};
    MapDialogRect(m_window, &rect);
    return rect;
}

void CTEVDialog::OnInitDialog() {
    OnPreInitDialog();

    // Creating and arranging thousands of controls takes seconds.
    WaitCursor busy;
    SIZE need = {};
    const SIZE content = MakeAndLayOutContent(&need);

    SIZE frame = FrameSize();
    // A menu bar is measured at the window's width, which is still the template's here: measure
    // the frame again at the width the window will have.
    if (GetMenu(m_window)) {
        SetWindowPos(m_window, nullptr, 0, 0, frame.cx + content.cx, frame.cy + content.cy,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
        frame = FrameSize();
    }
    const RECT work = WorkArea();
    SetMinimumOuterSize(frame, need, work);
    PlaceWindow(AdjustWidth(frame.cx + content.cx), AdjustHeight(frame.cy + content.cy), work);
}

SIZE CTEVDialog::MakeAndLayOutContent(SIZE* need) {
    const RECT spacing = MapDialogUnits(4, 4, 7, 7);
    m_columnGap = spacing.left;
    m_rowGap = spacing.top;
    m_marginLeft = m_marginRight = spacing.right;
    m_marginTop = m_marginBottom = spacing.bottom;
    const RECT fixed = MapDialogUnits(0, 0, m_width, m_height);

    Create();

    SIZE content = ContentSize(fixed.right, fixed.bottom, need);
    Arrange(0, 0, content.cx, content.cy);
    // Word-wrapping controls know their widths only after the first arrangement.
    content = ContentSize(fixed.right, fixed.bottom, need);
    Arrange(0, 0, content.cx, content.cy);
    return content;
}

BOOL CTEVDialog::LayOutWithoutWindows() {
    if (!TEV_CHECK(!m_running && !m_window) ||
        !LoadDocument(CStrOrNull(m_source), L"dialog", m_engine ? m_engine->Instance() : nullptr)) {
        return FALSE;
    }
    MakeNoWindows(TemplateBaseUnits());
    OnPreInitDialog();
    SIZE need = {};
    const SIZE content = MakeAndLayOutContent(&need);
    const SIZE frame = ExpectedFrameSize();
    const RECT work = WorkArea();
    SetMinimumOuterSize(frame, need, work);
    const SIZE outer =
        OuterSize(AdjustWidth(frame.cx + content.cx), AdjustHeight(frame.cy + content.cy), work);
    const SIZE client = {std::min<int>(outer.cx, kLargestWindowSize) - frame.cx,
                         std::min<int>(outer.cy, kLargestWindowSize) - frame.cy};
    StandInForWindow(Caption());
    PlaceControl(0, 0, client.cx, client.cy);
    // Where the window comes out smaller than its content, WM_SIZE lays a resizable one out again.
    if (m_border == BorderResizing && (client.cx != content.cx || client.cy != content.cy)) {
        Arrange(0, 0, client.cx, client.cy);
    }
    return TRUE;
}

SIZE CTEVDialog::ExpectedFrameSize() {
    // The dialog manager gives a modal frame its extended style; the platform adds the edge of
    // a captioned window.
    DWORD exStyle = m_exStyle | ((m_style & DS_MODALFRAME) ? WS_EX_DLGMODALFRAME : 0);
    if ((m_style & WS_CAPTION) == WS_CAPTION || (m_style & WS_THICKFRAME)) {
        exStyle |= WS_EX_WINDOWEDGE;
    }
    // A menu bar of the dialog itself; one on a tab panel cannot attach.
    bool menu = false;
    std::vector<CTEVElement*> pending = {this};
    while (!pending.empty() && !menu) {
        CTEVElement* element = pending.back();
        pending.pop_back();
        menu = element->IsKindOf(L"menubar", nullptr);
        for (size_t i = 0; i < element->ChildCount(); ++i) {
            if (!dynamic_cast<CTEVDialog*>(element->Child(i))) {
                pending.push_back(element->Child(i));
            }
        }
    }
    RECT rect = {0, 0, 0, 0};
    AdjustWindowRectEx(&rect, m_style & ~DS_SETFONT, menu, exStyle);
    return {Width(rect), Height(rect)};
}

SIZE CTEVDialog::TemplateBaseUnits() {
    // The dialog manager makes the template's font at the screen's resolution and takes its
    // height and its average letter width as the base units.
    const LOGFONTW font = TemplateFont();
    HDC dc = MeasuringDC();
    const int pixels = MulDiv(static_cast<short>(TemplatePointSize(font)), GetDeviceCaps(dc, LOGPIXELSY), 72);
    GdiObject<HFONT> made(CreateFontW(-pixels, 0, 0, 0, font.lfWeight, font.lfItalic, FALSE, FALSE,
                                      font.lfCharSet, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, PROOF_QUALITY,
                                      FF_DONTCARE, font.lfFaceName));
    SelectedObject selected(dc, made.Get());
    TEXTMETRICW metrics = {};
    GetTextMetricsW(dc, &metrics);
    static const wchar_t kLetters[] = L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    SIZE letters = {};
    GetTextExtentPoint32W(dc, kLetters, 52, &letters);
    return {(letters.cx / 26 + 1) / 2, metrics.tmHeight};
}

// A resizable window may be made as small as its content allows, not only as small as it opened;
// never more than the screen holds, or its frame could not be brought back onto it.
void CTEVDialog::SetMinimumOuterSize(SIZE frame, SIZE need, const RECT& work) {
    m_minOuterWidth = frame.cx + need.cx;
    m_minOuterHeight = frame.cy + need.cy;
    if (m_border == BorderResizing) {
        m_minOuterWidth = std::min<int>(m_minOuterWidth, Width(work));
        m_minOuterHeight = std::min<int>(m_minOuterHeight, Height(work));
    }
}

void CTEVDialog::FitGrownContent() {
    if (!m_window) {
        return;
    }
    const RECT fixed = MapDialogUnits(0, 0, m_width, m_height);
    SIZE need = {};
    const SIZE content = ContentSize(fixed.right, fixed.bottom, &need);
    RECT client = {};
    GetClientRect(m_window, &client);
    const SIZE frame = FrameSize();
    SetMinimumOuterSize(frame, need, WorkArea());
    if (content.cx > Width(client) || content.cy > Height(client)) {
        SetWindowPos(m_window, nullptr, 0, 0, frame.cx + std::max<int>(content.cx, Width(client)),
                     frame.cy + std::max<int>(content.cy, Height(client)),
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
        GetClientRect(m_window, &client);
    }
    Arrange(client.left, client.top, std::max<int>(content.cx, Width(client)),
            std::max<int>(content.cy, Height(client)));
}

SIZE CTEVDialog::FrameSize() const {
    RECT window = {};
    RECT client = {};
    GetWindowRect(m_window, &window);
    GetClientRect(m_window, &client);
    return {Width(window) - Width(client), Height(window) - Height(client)};
}

SIZE CTEVDialog::ContentSize(int fixedWidth, int fixedHeight, SIZE* need) {
    SIZE size = {0, 0};
    GetMinSize(&size);
    *need = size;
    if (m_width != 0) {
        size.cx = fixedWidth;
    }
    if (m_height != 0) {
        size.cy = fixedHeight;
    }
    // A fixed size below the content's need is kept, so it is the least the window asks for then.
    need->cx = std::min(need->cx, size.cx);
    need->cy = std::min(need->cy, size.cy);
    return size;
}

RECT CTEVDialog::WorkArea() const {
    if (!m_window) {
        // A window made without an owner opens at the top left of the primary monitor.
        MONITORINFO info = {sizeof(info)};
        if (GetMonitorInfoW(MonitorFromPoint({0, 0}, MONITOR_DEFAULTTOPRIMARY), &info)) {
            return info.rcWork;
        }
    }
    HWND parent = m_window ? GetParent(m_window) : nullptr;
    return WorkAreaNear(parent ? parent : m_window);
}

SIZE CTEVDialog::OuterSize(int width, int height, const RECT& work) const {
    SIZE size = {std::max(width, m_minOuterWidth), std::max(height, m_minOuterHeight)};
    // A resizable window rearranges itself to fit the screen; a fixed one keeps its size and shows
    // at least its caption and left part.
    if (m_border == BorderResizing) {
        size.cx = std::min<int>(size.cx, Width(work));
        size.cy = std::min<int>(size.cy, Height(work));
    }
    return size;
}

void CTEVDialog::PlaceWindow(int width, int height, const RECT& work) {
    HWND parent = GetParent(m_window);
    const SIZE size = OuterSize(width, height, work);
    POINT place = {};
    RECT parentRect = {};
    if (!m_centerScreen && parent && GetWindowRect(parent, &parentRect)) {
        place = {parentRect.left, parentRect.top};
    } else {
        // Without a parent to sit on, the middle of the work area is the natural place.
        place = {work.left + (Width(work) - size.cx) / 2, work.top + (Height(work) - size.cy) / 2};
    }
    place.x = std::max<int>(work.left, std::min<int>(place.x, work.right - size.cx));
    place.y = std::max<int>(work.top, std::min<int>(place.y, work.bottom - size.cy));
    SetWindowPos(m_window, nullptr, place.x, place.y, size.cx, size.cy,
                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
}

BOOL CTEVDialog::CanClose(int) {
    return TRUE;
}

void CTEVDialog::OnNotify(CTEVElement*, WPARAM, NMHDR*) {}

BOOL CTEVDialog::OnCommand(CTEVElement*, int, int, HWND) {
    return FALSE;
}

BOOL CTEVDialog::PreProcessMessage(HWND, UINT, WPARAM, LPARAM, LRESULT*) {
    return FALSE;
}

CTEVElement* CTEVDialog::GetDefaultButton() {
    return nullptr;
}

int CTEVDialog::AdjustWidth(int cx) {
    return cx;
}

int CTEVDialog::AdjustHeight(int cy) {
    return cy;
}

void CTEVDialog::OnDestroy(int, int) {}

void CTEVDialog::OnPreInitDialog() {}

BOOL CTEVDialog::FilterMessage(UINT, CTEVElement*, WPARAM, LPARAM) {
    return FALSE;
}

void CTEVDialog::AttachToWindow(HWND hwnd, CTEVDialog* dialog) {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(dialog));
    dialog->m_window = hwnd;
}

bool CTEVDialog::PreTranslateKey(const MSG&) {
    return false;
}

bool CTEVDialog::OwnsWindow(HWND window) const {
    return window && window == m_window;
}

INT_PTR CALLBACK CTEVDialog::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    auto* dialog = reinterpret_cast<CTEVDialog*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!dialog && (message != WM_INITDIALOG || !lParam)) {
        return FALSE;
    }
    INT_PTR result = FALSE;
    try {
        if (!dialog) {
            reinterpret_cast<CTEVDialog*>(lParam)->OnFirstMessage(hwnd);
            return TRUE;
        }
        LRESULT answer = 1;
        result = dialog->PreProcessMessage(hwnd, message, wParam, lParam, &answer)
                     ? answer
                     : dialog->HandleMessage(message, wParam, lParam);
    } catch (...) {
        // Unwinding through the dialog manager's frames is undefined; the message gets the default answer.
        tev::Trace(L"exception in the dialog handler of message 0x%04x", message);
        result = FALSE;
    }
    // Whatever the handlers did, keys stop coming here with the window.
    if (message == WM_DESTROY) {
        StopFilteringTree(*dialog);
    }
    return result;
}

void CTEVDialog::OnFirstMessage(HWND hwnd) {
    AttachToWindow(hwnd, this);
    StartFiltering();
    OnInitDialog();
}

INT_PTR CTEVDialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND:
        if (LOWORD(wParam) == IDCANCEL || LOWORD(wParam) == IDOK) {
            const int code = LOWORD(wParam);
            if (CanClose(code)) {
                EndDialog(m_window, code);
            }
        } else {
            RouteCommand(wParam, lParam);
        }
        return TRUE;
    case WM_NOTIFY:
        RouteNotify(wParam, lParam);
        return TRUE;
    case WM_CLOSE:
        if (CanClose(0)) {
            EndDialog(m_window, IDCANCEL);
        }
        return TRUE;
    case WM_DESTROY: {
        // A popup left open would outlive the window it explains.
        if (m_contextHelp) {
            m_contextHelp->Close();
        }
        RECT window = {};
        GetWindowRect(m_window, &window);
        OnDestroy(Width(window), Height(window));
        return FALSE;
    }
    case WM_SIZE:
        if (m_border == BorderResizing) {
            RECT client = {};
            GetClientRect(m_window, &client);
            Arrange(client.left, client.top, Width(client), Height(client));
        }
        return FALSE;
    case WM_SIZING:
        if (m_border == BorderResizing) {
            EnforceMinimumSize(wParam, reinterpret_cast<RECT*>(lParam));
        }
        return FALSE;
    case WM_GETMINMAXINFO:
        // Maximising and programmatic sizing keep to the same minimum as dragging the frame.
        if (m_border == BorderResizing && m_minOuterWidth > 0 && lParam) {
            auto* limits = reinterpret_cast<MINMAXINFO*>(lParam);
            limits->ptMinTrackSize = {m_minOuterWidth, m_minOuterHeight};
        }
        return FALSE;
    case WM_DPICHANGED:
        FollowDpiChange(reinterpret_cast<const RECT*>(lParam));
        return TRUE;
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
        if (wParam != 0) {
            if (CTEVElement* element = OwnerDrawnElement(message, wParam, lParam)) {
                element->Fire(message == WM_DRAWITEM ? L"drawitem" : L"measureitem", wParam, lParam);
            }
        }
        return FALSE;
    case WM_HSCROLL:
    case WM_VSCROLL:
        if (CTEVElement* element = FindByHwnd(reinterpret_cast<HWND>(lParam))) {
            return element->Fire(message == WM_HSCROLL ? L"hscroll" : L"vscroll", wParam, 0);
        }
        return FALSE;
    case WM_HELP:
        ShowContextHelp(reinterpret_cast<const HELPINFO*>(lParam));
        return FALSE;
    case DM_GETDEFID: {
        CTEVElement* button = m_defaultButton ? m_defaultButton : GetDefaultButton();
        if (!button) {
            return FALSE;
        }
        SetWindowLongPtrW(m_window, DWLP_MSGRESULT, MAKELONG(button->ControlId(), DC_HASDEFID));
        return TRUE;
    }
    default:
        return FALSE;
    }
}

CTEVElement* CTEVDialog::OwnerDrawnElement(UINT message, WPARAM wParam, LPARAM lParam) {
    // Control ids repeat between a tab panel and its dialog, so the id alone may name another
    // window's element: a drawn item names its window, a measured one is searched among the
    // controls this dialog numbered.
    if (message == WM_DRAWITEM) {
        const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        return item ? FindByHwnd(item->hwndItem) : nullptr;
    }
    return FindNumberedBy(this, static_cast<int>(wParam));
}

void CTEVDialog::RouteCommand(WPARAM wParam, LPARAM lParam) {
    HWND control = reinterpret_cast<HWND>(lParam);
    const int code = HIWORD(wParam);
    const int id = LOWORD(wParam);
    // A command without a control window comes from a menu or an accelerator: its id names a
    // windowless element of this dialog (a menu item), which decides itself whether to answer.
    CTEVElement* element = control ? FindByHwnd(control) : FindNumberedBy(this, id);
    if (element && !control && element->Window()) {
        element = nullptr;
    }
    if (element && element->HandleCommand(code, id, control)) {
        return;
    }
    if (FilterMessage(WM_COMMAND, element, wParam, lParam)) {
        return;
    }
    OnCommand(element, code, id, control);
}

void CTEVDialog::RouteNotify(WPARAM wParam, LPARAM lParam) {
    auto* header = reinterpret_cast<NMHDR*>(lParam);
    CTEVElement* element = header ? FindByHwnd(header->hwndFrom) : nullptr;
    if (element && element->HandleNotify(wParam, header)) {
        return;
    }
    if (FilterMessage(WM_NOTIFY, element, wParam, lParam)) {
        return;
    }
    OnNotify(element, wParam, header);
}

// F1 on a control, or the caption's "?" button and a click on it. Menu items have no tips.
void CTEVDialog::ShowContextHelp(const HELPINFO* info) {
    if (!m_contextHelp || !info || info->iContextType != HELPINFO_WINDOW) {
        return;
    }
    // The focus may sit in a window inside a control (the edit field of a combo box): the help
    // is the control's.
    for (HWND window = static_cast<HWND>(info->hItemHandle); window; window = GetParent(window)) {
        if (CTEVElement* element = FindByHwnd(window)) {
            m_contextHelp->Show(element->Id(), window);
            return;
        }
        if (window == m_window) {
            return;
        }
    }
}

void CTEVDialog::EnforceMinimumSize(WPARAM edge, RECT* rect) const {
    if (!rect) {
        return;
    }
    if (Width(*rect) < m_minOuterWidth) {
        if (edge == WMSZ_LEFT || edge == WMSZ_TOPLEFT || edge == WMSZ_BOTTOMLEFT) {
            rect->left = rect->right - m_minOuterWidth;
        } else {
            rect->right = rect->left + m_minOuterWidth;
        }
    }
    if (Height(*rect) < m_minOuterHeight) {
        if (edge == WMSZ_TOP || edge == WMSZ_TOPLEFT || edge == WMSZ_TOPRIGHT) {
            rect->top = rect->bottom - m_minOuterHeight;
        } else {
            rect->bottom = rect->top + m_minOuterHeight;
        }
    }
}

void CTEVDialog::FollowDpiChange(const RECT* suggested) {
    if (!suggested) {
        return;
    }
    SetWindowPos(m_window, nullptr, suggested->left, suggested->top, Width(*suggested), Height(*suggested),
                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
    // A window with a fixed frame does not arrange itself on WM_SIZE: every kind is arranged here.
    RECT client = {};
    GetClientRect(m_window, &client);
    Arrange(client.left, client.top, Width(client), Height(client));
}
