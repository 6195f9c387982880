#include "OwnWindow.h"

#include "Diagnostics.h"

#include <algorithm>
#include <cwchar>

namespace {

// BeginPaint/EndPaint for WM_PAINT; the caller's device context for WM_PRINTCLIENT.
class PaintScope {
public:
    PaintScope(HWND hwnd, UINT message, WPARAM wParam) : m_hwnd(hwnd), m_painting(message == WM_PAINT) {
        m_dc = m_painting ? BeginPaint(hwnd, &m_paint) : reinterpret_cast<HDC>(wParam);
    }
    PaintScope(const PaintScope&) = delete;
    PaintScope& operator=(const PaintScope&) = delete;
    ~PaintScope() {
        if (m_painting) {
            EndPaint(m_hwnd, &m_paint);
        }
    }
    HDC Dc() const { return m_dc; }

private:
    HWND m_hwnd;
    bool m_painting;
    PAINTSTRUCT m_paint = {};
    HDC m_dc = nullptr;
};

} // namespace

COwnWindow::COwnWindow(const wchar_t* property, void* propertyValue)
    : m_property(property), m_propertyValue(propertyValue) {}

// The window may outlive its object; it must not reach a deleted one.
COwnWindow::~COwnWindow() {
    Unbind();
}

void COwnWindow::RegisterClassOnce(HINSTANCE instance, const OwnWindowClass& windowClass) {
    WNDCLASSW existing = {};
    if (GetClassInfoW(instance, windowClass.name, &existing)) {
        return;
    }
    WNDCLASSW definition = {};
    definition.style = windowClass.style;
    definition.lpfnWndProc = WindowProc;
    definition.hInstance = instance;
    definition.hCursor = LoadCursorW(nullptr, windowClass.cursor);
    definition.hbrBackground =
        reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(windowClass.backgroundColour + 1));
    definition.lpszClassName = windowClass.name;
    TEV_CHECK(RegisterClassW(&definition) != 0);
}

bool COwnWindow::CursorStaysOver(HWND hwnd) {
    RECT rect = {};
    POINT cursor = {};
    GetWindowRect(hwnd, &rect);
    GetCursorPos(&cursor);
    HWND under = WindowFromPoint(cursor);
    wchar_t className[256] = L"";
    GetClassNameW(under, className, 255);
    const bool overWindow =
        under == hwnd || wcscmp(className, L"#32768") == 0 || wcscmp(className, L"CPPTooltip") == 0;
    return PtInRect(&rect, cursor) && overWindow;
}

void COwnWindow::OnBound(HWND) {}

LRESULT COwnWindow::HandleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

void COwnWindow::Paint(HWND, HDC, const RECT&) {}

void COwnWindow::StartTimer(UINT_PTR id, UINT intervalMs, TIMERPROC procedure) {
    if (!m_hwnd || !SetTimer(m_hwnd, id, intervalMs, procedure)) {
        return;
    }
    if (std::find(m_timers.begin(), m_timers.end(), id) == m_timers.end()) {
        m_timers.push_back(id);
    }
}

void COwnWindow::StopTimer(UINT_PTR id) {
    if (m_hwnd) {
        KillTimer(m_hwnd, id);
    }
    m_timers.erase(std::remove(m_timers.begin(), m_timers.end(), id), m_timers.end());
}

void COwnWindow::Bind(HWND hwnd) {
    m_hwnd = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetPropW(hwnd, m_property, m_propertyValue);
    HWND parent = GetParent(hwnd);
    m_focusCuesHidden = parent && (SendMessageW(parent, WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS) != 0;
    OnBound(hwnd);
}

// The platform keeps the state as well, but not every platform answers WM_QUERYUISTATE with it.
void COwnWindow::FollowUiState(HWND hwnd, WPARAM change) {
    if (!(HIWORD(change) & UISF_HIDEFOCUS)) {
        return;
    }
    switch (LOWORD(change)) {
    case UIS_SET:
        m_focusCuesHidden = true;
        break;
    case UIS_CLEAR:
        m_focusCuesHidden = false;
        break;
    default: // UIS_INITIALIZE: the platform chooses from the last input
        m_focusCuesHidden = (SendMessageW(hwnd, WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS) != 0;
        break;
    }
}

void COwnWindow::Unbind() {
    if (!m_hwnd) {
        return;
    }
    for (UINT_PTR id : m_timers) {
        KillTimer(m_hwnd, id);
    }
    m_timers.clear();
    if (GetWindowLongPtrW(m_hwnd, GWLP_USERDATA) == reinterpret_cast<LONG_PTR>(this)) {
        SetWindowLongPtrW(m_hwnd, GWLP_USERDATA, 0);
        RemovePropW(m_hwnd, m_property);
    }
    m_hwnd = nullptr;
}

LRESULT CALLBACK COwnWindow::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        if (auto* window = static_cast<COwnWindow*>(create->lpCreateParams)) {
            window->Bind(hwnd);
        }
    }
    auto* window = reinterpret_cast<COwnWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!window) {
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    LRESULT result = 0;
    try {
        result = window->Dispatch(hwnd, message, wParam, lParam);
    } catch (...) {
        // Unwinding through the platform's frames is undefined; the message gets the default answer.
        tev::Trace(L"exception in the handler of message 0x%04x", message);
        result = DefWindowProcW(hwnd, message, wParam, lParam);
    }
    if (message == WM_NCDESTROY) {
        window->Unbind();
    }
    return result;
}

LRESULT COwnWindow::Dispatch(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_UPDATEUISTATE) {
        const LRESULT result = HandleMessage(hwnd, message, wParam, lParam);
        FollowUiState(hwnd, wParam);
        InvalidateRect(hwnd, nullptr, FALSE);
        return result;
    }
    if (message != WM_PAINT && message != WM_PRINTCLIENT) {
        return HandleMessage(hwnd, message, wParam, lParam);
    }
    PaintScope scope(hwnd, message, wParam);
    if (scope.Dc()) {
        RECT client = {};
        GetClientRect(hwnd, &client);
        Paint(hwnd, scope.Dc(), client);
    }
    return 0;
}
