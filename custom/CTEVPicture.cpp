// The picture element: its window class and painting through the engine's image service.
#include "CTEVPicture.h"

#include "AttributeReaders.h"
#include "CTEVEngine.h"

namespace {

const wchar_t kClassName[] = L"TEV_PICTURE_CLASS";
const wchar_t kElementProperty[] = L"tevpicture_this";

} // namespace

CTEVPicture::CTEVPicture(CTEVElement* parent, CTEVEngine* engine)
    : CTEVElement(parent, engine), COwnWindow(kElementProperty, this) {
    RegisterClassOnce(engine ? engine->Instance() : nullptr,
                      {kClassName, CS_HREDRAW | CS_VREDRAW, IDC_IBEAM, COLOR_BTNFACE});
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
    InheritGaps();
    CreateControlWindow(kClassName, L"", 0, 0, BindingParam());
    m_minwidth = m_picWidth;
    m_minheight = m_picHeight;
}

void CTEVPicture::OnBound(HWND hwnd) {
    m_window = hwnd;
}

// The image takes the size the description gives, not the window's: a picture without a
// size draws nothing however much room the layout gives it.
void CTEVPicture::Paint(HWND, HDC dc, const RECT&) {
    if (m_engine) {
        m_engine->DrawImage(dc, 0, 0, m_picWidth, m_picHeight, CStrOrNull(m_pic));
    }
}
