// Reference measures for control tests: dialog units of a dialog, text extents in the stock
// GUI font, and an element's minimum size, style and window text.
#pragma once

#include "CTEVElement.h"
#include "GdiHandles.h"

#include <windows.h>

#include <string>

inline SIZE Dlu(HWND dialog, int x, int y) {
    RECT rect = {0, 0, x, y};
    MapDialogRect(dialog, &rect);
    return {rect.right, rect.bottom};
}

// The extent of text in the stock GUI font; format may add wrapping at width.
inline SIZE TextExtent(HWND window, const wchar_t* text, UINT format = 0, int width = 3) {
    WindowDC dc(window);
    SelectedObject font(dc.Get(), GetStockObject(DEFAULT_GUI_FONT));
    RECT rect = {0, 0, width, 3};
    DrawTextW(dc.Get(), text, -1, &rect, DT_CALCRECT | DT_EDITCONTROL | format);
    return {rect.right, rect.bottom};
}

inline SIZE MinSizeOf(CTEVElement& element) {
    SIZE size = {};
    element.GetMinSize(&size);
    return size;
}

inline LONG StyleOf(CTEVElement& element) {
    return GetWindowLongW(element.Window(), GWL_STYLE);
}

inline std::wstring WindowText(CTEVElement& element) {
    wchar_t text[256] = L"";
    GetWindowTextW(element.Window(), text, 256);
    return text;
}

// A text an element answered, with null made visible.
inline std::wstring TextOrNull(const wchar_t* text) {
    return text ? text : L"<null>";
}
