#include "ui/controls/layout_math.h"

#include <gtest/gtest.h>

using layoutmath::ClampSize;
using layoutmath::DragSeparatorEdge;
using layoutmath::SeparatorRect;
using layoutmath::StretchShare;

namespace {

bool Same(const RECT& a, const RECT& b) {
    return EqualRect(&a, &b) != FALSE;
}

}  // namespace

TEST(ClampSizeTest, MinimumFirstThenMaximumWins) {
    EXPECT_EQ(20, ClampSize(5, 20, 100));
    EXPECT_EQ(100, ClampSize(150, 20, 100));
    EXPECT_EQ(50, ClampSize(50, 20, 100));
    EXPECT_EQ(10, ClampSize(5, 30, 10));  // contradictory limits: the maximum wins
}

TEST(StretchShareTest, EqualSharesWithTheRemainderLeftOver) {
    EXPECT_EQ(100, StretchShare(300, 100, 0, 3, 2));
    EXPECT_EQ(100, StretchShare(301, 0, 0, 3, 3));
    EXPECT_EQ(95, StretchShare(300, 100, 5, 3, 2));  // two gaps of 5 between three children
}

TEST(StretchShareTest, NeverNegativeAndZeroWithoutStretchChildren) {
    EXPECT_EQ(0, StretchShare(100, 400, 0, 3, 1));
    EXPECT_EQ(0, StretchShare(300, 0, 0, 0, 0));  // only floating children: nothing to divide by
    EXPECT_EQ(0, StretchShare(300, 120, 4, 2, 0));
}

TEST(StretchShareTest, SingleChildHasNoSpacing) {
    EXPECT_EQ(300, StretchShare(300, 0, 50, 1, 1));
    EXPECT_EQ(0, layoutmath::SpacingTotal(50, 0));
    EXPECT_EQ(0, layoutmath::SpacingTotal(50, 1));
    EXPECT_EQ(100, layoutmath::SpacingTotal(50, 3));
}

TEST(SeparatorRectTest, HorizontalStripsMayLeaveTheRectangle) {
    RECT base = {10, 20, 110, 80};
    RECT right = SeparatorRect(base, 4, false);
    RECT left = SeparatorRect(base, -4, false);
    EXPECT_TRUE(Same(right, RECT{106, 20, 110, 80}));
    EXPECT_TRUE(Same(left, RECT{10, 20, 14, 80}));
    RECT wide = SeparatorRect(base, 150, false);
    EXPECT_EQ(-40, wide.left);
}

TEST(SeparatorRectTest, VerticalStripsStayInside) {
    RECT base = {10, 20, 110, 80};
    RECT bottom = SeparatorRect(base, 6, true);
    RECT top = SeparatorRect(base, -6, true);
    EXPECT_TRUE(Same(bottom, RECT{10, 74, 110, 80}));
    EXPECT_TRUE(Same(top, RECT{10, 20, 110, 26}));
    RECT tall = SeparatorRect(base, 500, true);
    RECT tallTop = SeparatorRect(base, -500, true);
    EXPECT_EQ(20, tall.top);
    EXPECT_EQ(80, tallTop.bottom);
}

TEST(DragSeparatorTest, RightEdgeFollowsThePointerWithinLimits) {
    int left = 0;
    int right = 100;
    EXPECT_TRUE(DragSeparatorEdge(left, right, 4, 110, 10, 0, 9999, false));
    EXPECT_EQ(110, right);
    EXPECT_EQ(0, left);
    // Growing past the maximum stops at the maximum; at the maximum further growth is dropped.
    EXPECT_TRUE(DragSeparatorEdge(left, right, 4, 200, 90, 0, 150, false));
    EXPECT_EQ(150, right);
    EXPECT_FALSE(DragSeparatorEdge(left, right, 4, 210, 10, 0, 150, false));
    EXPECT_EQ(150, right);
    // Shrinking below the minimum stops at the minimum.
    EXPECT_TRUE(DragSeparatorEdge(left, right, 4, 10, -140, 40, 150, false));
    EXPECT_EQ(40, right);
    EXPECT_FALSE(DragSeparatorEdge(left, right, 4, 5, -5, 40, 150, false));
}

TEST(DragSeparatorTest, MovesAgainstThePointerSideAreIgnored) {
    int left = 0;
    int right = 100;
    // Moving right while the pointer is still left of the strip.
    EXPECT_FALSE(DragSeparatorEdge(left, right, 4, 90, 5, 0, 9999, false));
    // Moving left while the pointer is beyond the right edge.
    EXPECT_FALSE(DragSeparatorEdge(left, right, 4, 105, -5, 0, 9999, false));
    EXPECT_EQ(100, right);
}

TEST(DragSeparatorTest, LeftEdgeMovesTheNearSide) {
    int left = 50;
    int right = 150;
    EXPECT_TRUE(DragSeparatorEdge(left, right, -4, 40, -10, 0, 9999, false));
    EXPECT_EQ(40, left);
    EXPECT_EQ(150, right);
    EXPECT_TRUE(DragSeparatorEdge(left, right, -4, 200, 100, 30, 9999, false));
    EXPECT_EQ(120, left);  // cut at the minimum width of 30
}

TEST(DragSeparatorTest, VerticalToleranceIsMeasuredTheOtherWay) {
    // Bottom strip of 4: moving down is followed only once the pointer is below bottom + 4.
    int top = 0;
    int bottom = 100;
    EXPECT_FALSE(DragSeparatorEdge(top, bottom, 4, 102, 3, 0, 9999, true));
    EXPECT_TRUE(DragSeparatorEdge(top, bottom, 4, 104, 3, 0, 9999, true));
    EXPECT_EQ(103, bottom);
    // The horizontal layout follows as soon as the pointer is inside the strip.
    int left = 0;
    int right = 100;
    EXPECT_TRUE(DragSeparatorEdge(left, right, 4, 97, 3, 0, 9999, false));
    EXPECT_EQ(103, right);
}
