// The hotkey field: window class, key capture, naming of a value, caret and themed frame.
#include "CTEVHotkey.h"

#include "CTEVEngine.h"
#include "GdiHandles.h"
#include "ThemeHandles.h"

#include <vssym32.h>

namespace {

const wchar_t kClassName[] = L"TEV_HOTKEY_CLASS";
const wchar_t kElementProperty[] = L"zephotkey_this";

const WORD kKeyMask = 0x00FF;
// What a new main key keeps of the old value: the modifiers, not the old key's extended flag.
const WORD kKeptByNewKey = 0xF700;
const LPARAM kExtendedKeyBit = 1 << 24;

// Text inset from each side of the field, for drawing and for the caret.
const int kInset = 4;
const UINT kTextFormat = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX;

// The key of a keystroke, from its scan code rather than wParam: the value stores what the key
// is, not what the layout's current state made of it. A stroke without scan code (some
// synthesised input) is no key: some platforms map scan code 0 to an arbitrary key.
UINT KeyOfStroke(LPARAM lParam) {
    const UINT scanCode = static_cast<UINT>((lParam >> 16) & 0xFF);
    return scanCode ? MapVirtualKeyW(scanCode, MAPVK_VSC_TO_VK) : 0;
}

// The value flag of a modifier key, 0 for any other key.
WORD ModifierFlag(UINT vk) {
    switch (vk) {
    case VK_SHIFT:
    case VK_LSHIFT:
    case VK_RSHIFT:
        return CTEVHotkey::kShift;
    case VK_CONTROL:
    case VK_LCONTROL:
    case VK_RCONTROL:
        return CTEVHotkey::kCtrl;
    case VK_MENU:
    case VK_LMENU:
    case VK_RMENU:
        return CTEVHotkey::kAlt;
    case VK_LWIN:
    case VK_RWIN:
    case 234: // OEM codes some layouts give the Windows keys' scan codes
    case 241:
        return CTEVHotkey::kWin;
    default:
        return 0;
    }
}

// Tab, Shift+Tab and Escape leave the field as they leave any control, so that a keyboard user is
// never held in it; with Ctrl, Alt or Win held they are combinations like any other.
bool LeavesField(const MSG* msg) {
    if (!msg || msg->message != WM_KEYDOWN || (msg->wParam != VK_TAB && msg->wParam != VK_ESCAPE)) {
        return false;
    }
    for (int modifier : {VK_CONTROL, VK_MENU, VK_LWIN, VK_RWIN}) {
        if (GetKeyState(modifier) < 0) {
            return false;
        }
    }
    return true;
}

} // namespace

CTEVHotkey::CTEVHotkey(CTEVElement* parent, CTEVEngine* engine)
    : CTEVElement(parent, engine), COwnWindow(kElementProperty, this), m_text(TextOf(0, engine)) {
    RegisterClassOnce(engine ? engine->Instance() : nullptr,
                      {kClassName, CS_HREDRAW | CS_VREDRAW, IDC_IBEAM, COLOR_WINDOW});
}

CTEVHotkey::~CTEVHotkey() = default;

BOOL CTEVHotkey::IsKindOf(const wchar_t* tag, CTEVElement** out) {
    return MatchesKind(L"hotkey", tag, out);
}

// The field has no children of its own to create.
void CTEVHotkey::Create() {
    CreateControlWindow(kClassName, L"", WS_TABSTOP, 0, BindingParam());
    const SIZE size = DialogUnits(80, 14);
    m_minwidth = size.cx;
    m_minheight = size.cy;
}

void CTEVHotkey::SetValue(int value) {
    m_value = static_cast<WORD>(value & 0xFFFF);
    m_completeValue = m_value;
    ShowValue();
}

int CTEVHotkey::GetValue() {
    return m_value;
}

std::wstring CTEVHotkey::TextOf(WORD value, const CTEVEngine* engine) {
    // A translation names the modifiers in its own language; the key names are the platform's.
    auto named = [engine](const wchar_t* id, const wchar_t* english) {
        const wchar_t* translated = engine ? engine->FindString(id, nullptr) : nullptr;
        return std::wstring(translated ? translated : english);
    };
    if (value == 0) {
        return named(L"hotkeyNone", L"None");
    }
    std::wstring text;
    if (value & kCtrl) {
        text += named(L"hotkeyCtrl", L"Ctrl + ");
    }
    if (value & kShift) {
        text += named(L"hotkeyShift", L"Shift + ");
    }
    if (value & kAlt) {
        text += named(L"hotkeyAlt", L"Alt + ");
    }
    if (value & kWin) {
        text += named(L"hotkeyWin", L"Win + ");
    }
    const UINT vk = value & kKeyMask;
    // Modifiers alone name no key.
    if (vk == 0) {
        return text;
    }
    // A key without scan code has no name, whatever some platforms call scan code 0.
    const UINT scanCode = MapVirtualKeyW(vk, MAPVK_VK_TO_VSC);
    const UINT nameCode = scanCode | ((value & kExtended) ? 0x100 : 0);
    wchar_t name[256] = L"";
    if (scanCode && GetKeyNameTextW(static_cast<LONG>(nameCode << 16), name, 256) > 0) {
        text += name;
    } else {
        text += FormatText(L"#%d", static_cast<int>(vk));
    }
    return text;
}

void CTEVHotkey::OnBound(HWND hwnd) {
    m_window = hwnd;
}

LRESULT CTEVHotkey::HandleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SYSKEYDOWN:
        // Alt+F4 closes the window, whatever has the focus.
        if (wParam == VK_F4) {
            return DefWindowProcW(hwnd, message, wParam, lParam);
        }
        [[fallthrough]];
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYUP:
        if (message == WM_KEYDOWN || message == WM_SYSKEYDOWN) {
            OnKeyDown(lParam);
        } else {
            OnKeyUp(lParam);
        }
        ReportChange();
        return 0;
    case WM_SYSCHAR:
        // Alt with a key is a combination here, not a menu mnemonic to beep at.
        return 0;
    case WM_GETDLGCODE:
        if (LeavesField(reinterpret_cast<const MSG*>(lParam))) {
            return DLGC_WANTARROWS;
        }
        return DLGC_WANTARROWS | DLGC_WANTTAB | DLGC_WANTALLKEYS;
    case WM_LBUTTONDOWN:
        SetFocus(hwnd);
        return 0;
    case WM_SETFOCUS: {
        RECT client = {};
        GetClientRect(hwnd, &client);
        CreateCaret(hwnd, nullptr, 0, client.bottom - kInset);
        PlaceCaret();
        ShowCaret(hwnd);
        return 0;
    }
    case WM_KILLFOCUS:
        DestroyCaret();
        KeepCompleteValue();
        return 0;
    case WM_SETFONT:
        m_font = reinterpret_cast<HFONT>(wParam);
        if (LOWORD(lParam)) {
            InvalidateRect(hwnd, nullptr, FALSE);
        }
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(m_font);
    case kSetValueMessage:
        SetValue(static_cast<int>(wParam));
        return 0;
    case kGetValueMessage:
        return m_value;
    default:
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

// A modifier pressed after a complete combination starts a new one; any other key becomes the
// main key and keeps the modifiers held.
void CTEVHotkey::OnKeyDown(LPARAM lParam) {
    const UINT vk = KeyOfStroke(lParam);
    if (vk == 0) {
        return;
    }
    if (const WORD flag = ModifierFlag(vk)) {
        if (m_value & kKeyMask) {
            m_value = 0;
        }
        m_value |= flag;
        return;
    }
    m_value = static_cast<WORD>(vk | (m_value & kKeptByNewKey));
    if (lParam & kExtendedKeyBit) {
        m_value |= kExtended;
    }
    m_completeValue = m_value;
}

void CTEVHotkey::ReportChange() {
    ShowValue();
    ExecuteChildren();
    Fire(L"changed", 0, 0);
}

// Modifiers without a key are no hotkey: the Shift of a Shift+Tab that leaves the field, or a
// combination given up half way, give way to the last complete one.
void CTEVHotkey::KeepCompleteValue() {
    if (m_value != 0 && (m_value & kKeyMask) == 0) {
        m_value = m_completeValue;
        ReportChange();
    }
}

// Releasing the keys of a complete combination leaves it standing; a modifier released before
// any main key was pressed drops out.
void CTEVHotkey::OnKeyUp(LPARAM lParam) {
    const WORD flag = ModifierFlag(KeyOfStroke(lParam));
    if (flag && (m_value & kKeyMask) == 0) {
        m_value &= ~flag;
    }
}

void CTEVHotkey::ShowValue() {
    m_text = TextOf(m_value, m_engine);
    if (m_window) {
        PlaceCaret();
        InvalidateRect(m_window, nullptr, FALSE);
    }
}

// The caret is the thread's, not the window's: moving it without focus would move the caret of
// whichever control has the focus.
void CTEVHotkey::PlaceCaret() {
    if (!m_window || GetFocus() != m_window) {
        return;
    }
    RECT text = {};
    GetClientRect(m_window, &text);
    InflateRect(&text, -kInset, -kInset);
    {
        WindowDC dc(m_window);
        SelectedObject font(dc.Get(), TextFont());
        DrawTextW(dc.Get(), m_text.c_str(), -1, &text, DT_CALCRECT | kTextFormat);
    }
    SetCaretPos(text.right, 2);
}

// The font the engine gives every control, so the field matches its neighbours; the parent's
// until one is given.
HFONT CTEVHotkey::TextFont() const {
    if (m_font) {
        return m_font;
    }
    return reinterpret_cast<HFONT>(SendMessageW(GetParent(m_window), WM_GETFONT, 0, 0));
}

void CTEVHotkey::Paint(HWND hwnd, HDC dc, const RECT& client) {
    ThemeData theme(hwnd, L"EDIT");
    if (theme) {
        DrawThemeBackground(theme.Get(), dc, EP_EDITTEXT, ETS_NORMAL, &client, nullptr);
    } else {
        GdiObject<HPEN> pen(CreatePen(PS_SOLID, 1, GetSysColor(COLOR_GRAYTEXT)));
        SelectedObject framePen(dc, pen.Get());
        SelectedObject fill(dc, GetSysColorBrush(COLOR_WINDOW));
        Rectangle(dc, client.left, client.top, client.right, client.bottom);
    }
    RECT text = client;
    InflateRect(&text, -kInset, -kInset);
    SelectedObject font(dc, TextFont());
    SetBkMode(dc, TRANSPARENT);
    // The field's background is the window colour, so its text takes the window text colour.
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    DrawTextW(dc, m_text.c_str(), -1, &text, kTextFormat);
}
