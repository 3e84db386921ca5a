// Parts of a scroll bar placed by SetPos, without a window.

#include <gtest/gtest.h>

#include "tests/controls/test_window.h"
#include "ui/controls/scroll_bar.h"

namespace {

struct PartsCase {
    const char* what;
    RECT item;
    bool horizontal;
    int range;
    int position;
    bool button1;
    bool button2;
    RECT expectButton1;
    RECT expectButton2;
    RECT expectThumb;
};

const PartsCase kPartsCases[] = {
    // 200 high, range 100: free length 168, thumb 200 * 168 / 300 = 112, top 16 + 56 * 50 / 100.
    {"range 100 at 0",
     {10, 20, 26, 220},
     false,
     100,
     0,
     true,
     true,
     {10, 20, 26, 36},
     {10, 204, 26, 220},
     {10, 36, 26, 148}},
    {"range 100 at 50",
     {10, 20, 26, 220},
     false,
     100,
     50,
     true,
     true,
     {10, 20, 26, 36},
     {10, 204, 26, 220},
     {10, 64, 26, 176}},
    {"range 100 at the end",
     {10, 20, 26, 220},
     false,
     100,
     100,
     true,
     true,
     {10, 20, 26, 36},
     {10, 204, 26, 220},
     {10, 92, 26, 204}},
    {"range 0 fills the free length",
     {0, 0, 16, 200},
     false,
     0,
     0,
     true,
     true,
     {0, 0, 16, 16},
     {0, 184, 16, 200},
     {0, 16, 16, 184}},
    {"a huge range keeps the thumb a square",
     {0, 0, 16, 200},
     false,
     1000000,
     1000000,
     true,
     true,
     {0, 0, 16, 16},
     {0, 184, 16, 200},
     {0, 168, 16, 184}},
    {"20 high: the buttons share the length",
     {0, 0, 16, 20},
     false,
     100,
     0,
     true,
     true,
     {0, 0, 16, 10},
     {0, 10, 16, 20},
     {0, 0, 0, 0}},
    {"hidden buttons leave the whole length",
     {0, 0, 16, 200},
     false,
     0,
     0,
     false,
     false,
     {0, 0, 0, 0},
     {0, 200, 0, 200},
     {0, 0, 16, 200}},
    {"horizontal is the transpose",
     {20, 10, 220, 26},
     true,
     100,
     50,
     true,
     true,
     {20, 10, 36, 26},
     {204, 10, 220, 26},
     {64, 10, 176, 26}},
};

TEST(ScrollBarPartsTest, ButtonsAndThumbFollowRangeAndPosition) {
    for (const PartsCase& c : kPartsCases) {
        SCOPED_TRACE(c.what);
        CScrollBarUI bar;
        bar.SetHorizontal(c.horizontal);
        bar.SetShowButton1(c.button1);
        bar.SetShowButton2(c.button2);
        bar.SetScrollRange(c.range);
        bar.SetScrollPos(c.position);
        bar.SetPos(c.item);
        EXPECT_EQ(c.expectButton1, bar.Button1Rect());
        EXPECT_EQ(c.expectButton2, bar.Button2Rect());
        EXPECT_EQ(c.expectThumb, bar.ThumbRect());
    }
}

// Range and position move the thumb at once; a position beyond a shrunk range follows it.
TEST(ScrollBarPartsTest, RangeAndPositionAreClampedAndReplaceTheThumb) {
    CScrollBarUI bar;
    bar.SetPos(RECT{0, 0, 16, 200});
    bar.SetScrollPos(250);
    EXPECT_EQ(100, bar.ScrollPos());
    EXPECT_EQ((RECT{0, 72, 16, 184}), bar.ThumbRect());
    bar.SetScrollRange(-5);
    EXPECT_EQ(0, bar.ScrollRange());
    EXPECT_EQ(0, bar.ScrollPos());
    EXPECT_EQ((RECT{0, 16, 16, 184}), bar.ThumbRect());
}

TEST(ScrollBarAttributesTest, SkinAttributesReachTheBar) {
    CScrollBarUI bar;
    bar.ApplyAttributeText(
        L"hor=\"true\" range=\"40\" value=\"50\" linesize=\"3\" showbutton1=\"false\" "
        L"thumbhotimage=\"file='t.png'\" bkdisabledimage=\"b.png\"");
    EXPECT_TRUE(bar.IsHorizontal());
    EXPECT_EQ(16, bar.FixedHeight());
    EXPECT_EQ(0, bar.FixedWidth());
    EXPECT_EQ(40, bar.ScrollRange());
    EXPECT_EQ(40, bar.ScrollPos());
    EXPECT_EQ(3, bar.LineSize());
    EXPECT_FALSE(bar.IsButton1Shown());
    EXPECT_STREQ(L"file='t.png'", bar.PartImage(ScrollPartThumb, ScrollImageHot));
    EXPECT_STREQ(L"b.png", bar.PartImage(ScrollPartBack, ScrollImageDisabled));
    EXPECT_STREQ(L"", bar.PartImage(ScrollPartRail, ScrollImageNormal));
    EXPECT_EQ(&bar, bar.CastTo(L"ScrollBar"));
}

}  // namespace
