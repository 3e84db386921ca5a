#include "ui/util/dpi_scale.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

TEST(DpiScale, OneRoundingRuleHalvesAwayFromZeroInsideTheIntRange) {
    struct Case {
        int value, dpi, fromDpi, scaled;
    } cases[] = {
        {12, 144, 96, 18}, {1, 144, 96, 2},   {-1, 144, 96, -2},   {299, 144, 96, 449}, {-5, 120, 96, -6},
        {2, 120, 96, 3},   {7, 192, 96, 14},  {300, 0, 96, 300},   {300, -1, 96, 300},  {450, 96, 144, 300},
        {3, 96, 192, 2},   {-3, 96, 192, -2}, {INT_MAX, 192, 96, INT_MAX},              {INT_MIN, 144, 96, INT_MIN},
        {INT_MIN, 96, 192, INT_MIN / 2},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(dpi::ScaleLength(c.value, c.dpi, c.fromDpi), c.scaled) << c.value << " " << c.dpi << "/" << c.fromDpi;
        if (c.dpi > 0 && c.value > INT_MIN / 2 && c.value < INT_MAX / 2) {  // the system's MulDiv agrees
            EXPECT_EQ(dpi::ScaleLength(c.value, c.dpi, c.fromDpi), MulDiv(c.value, c.dpi, c.fromDpi)) << c.value;
        }
    }
}

TEST(DpiScale, LengthAttributesKeepTheirNumberCountOthersStayAsWritten) {
    const wchar_t* const style = L"width=\"8\" thumbimage=\"file='t.png' corner='2,2,2,2'\"";
    const wchar_t* const cases[][4] = {
        {L"pos", L"-20,8,-4,16", L"144", L"-30,12,-6,24"}, {L"padding", L"4", L"144", L"6,0,0,0"},
        {L"width", L"228", L"144", L"342"},                {L"height", L"x", L"144", L"0"},
        {L"inset", L"1,0,1,0", L"144", L"2,0,2,0"},        {L"bordersize", L"1", L"144", L"2"},
        {L"bordersize", L"1,0,1,0", L"144", L"2,0,2,0"},   {L"borderround", L"4,4", L"120", L"5,5"},
        {L"itemsize", L"40,20", L"192", L"80,40"},         {L"childpadding", L"3", L"144", L"5"},
        {L"text", L"12", L"144", L"12"},                   {L"font", L"1", L"144", L"1"},
        {L"bkimage", L"file='a.png' corner='4,4,4,4'", L"144", L"file='a.png' corner='4,4,4,4'"},
        {L"vscrollbarstyle", style, L"192", L"width=\"16\" thumbimage=\"file='t.png' corner='2,2,2,2'\""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(std::wstring(dpi::ScaleAttributeValue(c[0], c[1], _wtoi(c[2]))), c[3]) << c[0] << "=" << c[1];
    }
    EXPECT_EQ(std::wstring(dpi::ScaleAttributeList(L"odd  list", 96)), L"odd  list");
}

TEST(DpiScale, ImageVariantsTheSmallestNotSmallerThanNeededFirst) {
    const std::pair<int, std::wstring> cases[] = {
        {96, L"|"}, {72, L"|"}, {120, L"@1.5x|@2x||"}, {144, L"@1.5x|@2x||"}, {192, L"@2x|@1.5x||"}, {288, L"@2x|@1.5x||"}};
    for (const auto& c : cases) {
        dpi::ImageVariant v[3];
        std::wstring order;
        for (int i = 0, n = dpi::ImageVariantsFor(c.first, v, 3); i < n; ++i) order += std::wstring(v[i].suffix) + L"|";
        EXPECT_EQ(order, c.second) << c.first;
    }
    EXPECT_EQ(std::wstring(dpi::VariantName(L"skin/bg.x.png", L"@2x")), L"skin/bg.x@2x.png");
    EXPECT_EQ(std::wstring(dpi::VariantName(L"a.b\\bg", L"@1.5x")), L"a.b\\bg@1.5x");
}
