#include "GridLayout.h"

#include <algorithm>
#include <climits>

namespace {

int ClampToInt(long long value) {
    return static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX));
}

int CountOrAutomatic(int value, int childCount) {
    return (value < 1 || value > childCount) ? childCount : value;
}

int CeilDiv(int total, int divisor) {
    return total / divisor + (total % divisor ? 1 : 0);
}

} // namespace

GridShape ComputeGridShape(int childCount, int orient, int columnsAttr, int rowsAttr) {
    GridShape shape;
    if (orient == 1) {
        shape.rows = CountOrAutomatic(rowsAttr, childCount);
        shape.columns = CeilDiv(childCount, shape.rows);
    } else {
        shape.columns = CountOrAutomatic(columnsAttr, childCount);
        shape.rows = CeilDiv(childCount, shape.columns);
    }
    return shape;
}

void GridCell(const GridShape& shape, int orient, int index, int* column, int* row) {
    if (orient == 1) {
        *row = index % shape.rows;
        *column = index / shape.rows;
    } else {
        *column = index % shape.columns;
        *row = index / shape.columns;
    }
}

void DistributeTracks(std::vector<GridTrack>& tracks, int available, int gap) {
    long long free = static_cast<long long>(available) -
                     static_cast<long long>(gap) * (static_cast<long long>(tracks.size()) - 1);
    long long factorSum = 0;
    for (const GridTrack& track : tracks) {
        if (track.factor == 0) {
            free -= track.size;
        } else {
            factorSum += track.factor;
        }
    }
    if (free <= 0 || factorSum == 0) {
        return;
    }
    for (GridTrack& track : tracks) {
        if (track.factor != 0) {
            track.size = ClampToInt(free * track.factor / factorSum);
        }
    }
}

int TotalTrackSize(const std::vector<GridTrack>& tracks, int gap) {
    long long total = static_cast<long long>(gap) * (static_cast<long long>(tracks.size()) - 1);
    for (const GridTrack& track : tracks) {
        total += track.size;
    }
    return ClampToInt(total);
}

int AddClamped(int a, long long b) {
    return ClampToInt(a + b);
}
