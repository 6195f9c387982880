// Places HTML items: flowing lines with alignment and floats, and tables as blocks of cells.
#pragma once

#include "HtmlItem.h"

struct HtmlExtent {
    int right;
    int bottom;
};

// Lays items out from (left, top) within right and answers the right-most and bottom-most extent
// of the items, leaving out single spaces; (left, top) when nothing counts.
HtmlExtent LayOutItems(HtmlItemList& items, int left, int top, int right);

// Marks every cell's measures as unknown; done before and after each top-level layout.
void ResetLayoutCache(HtmlItemList& items);

// Moves items (and the content of cells) by (dx, dy).
void ShiftItems(HtmlItemList& items, int dx, int dy);
