#include <gtest/gtest.h>

#include "ui/core/window_wnd_placement.h"

namespace {

RECT Rect(LONG left, LONG top, LONG right, LONG bottom) {
    RECT r = {left, top, right, bottom};
    return r;
}

TEST(CenteredWindowPositionTest, CentresOnTheReferenceHalvingEachTermSeparately) {
    // (0 + 1001) / 2 - 101 / 2 = 500 - 50; (0 + 801) / 2 - 51 / 2 = 400 - 25.
    const POINT p = CenteredWindowPosition(Rect(7, 9, 108, 60), Rect(0, 0, 1001, 801), Rect(0, 0, 1001, 801));
    EXPECT_EQ(p.x, 450);
    EXPECT_EQ(p.y, 375);
}

TEST(CenteredWindowPositionTest, TruncatesTowardZeroOnMonitorsLeftOfThePrimary) {
    const RECT area = Rect(-1920, -1081, 0, 0);
    // (-1920 + 0) / 2 - 3 / 2 = -960 - 1; (-1081 + 0) / 2 = -540, not -541.
    const POINT p = CenteredWindowPosition(Rect(0, 0, 3, 1), area, area);
    EXPECT_EQ(p.x, -961);
    EXPECT_EQ(p.y, -540);
}

TEST(CenteredWindowPositionTest, OversizedWindowStartsAtTheWorkAreaCorner) {
    const RECT area = Rect(100, 50, 900, 650);
    const POINT p = CenteredWindowPosition(Rect(0, 0, 1000, 700), area, area);
    EXPECT_EQ(p.x, 100);
    EXPECT_EQ(p.y, 50);
}

TEST(CenteredWindowPositionTest, OwnerNearAnEdgeKeepsTheWindowInsideTheWorkArea) {
    const RECT area = Rect(0, 0, 1280, 800);
    const POINT farEdges = CenteredWindowPosition(Rect(0, 0, 300, 200), Rect(1200, 700, 1400, 900), area);
    EXPECT_EQ(farEdges.x, 980);
    EXPECT_EQ(farEdges.y, 600);
    const POINT nearEdges = CenteredWindowPosition(Rect(0, 0, 300, 200), Rect(-200, -100, 100, 100), area);
    EXPECT_EQ(nearEdges.x, 0);
    EXPECT_EQ(nearEdges.y, 0);
}

TEST(CenteredWindowPositionTest, LowEdgeIsTestedBeforeTheHighEdge) {
    // Centred over an owner to the right, a window wider than the area passes the left test
    // and is moved back by the right one, past the left edge.
    const POINT p = CenteredWindowPosition(Rect(0, 0, 150, 10), Rect(100, 0, 300, 10), Rect(0, 0, 100, 100));
    EXPECT_EQ(p.x, -50);
    EXPECT_EQ(p.y, 0);
}

}  // namespace
