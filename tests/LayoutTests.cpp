// The grid: shape, track collection and the sharing of free space, on elements whose minimum
// sizes the tests set directly.
#include "CTEVElement.h"
#include "GridLayout.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

namespace {

// An element whose layout fields the test sets and whose arranged cell it records.
class Probe : public CTEVElement {
public:
    explicit Probe(CTEVElement* parent = nullptr) : CTEVElement(parent, nullptr) {}

    Probe& Min(int w, int h) {
        m_minwidth = w;
        m_minheight = h;
        return *this;
    }
    Probe& Flex(int h, int v) {
        m_hFlex = h;
        m_vFlex = v;
        return *this;
    }
    Probe& Grid(int orient, int columns, int rows) {
        m_orient = orient;
        m_columns = columns;
        m_rows = rows;
        return *this;
    }
    Probe& Gaps(int column, int row) {
        m_columnGap = column;
        m_rowGap = row;
        return *this;
    }
    Probe& Margins(int left, int top, int right, int bottom) {
        m_marginLeft = left;
        m_marginTop = top;
        m_marginRight = right;
        m_marginBottom = bottom;
        return *this;
    }
    Probe& Add() {
        auto child = std::make_unique<Probe>(this);
        Probe& ref = *child;
        AddChild(std::move(child));
        return ref;
    }
    Probe& At(size_t i) { return static_cast<Probe&>(*Child(i)); }

    void Arrange(int x, int y, int cx, int cy) override {
        cell = {x, y, x + cx, y + cy};
        CTEVElement::Arrange(x, y, cx, cy);
    }
    void SetLayoutWidth(int width) override {
        layoutWidth = width;
        if (wrapArea) {
            m_minheight = wrapArea / std::max(width, 1);
        }
    }

    SIZE MinSize() {
        SIZE size = {};
        GetMinSize(&size);
        return size;
    }

    RECT cell = {};
    int layoutWidth = -1;
    int wrapArea = 0; // nonzero: a word-wrapping leaf, as tall as this area over its width
};

std::vector<GridTrack> Tracks(std::initializer_list<GridTrack> tracks) {
    return tracks;
}

} // namespace

TEST(GridShape, AutomaticShapesAreOneRowOrOneColumn) {
    EXPECT_EQ(5, ComputeGridShape(5, 0, 0, 0).columns);
    EXPECT_EQ(1, ComputeGridShape(5, 0, 0, 0).rows);
    EXPECT_EQ(1, ComputeGridShape(5, 1, 0, 0).columns);
    EXPECT_EQ(5, ComputeGridShape(5, 1, 0, 0).rows);
}

TEST(GridShape, TheAttributeOfTheOtherOrientationIsIgnored) {
    GridShape horizontal = ComputeGridShape(3, 0, 2, 7);
    EXPECT_EQ(2, horizontal.columns);
    EXPECT_EQ(2, horizontal.rows);
    GridShape vertical = ComputeGridShape(5, 1, 9, 2);
    EXPECT_EQ(3, vertical.columns);
    EXPECT_EQ(2, vertical.rows);
}

TEST(GridShape, ValuesBelowOneAreAutomaticAndValuesAboveTheCountAreTheCount) {
    for (int bad : {-1, -100000, 0}) {
        EXPECT_EQ(4, ComputeGridShape(4, 0, bad, 0).columns) << bad;
        EXPECT_EQ(4, ComputeGridShape(4, 1, 0, bad).rows) << bad;
    }
    GridShape wide = ComputeGridShape(3, 0, 1000000, 0);
    EXPECT_EQ(3, wide.columns);
    EXPECT_EQ(1, wide.rows);
}

TEST(GridShape, CellsFillRowMajorWhenHorizontalAndColumnMajorWhenVertical) {
    int column = -1;
    int row = -1;
    GridCell(ComputeGridShape(3, 0, 2, 0), 0, 2, &column, &row);
    EXPECT_EQ(0, column);
    EXPECT_EQ(1, row);
    GridCell(ComputeGridShape(5, 1, 0, 2), 1, 4, &column, &row);
    EXPECT_EQ(2, column);
    EXPECT_EQ(0, row);
    GridCell(ComputeGridShape(5, 1, 0, 2), 1, 3, &column, &row);
    EXPECT_EQ(1, column);
    EXPECT_EQ(1, row);
}

TEST(TrackSharing, FlexibleTracksSplitByFactorAndTheRemainderStaysEmpty) {
    auto tracks = Tracks({{10, 1}, {10, 2}});
    DistributeTracks(tracks, 100, 0);
    EXPECT_EQ(33, tracks[0].size);
    EXPECT_EQ(66, tracks[1].size);
}

TEST(TrackSharing, AFlexibleTracksOwnMinimumIsReplacedEvenWhenLarger) {
    auto tracks = Tracks({{80, 1}, {50, 0}});
    DistributeTracks(tracks, 100, 0);
    EXPECT_EQ(50, tracks[0].size);
    EXPECT_EQ(50, tracks[1].size);
}

TEST(TrackSharing, WithoutRoomFlexibleTracksKeepTheirMinimums) {
    auto tracks = Tracks({{30, 1}, {60, 0}, {40, 0}});
    DistributeTracks(tracks, 100, 5);
    EXPECT_EQ(30, tracks[0].size);
}

TEST(TrackSharing, GapsAreTakenBeforeSharing) {
    auto tracks = Tracks({{0, 1}, {0, 1}, {0, 1}});
    DistributeTracks(tracks, 100, 5);
    EXPECT_EQ(30, tracks[0].size);
}

TEST(TrackSharing, HugeFactorsAndSizesNeverOverflow) {
    auto tracks = Tracks({{0, 2000000000}, {0, 2000000000}});
    DistributeTracks(tracks, 2000000000, 0);
    EXPECT_EQ(1000000000, tracks[0].size);
    EXPECT_EQ(1000000000, tracks[1].size);

    auto mixed = Tracks({{0, 1}, {0, 3}});
    DistributeTracks(mixed, 1000000000, 0);
    EXPECT_EQ(250000000, mixed[0].size);
    EXPECT_EQ(750000000, mixed[1].size);

    EXPECT_EQ(INT_MAX, TotalTrackSize(Tracks({{INT_MAX, 0}, {INT_MAX, 0}}), 10));
}

TEST(GridMeasure, ColumnsAreAsWideAsTheirWidestChildPlusGapsAndMargins) {
    Probe box;
    box.Grid(0, 2, 0).Gaps(4, 3).Margins(1, 2, 3, 4);
    box.Add().Min(10, 5);
    box.Add().Min(20, 7);
    box.Add().Min(30, 9);
    SIZE size = box.MinSize();
    EXPECT_EQ(1 + 30 + 4 + 20 + 3, size.cx);
    EXPECT_EQ(2 + 7 + 3 + 9 + 4, size.cy);
}

TEST(GridMeasure, MinimumSizeOfAContainerIsAFloorNotAMaximum) {
    Probe empty;
    empty.Min(30, 0).Margins(2, 2, 2, 2);
    EXPECT_EQ(34, empty.MinSize().cx);
    EXPECT_EQ(4, empty.MinSize().cy);

    Probe full;
    full.Min(5, 5);
    full.Add().Min(40, 20);
    EXPECT_EQ(40, full.MinSize().cx);
}

TEST(GridMeasure, TheFirstNonzeroFactorOfATrackDecides) {
    Probe box;
    box.Grid(1, 0, 0);
    box.Add().Flex(0, 0).Min(10, 10);
    box.Add().Flex(2, 0).Min(10, 10);
    box.Add().Flex(5, 0).Min(10, 10);
    box.Add().Grid(0, 0, 0); // a second column, fixed, to compete with
    box.Grid(1, 0, 3);
    box.At(3).Min(20, 10);
    box.Arrange(0, 0, 120, 100);
    // Factor 2 alone shares the 100 pixels the fixed column leaves.
    EXPECT_EQ(100, box.At(0).cell.right - box.At(0).cell.left);
    EXPECT_EQ(100, box.At(3).cell.left);
}

TEST(GridArrange, AFlexibleSpacerPushesButtonsToTheRightEdge) {
    Probe row;
    row.Gaps(6, 6);
    row.Add().Flex(1, 0);
    row.Add().Min(75, 23);
    row.Add().Min(75, 23);
    row.Arrange(10, 20, 400, 23);
    EXPECT_EQ(10 + 400 - 75 - 6 - 75, row.At(1).cell.left);
    EXPECT_EQ(410, row.At(2).cell.right);
    EXPECT_EQ(20, row.At(2).cell.top);
    EXPECT_EQ(43, row.At(2).cell.bottom);
}

TEST(GridArrange, ChildrenReceiveTheirWholeCellInFillOrder) {
    Probe box;
    box.Grid(1, 0, 2).Gaps(2, 3).Margins(5, 5, 5, 5);
    for (int i = 0; i < 5; ++i) {
        box.Add().Min(10 * (i + 1), 10);
    }
    box.Arrange(0, 0, 500, 500);
    // Columns: children 1-2, 3-4, 5, each as wide as its widest child.
    EXPECT_EQ((RECT{5, 5, 25, 15}), box.At(0).cell);
    EXPECT_EQ((RECT{5, 18, 25, 28}), box.At(1).cell);
    EXPECT_EQ((RECT{27, 5, 67, 15}), box.At(2).cell);
    EXPECT_EQ((RECT{69, 5, 119, 15}), box.At(4).cell);
    EXPECT_EQ(20, box.At(0).layoutWidth);
    EXPECT_EQ(40, box.At(2).layoutWidth);
}

TEST(GridArrange, AContainerSmallerThanItsContentLetsItOverflow) {
    Probe box;
    box.Add().Min(80, 10).Flex(1, 0);
    box.Add().Min(80, 10);
    box.Arrange(0, 0, 60, 5);
    EXPECT_EQ(80, box.At(0).cell.right);
    EXPECT_EQ(160, box.At(1).cell.right);
    EXPECT_EQ(10, box.At(1).cell.bottom);
}

TEST(GridArrange, NegativeGridAttributesLayOutLikeAutomaticOnes) {
    Probe box;
    box.Grid(0, -3, -3);
    box.Add().Min(10, 10);
    box.Add().Min(10, 10);
    box.Arrange(0, 0, 100, 100);
    EXPECT_EQ(10, box.At(1).cell.left);
    EXPECT_EQ(0, box.At(1).cell.top);
}

TEST(GridArrange, PositionsSaturateInsteadOfWrapping) {
    Probe box;
    box.Gaps(5, 5).Margins(INT_MAX, 0, 0, 0);
    box.Add().Min(INT_MAX, 10);
    box.Add().Min(INT_MAX, 10);
    EXPECT_EQ(INT_MAX, box.MinSize().cx);
    box.Arrange(0, 0, 100, 100);
    EXPECT_EQ(INT_MAX, box.At(0).cell.left);
    EXPECT_EQ(INT_MAX, box.At(1).cell.left);
}

TEST(GridArrange, WrappingChildrenAreMeasuredAtTheWidthTheyWereLastGiven) {
    Probe outer;
    outer.Grid(1, 0, 0);
    outer.Add().Flex(1, 0).wrapArea = 6000;
    outer.Add().Add().Flex(1, 0).wrapArea = 3000;
    Probe& below = outer.Add().Min(10, 10);
    // A direct child is measured again after its width is set; a grandchild only the next time.
    outer.Arrange(0, 0, 300, 1000);
    EXPECT_EQ(20, below.cell.top);
    outer.Arrange(0, 0, 300, 1000);
    EXPECT_EQ(30, below.cell.top);
}

TEST(GridArrange, CostIsLinearInTheElements) {
    Probe root;
    root.Grid(1, 0, 0);
    for (int chain = 0; chain < 171; ++chain) {
        Probe* box = &root.Add();
        for (int depth = 1; depth < 199; ++depth) {
            box = &box->Add();
        }
        box->Min(1, 1);
    }
    // Measuring each subtree again at each level took seconds.
    EXPECT_LT(SecondsToRun([&] { root.Arrange(0, 0, 800, 600); }), 0.5);
    EXPECT_EQ(171, root.MinSize().cy);
    EXPECT_EQ((RECT{0, 170, 1, 171}), root.At(170).cell);
}
