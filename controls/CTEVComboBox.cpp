// The "combobox" element.
#include "CTEVComboBox.h"

#include "AttributeReaders.h"
#include "CTEVListItem.h"

#include <algorithm>
#include <climits>

namespace {

constexpr DWORD kOwnerDrawStyles[] = {0, CBS_OWNERDRAWFIXED, CBS_OWNERDRAWVARIABLE};
// Room for the drop-down button beside the widest text.
constexpr int kDropButtonWidth = 26;
// The window is this many laid-out heights tall so that the dropped-down list shows entries.
constexpr long long kDropDownHeightFactor = 5;

} // namespace

CTEVComboBox::~CTEVComboBox() = default;

BOOL CTEVComboBox::IsKindOf(const wchar_t* tag, CTEVElement** out) {
    return MatchesKind(L"combobox", tag, out);
}

BOOL CTEVComboBox::LoadFromNode(IXMLDOMNode* node) {
    if (!CTEVElement::LoadFromNode(node)) {
        return FALSE;
    }
    m_editable = GetAttributeBool(node, L"editable", FALSE);
    m_sorted = GetAttributeBool(node, L"sorted", FALSE);
    m_size = std::clamp(GetAttributeInt(node, L"size", 10), 0, kMaxSizeInCharacters);
    m_ownerDraw = GetAttributeEnum(node, L"ownerdraw", 0, {L"no", L"fixed", L"variable"});
    return TRUE;
}

DWORD CTEVComboBox::WindowStyle() const {
    return WS_VSCROLL | WS_TABSTOP | CBS_HASSTRINGS | CBS_AUTOHSCROLL |
           (m_editable ? CBS_DROPDOWN : CBS_DROPDOWNLIST) | (m_sorted ? CBS_SORT : 0) |
           kOwnerDrawStyles[m_ownerDraw];
}

void CTEVComboBox::Create() {
    CreateControlWindow(L"COMBOBOX", L"", WindowStyle(), 0);
    int textWidth = AddListItemEntries(m_window, kComboBoxEntries, m_children, [this](const wchar_t* label) {
                        return MeasureText(label);
                    }).cx;
    if (textWidth == 0) {
        textWidth = MeasureText(std::wstring(m_size, L'W').c_str()).cx;
    }
    m_minheight = DialogUnits(1, 14).cy;
    m_minwidth = m_width ? DialogUnits(m_width, 14).cx : textWidth + kDropButtonWidth;
}

std::vector<ItemTextRoom> CTEVComboBox::MeasureItemTextRooms() {
    if (m_editable) {
        return {};
    }
    // The selected entry is drawn two pixels into the text area and clipped one short of its
    // right edge; the dropped-down list, as wide as the box, gives entries more room than that.
    const SIZE client = ClientArea();
    const RECT area = TextArea(client);
    return EntryTextRooms(m_children, MeasuringDC(), ControlFont(m_window), area.left + 2,
                          client.cx - (area.right - 1), client);
}

RECT CTEVComboBox::TextArea(SIZE client) const {
    COMBOBOXINFO info = {sizeof(info)};
    if (m_window && GetComboBoxInfo(m_window, &info)) {
        return info.rcItem;
    }
    const int edge = GetSystemMetrics(SM_CXEDGE);
    return {edge, edge, client.cx - edge - GetSystemMetrics(SM_CXVSCROLL), client.cy - edge};
}

void CTEVComboBox::Arrange(int x, int y, int cx, int cy) {
    if (m_window && m_parent) {
        const auto height = static_cast<int>(std::min<long long>(kDropDownHeightFactor * cy, INT_MAX));
        SetWindowPos(m_window, nullptr, x, y, cx, height, SWP_NOZORDER | SWP_NOOWNERZORDER);
    } else if (!m_window) {
        // Laid out without a window: placed as the closed box, whose height follows its font (its
        // text area, two pixels above and below it, and the edges).
        const int line =
            MeasureDrawnText(MeasuringDC(), ControlFont(m_window), nullptr, DT_SINGLELINE).box.cy;
        PlaceControl(x, y, cx, line + 8);
    }
}

BOOL CTEVComboBox::HandleCommand(int code, int, HWND) {
    if (code != CBN_SELCHANGE && code != CBN_EDITCHANGE) {
        return FALSE;
    }
    ExecuteChildren();
    return Fire(L"changed", 0, 0);
}

void CTEVComboBox::SetValue(int value) {
    SelectEntryWithData(m_window, kComboBoxEntries, value);
    ExecuteChildren();
}

int CTEVComboBox::GetValue() {
    return SelectedEntryData(m_window, kComboBoxEntries);
}

const wchar_t* CTEVComboBox::GetText() {
    m_textBuffer.reset();
    if (!m_window) {
        return nullptr;
    }
    const auto selected = static_cast<int>(SendMessageW(m_window, CB_GETCURSEL, 0, 0));
    OptString text = selected >= 0 ? EntryText(selected) : m_editable ? EditText() : std::nullopt;
    if (text && !text->empty()) {
        m_textBuffer = std::move(text);
    }
    return CStrOrNull(m_textBuffer);
}

void CTEVComboBox::SetText(const wchar_t* text) {
    if (m_editable) {
        // The text may be the buffer the last GetText handed out: copy it before that goes.
        const std::wstring newText = text ? text : L"";
        m_textBuffer.reset();
        SendMessageW(m_window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(newText.c_str()));
        ExecuteChildren();
        return;
    }
    const int index = FindEntryByText(text);
    if (index < 0) {
        return;
    }
    SendMessageW(m_window, CB_SETCURSEL, index, 0);
    ExecuteChildren();
}

void CTEVComboBox::AddItem(int data, const wchar_t* text) {
    AddEntry(m_window, kComboBoxEntries, data, text);
}

void CTEVComboBox::SetItemText(int data, const wchar_t* text) {
    if (!m_window) {
        return;
    }
    const auto count = static_cast<int>(SendMessageW(m_window, CB_GETCOUNT, 0, 0));
    for (int index = 0; index < count; ++index) {
        if (static_cast<int>(SendMessageW(m_window, CB_GETITEMDATA, index, 0)) != data) {
            continue;
        }
        const auto selected = static_cast<int>(SendMessageW(m_window, CB_GETCURSEL, 0, 0));
        // The control has no message that changes an entry's text: the entry is put back anew.
        SendMessageW(m_window, CB_DELETESTRING, index, 0);
        SendMessageW(m_window, CB_INSERTSTRING, index, reinterpret_cast<LPARAM>(text ? text : L""));
        SendMessageW(m_window, CB_SETITEMDATA, index, data);
        if (selected == index) {
            SendMessageW(m_window, CB_SETCURSEL, index, 0);
        }
        return;
    }
}

void CTEVComboBox::ResetContent() {
    SendMessageW(m_window, CB_RESETCONTENT, 0, 0);
}

// The buffer is as long as the control says the entry is, so reading never overruns it.
OptString CTEVComboBox::EntryText(int index) const {
    const auto length = static_cast<int>(SendMessageW(m_window, CB_GETLBTEXTLEN, index, 0));
    if (length < 0) {
        return std::nullopt;
    }
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const auto copied =
        static_cast<int>(SendMessageW(m_window, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text.data())));
    if (copied < 0) {
        return std::nullopt;
    }
    text.resize(std::min(copied, length));
    return text;
}

OptString CTEVComboBox::EditText() const {
    const auto length = static_cast<int>(SendMessageW(m_window, WM_GETTEXTLENGTH, 0, 0));
    std::wstring text(static_cast<size_t>(std::max(length, 0)) + 1, L'\0');
    const auto copied = static_cast<int>(
        SendMessageW(m_window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data())));
    text.resize(std::clamp(copied, 0, std::max(length, 0)));
    return text;
}

int CTEVComboBox::FindEntryByText(const wchar_t* text) const {
    if (!text || !m_window) {
        return -1;
    }
    const auto count = static_cast<int>(SendMessageW(m_window, CB_GETCOUNT, 0, 0));
    for (int index = 0; index < count; ++index) {
        const OptString entry = EntryText(index);
        if (entry && !entry->empty() && lstrcmpiW(entry->c_str(), text) == 0) {
            return index;
        }
    }
    return -1;
}
