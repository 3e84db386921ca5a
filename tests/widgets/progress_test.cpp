#include "ui/controls/progress.h"

#include "tests/widgets/widget_fixture.h"

TEST(ProgressFillTest, FilledRectangle) {
    struct Case {
        int w, h, min, max, value;
        bool horizontal;
        RECT fill;
    } cases[] = {
        {200, 7, 0, 100, 50, true, {0, 0, 100, 7}},
        {200, 7, 0, 100, 33, true, {0, 0, 66, 7}},
        {50, 7, 0, 100, 1, true, {0, 0, 0, 7}},
        {30, 40, 0, 100, 25, false, {0, 30, 30, 40}},
        {200, 7, -50, 50, 0, true, {0, 0, 100, 7}},
        {200, 7, 0, 2000000000, 1500000000, true, {0, 0, 150, 7}},  // no overflow in the product
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.fill, ProgressFillRect(c.w, c.h, c.min, c.max, c.value, c.horizontal)) << c.value;
    }
}

class ProgressTest : public WidgetTest {};

TEST_F(ProgressTest, PaintNarrowsTheForeImageToTheFill) {
    struct Case {
        const wchar_t* attributes;
        RECT item;
        const wchar_t* modify;
    } cases[] = {
        {L"value=\"50\"", {0, 0, 200, 7}, L"dest='0,0,100,7'"},
        {L"value=\"50\" isstretchfore=\"false\"", {0, 0, 200, 7}, L"dest='0,0,100,7' source='0,0,100,7'"},
        {L"hor=\"false\" value=\"25\"", {10, 10, 30, 50}, L"dest='0,30,20,40'"},
    };
    for (const Case& c : cases) {
        CProgressUI progress;
        Attach(progress, c.item);
        progress.ApplyAttributeText(L"foreimage=\"file='progress_fore.png'\"");
        progress.ApplyAttributeText(c.attributes);
        TestCanvas canvas(200, 60);
        progress.Paint(canvas.DC(), c.item);
        EXPECT_EQ(CWideString(c.modify), progress.ModifyText()) << c.attributes;
    }
}

TEST_F(ProgressTest, RangeRules) {
    CProgressUI progress;
    Attach(progress, RECT{0, 0, 200, 12});
    Window().Validate();
    progress.SetValue(101);
    progress.SetValue(-1);
    progress.SetValue(0);
    EXPECT_EQ(0, progress.Value());
    EXPECT_TRUE(IsEmpty(Window().UpdateRect())) << "out of range or unchanged values repaint nothing";
    progress.SetValue(100);
    EXPECT_EQ(100, progress.Value());
    EXPECT_FALSE(IsEmpty(Window().UpdateRect()));

    // Neither bound checks the other; a paint pulls them (and the value) into order, fore image
    // or not.
    progress.ApplyAttributeText(L"min=\"10\" max=\"10\"");
    TestCanvas canvas(200, 12);
    progress.Paint(canvas.DC(), progress.Pos());
    EXPECT_EQ(11, progress.Maximum());
    EXPECT_EQ(11, progress.Value());
}

TEST_F(ProgressTest, FillGrowsWithTheValueStretchedOrNot) {
    const RECT item = {0, 0, 200, 7};
    for (const wchar_t* stretch : {L"true", L"false"}) {
        for (int value : {30, 70}) {
            CProgressUI progress;
            Attach(progress, item);
            progress.ApplyAttributeText(L"foreimage=\"file='progress_fore.png'\"");
            progress.SetAttribute(L"isstretchfore", stretch);
            progress.SetValue(value);
            TestCanvas canvas(200, 7);
            progress.Paint(canvas.DC(), item);
            int painted = 0;
            for (int x = 0; x < 200; ++x) {
                painted += canvas.Pixel(x, 3) != 0xFFFFFF ? 1 : 0;
            }
            EXPECT_NEAR(2 * value, painted, 2) << "stretch " << stretch << ", value " << value;
        }
    }
}
