// The free-draw element: its window class and the "freedraw" event raised for each paint.
#include "CTEVFreeDraw.h"

#include "CTEVEngine.h"
#include "WindowClass.h"

namespace {

const wchar_t kClassName[] = L"TEV_FREEDRAW_CLASS";
const wchar_t kElementProperty[] = L"CTEVFreeDrawThis";

} // namespace

CTEVFreeDraw::CTEVFreeDraw(CTEVElement* parent, CTEVEngine* engine) : CTEVElement(parent, engine) {
    RegisterWindowClass(engine ? engine->Instance() : nullptr);
}

// The window may outlive its element; it must not reach a deleted one.
CTEVFreeDraw::~CTEVFreeDraw() {
    if (m_window && GetPropW(m_window, kElementProperty) == this) {
        RemovePropW(m_window, kElementProperty);
    }
}

void CTEVFreeDraw::RegisterWindowClass(HINSTANCE instance) {
    RegisterOwnWindowClass(instance, kClassName, FreeDrawWndProc, CS_HREDRAW | CS_VREDRAW, IDC_ARROW);
}

BOOL CTEVFreeDraw::IsKindOf(const wchar_t* tag, CTEVElement** out) {
    return MatchesKind(L"freedraw", tag, out);
}

void CTEVFreeDraw::Create() {
    CTEVElement::Create();
    CreateControlWindow(kClassName, L"", 0, 0, this);
    const SIZE size = DialogUnits(m_width ? m_width : 14, m_height ? m_height : 14);
    m_minwidth = size.cx;
    m_minheight = size.cy;
}

LRESULT CALLBACK CTEVFreeDraw::FreeDrawWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE: {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        if (auto* element = static_cast<CTEVFreeDraw*>(create->lpCreateParams)) {
            SetPropW(hwnd, kElementProperty, element);
            element->m_window = hwnd;
        }
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    case WM_DESTROY:
        RemovePropW(hwnd, kElementProperty);
        return 0;
    case WM_PAINT:
        if (auto* element = static_cast<CTEVFreeDraw*>(GetPropW(hwnd, kElementProperty))) {
            element->OnPaint(hwnd);
            return 1;
        }
        return DefWindowProcW(hwnd, message, wParam, lParam);
    default:
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

// The rectangle lives only for the event: receivers draw in it, they do not keep it.
void CTEVFreeDraw::OnPaint(HWND hwnd) {
    PAINTSTRUCT paint = {};
    HDC dc = BeginPaint(hwnd, &paint);
    RECT client = {};
    GetClientRect(hwnd, &client);
    Fire(L"freedraw", reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(&client));
    EndPaint(hwnd, &paint);
}
