#include "HtmlLayout.h"

#include <algorithm>
#include <climits>

#include "HtmlTableLayout.h"

namespace {

struct Float {
    int side;
    int width;
    int bottom;
};

bool IsTableFrameAt(const HtmlItemList& items, size_t i) {
    return items[i]->IsBreak() && i + 1 < items.size() && items[i + 1]->IsCell();
}

void ShiftItem(HtmlItem& item, int dx, int dy) {
    item.x += dx;
    item.y += dy;
    if (item.IsCell()) {
        ShiftItems(item.children, dx, dy);
    }
}

// One list of items flowing into lines within an area whose edges floats may narrow.
class FlowLayout {
public:
    FlowLayout(HtmlItemList& items, int left, int top, int right)
        : m_items(items), m_left(left), m_right(right), m_x(left), m_y(top) {}

    void Run() {
        size_t i = 0;
        while (i < m_items.size()) {
            if (IsTableFrameAt(m_items, i)) {
                CloseLineBefore(i, false);
                i = PlaceTable(i);
                m_lineStart = i;
                continue;
            }
            HtmlItem& item = *m_items[i];
            if (!m_floats.empty() && IsWord(item) && item.width > m_right - m_left) {
                CloseLineBefore(i, false);
                EndAllFloats();
            }
            if (EndsLineBefore(item)) {
                CloseLineBefore(i, !item.IsBreak());
            }
            Place(i);
            ++i;
        }
        CloseLineBefore(m_items.size(), false);
    }

private:
    static bool IsWord(const HtmlItem& item) { return item.IsText() && !item.IsSingleSpace(); }

    bool EndsLineBefore(const HtmlItem& item) const {
        if (item.IsBreak()) {
            return true;
        }
        return IsWord(item) && !item.preformatted && m_x + item.width > m_right;
    }

    void Place(size_t i) {
        HtmlItem& item = *m_items[i];
        item.x = m_x;
        if (item.IsBreak()) {
            PlaceBreak(i);
        } else {
            item.y = m_y;
        }
        m_x += item.width;
    }

    // A break sits at the top of the line it starts, raised by half the height of text after it.
    void PlaceBreak(size_t i) {
        HtmlItem& item = *m_items[i];
        if (item.clear) {
            EndAllFloats();
        }
        item.y = m_y;
        if (i + 1 < m_items.size() && m_items[i + 1]->IsText()) {
            item.y -= m_items[i + 1]->height / 2;
        }
    }

    void CloseLineBefore(size_t end, bool endedByOverflow) {
        if (end <= m_lineStart) {
            return;
        }
        CloseLine(m_lineStart, end, endedByOverflow);
        m_lineStart = end;
    }

    int LineHeight(size_t begin, size_t end) const {
        int height = 0;
        for (size_t k = begin; k < end; ++k) {
            if (!m_items[k]->IsBreak()) {
                height = std::max(height, m_items[k]->height);
            }
        }
        return height;
    }

    int AlignedWidth(size_t begin, size_t end) const {
        long long width = 0;
        for (size_t k = begin; k < end; ++k) {
            if (m_items[k]->align != kAlignLeft) {
                width += m_items[k]->width;
            }
        }
        const HtmlItem& last = *m_items[end - 1];
        if (last.IsSingleSpace() && last.align != kAlignLeft) {
            width -= last.width;
        }
        return static_cast<int>(std::min<long long>(width, INT_MAX / 4));
    }

    void CloseLine(size_t begin, size_t end, bool endedByOverflow) {
        const int areaWidth = m_right - m_left;
        for (size_t k = begin; k < end; ++k) {
            HtmlItem& item = *m_items[k];
            if (item.IsBreak() && item.height != 0) {
                item.width = std::max(0, areaWidth);
            }
        }
        const int lineHeight = LineHeight(begin, end);
        const int lineWidth = AlignedWidth(begin, end);
        const int align = m_items[begin]->align;
        int offset = 0;
        if (align == kAlignCentre) {
            offset = std::max(0, (areaWidth - lineWidth) / 2);
        } else if (align == kAlignRight) {
            offset = std::max(0, areaWidth - lineWidth);
        }
        for (size_t k = begin; k < end && offset != 0; ++k) {
            if (!m_items[k]->IsBreak()) {
                m_items[k]->x += offset;
            }
        }
        if (align == kAlignJustify && endedByOverflow && end - begin > 2 && lineWidth < areaWidth) {
            Justify(begin, end, areaWidth - lineWidth);
        }
        for (size_t k = begin; k < end; ++k) {
            m_items[k]->y = m_y + lineHeight - m_items[k]->height;
        }
        m_y += lineHeight;
        m_x = m_left;
        EndFloatsAbove();
    }

    // Spreads the missing pixels over the gaps before the third and later words, the earlier ones
    // taking the remainder, as passes of one pixel per word would.
    void Justify(size_t begin, size_t end, int missing) {
        std::vector<size_t> movers;
        for (size_t k = begin + 2; k < end; ++k) {
            if (!m_items[k]->IsSingleSpace()) {
                movers.push_back(k);
            }
        }
        if (movers.empty()) {
            return;
        }
        const int count = static_cast<int>(movers.size());
        int shift = 0;
        size_t next = 0;
        for (size_t k = begin + 2; k < end; ++k) {
            if (next < movers.size() && movers[next] == k) {
                shift += missing / count + (static_cast<int>(next) < missing % count ? 1 : 0);
                ++next;
            }
            m_items[k]->x += shift;
        }
    }

    // The table run: frame, then rows of cells each closed by a break.
    HtmlTableRun CollectTable(size_t frame, size_t* end) const {
        HtmlTableRun table;
        table.frame = m_items[frame].get();
        table.rows.emplace_back();
        size_t k = frame + 1;
        while (k < m_items.size()) {
            HtmlItem* item = m_items[k].get();
            ++k;
            if (item->IsCell()) {
                table.rows.back().push_back(item);
                continue;
            }
            table.rowBreaks.push_back(item);
            if (k < m_items.size() && m_items[k]->IsCell()) {
                table.rows.emplace_back();
                continue;
            }
            break;
        }
        *end = k;
        return table;
    }

    size_t PlaceTable(size_t frameIndex) {
        size_t end = frameIndex + 1;
        HtmlTableRun table = CollectTable(frameIndex, &end);
        const int areaWidth = std::max(0, m_right - m_left);
        LayOutTable(table, areaWidth);
        const HtmlItem& first = *table.rows.front().front();
        const int width = table.frame->width;
        int x = m_left;
        if (first.floatSide == kFloatRight) {
            x = m_right - width;
        } else if (first.floatSide != kFloatLeft && first.align == kAlignCentre) {
            x = m_left + std::max(0, (areaWidth - width) / 2);
        } else if (first.floatSide != kFloatLeft && first.align == kAlignRight) {
            x = m_left + std::max(0, areaWidth - width);
        }
        for (size_t k = frameIndex; k < end; ++k) {
            ShiftItem(*m_items[k], x, m_y);
        }
        const int bottom = m_y + table.frame->height;
        if (first.floatSide == kFloatLeft || first.floatSide == kFloatRight) {
            StartFloat(first.floatSide, width, bottom);
        } else {
            m_y = bottom;
        }
        m_x = m_left;
        return end;
    }

    void StartFloat(int side, int width, int bottom) {
        m_floats.push_back(Float{side, width, bottom});
        if (side == kFloatLeft) {
            m_left += width;
        } else {
            m_right -= width;
        }
    }

    void EndFloat(const Float& ended) {
        if (ended.side == kFloatLeft) {
            m_left -= ended.width;
        } else {
            m_right += ended.width;
        }
    }

    void EndFloatsAbove() {
        for (size_t k = m_floats.size(); k-- > 0;) {
            if (m_y >= m_floats[k].bottom) {
                EndFloat(m_floats[k]);
                m_floats.erase(m_floats.begin() + static_cast<std::ptrdiff_t>(k));
            }
        }
        m_x = std::max(m_x, m_left);
    }

    void EndAllFloats() {
        for (const Float& ended : m_floats) {
            m_y = std::max(m_y, ended.bottom);
            EndFloat(ended);
        }
        m_floats.clear();
        m_x = m_left;
    }

    HtmlItemList& m_items;
    int m_left;
    int m_right;
    int m_x;
    int m_y;
    size_t m_lineStart = 0;
    std::vector<Float> m_floats;
};

HtmlExtent MeasureExtent(const HtmlItemList& items, int left, int top) {
    HtmlExtent extent{left, top};
    bool any = false;
    for (const auto& item : items) {
        if (item->IsSingleSpace()) {
            continue;
        }
        const int right = item->x + item->width;
        const int bottom = item->y + item->height;
        extent.right = any ? std::max(extent.right, right) : right;
        extent.bottom = any ? std::max(extent.bottom, bottom) : bottom;
        any = true;
    }
    return extent;
}

} // namespace

HtmlExtent LayOutItems(HtmlItemList& items, int left, int top, int right) {
    FlowLayout(items, left, top, right).Run();
    return MeasureExtent(items, left, top);
}

void ResetLayoutCache(HtmlItemList& items) {
    for (auto& item : items) {
        std::fill(std::begin(item->layoutCache), std::end(item->layoutCache), -1);
        if (item->IsCell()) {
            ResetLayoutCache(item->children);
        }
    }
}

void ShiftItems(HtmlItemList& items, int dx, int dy) {
    for (auto& item : items) {
        ShiftItem(*item, dx, dy);
    }
}
