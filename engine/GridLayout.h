// The arithmetic of the grid every element lays its children out in: shape, cells and the
// sharing of free space among flexible tracks. Plain integers, no windows.
#pragma once

#include <vector>

struct GridTrack {
    int size = 0;
    int factor = 0;
};

struct GridShape {
    int columns = 0;
    int rows = 0;
};

// Shape for childCount > 0 children. A columns/rows value below 1 means automatic and one
// above the child count is taken as the count, so no value can index outside the tracks.
GridShape ComputeGridShape(int childCount, int orient, int columnsAttr, int rowsAttr);

// Cell of the child at index: row-major when horizontal, column-major when vertical.
void GridCell(const GridShape& shape, int orient, int index, int* column, int* row);

// Shares available space among the flexible tracks (truncating, remainder left empty); when
// the fixed tracks leave no room every track keeps its collected size.
void DistributeTracks(std::vector<GridTrack>& tracks, int available, int gap);

// Sum of the track sizes plus the gaps between them, clamped to the int range.
int TotalTrackSize(const std::vector<GridTrack>& tracks, int gap);

// a + b clamped to the int range, for sizes built from untrusted attribute values.
int AddClamped(int a, long long b);
