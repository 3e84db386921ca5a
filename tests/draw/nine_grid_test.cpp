// Nine-grid geometry on its own: the pieces, their sizes and what is left out.
#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "ui/draw/nine_grid.h"

namespace {

struct Piece {
    RECT dest;
    RECT source;
    bool unscaled;
};

struct Collector : INineGridSink {
    void DrawPiece(const RECT& d, const RECT& s, bool unscaled) override {
        pieces.push_back({d, s, unscaled});
    }
    std::vector<Piece> pieces;
};

const RECT kBottomRight = {100, 16, 104, 20};
const RECT kVisible = {20, 10, 30, 30};
const RECT kEverywhere = {-100000, -100000, 100000, 100000};

std::vector<Piece> Plan(RECT dest, RECT source, RECT corners, bool hole = false, bool xt = false,
                        bool yt = false, RECT paint = kEverywhere, bool opaque = false) {
    Collector c;
    PlanNineGrid(NineGridInput{dest, paint, source, corners, hole, xt, yt, opaque}, c);
    return c.pieces;
}

int W(const RECT& r) {
    return r.right - r.left;
}
int H(const RECT& r) {
    return r.bottom - r.top;
}

bool Inside(const RECT& inner, const RECT& outer) {
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

TEST(NineGrid, ButtonCellOnAWiderItem) {
    auto pieces = Plan({0, 0, 100, 22}, {52, 0, 104, 20}, {4, 4, 4, 4});
    ASSERT_EQ(9u, pieces.size());
    const Piece& middle = pieces[0];
    EXPECT_EQ(92, W(middle.dest));
    EXPECT_EQ(14, H(middle.dest));
    EXPECT_EQ(44, W(middle.source));
    EXPECT_EQ(12, H(middle.source));
    int unscaledCorners = 0;
    for (const Piece& p : pieces) {
        unscaledCorners += (W(p.dest) == 4 && H(p.dest) == 4 && p.unscaled) ? 1 : 0;
    }
    EXPECT_EQ(4, unscaledCorners);
    EXPECT_TRUE(EqualRect(&pieces.back().source, &kBottomRight));  // bottom-right
}

TEST(NineGrid, TiledMiddleRepeatsUnscaledAndCutsTheLastTile) {
    // A 95-pixel middle from a 10-pixel source middle: 10 columns, the last 5 wide.
    auto pieces = Plan({0, 0, 95, 10}, {0, 0, 10, 10}, {0, 0, 0, 0}, false, true, true);
    ASSERT_EQ(10u, pieces.size());
    for (const Piece& p : pieces) {
        EXPECT_TRUE(p.unscaled);
    }
    EXPECT_EQ(90, pieces.back().dest.left);
    EXPECT_EQ(5, W(pieces.back().dest));
    EXPECT_EQ(5, W(pieces.back().source));
}

TEST(NineGrid, OneTiledAxisStretchesTheOther) {
    auto pieces = Plan({0, 0, 25, 40}, {0, 0, 10, 10}, {0, 0, 0, 0}, false, true, false);
    ASSERT_EQ(3u, pieces.size());
    EXPECT_EQ(40, H(pieces[0].dest));
    EXPECT_EQ(10, H(pieces[0].source));
    EXPECT_EQ(5, W(pieces[2].dest));
}

TEST(NineGrid, TilesOnlyWhereThePaintRectangleIs) {
    auto pieces = Plan({0, 0, 100000, 10}, {0, 0, 1, 1}, {0, 0, 0, 0}, false, true, true, {500, 0, 503, 10});
    EXPECT_EQ(30u, pieces.size());  // 3 columns x 10 rows
}

TEST(NineGrid, NothingForATiledMiddleWithoutWidthOrHeight) {
    EXPECT_TRUE(Plan({0, 0, 50, 50}, {0, 0, 8, 8}, {4, 4, 4, 4}, false, true, false).size() ==
                4u);  // corners only
    EXPECT_TRUE(Plan({0, 0, 50, 50}, {0, 0, 8, 0}, {0, 0, 0, 0}, false, true, true).empty());
}

TEST(NineGrid, CornersLargerThanTheDestinationStayInside) {
    const RECT dest = {10, 10, 20, 16};
    const RECT source = {0, 0, 40, 40};
    for (RECT corners : {RECT{30, 30, 30, 30}, RECT{50, 0, 5, 100}, RECT{-5, -5, 999999, 2}}) {
        for (const Piece& p : Plan(dest, source, corners)) {
            EXPECT_TRUE(Inside(p.dest, dest));
            EXPECT_TRUE(Inside(p.source, source));
        }
    }
}

TEST(NineGrid, OpaqueOneToOneCopiesOnlyThePaintedPart) {
    auto pieces =
        Plan({10, 10, 60, 30}, {5, 0, 55, 20}, {0, 0, 0, 0}, true, true, true, {20, 0, 30, 100}, true);
    ASSERT_EQ(1u, pieces.size());
    EXPECT_TRUE(EqualRect(&pieces[0].dest, &kVisible));
    EXPECT_EQ(15, pieces[0].source.left);
    EXPECT_TRUE(pieces[0].unscaled);
}

TEST(NineGrid, InsaneRectanglesDrawNothing) {
    EXPECT_TRUE(Plan({INT_MIN, 0, INT_MAX, 10}, {0, 0, 4, 4}, {0, 0, 0, 0}).empty());
    EXPECT_TRUE(Plan({0, 0, 10, 10}, {4, 4, 4, 8}, {0, 0, 0, 0}).empty());
}

}  // namespace
