#include "ControlReaders.h"

#include "GdiHandles.h"

std::wstring WindowText(HWND window) {
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

std::wstring CellText(HWND list, int row, int column) {
    wchar_t text[256] = L"";
    LVITEMW item = {};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = 256;
    SendMessageW(list, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
    return text;
}

std::vector<std::wstring> ColumnTexts(HWND list, int column) {
    std::vector<std::wstring> texts;
    const auto rows = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    for (int row = 0; row < rows; ++row) {
        texts.push_back(CellText(list, row, column));
    }
    return texts;
}

void SelectRow(HWND list, int row, UINT state) {
    LVITEMW item = {};
    item.stateMask = state;
    item.state = state;
    SendMessageW(list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
}

namespace {

std::vector<std::wstring> Entries(HWND control, UINT count, UINT length, UINT get) {
    std::vector<std::wstring> entries;
    const auto entryCount = static_cast<int>(SendMessageW(control, count, 0, 0));
    for (int i = 0; i < entryCount; ++i) {
        std::wstring text(static_cast<size_t>(SendMessageW(control, length, i, 0)) + 1, L'\0');
        text.resize(
            static_cast<size_t>(SendMessageW(control, get, i, reinterpret_cast<LPARAM>(text.data()))));
        entries.push_back(text);
    }
    return entries;
}

} // namespace

std::vector<std::wstring> ComboEntries(HWND combo) {
    return Entries(combo, CB_GETCOUNT, CB_GETLBTEXTLEN, CB_GETLBTEXT);
}

std::vector<std::wstring> ListBoxEntries(HWND listBox) {
    return Entries(listBox, LB_GETCOUNT, LB_GETTEXTLEN, LB_GETTEXT);
}

std::vector<COLORREF> ClientPixels(HWND window) {
    UpdateWindow(window);
    RECT client = {};
    GetClientRect(window, &client);
    WindowDC dc(window);
    std::vector<COLORREF> pixels;
    for (int y = 0; y < client.bottom; ++y) {
        for (int x = 0; x < client.right; ++x) {
            pixels.push_back(GetPixel(dc.Get(), x, y));
        }
    }
    return pixels;
}
