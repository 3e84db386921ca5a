#include "ui/util/dpi_scale.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

TEST(DpiScale, OneRoundingRuleHalvesAwayFromZeroInsideTheIntRange) {
    struct Case {
        int value, dpi, fromDpi, scaled;
    } cases[] = {
        {12, 144, 96, 18},   {1, 144, 96, 2},     {-1, 144, 96, -2},   {3, 144, 96, 5},    {-3, 144, 96, -5},
        {299, 144, 96, 449}, {5, 120, 96, 6},     {-5, 120, 96, -6},   {2, 120, 96, 3},    {7, 192, 96, 14},
        {0, 192, 96, 0},     {300, 96, 96, 300},  {300, 0, 96, 300},   {300, -1, 96, 300}, {450, 96, 144, 300},
        {1, 96, 144, 1},     {3, 96, 192, 2},     {-3, 96, 192, -2},   {INT_MAX, 192, 96, INT_MAX},
        {INT_MIN, 192, 96, INT_MIN},               {INT_MAX, 96, 96, INT_MAX},
        {INT_MIN, 144, 96, INT_MIN},               {INT_MIN, 96, 192, INT_MIN / 2},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(dpi::ScaleLength(c.value, c.dpi, c.fromDpi), c.scaled) << c.value << " " << c.dpi << "/" << c.fromDpi;
        // The same rule as the system's MulDiv wherever that does not overflow.
        if (c.dpi > 0 && c.value > INT_MIN / 2 && c.value < INT_MAX / 2) {
            EXPECT_EQ(dpi::ScaleLength(c.value, c.dpi, c.fromDpi), MulDiv(c.value, c.dpi, c.fromDpi)) << c.value;
        }
    }
    RECT r = dpi::ScaleRect(RECT{-4, 1, 299, 31}, 144);
    EXPECT_EQ(r.left, -6);
    EXPECT_EQ(r.right, 449);
    EXPECT_EQ(dpi::ScaleSize(SIZE{300, 160}, 192).cy, 320);
}

TEST(DpiScale, LengthAttributesKeepTheirNumberCountOthersStayAsWritten) {
    struct Case {
        const wchar_t *name, *value;
        int dpi;
        const wchar_t* scaled;
    } cases[] = {
        {L"pos", L"4,8,0,0", 144, L"6,12,0,0"},
        {L"pos", L"-20,0,-4,16", 144, L"-30,0,-6,24"},
        {L"padding", L"4", 144, L"6,0,0,0"},
        {L"width", L"228", 144, L"342"},
        {L"height", L"x", 144, L"0"},
        {L"inset", L"1,0,1,0", 144, L"2,0,2,0"},
        {L"textpadding", L"2,1,2,1", 192, L"4,2,4,2"},
        {L"bordersize", L"1", 144, L"2"},
        {L"bordersize", L"1,0,1,0", 144, L"2,0,2,0"},
        {L"borderround", L"4,4", 144, L"6,6"},
        {L"itemsize", L"40,20", 192, L"80,40"},
        {L"thumbsize", L"10,10", 120, L"13,13"},
        {L"childpadding", L"3", 144, L"5"},
        {L"vscrollbarstyle", L"width=\"8\" showbutton1=\"false\" thumbimage=\"file='t.png' corner='2,2,2,2'\"", 192,
         L"width=\"16\" showbutton1=\"false\" thumbimage=\"file='t.png' corner='2,2,2,2'\""},
        {L"text", L"12", 144, L"12"},
        {L"font", L"1", 144, L"1"},
        {L"bkimage", L"file='a.png' corner='4,4,4,4'", 144, L"file='a.png' corner='4,4,4,4'"},
        {L"value", L"42", 192, L"42"},
        {L"pos", L"4 , 8", 96, L"4 , 8"},
        {L"width", L"012", 96, L"012"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(std::wstring(dpi::ScaleAttributeValue(c.name, c.value, c.dpi)), c.scaled) << c.name << "=" << c.value;
    }
    EXPECT_EQ(std::wstring(dpi::ScaleAttributeList(L"width=\"10\" height=\"20\" name=\"n\"", 144)),
              L"width=\"15\" height=\"30\" name=\"n\"");
    EXPECT_EQ(std::wstring(dpi::ScaleAttributeList(L"odd  list", 96)), L"odd  list");
}

TEST(DpiScale, ImageVariantsTheSmallestNotSmallerThanNeededFirst) {
    struct Case {
        int dpi;
        std::wstring order;
    } cases[] = {
        {96, L"|"},  {72, L"|"},  {120, L"@1.5x|@2x||"}, {144, L"@1.5x|@2x||"}, {168, L"@2x|@1.5x||"},
        {192, L"@2x|@1.5x||"}, {288, L"@2x|@1.5x||"},
    };
    for (const Case& c : cases) {
        dpi::ImageVariant variants[3];
        int count = dpi::ImageVariantsFor(c.dpi, variants, 3);
        std::wstring order;
        for (int i = 0; i < count; ++i) order += std::wstring(variants[i].suffix) + L"|";
        EXPECT_EQ(order, c.order) << c.dpi;
        EXPECT_EQ(variants[count - 1].dpi, 96);
    }
    EXPECT_EQ(std::wstring(dpi::VariantName(L"skin/bg.png", L"@2x")), L"skin/bg@2x.png");
    EXPECT_EQ(std::wstring(dpi::VariantName(L"a.b\\bg", L"@1.5x")), L"a.b\\bg@1.5x");
    EXPECT_EQ(std::wstring(dpi::VariantName(L"bg.x.png", L"@2x")), L"bg.x@2x.png");
}
