// The picture element: its window class and painting through the engine's image service.
#include "CTEVPicture.h"

#include "AttributeReaders.h"
#include "CTEVEngine.h"
#include "WindowClass.h"

namespace {

const wchar_t kClassName[] = L"TEV_PICTURE_CLASS";
const wchar_t kElementProperty[] = L"tevpicture_this";

} // namespace

CTEVPicture::CTEVPicture(CTEVElement* parent, CTEVEngine* engine) : CTEVElement(parent, engine) {
    RegisterWindowClass(engine ? engine->Instance() : nullptr);
}

// The window may outlive its element; it must not reach a deleted one.
CTEVPicture::~CTEVPicture() {
    if (m_window && GetPropW(m_window, kElementProperty) == this) {
        RemovePropW(m_window, kElementProperty);
    }
}

void CTEVPicture::RegisterWindowClass(HINSTANCE instance) {
    RegisterOwnWindowClass(instance, kClassName, PictureWndProc, CS_HREDRAW | CS_VREDRAW, IDC_IBEAM);
}

BOOL CTEVPicture::IsKindOf(const wchar_t* tag, CTEVElement** out) {
    return MatchesKind(L"picture", tag, out);
}

BOOL CTEVPicture::LoadFromNode(IXMLDOMNode* node) {
    if (!CTEVElement::LoadFromNode(node)) {
        return FALSE;
    }
    m_pic = GetAttributeString(node, L"pic");
    m_picWidth = GetAttributeInt(node, L"picWidth", 0);
    m_picHeight = GetAttributeInt(node, L"picHeight", 0);
    return TRUE;
}

void CTEVPicture::Create() {
    CTEVElement::Create();
    CreateControlWindow(kClassName, L"", 0, 0, this);
    m_minwidth = m_picWidth;
    m_minheight = m_picHeight;
}

LRESULT CALLBACK CTEVPicture::PictureWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        if (auto* element = static_cast<CTEVPicture*>(create->lpCreateParams)) {
            SetPropW(hwnd, kElementProperty, element);
            element->m_window = hwnd;
        }
    } else if (message == WM_DESTROY) {
        RemovePropW(hwnd, kElementProperty);
    } else if (message == WM_PAINT) {
        if (auto* element = static_cast<CTEVPicture*>(GetPropW(hwnd, kElementProperty))) {
            element->OnPaint(hwnd);
            return 0;
        }
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

// The image takes the size the description gives, not the window's: a picture without a
// size draws nothing however much room the layout gives it.
void CTEVPicture::OnPaint(HWND hwnd) {
    PAINTSTRUCT paint = {};
    HDC dc = BeginPaint(hwnd, &paint);
    if (dc && m_engine) {
        m_engine->DrawImage(dc, 0, 0, m_picWidth, m_picHeight, CStrOrNull(m_pic));
    }
    EndPaint(hwnd, &paint);
}
