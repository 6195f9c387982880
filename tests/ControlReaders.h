// Reads controls back through their own messages and acts on them as a user's input would.
#pragma once

#include "CTEVElement.h"

#include <windows.h>

#include <string>
#include <vector>

std::wstring WindowText(HWND window);
inline std::wstring WindowText(CTEVElement& element) {
    return WindowText(element.Window());
}
inline LONG StyleOf(CTEVElement& element) {
    return GetWindowLongW(element.Window(), GWL_STYLE);
}
// A text an element answered, with null made visible.
inline std::wstring TextOrNull(const wchar_t* text) {
    return text ? text : L"<null>";
}

// A list view's cell, through LVM_GETITEMTEXT.
std::wstring CellText(HWND list, int row, int column);
// The texts of one column, every row.
std::vector<std::wstring> ColumnTexts(HWND list, int column);
// Selects (and focuses) a list-view row as the application or a click would.
void SelectRow(HWND list, int row, UINT state = LVIS_SELECTED | LVIS_FOCUSED);

std::vector<std::wstring> ComboEntries(HWND combo);
std::vector<std::wstring> ListBoxEntries(HWND listBox);

// The client area's pixels as the window last painted them, once what it invalidated is painted.
std::vector<COLORREF> ClientPixels(HWND window);
