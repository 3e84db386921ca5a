// The image description reader on its own: which images a string draws and with what.
#include <gtest/gtest.h>

#include <vector>

#include "ui/draw/image_description.h"

namespace {

const RECT kItem = {0, 0, 100, 50};

struct Recorder : IImageDrawSink {
    void DrawImageNow(const ImageDrawParams& p) override { drawn.push_back(p); }
    std::vector<ImageDrawParams> drawn;
};

// Reads image then modify and adds the final draw, as DrawImageDescription does.
std::vector<ImageDrawParams> Read(const wchar_t* image, const wchar_t* modify = nullptr) {
    Recorder recorder;
    ImageDrawParams params;
    InitImageDrawParams(params, image, kItem);
    ReadImageDescription(image, kItem, params, &recorder);
    ReadImageDescription(modify, kItem, params, &recorder);
    recorder.drawn.push_back(params);
    return recorder.drawn;
}

bool Same(const RECT& a, const RECT& b) {
    return EqualRect(&a, &b) != FALSE;
}

TEST(ImageDescription, BareNameIsTheWholeStringOverTheItem) {
    auto drawn = Read(L"button.png");
    ASSERT_EQ(1u, drawn.size());
    EXPECT_STREQ(L"button.png", drawn[0].name);
    EXPECT_TRUE(Same(kItem, drawn[0].dest));
    EXPECT_EQ(255, drawn[0].fade);
}

TEST(ImageDescription, AttributesAreRead) {
    auto p =
        Read(
            L"file='b.png' source='52,0,104,20' corner='4,4,4,4' mask='#FFFF00FF' fade='300' hole='true' "
            L"xtiled='true' ytiled='TRUE'")
            .back();
    EXPECT_STREQ(L"b.png", p.name);
    EXPECT_TRUE(Same(RECT{52, 0, 104, 20}, p.source));
    EXPECT_TRUE(Same(RECT{4, 4, 4, 4}, p.corners));
    EXPECT_EQ(0xFFFF00FFu, p.mask);
    EXPECT_EQ(44, p.fade);  // low 8 bits of 300
    EXPECT_TRUE(p.hole);
    EXPECT_TRUE(p.xtiled);
    EXPECT_FALSE(p.ytiled);  // the comparison is exact
}

TEST(ImageDescription, DestIsRelativeToTheItemAndCutAtItsRightAndBottom) {
    EXPECT_TRUE(Same(RECT{10, 10, 100, 50}, Read(L"file='a' dest='10,10,500,500'").back().dest));
    EXPECT_TRUE(Same(RECT{-5, -5, 20, 20}, Read(L"file='a' dest='-5,-5,20,20'").back().dest));
    // Enormous numbers saturate instead of wrapping around.
    RECT huge = Read(L"file='a' dest='-99999999999,0,99999999999,10'").back().dest;
    EXPECT_LT(huge.left, 0);
    EXPECT_EQ(100, huge.right);
}

TEST(ImageDescription, ShortListsReadMissingNumbersAsZero) {
    struct Case {
        const wchar_t* text;
        RECT source;
    } cases[] = {
        {L"file='a' source='7'", {7, 0, 0, 0}},
        {L"file='a' source='7,8,'", {7, 8, 0, 0}},
        {L"file='a' source='1,2,3,4,5'", {1, 2, 3, 4}},
        {L"file='a' source='x,2'", {0, 0, 2, 0}},  // one character skipped after each number
    };
    for (const Case& c : cases) {
        EXPECT_TRUE(Same(c.source, Read(c.text).back().source)) << c.text;
    }
}

TEST(ImageDescription, EachFileDrawsTheOneBeforeWithTheAttributesInForce) {
    auto drawn = Read(L"file='a.png' file='b.png' dest='0,0,10,10'");
    ASSERT_EQ(2u, drawn.size());
    EXPECT_STREQ(L"a.png", drawn[0].name);
    EXPECT_TRUE(Same(kItem, drawn[0].dest));
    EXPECT_STREQ(L"b.png", drawn[1].name);
    EXPECT_TRUE(Same(RECT{0, 0, 10, 10}, drawn[1].dest));
}

TEST(ImageDescription, ModifyStringNarrowsTheSameImage) {
    auto drawn = Read(L"file='fore.png' corner='2,2,2,2'", L"dest='0,0,40,10'");
    ASSERT_EQ(1u, drawn.size());
    EXPECT_STREQ(L"fore.png", drawn[0].name);
    EXPECT_TRUE(Same(RECT{0, 0, 40, 10}, drawn[0].dest));
    EXPECT_TRUE(Same(RECT{2, 2, 2, 2}, drawn[0].corners));
}

TEST(ImageDescription, MalformedAttributeEndsTheStringKeepingWhatWasRead) {
    struct Case {
        const wchar_t* text;
        const wchar_t* name;
        BYTE fade;
    } cases[] = {
        {L"file='a.png',fade='128'", L"a.png", 255},
        {L"file='a.png'\tfade='128'", L"a.png", 255},
        {L"file='a.png'  fade='128'", L"a.png", 128},  // extra spaces are skipped
        {L"fade='9' file='a.png", L"fade='9' file='a.png", 9},
        {L"fade='9' file=a.png'", L"fade='9' file=a.png'", 9},
        {L"fade = '7'", L"fade = '7'", 7},
        {L"file='' fade='1'", L"file='' fade='1'", 1},  // an empty value is ignored
        {L"file='a.png' ", L"a.png", 255},
    };
    for (const Case& c : cases) {
        ImageDrawParams p = Read(c.text).back();
        EXPECT_STREQ(c.name, p.name) << c.text;
        EXPECT_EQ(c.fade, p.fade) << c.text;
    }
}

}  // namespace
