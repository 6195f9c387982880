// The "listbox" element.
#include "CTEVListBox.h"

#include "AttributeReaders.h"
#include "CTEVListItem.h"

#include <algorithm>

namespace {

constexpr DWORD kSelectionStyles[] = {0, LBS_MULTIPLESEL, LBS_EXTENDEDSEL, LBS_NOSEL};
// Room for the frame and a little air around the entries.
constexpr int kExtraWidth = 10;
constexpr int kExtraHeight = 20;

} // namespace

CTEVListBox::~CTEVListBox() = default;

BOOL CTEVListBox::IsKindOf(const wchar_t* tag, CTEVElement** out) {
    return MatchesKind(L"listbox", tag, out);
}

BOOL CTEVListBox::LoadFromNode(IXMLDOMNode* node) {
    if (!CTEVElement::LoadFromNode(node)) {
        return FALSE;
    }
    m_selection = GetAttributeEnum(node, L"selection", 0, {L"single", L"multiple", L"extended", L"none"});
    m_sort = GetAttributeBool(node, L"sort", FALSE);
    m_noIntegralHeight = GetAttributeBool(node, L"nointegralheight", TRUE);
    return TRUE;
}

DWORD CTEVListBox::WindowStyle() const {
    return WS_VSCROLL | WS_TABSTOP | LBS_NOTIFY | kSelectionStyles[m_selection] | (m_sort ? LBS_SORT : 0) |
           (m_noIntegralHeight ? LBS_NOINTEGRALHEIGHT : 0);
}

void CTEVListBox::Create() {
    CreateControlWindow(L"ListBox", L"", WindowStyle(), WS_EX_CLIENTEDGE);
    const SIZE entries = AddListItemEntries(m_window, kListBoxEntries, m_children,
                                            [this](const wchar_t* label) { return MeasureText(label); });
    if (entries.cx != 0) {
        m_minwidth = entries.cx + kExtraWidth;
        m_minheight = entries.cy + kExtraHeight;
        return;
    }
    const SIZE minimum = DialogUnits(m_width ? m_width : 48, m_height ? m_height : 40);
    m_minwidth = minimum.cx;
    m_minheight = minimum.cy;
}

BOOL CTEVListBox::HandleCommand(int code, int, HWND) {
    if (code != LBN_SELCHANGE) {
        return FALSE;
    }
    ExecuteChildren();
    return Fire(L"changed", 0, 0);
}

void CTEVListBox::SetValue(int value) {
    SelectEntryWithData(m_window, kListBoxEntries, value);
    ExecuteChildren();
}

int CTEVListBox::GetValue() {
    return SelectedEntryData(m_window, kListBoxEntries);
}

std::vector<ItemTextRoom> CTEVListBox::MeasureItemTextRooms() {
    // An entry is drawn one pixel in from the client's left edge and clipped at its right one.
    return EntryTextRooms(m_children, MeasuringDC(), ControlFont(m_window), 1, 0, EntriesArea());
}

SIZE CTEVListBox::EntriesArea() const {
    if (m_window) {
        return ClientSize(m_window);
    }
    // Inside the sunken edge, less the scroll bar that entries taller than the box bring.
    const RECT placed = PlacedRect();
    SIZE area = {placed.right - placed.left - 2 * GetSystemMetrics(SM_CXEDGE),
                 placed.bottom - placed.top - 2 * GetSystemMetrics(SM_CYEDGE)};
    const int entryHeight =
        MeasureDrawnText(MeasuringDC(), ControlFont(m_window), nullptr, DT_SINGLELINE).box.cy;
    const auto entries = std::count_if(m_children.begin(), m_children.end(), [](const auto& child) {
        return child->IsKindOf(L"listitem", nullptr);
    });
    if (entries * entryHeight > area.cy) {
        area.cx -= GetSystemMetrics(SM_CXVSCROLL);
    }
    return area;
}

void CTEVListBox::AddItem(int data, const wchar_t* text) {
    AddEntry(m_window, kListBoxEntries, data, text);
}
