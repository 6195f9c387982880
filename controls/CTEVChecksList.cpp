// The "checkslist" element and its "checkitem" entries.
#include "CTEVChecksList.h"

#include "AttributeReaders.h"

#include <algorithm>

namespace {

constexpr DWORD kChecksListStyle =
    WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_NOCOLUMNHEADER;
constexpr DWORD kChecksListExtendedStyle = LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT;

} // namespace

CTEVChecksList::~CTEVChecksList() = default;

BOOL CTEVChecksList::IsKindOf(const wchar_t* tag, CTEVElement** out) {
    return MatchesKind(L"checkslist", tag, out);
}

BOOL CTEVChecksList::LoadFromNode(IXMLDOMNode* node) {
    if (!CTEVElement::LoadFromNode(node)) {
        return FALSE;
    }
    m_visibleItems =
        std::clamp(GetAttributeInt(node, L"visibleItems", 10), kMinVisibleItems, kMaxVisibleItems);
    return TRUE;
}

void CTEVChecksList::Create() {
    CreateControlWindow(WC_LISTVIEWW, L"", kChecksListStyle, WS_EX_CLIENTEDGE);
    SendMessageW(m_window, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, kChecksListExtendedStyle);
    LVCOLUMNW column = {};
    SendMessageW(m_window, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
    const SIZE minimum = MeasureRows(InsertItems());
    m_minwidth = minimum.cx;
    m_minheight = minimum.cy;
}

int CTEVChecksList::InsertItems() {
    int rows = 0;
    for (const auto& child : m_children) {
        const auto* entry = dynamic_cast<CTEVCheckItem*>(child.get());
        if (!entry) {
            continue;
        }
        LVITEMW item = {};
        item.mask = LVIF_TEXT | LVIF_PARAM;
        item.iItem = rows;
        item.pszText = const_cast<wchar_t*>(entry->Label() ? entry->Label() : L"");
        item.lParam = entry->Value();
        if (SendMessageW(m_window, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)) >= 0) {
            ++rows;
        }
    }
    return rows;
}

// As wide as the widest label plus a scroll bar and a check box, as high as the visible rows
// plus half a row (which shows that the list scrolls).
SIZE CTEVChecksList::MeasureRows(int rowCount) {
    SendMessageW(m_window, LVM_SETCOLUMNWIDTH, 0, MAKELPARAM(LVSCW_AUTOSIZE, 0));
    const int labelWidth = static_cast<int>(SendMessageW(m_window, LVM_GETCOLUMNWIDTH, 0, 0));
    RECT row = {LVIR_BOUNDS};
    const int lastShown = std::min(m_visibleItems, rowCount) - 1;
    // Without rows there is no row to measure: the default size applies.
    if (labelWidth == 0 || lastShown < 0 ||
        !SendMessageW(m_window, LVM_GETITEMRECT, lastShown, reinterpret_cast<LPARAM>(&row))) {
        return DialogUnits(m_width ? m_width : 48, m_height ? m_height : 40);
    }
    const int width = labelWidth + GetSystemMetrics(SM_CXVSCROLL) + DialogUnits(14, 14).cx;
    const int height = row.bottom + (row.bottom - row.top) / 2;
    return {width, height};
}

void CTEVChecksList::Arrange(int x, int y, int cx, int cy) {
    if (m_parent) {
        PlaceControl(x, y, cx, cy, SWP_NOZORDER | SWP_NOOWNERZORDER);
    }
}

CTEVCheckItem::~CTEVCheckItem() = default;

BOOL CTEVCheckItem::IsKindOf(const wchar_t* tag, CTEVElement** out) {
    return MatchesKind(L"checkitem", tag, out);
}

BOOL CTEVCheckItem::LoadFromNode(IXMLDOMNode* node) {
    if (!CTEVElement::LoadFromNode(node)) {
        return FALSE;
    }
    m_label = GetLocalizedAttribute(node, L"label");
    m_value = GetAttributeInt(node, L"value", 0);
    return TRUE;
}
