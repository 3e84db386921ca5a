#include <gtest/gtest.h>

#include "updater/feed/version_compare.h"

namespace {

int Sign(int value) {
    return (value > 0) - (value < 0);
}

TEST(VersionCompare, OrdersVersionsAsFeedsWriteThem) {
    struct Case {
        const wchar_t* a;
        const wchar_t* b;
        int order;
    } const cases[] = {
        {L"1.10", L"1.9", 1},
        {L"1.0b2", L"1.0", -1},
        {L"1.0a1", L"1.0b1", -1},
        {L"1.0", L"1.0.0", 0},
        {L"201210251627", L"201210251626", 1},
        {L"18446744073709551616", L"18446744073709551615", 1},  // past 64 bits, still by value
        {L"1.0.1", L"1.0b1", 1},                                // a number beats letters
        {L"1.0", L"1.0a", 1},
        {L"1.0b10", L"1.0b9", 1},
        {L"2", L"10", -1},
        {L"1.01", L"1.1", 0},
        {L"1, 0, 0, 1", L"1.0.0.1", 0},  // FileVersion as old resource compilers write it
        {L"1.0RC1", L"1.0rc1", 0},
        {L"1.0.0.1", L"1.0", 1},
        {L"", L"0", 0},
        {L"", L"0.1", -1},
        {L"beta", L"1", -1},
        {L"2.0-beta", L"2.0", -1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.order, Sign(CompareVersions(c.a, c.b))) << c.a << " vs " << c.b;
        EXPECT_EQ(-c.order, Sign(CompareVersions(c.b, c.a))) << c.b << " vs " << c.a;
    }
}

}  // namespace
