// Sizes and places one table: its frame, its rows of cells and the cells' content.
#pragma once

#include <vector>

#include "HtmlItem.h"

struct HtmlTableRun {
    HtmlItem* frame = nullptr;
    std::vector<std::vector<HtmlItem*>> rows;
    std::vector<HtmlItem*> rowBreaks;
};

// The widest table grid; cells beyond it share the last column.
constexpr int kMaxTableColumns = 1000;

// Sizes the table for an area of areaWidth pixels and places it with its frame at (0, 0).
void LayOutTable(HtmlTableRun& table, int areaWidth);
