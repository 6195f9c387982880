// The free-draw element: its window class and the "freedraw" event raised for each paint.
#include "CTEVFreeDraw.h"

#include "CTEVEngine.h"

namespace {

const wchar_t kClassName[] = L"TEV_FREEDRAW_CLASS";
const wchar_t kElementProperty[] = L"CTEVFreeDrawThis";

} // namespace

CTEVFreeDraw::CTEVFreeDraw(CTEVElement* parent, CTEVEngine* engine)
    : CTEVElement(parent, engine), COwnWindow(kElementProperty, this) {
    RegisterClassOnce(engine ? engine->Instance() : nullptr,
                      {kClassName, CS_HREDRAW | CS_VREDRAW, IDC_ARROW, COLOR_BTNFACE});
}

BOOL CTEVFreeDraw::IsKindOf(const wchar_t* tag, CTEVElement** out) {
    return MatchesKind(L"freedraw", tag, out);
}

void CTEVFreeDraw::Create() {
    InheritGaps();
    CreateControlWindow(kClassName, L"", 0, 0, BindingParam());
    const SIZE size = DialogUnits(m_width ? m_width : 14, m_height ? m_height : 14);
    m_minwidth = size.cx;
    m_minheight = size.cy;
}

void CTEVFreeDraw::OnBound(HWND hwnd) {
    m_window = hwnd;
}

// The rectangle lives only for the event: receivers draw in it, they do not keep it.
void CTEVFreeDraw::Paint(HWND, HDC dc, const RECT& client) {
    RECT area = client;
    Fire(L"freedraw", reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(&area));
}
