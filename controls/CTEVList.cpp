// The "list" element and its "listcol" columns.
#include "CTEVList.h"

#include "AttributeReaders.h"

#include <windowsx.h>

#include <algorithm>
#include <exception>

namespace {

constexpr UINT kMoveFlags = SWP_NOZORDER | SWP_NOOWNERZORDER;
// A column width travels in the low 16 bits of the message.
constexpr long long kMaxColumnWidth = 0x7FFF;

struct ListEvent {
    UINT code;
    const wchar_t* name;
};

const ListEvent kListEvents[] = {
    {NM_CLICK, L"lst-click"},
    {NM_DBLCLK, L"lst-dblclk"},
    {NM_RCLICK, L"lst-rclick"},
    {LVN_ITEMACTIVATE, L"lst-itemactivate"},
    {LVN_ITEMCHANGED, L"lst-itemchanged"},
    // A virtual control reports a range of rows changing state at once, e.g. a shift-click.
    {LVN_ODSTATECHANGED, L"lst-itemchanged"},
    {LVN_COLUMNCLICK, L"lst-columnclick"},
};

enum View { kIconView, kSmallIconView, kListView, kReportView };
constexpr DWORD kViewStyles[] = {LVS_ICON, LVS_SMALLICON, LVS_LIST, LVS_REPORT};

DWORD StyleIf(BOOL on, DWORD bits) {
    return on ? bits : 0;
}

CTEVListCol* AsListCol(CTEVElement* element) {
    return dynamic_cast<CTEVListCol*>(element);
}

} // namespace

CTEVList::~CTEVList() = default;

BOOL CTEVList::IsKindOf(const wchar_t* tag, CTEVElement** out) {
    return MatchesKind(L"list", tag, out);
}

BOOL CTEVList::LoadFromNode(IXMLDOMNode* node) {
    if (!CTEVElement::LoadFromNode(node)) {
        return FALSE;
    }
    m_view = GetAttributeEnum(node, L"view", 0, {L"icon", L"smallicon", L"list", L"report"});
    m_noColHeader = GetAttributeBool(node, L"NoColHeader", FALSE);
    m_autoArrange = GetAttributeBool(node, L"AutoArrange", FALSE);
    m_alwaysShowSelection = GetAttributeBool(node, L"AlwaysShowSelection", TRUE);
    m_editLabels = GetAttributeBool(node, L"EditLabels", FALSE);
    m_noSortHeader = GetAttributeBool(node, L"NoSortHeader", TRUE);
    m_noLabelWrap = GetAttributeBool(node, L"NoLabelWrap", TRUE);
    m_noScroll = GetAttributeBool(node, L"NoScroll", FALSE);
    m_singleSelection = GetAttributeBool(node, L"SingleSelection", TRUE);
    m_checkBoxes = GetAttributeBool(node, L"CheckBoxes", FALSE);
    m_fullRowSelect = GetAttributeBool(node, L"FullRowSelect", FALSE);
    m_gridLines = GetAttributeBool(node, L"GridLines", FALSE);
    m_headerDragDrop = GetAttributeBool(node, L"HeaderDragDrop", FALSE);
    m_labelTip = GetAttributeBool(node, L"LabelTip", FALSE);
    return TRUE;
}

DWORD CTEVList::WindowStyle() const {
    return WS_TABSTOP | kViewStyles[m_view] | StyleIf(m_noColHeader, LVS_NOCOLUMNHEADER) |
           StyleIf(m_autoArrange, LVS_AUTOARRANGE) | StyleIf(m_alwaysShowSelection, LVS_SHOWSELALWAYS) |
           StyleIf(m_editLabels, LVS_EDITLABELS) | StyleIf(m_noSortHeader, LVS_NOSORTHEADER) |
           StyleIf(m_noLabelWrap, LVS_NOLABELWRAP) | StyleIf(m_noScroll, LVS_NOSCROLL) |
           StyleIf(m_singleSelection, LVS_SINGLESEL) | StyleIf(m_virtual, LVS_OWNERDATA);
}

DWORD CTEVList::ExtendedListStyle() const {
    return StyleIf(m_checkBoxes, LVS_EX_CHECKBOXES) | StyleIf(m_fullRowSelect, LVS_EX_FULLROWSELECT) |
           StyleIf(m_gridLines, LVS_EX_GRIDLINES) | StyleIf(m_headerDragDrop, LVS_EX_HEADERDRAGDROP) |
           StyleIf(m_labelTip && m_view != kReportView, LVS_EX_LABELTIP);
}

void CTEVList::Create() {
    m_virtual = (m_view == kReportView || m_view == kListView) && !m_checkBoxes && !m_editLabels;
    CreateControlWindow(WC_LISTVIEWW, L"", WindowStyle(), WS_EX_CLIENTEDGE);
    SendMessageW(m_window, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, ExtendedListStyle());
    m_minwidth = 0;
    m_minheight = 0;
    m_hasFlexibleColumns = FALSE;
    // A list without children takes no room of its own in the layout.
    if (m_children.empty()) {
        return;
    }
    InsertColumns();
    if (m_labelTip && m_view == kReportView) {
        CreateCellTips();
    }
    const SIZE minimum = DialogUnits(m_width ? m_width : 48, m_height ? m_height : 40);
    m_minwidth = minimum.cx;
    m_minheight = minimum.cy;
}

void CTEVList::InsertColumns() {
    int columns = 0;
    for (size_t i = 0; i < m_children.size(); ++i) {
        CTEVListCol* column = AsListCol(m_children[i].get());
        if (!column) {
            continue;
        }
        ++columns;
        LVCOLUMNW description = {};
        if (column->Caption()) {
            description.mask |= LVCF_TEXT;
            description.pszText = const_cast<wchar_t*>(column->Caption());
        }
        if (column->PixelWidth() != 0) {
            description.mask |= LVCF_WIDTH;
            description.cx = column->PixelWidth();
        }
        SendMessageW(m_window, LVM_INSERTCOLUMNW, i, reinterpret_cast<LPARAM>(&description));
        if (column->Flex() != 0) {
            m_hasFlexibleColumns = TRUE;
        }
    }
    m_columnCount = std::max(columns, 1);
}

void CTEVList::Arrange(int x, int y, int cx, int cy) {
    if (m_parent) {
        PlaceControl(x, y, cx, cy, kMoveFlags);
    }
    if (m_window && m_hasFlexibleColumns) {
        DistributeColumnWidths();
    }
}

// Flexible columns share what the fixed ones and a vertical scroll bar leave free; fixed columns
// go back to their declared width. Wide arithmetic keeps large flex values from overflowing.
void CTEVList::DistributeColumnWidths() {
    RECT client = {};
    GetClientRect(m_window, &client);
    std::vector<CTEVListCol*> columns;
    long long fixedSum = 0;
    long long flexSum = 0;
    for (const auto& child : m_children) {
        if (CTEVListCol* column = AsListCol(child.get())) {
            columns.push_back(column);
            fixedSum += column->Flex() == 0 ? column->PixelWidth() : 0;
            flexSum += column->Flex();
        }
    }
    const long long freeWidth =
        static_cast<long long>(client.right - client.left) - GetSystemMetrics(SM_CXVSCROLL) - fixedSum;
    bool suspended = false;
    for (size_t k = 0; k < columns.size(); ++k) {
        const CTEVListCol& column = *columns[k];
        long long width = column.PixelWidth();
        if (column.Flex() != 0 && flexSum != 0) {
            width = freeWidth * column.Flex() / flexSum;
        }
        width = std::clamp(width, 0LL, kMaxColumnWidth);
        // Each change moves every later column in the control: a column already as wide is left alone.
        if (SendMessageW(m_window, LVM_GETCOLUMNWIDTH, k, 0) != width) {
            if (!suspended) {
                BeginUpdate();
                suspended = true;
            }
            SendMessageW(m_window, LVM_SETCOLUMNWIDTH, k, MAKELPARAM(static_cast<int>(width), 0));
        }
    }
    if (suspended) {
        EndUpdate();
    }
}

BOOL CTEVList::HandleNotify(WPARAM, NMHDR* header) {
    switch (header->code) {
    case LVN_GETDISPINFOW:
        AnswerDisplayInfo(*reinterpret_cast<NMLVDISPINFOW*>(header));
        return TRUE;
    case LVN_ODFINDITEMW:
        // The container is a dialog, whose answer to a notification travels in DWLP_MSGRESULT.
        SetWindowLongPtrW(GetParent(m_window), DWLP_MSGRESULT,
                          FindRow(*reinterpret_cast<NMLVFINDITEMW*>(header)));
        return TRUE;
    default:
        break;
    }
    for (const ListEvent& event : kListEvents) {
        if (header->code == event.code) {
            return Fire(event.name, 0, reinterpret_cast<LPARAM>(header));
        }
    }
    return FALSE;
}

// The control asks for what it paints or what a reader (LVM_GETITEMTEXT, a screen reader)
// wants; the text is copied, so a reader's buffer in its own memory works too.
void CTEVList::AnswerDisplayInfo(NMLVDISPINFOW& info) const {
    LVITEMW& item = info.item;
    if (item.iItem < 0 || static_cast<size_t>(item.iItem) >= m_rowData.size()) {
        return;
    }
    const Row& row = m_rowData[static_cast<size_t>(item.iItem)];
    if ((item.mask & LVIF_TEXT) && item.pszText && item.cchTextMax > 0) {
        std::wstring scratch;
        lstrcpynW(item.pszText, CellText(row, item.iSubItem, scratch), item.cchTextMax);
    }
    if ((item.mask & LVIF_IMAGE) && item.iSubItem == 0) {
        item.iImage = row.image >= 0 ? row.image : I_IMAGENONE;
    }
}

const wchar_t* CTEVList::CellText(const Row& row, int column, std::wstring& scratch) const {
    if (column < 0 || column >= m_columnCount) {
        return L"";
    }
    if (m_textSource) {
        const wchar_t* text = m_textSource(row.param, column, scratch);
        return text ? text : L"";
    }
    return static_cast<size_t>(column) < row.texts.size() ? row.texts[static_cast<size_t>(column)].c_str() : L"";
}

void CTEVList::SetTextSource(TextSource source) {
    m_textSource = std::move(source);
}

// Typing in the list and LVM_FINDITEM: the first row from iStart on whose param, first-column
// text or first-column prefix (ignoring case) matches, wrapping to the top when asked to; -1 if
// none does.
int CTEVList::FindRow(const NMLVFINDITEMW& find) const {
    const LVFINDINFOW& what = find.lvfi;
    const size_t count = m_rowData.size();
    const size_t prefix = what.psz ? wcslen(what.psz) : 0;
    std::wstring scratch;
    auto matches = [&](const Row& row) {
        if (what.flags & LVFI_PARAM) {
            return row.param == what.lParam;
        }
        if (!what.psz) {
            return false;
        }
        const wchar_t* text = CellText(row, 0, scratch);
        if (what.flags & LVFI_PARTIAL) {
            return wcslen(text) >= prefix && CompareStringOrdinal(text, static_cast<int>(prefix), what.psz,
                                                                 static_cast<int>(prefix), TRUE) == CSTR_EQUAL;
        }
        return (what.flags & LVFI_STRING) && EqualsNoCase(text, what.psz);
    };
    const size_t start = std::min(static_cast<size_t>(std::max(find.iStart, 0)), count);
    const size_t candidates = (what.flags & LVFI_WRAP) ? count : count - start;
    for (size_t k = 0; k < candidates; ++k) {
        const size_t row = (start + k) % count;
        if (matches(m_rowData[row])) {
            return static_cast<int>(row);
        }
    }
    return -1;
}

void CTEVList::ShowRowCount(DWORD flags) {
    SendMessageW(m_window, LVM_SETITEMCOUNT, m_rowData.size(), flags);
}

int CTEVList::InsertItem(const wchar_t* text, int param, int image) {
    if (!m_window) {
        return -1;
    }
    const wchar_t* label = text ? text : L"";
    if (!m_virtual) {
        LVITEMW item = {};
        item.mask = LVIF_TEXT | LVIF_PARAM;
        item.iItem = GetItemCount();
        item.pszText = const_cast<wchar_t*>(label);
        item.lParam = param;
        if (image >= 0) {
            item.mask |= LVIF_IMAGE;
            item.iImage = image;
        }
        if (SendMessageW(m_window, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)) < 0) {
            return -1;
        }
    }
    if (m_textSource) {
        m_rowData.push_back({{}, param, image});
    } else {
        Row row{std::vector<std::wstring>(static_cast<size_t>(m_columnCount)), param, image};
        row.texts[0] = label;
        m_rowData.push_back(std::move(row));
    }
    // Within an update the count is told once, at its end.
    if (m_virtual && m_updateDepth == 0) {
        ShowRowCount(LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL);
    }
    return GetItemCount() - 1;
}

void CTEVList::SetItemText(int row, int column, const wchar_t* text) {
    if (row < 0 || row >= GetItemCount() || column < 0 || column >= m_columnCount) {
        return;
    }
    const wchar_t* value = text ? text : L"";
    if (!m_textSource) {
        m_rowData[static_cast<size_t>(row)].texts[static_cast<size_t>(column)] = value;
    }
    if (!m_virtual) {
        LVITEMW item = {};
        item.iSubItem = column;
        item.pszText = const_cast<wchar_t*>(value);
        SendMessageW(m_window, LVM_SETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
    } else if (m_updateDepth == 0) {
        SendMessageW(m_window, LVM_REDRAWITEMS, row, row);
    }
}

void CTEVList::DeleteAllItems() {
    m_rowData.clear();
    if (m_virtual) {
        // Also drops the selection and the focus, as deleting real rows does.
        ShowRowCount(0);
    } else {
        SendMessageW(m_window, LVM_DELETEALLITEMS, 0, 0);
    }
}

int CTEVList::GetItemCount() {
    return static_cast<int>(m_rowData.size());
}

int CTEVList::GetItemParam(int row) {
    if (row < 0 || row >= GetItemCount()) {
        return -1;
    }
    return m_rowData[static_cast<size_t>(row)].param;
}

int CTEVList::GetSelectedIndex() {
    if (!m_window) {
        return -1;
    }
    // The control finds its first selected row itself, without one message per row.
    return static_cast<int>(SendMessageW(m_window, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

int CTEVList::GetSelectedParam() {
    const int row = GetSelectedIndex();
    return row < 0 ? -1 : GetItemParam(row);
}

void CTEVList::BeginUpdate() {
    if (m_updateDepth++ != 0 || !m_window) {
        return;
    }
    // Turning redraw back on also marks a window visible, so a hidden list is left alone: it
    // does not paint anyway.
    m_redrawSuspended = (GetWindowLongW(m_window, GWL_STYLE) & WS_VISIBLE) != 0;
    if (m_redrawSuspended) {
        SendMessageW(m_window, WM_SETREDRAW, FALSE, 0);
    }
}

void CTEVList::EndUpdate() {
    if (m_updateDepth == 0 || --m_updateDepth != 0) {
        return;
    }
    if (m_virtual) {
        // Rows appended to a list keep it where the user scrolled it.
        ShowRowCount(LVSICF_NOSCROLL);
    }
    if (!m_redrawSuspended) {
        return;
    }
    m_redrawSuspended = FALSE;
    // Redraw back on makes the list set its scroll bars and lay out its header twice over, each
    // step drawn at once while the window shows: tens of milliseconds under Wine. Marked hidden
    // for that moment, it draws nothing then; one repaint of frame, header and rows follows.
    DefWindowProcW(m_window, WM_SETREDRAW, FALSE, 0);
    SendMessageW(m_window, WM_SETREDRAW, TRUE, 0);
    DefWindowProcW(m_window, WM_SETREDRAW, TRUE, 0);
    RedrawWindow(m_window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
}

void CTEVList::ReserveItems(int rows) {
    try {
        m_rowData.reserve(static_cast<size_t>(std::max(rows, 0)));
    } catch (const std::exception&) {
        // Only a hint: without the room the rows still go in one by one.
    }
    if (!m_virtual) {
        SendMessageW(m_window, LVM_SETITEMCOUNT, std::max(rows, 0), LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL);
    }
}

void CTEVList::CreateCellTips() {
    m_cellTips = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                                 WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT, CW_USEDEFAULT,
                                 CW_USEDEFAULT, CW_USEDEFAULT, m_window, nullptr, nullptr, nullptr);
    if (!m_cellTips) {
        return;
    }
    // One tool for the whole list; it asks for its text, which depends on the cell under the mouse.
    TTTOOLINFOW tool = {};
    tool.cbSize = sizeof(tool);
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS | TTF_TRANSPARENT;
    tool.hwnd = m_window;
    tool.uId = reinterpret_cast<UINT_PTR>(m_window);
    tool.lpszText = LPSTR_TEXTCALLBACKW;
    SendMessageW(m_cellTips, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    // Long texts wrap instead of running across the screen.
    SendMessageW(m_cellTips, TTM_SETMAXTIPWIDTH, 0, GetSystemMetrics(SM_CXSCREEN) / 2);
    SetWindowSubclass(m_window, CellTipsProc, 1, reinterpret_cast<DWORD_PTR>(this));
}

LRESULT CALLBACK CTEVList::CellTipsProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                        DWORD_PTR self) {
    return reinterpret_cast<CTEVList*>(self)->OnCellTipsMessage(hwnd, message, wParam, lParam);
}

LRESULT CTEVList::OnCellTipsMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_MOUSEMOVE: {
        LVHITTESTINFO hit = {};
        hit.pt = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        SendMessageW(hwnd, LVM_SUBITEMHITTEST, 0, reinterpret_cast<LPARAM>(&hit));
        const POINT cell = {hit.iItem >= 0 ? hit.iSubItem : -1, hit.iItem};
        if (cell.x != m_tipCell.x || cell.y != m_tipCell.y) {
            // Another cell: the tooltip starts over and asks for that cell's text.
            m_tipCell = cell;
            SendMessageW(m_cellTips, TTM_ACTIVATE, FALSE, 0);
            SendMessageW(m_cellTips, TTM_ACTIVATE, TRUE, 0);
        }
        break;
    }
    case WM_NOTIFY: {
        auto* header = reinterpret_cast<NMHDR*>(lParam);
        if (header->hwndFrom == m_cellTips && header->code == TTN_GETDISPINFOW) {
            POINT cursor = {};
            GetCursorPos(&cursor);
            ScreenToClient(hwnd, &cursor);
            m_tipText = CutOffTextAt(cursor);
            auto* info = reinterpret_cast<NMTTDISPINFOW*>(lParam);
            info->lpszText = m_tipText.data();
            return 0;
        }
        break;
    }
    case WM_NCDESTROY:
        RemoveWindowSubclass(hwnd, CellTipsProc, 1);
        if (m_cellTips) {
            DestroyWindow(m_cellTips);
            m_cellTips = nullptr;
        }
        break;
    default:
        break;
    }
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

std::wstring CTEVList::CutOffTextAt(POINT point) {
    LVHITTESTINFO hit = {};
    hit.pt = point;
    SendMessageW(m_window, LVM_SUBITEMHITTEST, 0, reinterpret_cast<LPARAM>(&hit));
    if (hit.iItem < 0 || hit.iItem >= GetItemCount() || hit.iSubItem < 0 || hit.iSubItem >= m_columnCount) {
        return L"";
    }
    std::wstring scratch;
    const std::wstring text = CellText(m_rowData[static_cast<size_t>(hit.iItem)], hit.iSubItem, scratch);
    RECT cell = {};
    cell.top = hit.iSubItem;
    cell.left = LVIR_LABEL;
    SendMessageW(m_window, LVM_GETSUBITEMRECT, hit.iItem, reinterpret_cast<LPARAM>(&cell));
    // The control keeps a margin on either side of a cell's text.
    const int margin = 2 * GetSystemMetrics(SM_CXEDGE) + 8;
    const int width = static_cast<int>(
        SendMessageW(m_window, LVM_GETSTRINGWIDTHW, 0, reinterpret_cast<LPARAM>(text.c_str())));
    return width + margin > cell.right - cell.left ? text : L"";
}

CTEVListCol::~CTEVListCol() = default;

BOOL CTEVListCol::IsKindOf(const wchar_t* tag, CTEVElement** out) {
    return MatchesKind(L"listcol", tag, out);
}

BOOL CTEVListCol::LoadFromNode(IXMLDOMNode* node) {
    if (!CTEVElement::LoadFromNode(node)) {
        return FALSE;
    }
    m_caption = GetLocalizedAttribute(node, L"caption");
    const int characters = std::clamp(GetAttributeInt(node, L"size", 0), 0, kMaxSizeInCharacters);
    // Without a window of its own the column measures on the screen with the GUI font.
    m_pixelWidth = characters * MeasureText(nullptr).cx;
    m_flex = GetAttributeInt(node, L"flex", 0);
    return TRUE;
}
