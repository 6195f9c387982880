// The colour button and its drop-down palette: window classes, painting, mouse and keyboard
// in the palette, and the platform's colour dialog.
#include "CTEVColor.h"

#include "AttributeReaders.h"
#include "CTEVEngine.h"
#include "GdiHandles.h"
#include "SystemMetrics.h"

#include <commdlg.h>
#include <windowsx.h>

#include <algorithm>

namespace {

const wchar_t kButtonClass[] = L"TEV_COLORBUTTON_CLASS";
const wchar_t kPickerClass[] = L"TEV_COLORPICKER_CLASS";
const wchar_t kButtonProperty[] = L"CTEVColorThis";
const wchar_t kPickerProperty[] = L"clrpick_this";

const int kNoColour = -1;
const COLORREF kNoColourFill = RGB(204, 204, 204);
const COLORREF kNoColourMark = RGB(255, 0, 0);

HGDIOBJ DcPen(HDC dc, COLORREF colour) {
    SetDCPenColor(dc, colour);
    return GetStockObject(DC_PEN);
}

// Solid fill of area (right and bottom excluded); no colour shows as light grey crossed by a red
// diagonal from the bottom-left to the top-right corner.
void FillSwatch(HDC dc, const RECT& area, int colour) {
    SetDCBrushColor(dc, colour == kNoColour ? kNoColourFill : static_cast<COLORREF>(colour));
    FillRect(dc, &area, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
    if (colour == kNoColour) {
        SelectedObject pen(dc, DcPen(dc, kNoColourMark));
        MoveToEx(dc, area.left, area.bottom - 1, nullptr);
        LineTo(dc, area.right, area.top - 1);
    }
}

// One 1-pixel frame on the rectangle's edges (all included): left and top in one pen, then right
// and bottom in the other.
void Frame(HDC dc, const RECT& rect, COLORREF topLeft, COLORREF bottomRight) {
    SelectedObject pen(dc, DcPen(dc, topLeft));
    MoveToEx(dc, rect.left, rect.bottom, nullptr);
    LineTo(dc, rect.left, rect.top);
    LineTo(dc, rect.right, rect.top);
    SelectObject(dc, DcPen(dc, bottomRight));
    LineTo(dc, rect.right, rect.bottom);
    LineTo(dc, rect.left, rect.bottom);
}

// 216 colours whose components are multiples of 51, then 54 greys.
std::array<COLORREF, CTEVColorPicker::kColumns * CTEVColorPicker::kRows> BuildPalette() {
    static const BYTE kRed[] = {255, 204, 153, 102, 51,  0,   0,   51, 102,
                                153, 204, 255, 255, 204, 153, 102, 51, 0};
    static const BYTE kGreen[] = {0, 51, 102, 153, 204, 255, 255, 204, 153, 102, 51, 0};
    static const BYTE kBlue[2][3] = {{255, 204, 153}, {102, 51, 0}};
    std::array<COLORREF, CTEVColorPicker::kColumns* CTEVColorPicker::kRows> palette = {};
    const int colourRows = 12;
    for (int row = 0; row < colourRows; ++row) {
        for (int column = 0; column < CTEVColorPicker::kColumns; ++column) {
            palette[row * CTEVColorPicker::kColumns + column] =
                RGB(kRed[column], kGreen[row], kBlue[row / 6][column / 6]);
        }
    }
    for (int k = 0; k < 3 * CTEVColorPicker::kColumns; ++k) {
        const BYTE grey = static_cast<BYTE>(std::min(5 * k, 255));
        palette[colourRows * CTEVColorPicker::kColumns + k] = RGB(grey, grey, grey);
    }
    return palette;
}

RECT MonitorRectOf(HWND window) {
    MONITORINFO info = {};
    info.cbSize = sizeof(info);
    if (HMONITOR monitor = MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST)) {
        if (GetMonitorInfoW(monitor, &info)) {
            return info.rcMonitor;
        }
    }
    RECT desktop = {};
    GetClientRect(GetDesktopWindow(), &desktop);
    return desktop;
}

} // namespace

// ---- palette ----

CTEVColorPicker::CTEVColorPicker() : COwnWindow(kPickerProperty, this), m_palette(BuildPalette()) {}

// An open palette must not outlive the object its window reaches.
CTEVColorPicker::~CTEVColorPicker() {
    Close();
}

int CTEVColorPicker::Scaled(int pixels) const {
    return ScaledForDpi(pixels, m_dpi);
}

RECT CTEVColorPicker::CellRect(int column, int row) const {
    const int pitch = Pitch();
    const int left = column * pitch + 1;
    const int top = row * pitch + GridTop();
    return {left, top, left + pitch + 1, top + pitch + 1};
}

RECT CTEVColorPicker::PreviewRect() const {
    return {Scaled(2), Scaled(2), Scaled(50), Scaled(18)};
}

RECT CTEVColorPicker::MoreColoursRect(const RECT& client) const {
    return {client.right - Scaled(18), client.top + Scaled(2), client.right - Scaled(2),
            client.top + Scaled(18)};
}

RECT CTEVColorPicker::NoColourRect(const RECT& client) const {
    return {client.right - Scaled(38), client.top + Scaled(2), client.right - Scaled(22),
            client.top + Scaled(18)};
}

RECT CTEVColorPicker::GridArea(const RECT& client) const {
    return {client.left + 2, client.top + GridTop(), client.right + 2, client.bottom - 2};
}

SIZE CTEVColorPicker::WindowSize() const {
    const int border = 2 * GetSystemMetrics(SM_CXBORDER);
    return {kColumns * Pitch() + 3 + border, GridTop() + kRows * Pitch() + 2 + border};
}

void CTEVColorPicker::Open(HWND owner, int colour, HINSTANCE instance, BOOL enableNone) {
    Close();
    m_owner = owner;
    m_current = colour;
    m_enableNone = enableNone;
    // The button's own colour starts framed, so the keyboard moves on from there.
    m_hotColumn = m_hotRow = -1;
    const auto found = std::find(m_palette.begin(), m_palette.end(), static_cast<COLORREF>(colour));
    if (colour != kNoColour && found != m_palette.end()) {
        const int index = static_cast<int>(found - m_palette.begin());
        m_hotColumn = index % kColumns;
        m_hotRow = index / kColumns;
    }

    m_dpi = DpiOf(owner);
    RECT button = {};
    GetWindowRect(owner, &button);
    const RECT monitor = MonitorRectOf(owner);
    const SIZE size = WindowSize();
    const int x = std::max<int>(monitor.left, std::min<int>(button.left, monitor.right - size.cx));
    const int y = monitor.bottom < button.bottom + size.cy ? button.top - size.cy : button.bottom;
    HWND window = CreateWindowExW(0, kPickerClass, nullptr, WS_POPUP | WS_VISIBLE | WS_BORDER, x, y, size.cx,
                                  size.cy, owner, nullptr, instance, BindingParam());
    if (window) {
        SetFocus(window);
    }
}

void CTEVColorPicker::Close() {
    HWND window = Window();
    if (!window || m_closing) {
        return;
    }
    m_closing = true;
    if (GetCapture() == window) {
        ReleaseCapture();
    }
    DestroyWindow(window); // the binding, and with it Window(), ends at WM_NCDESTROY
    m_closing = false;
}

void CTEVColorPicker::Choose(int colour) {
    HWND owner = m_owner;
    Close();
    if (IsWindow(owner)) {
        SendMessageW(owner, CTEVColor::kPickColour, static_cast<WPARAM>(colour), 0);
    }
}

LRESULT CTEVColorPicker::HandleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_ACTIVATE:
        // Clicks anywhere come here while the palette is active; losing activation to any
        // other window (the owner included) closes it.
        if (LOWORD(wParam) != WA_INACTIVE) {
            SetCapture(hwnd);
        } else {
            Close();
        }
        return 0;
    case WM_CAPTURECHANGED:
        if (reinterpret_cast<HWND>(lParam) != hwnd) {
            Close();
        }
        return 0;
    case WM_CANCELMODE:
        Close();
        return 0;
    case WM_NCHITTEST:
        return HTCLIENT;
    case WM_MOUSEMOVE:
        OnMouseMove(hwnd, {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        OnLeftButtonDown(hwnd, {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        return 0;
    case WM_KEYDOWN:
        OnKeyDown(hwnd, static_cast<UINT>(wParam));
        return 0;
    default:
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

void CTEVColorPicker::OnMouseMove(HWND hwnd, POINT point) {
    RECT client = {};
    GetClientRect(hwnd, &client);
    const RECT area = GridArea(client);
    if (!PtInRect(&area, point)) {
        return;
    }
    const int column = (point.x - area.left) / Pitch();
    const int row = (point.y - area.top) / Pitch();
    if (column < kColumns && row < kRows) {
        SetHot(hwnd, column, row);
    }
}

void CTEVColorPicker::SetHot(HWND hwnd, int column, int row) {
    if (column == m_hotColumn && row == m_hotRow) {
        return;
    }
    if (m_hotColumn >= 0) {
        const RECT old = CellRect(m_hotColumn, m_hotRow);
        InvalidateRect(hwnd, &old, FALSE);
    }
    m_hotColumn = column;
    m_hotRow = row;
    m_current = static_cast<int>(ColourAt(column, row));
    const RECT cell = CellRect(column, row);
    const RECT preview = PreviewRect();
    InvalidateRect(hwnd, &cell, FALSE);
    InvalidateRect(hwnd, &preview, FALSE);
}

void CTEVColorPicker::OnLeftButtonDown(HWND hwnd, POINT point) {
    RECT client = {};
    GetClientRect(hwnd, &client);
    const RECT more = MoreColoursRect(client);
    const RECT none = NoColourRect(client);
    const RECT grid = GridArea(client);
    if (PtInRect(&more, point)) {
        PostMessageW(m_owner, CTEVColor::kRunColourDialog, static_cast<WPARAM>(m_current), 0);
        Close();
    } else if (m_enableNone && PtInRect(&none, point)) {
        m_current = kNoColour;
        Choose(kNoColour);
    } else if (PtInRect(&grid, point)) {
        Choose(m_current);
    } else if (!PtInRect(&client, point)) {
        Close();
    }
}

void CTEVColorPicker::OnKeyDown(HWND hwnd, UINT key) {
    int column = m_hotColumn, row = m_hotRow;
    switch (key) {
    case VK_ESCAPE:
        Close();
        return;
    case VK_RETURN:
    case VK_SPACE:
        Choose(m_current);
        return;
    case VK_LEFT:
        --column;
        break;
    case VK_RIGHT:
        ++column;
        break;
    case VK_UP:
        --row;
        break;
    case VK_DOWN:
        ++row;
        break;
    case VK_HOME:
        column = 0;
        break;
    case VK_END:
        column = kColumns - 1;
        break;
    default:
        return;
    }
    if (m_hotColumn < 0) { // nothing framed yet: the first key frames the first cell
        column = row = 0;
    }
    SetHot(hwnd, std::clamp(column, 0, kColumns - 1), std::clamp(row, 0, kRows - 1));
}

void CTEVColorPicker::Paint(HWND, HDC dc, const RECT& client) {
    SelectedObject pen(dc, DcPen(dc, RGB(0, 0, 0)));
    SelectedObject brush(dc, GetStockObject(DC_BRUSH));
    auto cell = [&](int column, int row, COLORREF frame) {
        const RECT rect = CellRect(column, row);
        SetDCPenColor(dc, frame);
        SetDCBrushColor(dc, ColourAt(column, row));
        Rectangle(dc, rect.left, rect.top, rect.right, rect.bottom);
    };
    for (int row = 0; row < kRows; ++row) {
        for (int column = 0; column < kColumns; ++column) {
            cell(column, row, RGB(0, 0, 0));
        }
    }
    // Last, as neighbours share their borders with it.
    if (m_hotColumn >= 0) {
        cell(m_hotColumn, m_hotRow, RGB(255, 255, 255));
    }

    SetDCPenColor(dc, RGB(0, 0, 0));
    SelectObject(dc, GetStockObject(NULL_BRUSH));
    const RECT more = MoreColoursRect(client);
    Rectangle(dc, more.left, more.top, more.right, more.bottom);
    {
        // A black triangle pointing right: more to come.
        SelectedObject fill(dc, GetStockObject(BLACK_BRUSH));
        const POINT arrow[] = {{more.left + Scaled(6), more.top + Scaled(2)},
                               {more.left + Scaled(6), more.top + Scaled(12)},
                               {more.left + Scaled(11), more.top + Scaled(7)}};
        Polygon(dc, arrow, 3);
    }
    if (m_enableNone) {
        const RECT none = NoColourRect(client);
        Rectangle(dc, none.left, none.top, none.right, none.bottom);
        SetDCPenColor(dc, kNoColourMark);
        MoveToEx(dc, none.left + 1, none.bottom - 2, nullptr);
        LineTo(dc, none.right - 1, none.top);
        SetDCPenColor(dc, RGB(0, 0, 0));
    }

    const RECT preview = PreviewRect();
    FillSwatch(dc, preview, m_current);
    SetDCPenColor(dc, RGB(0, 0, 0));
    Rectangle(dc, preview.left, preview.top, preview.right, preview.bottom);
}

// ---- button ----

CTEVColor::CTEVColor(CTEVElement* parent, CTEVEngine* engine)
    : CTEVElement(parent, engine), COwnWindow(kButtonProperty, this),
      m_picker(std::make_unique<CTEVColorPicker>()) {
    HINSTANCE instance = engine ? engine->Instance() : nullptr;
    RegisterClassOnce(
        instance, {kPickerClass, CS_SAVEBITS | CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW, IDC_ARROW, COLOR_MENU});
    RegisterClassOnce(instance, {kButtonClass, CS_HREDRAW | CS_VREDRAW, IDC_ARROW, -1}); // no background
}

CTEVColor::~CTEVColor() = default;

BOOL CTEVColor::IsKindOf(const wchar_t* tag, CTEVElement** out) {
    return MatchesKind(L"color", tag, out);
}

BOOL CTEVColor::LoadFromNode(IXMLDOMNode* node) {
    if (!CTEVElement::LoadFromNode(node)) {
        return FALSE;
    }
    m_enableNone = GetAttributeBool(node, L"enableNone", FALSE);
    return TRUE;
}

void CTEVColor::Create() {
    CTEVElement::Create();
    CreateControlWindow(kButtonClass, L"", WS_TABSTOP, 0, BindingParam());
    const SIZE size = DialogUnits(14, 14);
    m_minwidth = size.cx;
    m_minheight = size.cy;
}

void CTEVColor::SetValue(int value) {
    m_value = value;
    if (m_window) {
        InvalidateRect(m_window, nullptr, TRUE);
    }
}

int CTEVColor::GetValue() {
    return m_value;
}

void CTEVColor::OnBound(HWND hwnd) {
    m_window = hwnd;
}

LRESULT CTEVColor::HandleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_LBUTTONDOWN:
        OpenPalette();
        return 0;
    case WM_KEYDOWN:
        // The button is a tab stop, so the keyboard opens it too.
        if (wParam == VK_SPACE || wParam == VK_F4) {
            OpenPalette();
            return 0;
        }
        return DefWindowProcW(hwnd, message, wParam, lParam);
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        InvalidateRect(hwnd, nullptr, FALSE);
        return 0;
    case kPickColour:
        TakeColour(static_cast<int>(wParam));
        return 0;
    case kRunColourDialog:
        RunColourDialog();
        return 0;
    case WM_DESTROY:
        m_picker->Close();
        return 0;
    default:
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

void CTEVColor::OpenPalette() {
    // Focus returns here when the palette closes.
    SetFocus(m_window);
    m_picker->Open(m_window, m_value, m_engine ? m_engine->Instance() : nullptr, m_enableNone);
}

void CTEVColor::TakeColour(int colour) {
    m_value = colour;
    InvalidateRect(m_window, nullptr, TRUE);
    ExecuteChildren();
    Fire(L"changed", 0, 0);
}

void CTEVColor::RunColourDialog() {
    COLORREF custom[16] = {}; // fresh each time: nothing is kept between runs
    CHOOSECOLORW choose = {};
    choose.lStructSize = sizeof(choose);
    choose.hwndOwner = GetAncestor(m_window, GA_ROOT); // a dialog's owner is a top-level window
    choose.rgbResult = m_value == kNoColour ? RGB(0, 0, 0) : static_cast<COLORREF>(m_value);
    choose.lpCustColors = custom;
    choose.Flags = CC_RGBINIT | CC_FULLOPEN | CC_ANYCOLOR;
    if (ChooseColorW(&choose)) {
        TakeColour(static_cast<int>(choose.rgbResult));
    }
}

void CTEVColor::Paint(HWND hwnd, HDC dc, const RECT& client) {
    // The class has no background: the parent's shows beside the square.
    SendMessageW(GetParent(hwnd), WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);

    const COLORREF dark = GetSysColor(COLOR_3DDKSHADOW);
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    const COLORREF light = GetSysColor(COLOR_BTNHIGHLIGHT);
    const COLORREF text = GetSysColor(COLOR_BTNTEXT);

    // A square in the top-left corner; its frames lie on its edges, both included.
    const int side = std::min(client.right - 1, client.bottom - 1);
    RECT square = {client.left, client.top, side, side};
    FillSwatch(dc, {square.left, square.top, square.right + 1, square.bottom + 1}, m_value);
    Frame(dc, square, light, dark);
    InflateRect(&square, -1, -1);
    Frame(dc, square, face, face);
    InflateRect(&square, -1, -1);
    Frame(dc, square, dark, light);
    if (GetFocus() == hwnd) { // under the drop marker, which stays whole
        RECT focus = square;
        InflateRect(&focus, -1, -1);
        DrawFocusRect(dc, &focus);
    }

    // The drop marker: a small raised tab with a triangle pointing down, 6 by 4 pixels at 96 DPI.
    const int dpi = DpiOf(hwnd);
    const int markerWidth = ScaledForDpi(6, dpi);
    const RECT marker = {square.right - markerWidth, square.bottom - ScaledForDpi(4, dpi), square.right,
                         square.bottom};
    {
        SelectedObject pen(dc, DcPen(dc, light));
        MoveToEx(dc, marker.left, marker.bottom, nullptr);
        LineTo(dc, marker.left, marker.top);
        LineTo(dc, marker.right, marker.top);
    }
    RECT shadow = marker;
    OffsetRect(&shadow, 1, 1);
    SetDCBrushColor(dc, face);
    FillRect(dc, &shadow, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
    {
        SelectedObject pen(dc, DcPen(dc, text));
        for (int k = 0; k < markerWidth / 2; ++k) {
            MoveToEx(dc, marker.left + 1 + k, marker.top + 1 + k, nullptr);
            LineTo(dc, marker.left + markerWidth - k, marker.top + 1 + k);
        }
    }
}
