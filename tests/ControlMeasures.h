// Reference measures for control tests: dialog units of a dialog, text extents in the stock
// GUI font, and an element's minimum size.
#pragma once

#include "CTEVElement.h"
#include "GdiHandles.h"

#include <windows.h>

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
