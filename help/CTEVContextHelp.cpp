#include "CTEVContextHelp.h"

#include "AttributeReaders.h"
#include "CTEVEngine.h"
#include "GdiHandles.h"
#include "XmlDom.h"

#include <algorithm>

namespace {

const wchar_t kClassName[] = L"TEV_CONTEXTHELP_CLASS";
const wchar_t kHelpProperty[] = L"tevctxhelp_this";

// Space around the text and beside the picture; the text's layout width.
constexpr int kMargin = 10;
constexpr int kTextWidth = 310;
// Distance from the control and from the work area's edges.
constexpr int kGap = 5;

RECT WorkAreaOf(HWND window) {
    MONITORINFO info = {sizeof(info)};
    HMONITOR monitor = MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST);
    if (monitor && GetMonitorInfoW(monitor, &info)) {
        return info.rcWork;
    }
    RECT area = {};
    GetClientRect(GetDesktopWindow(), &area);
    return area;
}

} // namespace

POINT PlaceContextHelp(const RECT& control, SIZE popup, const RECT& work) {
    POINT place = {control.left, control.top - popup.cy - kGap};
    if (place.y < work.top) {
        place.y = control.bottom + kGap;
        // A control reaching down to the bottom leaves no room below either: the text must stay
        // readable, so it covers the control rather than leave the screen.
        if (place.y + popup.cy > work.bottom) {
            place.y = std::max<LONG>(work.top + kGap, work.bottom - popup.cy - kGap);
        }
    }
    if (place.x + popup.cx > work.right) {
        place.x = work.right - popup.cx - kGap;
    }
    if (place.x < work.left) {
        place.x = work.left + kGap;
    }
    return place;
}

CTEVContextHelp::CTEVContextHelp(CTEVEngine* engine)
    : COwnWindow(kHelpProperty, static_cast<CTEVContextHelp*>(this)), m_engine(engine), m_drawer(this) {
    RegisterClassOnce(engine ? engine->Instance() : nullptr,
                      {kClassName, CS_HREDRAW | CS_VREDRAW, IDC_ARROW, COLOR_INFOBK});
}

// The popup must never paint with a help object that is gone.
CTEVContextHelp::~CTEVContextHelp() {
    Close();
}

void CTEVContextHelp::LoadTips(IXMLDOMNode* contexthelpNode) {
    if (!contexthelpNode) {
        return;
    }
    for (ComPtr<IXMLDOMNode> child = xml::FirstChild(contexthelpNode); child;
         child = xml::NextSibling(child.Get())) {
        if (!EqualsNoCase(xml::NodeName(child.Get()).c_str(), L"tip")) {
            continue;
        }
        ContextHelpTip tip;
        tip.control = GetAttributeString(child.Get(), L"control");
        tip.image = GetAttributeString(child.Get(), L"img");
        tip.imageWidth = GetAttributeInt(child.Get(), L"imgWidth", 0);
        tip.imageHeight = GetAttributeInt(child.Get(), L"imgHeight", 0);
        // Tips are translated like every other text: by their locid, under the name "CDATA".
        const OptString locid = GetAttributeString(child.Get(), L"locid");
        const wchar_t* translated =
            m_engine && locid ? m_engine->FindString(locid->c_str(), L"CDATA") : nullptr;
        tip.text = translated ? OptString(translated) : OptString(xml::NodeText(child.Get()));
        m_tips.push_back(std::move(tip));
    }
}

int CTEVContextHelp::FindTip(const wchar_t* controlId) const {
    for (size_t i = 0; i < m_tips.size(); ++i) {
        if (EqualsNoCase(m_tips[i].control, controlId)) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

void CTEVContextHelp::Show(const wchar_t* controlId, HWND control) {
    Close();
    m_current = FindTip(controlId);
    RECT controlRect = {};
    if (m_current < 0 || !GetWindowRect(control, &controlRect)) {
        return;
    }
    const ContextHelpTip& tip = m_tips[static_cast<size_t>(m_current)];

    // The popup is never larger than the work area, so text that would lie below is not even built.
    const RECT work = WorkAreaOf(control);
    const SIZE largest = {work.right - work.left - 2 * kGap, work.bottom - work.top - 2 * kGap};
    LOGFONTW font = {};
    GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof(font), &font);
    // The source name "/" has no extension: the text is HTML, not plain text.
    m_drawer.SetContent(tip.text ? tip.text->c_str() : L"", font.lfFaceName, font.lfHeight,
                        GetSysColor(COLOR_INFOTEXT), L"/", SIZE{kTextWidth, largest.cy - 2 * kMargin});

    const int textLeft = tip.imageWidth == 0 ? kMargin : tip.imageWidth + 2 * kMargin;
    RECT extent = {textLeft, kMargin, textLeft + kTextWidth, 2 * kMargin};
    m_drawer.Layout(&extent);

    // The content's right and bottom edges plus the margin; the picture's height when taller.
    SIZE size = {extent.right - extent.left + 2 * kMargin, extent.bottom - extent.top + 2 * kMargin};
    if (tip.imageWidth != 0) {
        size.cx += tip.imageWidth + kMargin;
    }
    size.cy = std::max<LONG>(size.cy, tip.imageHeight + 2 * kMargin);
    size.cx = std::min(size.cx, largest.cx);
    size.cy = std::min(size.cy, largest.cy);

    const POINT place = PlaceContextHelp(controlRect, size, work);
    // Owned by the control's dialog, so that closing the popup gives the activation back to the
    // dialog and the popup cannot outlive it.
    CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, kClassName, L"", WS_POPUP | WS_VISIBLE, place.x,
                    place.y, size.cx, size.cy, GetAncestor(control, GA_ROOT), nullptr,
                    m_engine ? m_engine->Instance() : nullptr, BindingParam());
}

void CTEVContextHelp::Close() {
    // Cleared first: the focus loss that DestroyWindow causes comes back here.
    if (HWND popup = std::exchange(m_popup, nullptr)) {
        DestroyWindow(popup);
    }
}

void CTEVContextHelp::OnTitle(const wchar_t*) {}

void CTEVContextHelp::OnBound(HWND hwnd) {
    m_popup = hwnd;
}

LRESULT CTEVContextHelp::HandleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_DESTROY:
        if (m_popup == hwnd) {
            m_popup = nullptr;
        }
        break;
    case WM_KILLFOCUS:
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_MBUTTONDOWN:
        if (m_popup == hwnd) {
            Close();
        }
        return 0;
    default:
        break;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

void CTEVContextHelp::Paint(HWND, HDC dc, const RECT& client) {
    PaintClient(dc, client);
}

void CTEVContextHelp::Paint(HDC dc) {
    RECT client = {};
    if (m_popup && GetClientRect(m_popup, &client)) {
        PaintClient(dc, client);
    }
}

void CTEVContextHelp::PaintClient(HDC dc, const RECT& client) {
    {
        // Declared before the selections, so the pen is deleted only after it is deselected.
        GdiObject<HPEN> pen(CreatePen(PS_SOLID, 1, GetSysColor(COLOR_INFOTEXT)));
        SelectedObject hollow(dc, GetStockObject(NULL_BRUSH));
        SelectedObject framePen(dc, pen.Get());
        Rectangle(dc, client.left, client.top, client.right, client.bottom);
    }
    RECT content = client;
    content.left += kMargin;
    content.top += kMargin;
    if (m_current >= 0 && static_cast<size_t>(m_current) < m_tips.size()) {
        const ContextHelpTip& tip = m_tips[static_cast<size_t>(m_current)];
        if (tip.imageWidth != 0) {
            if (tip.image && m_engine) {
                m_engine->DrawImage(dc, client.left + kMargin, client.top + kMargin, tip.imageWidth,
                                    tip.imageHeight, tip.image->c_str());
            }
            content.left += tip.imageWidth + kMargin;
        }
    }
    m_drawer.Draw(dc, &content, 0, 0);
}

void RegisterContextHelp() {
    SetContextHelpFactory([](CTEVEngine* engine) -> std::unique_ptr<IContextHelp> {
        return std::make_unique<CTEVContextHelp>(engine);
    });
}
