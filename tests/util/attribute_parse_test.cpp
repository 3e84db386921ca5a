#include "ui/util/attribute_parse.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

std::vector<std::pair<std::wstring, std::wstring>> ReadAll(const wchar_t* text) {
    std::vector<std::pair<std::wstring, std::wstring>> entries;
    attr::CAttributeListReader reader(text);
    CWideString name;
    CWideString value;
    while (reader.Next(name, value)) {
        entries.emplace_back(name.GetData(), value.GetData());
    }
    return entries;
}

using Entries = std::vector<std::pair<std::wstring, std::wstring>>;

}  // namespace

TEST(IntListTest, AnySingleSeparatorWorks) {
    RECT a = attr::ParseRect(L"1,2,3,4");
    RECT b = attr::ParseRect(L"1 2;3x4");
    EXPECT_EQ((std::vector<LONG>{1, 2, 3, 4}), (std::vector<LONG>{a.left, a.top, a.right, a.bottom}));
    EXPECT_EQ((std::vector<LONG>{1, 2, 3, 4}), (std::vector<LONG>{b.left, b.top, b.right, b.bottom}));
}

TEST(IntListTest, NegativeNumbersAndSpacesAfterTheSeparator) {
    RECT r = attr::ParseRect(L"-1, -2,-30 ,-20");
    EXPECT_EQ(-1, r.left);
    EXPECT_EQ(-2, r.top);  // wcstol skips the space after the comma
    EXPECT_EQ(-30, r.right);
    EXPECT_EQ(0, r.bottom);  // the space before the comma is the separator; "," reads as nothing
}

TEST(IntListTest, ShortListLeavesTheRestZeroWithoutReadingPastTheEnd) {
    // The terminator is followed by digits in the same buffer: a reader that stepped over the
    // end of "7" would pick them up as the second number.
    const wchar_t buffer[] =
        L"7\0"
        L"99,98,97";
    int values[4] = {-1, -1, -1, -1};
    attr::ParseIntList(buffer, values, 4);
    EXPECT_EQ(7, values[0]);
    EXPECT_EQ(0, values[1]);
    EXPECT_EQ(0, values[2]);
    EXPECT_EQ(0, values[3]);
}

TEST(IntListTest, DoubledSeparatorShiftsTheReading) {
    // "1,,3": after 1 the comma is skipped; the second comma reads as 0 without moving, and the
    // third number is read one character further, from "3".
    int values[3];
    attr::ParseIntList(L"1,,3", values, 3);
    EXPECT_EQ(1, values[0]);
    EXPECT_EQ(0, values[1]);
    EXPECT_EQ(3, values[2]);
}

TEST(IntListTest, EmptyAndNullTexts) {
    RECT r = attr::ParseRect(L"");
    EXPECT_TRUE(IsRectEmpty(&r));
    SIZE s = attr::ParseSize(nullptr);
    EXPECT_EQ(0, s.cx);
    EXPECT_EQ(0, s.cy);
    EXPECT_EQ(0, attr::ParseInt(L"abc"));
    EXPECT_EQ(-12, attr::ParseInt(L"  -12px"));
}

TEST(ColorTest, HashIsOptionalAndSixDigitsMeanTransparent) {
    EXPECT_EQ(0xFF202020u, attr::ParseColor(L"#FF202020"));
    EXPECT_EQ(0xFF202020u, attr::ParseColor(L"FF202020"));
    EXPECT_EQ(0x001E90FFu, attr::ParseColor(L"#1E90FF"));
    EXPECT_EQ(0u, attr::ParseColor(L"#zz"));
    EXPECT_EQ(0u, attr::ParseColor(L"##FF000000"));
}

TEST(ColorTest, OnlyBackgroundColoursSkipLeadingSpaces) {
    EXPECT_EQ(0xFFA0A0A0u, attr::ParseColorAfterSpaces(L"  \t#FFA0A0A0"));
    EXPECT_EQ(0u, attr::ParseColor(L"  #FFA0A0A0"));
}

TEST(BoolTest, TrueOnlyForExactLowerCaseTrue) {
    EXPECT_TRUE(attr::ParseBool(L"true"));
    EXPECT_FALSE(attr::ParseBool(L"TRUE"));
    EXPECT_FALSE(attr::ParseBool(L"True"));
    EXPECT_FALSE(attr::ParseBool(L"1"));
    EXPECT_FALSE(attr::ParseBool(L"true "));
    EXPECT_FALSE(attr::ParseBool(nullptr));
}

TEST(AttributeListTest, ReadsEntriesSeparatedBySingleSpaces) {
    EXPECT_EQ((Entries{{L"name", L"a b"}, {L"width", L"10"}, {L"text", L""}}),
              ReadAll(L"name=\"a b\" width=\"10\" text=\"\""));
}

TEST(AttributeListTest, TwoSpacesPutTheSpaceIntoTheNextName) {
    EXPECT_EQ((Entries{{L"a", L"1"}, {L" b", L"2"}, {L"c", L"3"}}), ReadAll(L"a=\"1\"  b=\"2\" c=\"3\""));
}

TEST(AttributeListTest, MalformedEntriesEndTheListKeepingEarlierOnes) {
    EXPECT_EQ((Entries{{L"a", L"1"}}), ReadAll(L"a=\"1\" b=2"));     // no opening quote
    EXPECT_EQ((Entries{{L"a", L"1"}}), ReadAll(L"a=\"1\" b=\"2"));   // no closing quote
    EXPECT_EQ((Entries{{L"a", L"1"}}), ReadAll(L"a=\"1\" b"));       // no "="
    EXPECT_EQ((Entries{{L"a", L"1"}}), ReadAll(L"a=\"1\"b=\"2\""));  // no space
    EXPECT_EQ((Entries{{L"a", L"1"}}), ReadAll(L"a=\"1\" "));        // space, then nothing
    EXPECT_EQ(Entries{}, ReadAll(L""));
    EXPECT_EQ(Entries{}, ReadAll(nullptr));
    EXPECT_EQ((Entries{{L"", L"x"}}), ReadAll(L"=\"x\""));
}

TEST(AttributeListTest, NameRunsToTheFirstEqualsSign) {
    EXPECT_EQ((Entries{{L"a b", L"x=y"}}), ReadAll(L"a b=\"x=y\""));
}
