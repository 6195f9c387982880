// The "listitem" element and the entry operations of combo boxes and list boxes.
#include "CTEVListItem.h"

#include "AttributeReaders.h"

#include <algorithm>

const EntryMessages kComboBoxEntries = {CB_ADDSTRING, CB_SETITEMDATA, CB_GETITEMDATA,
                                        CB_GETCOUNT,  CB_GETCURSEL,   CB_SETCURSEL};
const EntryMessages kListBoxEntries = {LB_ADDSTRING, LB_SETITEMDATA, LB_GETITEMDATA,
                                       LB_GETCOUNT,  LB_GETCURSEL,   LB_SETCURSEL};

CTEVListItem::~CTEVListItem() = default;

BOOL CTEVListItem::IsKindOf(const wchar_t* tag, CTEVElement** out) {
    return MatchesKind(L"listitem", tag, out);
}

BOOL CTEVListItem::LoadFromNode(IXMLDOMNode* node) {
    if (!CTEVElement::LoadFromNode(node)) {
        return FALSE;
    }
    m_label = GetLocalizedAttribute(node, L"label");
    m_value = GetAttributeInt(node, L"value", 0);
    return TRUE;
}

int AddEntry(HWND control, const EntryMessages& messages, int data, const wchar_t* text) {
    if (!control) {
        return -1;
    }
    const auto index = static_cast<int>(
        SendMessageW(control, messages.addString, 0, reinterpret_cast<LPARAM>(text ? text : L"")));
    // With sorting the control chooses the position: the data goes where the text went.
    if (index >= 0) {
        SendMessageW(control, messages.setItemData, index, data);
    }
    return index < 0 ? -1 : index;
}

int SelectedEntryData(HWND control, const EntryMessages& messages) {
    if (!control) {
        return -1;
    }
    const auto selected = static_cast<int>(SendMessageW(control, messages.getCurSel, 0, 0));
    if (selected < 0) {
        return -1;
    }
    return static_cast<int>(SendMessageW(control, messages.getItemData, selected, 0));
}

bool SelectEntryWithData(HWND control, const EntryMessages& messages, int data) {
    if (!control) {
        return false;
    }
    const auto count = static_cast<int>(SendMessageW(control, messages.getCount, 0, 0));
    for (int index = 0; index < count; ++index) {
        if (static_cast<int>(SendMessageW(control, messages.getItemData, index, 0)) == data) {
            SendMessageW(control, messages.setCurSel, index, 0);
            return true;
        }
    }
    return false;
}

SIZE AddListItemEntries(HWND control, const EntryMessages& messages,
                        const std::vector<std::unique_ptr<CTEVElement>>& children,
                        const std::function<SIZE(const wchar_t*)>& measure) {
    SIZE total = {0, 0};
    for (const auto& child : children) {
        const auto* item = dynamic_cast<CTEVListItem*>(child.get());
        if (!item) {
            continue;
        }
        AddEntry(control, messages, item->Value(), item->Label());
        const SIZE label = measure(item->Label() ? item->Label() : L"");
        total.cx = std::max(total.cx, label.cx);
        total.cy += label.cy;
    }
    return total;
}

std::vector<ItemTextRoom> EntryTextRooms(const std::vector<std::unique_ptr<CTEVElement>>& children, HDC dc,
                                         HFONT font, int textLeft, int textRightMargin, SIZE given) {
    std::vector<ItemTextRoom> rooms;
    for (const auto& child : children) {
        auto* item = dynamic_cast<CTEVListItem*>(child.get());
        if (!item || !item->Label() || !*item->Label()) {
            continue;
        }
        const DrawnText text = MeasureDrawnText(dc, font, item->Label(), DT_SINGLELINE | DT_NOPREFIX);
        const int ink = text.inkRight > text.inkLeft ? text.inkRight : text.box.cx;
        rooms.push_back(
            {item, item->Label(), TextRoom{{textLeft + ink + textRightMargin, text.box.cy}, given}});
    }
    return rooms;
}
