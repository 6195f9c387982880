#include "HtmlTableLayout.h"

#include <algorithm>
#include <climits>

#include "HtmlLayout.h"

namespace {

// Content is measured in an area this wide for a cell's preferred width.
constexpr int kPreferredArea = 2000;
constexpr int kCacheNarrowest = 0;
constexpr int kCachePreferred = 1;

struct Column {
    int width = 0;
    int preferred = 0;
    int narrowest = 0;
    bool fixed = false;
};

struct Row {
    int height = 0;
    bool fixed = false;
};

struct GridCell {
    HtmlItem* item;
    int row;
    int column;
    int colspan;
    int rowspan;
    int contentHeight = 0;
};

// Gives amount pixels to the values one at a time in turn, none past its cap, as a round-robin
// would, but in as many steps as there are values. Answers what could not be given.
int GrowInTurn(std::vector<int*>& values, const std::vector<int>& caps, int amount) {
    while (amount > 0) {
        std::vector<size_t> open;
        for (size_t i = 0; i < values.size(); ++i) {
            if (*values[i] < caps[i]) {
                open.push_back(i);
            }
        }
        if (open.empty()) {
            break;
        }
        const int share = amount / static_cast<int>(open.size());
        if (share == 0) {
            for (size_t k = 0; k < open.size() && amount > 0; ++k) {
                ++*values[open[k]];
                --amount;
            }
            break;
        }
        for (size_t i : open) {
            const int given = std::min(share, caps[i] - *values[i]);
            *values[i] += given;
            amount -= given;
        }
    }
    return amount;
}

int GrowInTurn(std::vector<int*>& values, int amount) {
    return GrowInTurn(values, std::vector<int>(values.size(), INT_MAX / 4), amount);
}

HtmlExtent LayOutContent(HtmlItem& cell, int width) {
    return LayOutItems(cell.children, 0, 0, width);
}

int CachedExtent(HtmlItem& cell, int slot, int areaWidth) {
    if (cell.layoutCache[slot] < 0) {
        cell.layoutCache[slot] = std::max(0, LayOutContent(cell, areaWidth).right);
    }
    return cell.layoutCache[slot];
}

class TableLayout {
public:
    TableLayout(HtmlTableRun& table, int areaWidth) : m_table(table), m_areaWidth(std::max(0, areaWidth)) {
        const HtmlItem& first = *table.rows.front().front();
        m_spacing = first.spacing;
        m_padding = first.padding;
        m_border = first.border;
        m_tableWidth = first.tableWidth;
        m_tableHeight = first.tableHeight;
        m_lineColour = first.lineColour;
    }

    void Run() {
        BuildGrid();
        MeasureSingleColumnCells();
        MeasureSpanningCells();
        FitColumns();
        SizeRows();
        Place();
    }

private:
    // Each cell takes the first column of its row not reserved by a rowspan from above.
    void BuildGrid() {
        const int rowCount = static_cast<int>(m_table.rows.size());
        std::vector<int> reservedUntil;
        m_rows.resize(m_table.rows.size());
        for (int r = 0; r < rowCount; ++r) {
            int column = 0;
            for (HtmlItem* item : m_table.rows[r]) {
                while (column < static_cast<int>(reservedUntil.size()) && reservedUntil[column] >= r) {
                    ++column;
                }
                column = std::min(column, kMaxTableColumns - 1);
                const int colspan = std::clamp(item->colspan, 1, kMaxTableColumns - column);
                const int rowspan = std::clamp(item->rowspan, 1, rowCount - r);
                if (static_cast<int>(reservedUntil.size()) < column + colspan) {
                    reservedUntil.resize(column + colspan, -1);
                }
                for (int c = column; c < column + colspan; ++c) {
                    reservedUntil[c] = std::max(reservedUntil[c], r + rowspan - 1);
                }
                m_cells.push_back(GridCell{item, r, column, colspan, rowspan});
                column += colspan;
            }
        }
        m_columns.resize(reservedUntil.size());
    }

    void MeasureSingleColumnCells() {
        for (GridCell& cell : m_cells) {
            if (cell.colspan != 1) {
                continue;
            }
            Column& column = m_columns[cell.column];
            const int narrowest = CachedExtent(*cell.item, kCacheNarrowest, 0);
            column.width = std::max(column.width, narrowest);
            column.narrowest = std::max(column.narrowest, narrowest);
            if (cell.item->cellWidth > 0) {
                column.width = std::max(column.width, cell.item->cellWidth);
                column.preferred = column.width;
                column.fixed = true;
            } else {
                column.preferred =
                    std::max(column.preferred, CachedExtent(*cell.item, kCachePreferred, kPreferredArea));
            }
        }
    }

    int SpannedWidth(const GridCell& cell) const {
        int width = (cell.colspan - 1) * m_spacing + cell.colspan * 2 * m_padding;
        for (int c = cell.column; c < cell.column + cell.colspan; ++c) {
            width += m_columns[c].width;
        }
        return width;
    }

    // A spanning cell too wide for its columns widens the open ones, evenly.
    void MeasureSpanningCells() {
        for (GridCell& cell : m_cells) {
            if (cell.colspan == 1) {
                continue;
            }
            const int needed =
                std::max(CachedExtent(*cell.item, kCacheNarrowest, 0) + 2 * m_padding, cell.item->cellWidth);
            const int missing = needed - SpannedWidth(cell);
            if (missing <= 0) {
                continue;
            }
            std::vector<int*> growable = SpannedColumns(cell, true);
            if (growable.empty()) {
                growable = SpannedColumns(cell, false);
            }
            GrowInTurn(growable, missing);
            for (int c = cell.column; c < cell.column + cell.colspan; ++c) {
                m_columns[c].preferred = std::max(m_columns[c].preferred, m_columns[c].width);
            }
        }
    }

    std::vector<int*> SpannedColumns(const GridCell& cell, bool onlyWithWidth) {
        std::vector<int*> widths;
        for (int c = cell.column; c < cell.column + cell.colspan; ++c) {
            if (!m_columns[c].fixed && (!onlyWithWidth || m_columns[c].width != 0)) {
                widths.push_back(&m_columns[c].width);
            }
        }
        return widths;
    }

    int TableWidth() const {
        int width = m_spacing + 2 * m_border;
        for (const Column& column : m_columns) {
            width += m_spacing + 2 * m_padding + column.width;
        }
        return width;
    }

    int TargetWidth() const {
        if (m_tableWidth > 0) {
            return m_tableWidth;
        }
        if (m_tableWidth < 0) {
            return static_cast<int>(static_cast<long long>(-m_tableWidth) * m_areaWidth / 100);
        }
        return m_areaWidth;
    }

    void FitColumns() {
        const int target = TargetWidth();
        int missing = target - TableWidth();
        if (missing > 0) {
            std::vector<int*> widths;
            std::vector<int> caps;
            for (Column& column : m_columns) {
                if (!column.fixed && column.width < column.preferred) {
                    widths.push_back(&column.width);
                    caps.push_back(column.preferred);
                }
            }
            missing = GrowInTurn(widths, caps, missing);
            if (missing > 0 && m_tableWidth != 0) {
                std::vector<int*> open;
                for (Column& column : m_columns) {
                    if (!column.fixed) {
                        open.push_back(&column.width);
                    }
                }
                GrowInTurn(open, missing);
            }
        } else if (missing < 0) {
            ShrinkFixedColumns(-missing);
        }
    }

    // Takes pixels from the widest fixed columns first, down to 10 pixels or their narrowest width,
    // a level at a time rather than a pixel at a time.
    void ShrinkFixedColumns(int excess) {
        while (excess > 0) {
            std::vector<Column*> shrinkable;
            for (Column& column : m_columns) {
                if (column.fixed && column.width > std::max(10, column.narrowest)) {
                    shrinkable.push_back(&column);
                }
            }
            if (shrinkable.empty()) {
                return;
            }
            int widest = 0;
            for (const Column* column : shrinkable) {
                widest = std::max(widest, column->width);
            }
            int level = 0;
            std::vector<Column*> top;
            for (Column* column : shrinkable) {
                if (column->width == widest) {
                    top.push_back(column);
                    level = std::max(level, std::max(10, column->narrowest));
                } else {
                    level = std::max(level, column->width);
                }
            }
            const int step = std::max(1, widest - level);
            const int count = static_cast<int>(top.size());
            if (static_cast<long long>(step) * count >= excess) {
                for (int k = 0; k < count; ++k) {
                    const int taken = excess / count + (k < excess % count ? 1 : 0);
                    top[k]->width -= taken;
                    top[k]->preferred = top[k]->width;
                }
                return;
            }
            for (Column* column : top) {
                column->width -= step;
                column->preferred = column->width;
            }
            excess -= step * count;
        }
    }

    int ContentWidth(const GridCell& cell) const { return SpannedWidth(cell) - 2 * m_padding; }

    int SpannedHeight(const GridCell& cell) const {
        int height = (cell.rowspan - 1) * (2 * m_padding + m_spacing);
        for (int r = cell.row; r < cell.row + cell.rowspan; ++r) {
            height += m_rows[r].height;
        }
        return height;
    }

    void SizeRows() {
        for (GridCell& cell : m_cells) {
            cell.contentHeight = std::max(0, LayOutContent(*cell.item, ContentWidth(cell)).bottom);
            if (cell.rowspan == 1) {
                Row& row = m_rows[cell.row];
                row.height = std::max(row.height, cell.contentHeight);
                if (cell.item->cellHeight > 0) {
                    row.height = std::max(row.height, cell.item->cellHeight);
                    row.fixed = true;
                }
            }
        }
        for (GridCell& cell : m_cells) {
            if (cell.rowspan == 1) {
                continue;
            }
            const int missing = std::max(cell.contentHeight, cell.item->cellHeight) - SpannedHeight(cell);
            if (missing > 0) {
                std::vector<int*> heights;
                for (int r = cell.row; r < cell.row + cell.rowspan; ++r) {
                    heights.push_back(&m_rows[r].height);
                }
                GrowInTurn(heights, missing);
            }
        }
        if (m_tableHeight > 0) {
            std::vector<int*> open;
            for (Row& row : m_rows) {
                if (!row.fixed) {
                    open.push_back(&row.height);
                }
            }
            GrowInTurn(open, m_tableHeight - FrameHeight());
        }
    }

    int FrameHeight() const {
        int height = m_spacing + 2 * m_border;
        for (const Row& row : m_rows) {
            height += row.height + 2 * m_padding + m_spacing;
        }
        return height;
    }

    void PlaceFrame() {
        HtmlItem& frame = *m_table.frame;
        frame.x = 0;
        frame.y = 0;
        frame.width = TableWidth();
        frame.height = FrameHeight();
        frame.lines = m_border > 0 ? (kLineLeft | kLineTop | kLineRight | kLineBottom) : 0;
        frame.lineWidth = m_border;
        frame.lineColour = m_lineColour == kSunkenLines ? kRaisedLines : m_lineColour;
    }

    void Place() {
        PlaceFrame();
        std::vector<int> columnLeft(m_columns.size() + 1);
        for (size_t c = 0; c <= m_columns.size(); ++c) {
            columnLeft[c] = c == 0 ? m_border + m_spacing
                                   : columnLeft[c - 1] + m_columns[c - 1].width + 2 * m_padding + m_spacing;
        }
        std::vector<int> rowTop(m_rows.size() + 1);
        for (size_t r = 0; r <= m_rows.size(); ++r) {
            rowTop[r] = r == 0 ? m_border + m_spacing
                               : rowTop[r - 1] + m_rows[r - 1].height + 2 * m_padding + m_spacing;
        }
        for (GridCell& cell : m_cells) {
            HtmlItem& item = *cell.item;
            item.x = columnLeft[cell.column];
            item.y = rowTop[cell.row];
            item.width = SpannedWidth(cell);
            item.height = SpannedHeight(cell) + 2 * m_padding;
            const int room = item.height - 2 * m_padding - cell.contentHeight;
            const int offset = item.valign == kVAlignBottom   ? room
                               : item.valign == kVAlignMiddle ? room / 2
                                                              : 0;
            ShiftItems(item.children, item.x + m_padding, item.y + m_padding + std::max(0, offset));
        }
        for (size_t r = 0; r < m_table.rowBreaks.size(); ++r) {
            HtmlItem& rowBreak = *m_table.rowBreaks[r];
            rowBreak.x = 0;
            rowBreak.y = r + 1 < rowTop.size() ? rowTop[r + 1] - m_spacing : 0;
            rowBreak.width = 0;
        }
    }

    HtmlTableRun& m_table;
    int m_areaWidth;
    int m_spacing = 0;
    int m_padding = 0;
    int m_border = 0;
    int m_tableWidth = 0;
    int m_tableHeight = 0;
    COLORREF m_lineColour = kSunkenLines;
    std::vector<GridCell> m_cells;
    std::vector<Column> m_columns;
    std::vector<Row> m_rows;
};

} // namespace

void LayOutTable(HtmlTableRun& table, int areaWidth) {
    if (!table.frame || table.rows.empty() || table.rows.front().empty()) {
        return;
    }
    TableLayout(table, areaWidth).Run();
}
