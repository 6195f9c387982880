// Paints laid-out HTML items with GDI.
#pragma once

#include <windows.h>

#include "HtmlItem.h"

// Paints the items touching visible, shifted by (-dx, -dy). Every GDI object made here is
// deselected and deleted before the call returns.
void PaintItems(HDC dc, const HtmlItemList& items, const RECT& visible, int dx, int dy);
