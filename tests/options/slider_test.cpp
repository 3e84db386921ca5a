#include "ui/controls/slider.h"

#include "tests/options/options_fixture.h"

namespace {

// Item 110 wide and 20 high at (10, 10), thumb 10 x 10, range 0..100.
SliderTrack Horizontal(int minimum = 0, int maximum = 100, SIZE thumb = {10, 10}) {
    return SliderTrack{RECT{10, 10, 120, 30}, thumb, minimum, maximum, true};
}
SliderTrack Vertical(int minimum = 0, int maximum = 100, SIZE thumb = {10, 10}) {
    return SliderTrack{RECT{10, 10, 30, 120}, thumb, minimum, maximum, false};
}

TEST(SliderGeometry, ThumbRectangle) {
    struct Case {
        const char* what;
        SliderTrack track;
        int value;
        RECT thumb;
    };
    const Case cases[] = {
        {"middle", Horizontal(), 50, {60, 15, 70, 25}},
        {"maximum", Horizontal(), 100, {110, 15, 120, 25}},
        {"vertical middle", Vertical(), 50, {15, 60, 25, 70}},
        {"vertical minimum at the bottom", Vertical(), 0, {15, 110, 25, 120}},
        {"empty range at the minimum end", Horizontal(5, 5), 5, {10, 15, 20, 25}},
        {"reversed range, vertical", Vertical(9, 3), 4, {15, 110, 25, 120}},
    };
    for (const Case& k : cases) {
        RECT rc = SliderThumbRect(k.track, k.value);
        EXPECT_TRUE(EqualRect(&rc, &k.thumb)) << k.what << ": " << rc.left << "," << rc.top;
    }
}

TEST(SliderGeometry, ValueAtPoint) {
    struct Case {
        const char* what;
        SliderTrack track;
        int x, y;
        int value;
    };
    const Case cases[] = {
        {"left edge", Horizontal(), 15, 20, 0},
        {"right edge", Horizontal(), 115, 20, 100},
        {"middle", Horizontal(), 65, 20, 50},
        {"truncated", Horizontal(), 17, 20, 2},
        {"offset range", Horizontal(-50, 50), 65, 20, 0},
        {"vertical top", Vertical(), 20, 12, 100},
        {"vertical bottom", Vertical(), 20, 118, 0},
        {"vertical middle", Vertical(), 20, 65, 50},
        {"empty range", Horizontal(7, 7), 100, 20, 7},
        {"reversed range", Vertical(9, 3), 20, 12, 9},
        {"thumb as long as the item", Horizontal(0, 100, {110, 10}), 119, 20, 0},
        {"thumb longer than the item", Vertical(0, 100, {10, 200}), 20, 11, 0},
        {"full int range", Horizontal(INT_MIN, INT_MAX), 65, 20, -1},
    };
    for (const Case& k : cases) {
        EXPECT_EQ(k.value, SliderValueAt(k.track, POINT{k.x, k.y})) << k.what;
    }
}

const char kSliderSkin[] = R"(<Window><VerticalLayout>
  <Slider name="s" height="20" width="110" sendmove="true" step="7" value="50" />
  <Slider name="off" height="20" width="110" enabled="false" value="50" />
</VerticalLayout></Window>)";

TEST_F(OptionsTest, SliderFollowsTheDraggedThumbUnderCapture) {
    ASSERT_NE(nullptr, Install(kSliderSkin));
    auto* s = Named<CSliderUI>(L"s", L"Slider");
    ASSERT_NE(nullptr, s);
    Mouse(WM_MOUSEMOVE, 55, 10);
    EXPECT_EQ(UINT{SliderHot}, s->SliderState());
    Mouse(WM_LBUTTONDOWN, 25, 10, MK_LBUTTON);
    EXPECT_EQ(20, s->Value());
    EXPECT_EQ(Window().Handle(), GetCapture());
    s->SetValue(90);  // code does not move a held thumb
    EXPECT_EQ(20, s->Value());
    Mouse(WM_MOUSEMOVE, 300, 150, MK_LBUTTON);  // far outside: the capture still reports it
    EXPECT_EQ(100, s->Value());
    Mouse(WM_MOUSEMOVE, 65, 150, MK_LBUTTON);
    EXPECT_EQ(60, s->Value());
    EXPECT_EQ(2, Count(L"movevaluechanged"));
    Mouse(WM_LBUTTONUP, 5, 150);
    EXPECT_EQ(0, s->Value());
    EXPECT_EQ(0u, s->SliderState() & SliderCaptured);
    EXPECT_EQ(nullptr, GetCapture());
    EXPECT_EQ((std::vector<std::wstring>{L"movevaluechanged:s", L"movevaluechanged:s", L"valuechanged:s"}),
              Sequence());
}

TEST_F(OptionsTest, SliderWheelStepsWithinTheRangeAndAlwaysAnnounces) {
    ASSERT_NE(nullptr, Install(kSliderSkin));
    auto* s = Named<CSliderUI>(L"s", L"Slider");
    ASSERT_NE(nullptr, s);
    s->SetValue(96);
    struct Case {
        int delta;
        int value;
    };
    const Case cases[] = {{WHEEL_DELTA, 96}, {-WHEEL_DELTA, 89}, {WHEEL_DELTA, 96}};
    int notes = 0;
    for (const Case& k : cases) {
        Wheel(55, 10, k.delta);
        EXPECT_EQ(k.value, s->Value()) << k.delta;
        EXPECT_EQ(++notes, Count(L"valuechanged"));
    }
}

TEST_F(OptionsTest, DisabledSliderIgnoresPressesAndHover) {
    ASSERT_NE(nullptr, Install(kSliderSkin));
    auto* off = Named<CSliderUI>(L"off", L"Slider");
    ASSERT_NE(nullptr, off);
    EXPECT_EQ(0u, off->ControlFlags());
    Mouse(WM_MOUSEMOVE, 55, 30);
    Mouse(WM_LBUTTONDOWN, 100, 30, MK_LBUTTON);
    EXPECT_EQ(0u, off->SliderState());
    EXPECT_EQ(50, off->Value());
    Mouse(WM_LBUTTONUP, 100, 30);
}

}  // namespace
