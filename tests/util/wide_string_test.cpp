#include "ui/util/wide_string.h"

#include <gtest/gtest.h>

#include <utility>

namespace {

CWideString Repeat(wchar_t ch, int count) {
    CWideString s;
    for (int i = 0; i < count; ++i) {
        s += ch;
    }
    return s;
}

TEST(WideString, InlineAndHeapBoundaryKeepsContents) {
    for (int length : {0, 1, 61, 62, 63, 64, 200}) {
        CWideString s = Repeat(L'x', length);
        ASSERT_EQ(length, s.GetLength());
        EXPECT_EQ(L'\0', s.GetData()[length]);
        CWideString copy(s);
        CWideString moved(std::move(copy));
        EXPECT_EQ(s, moved);
        EXPECT_TRUE(copy.IsEmpty());
        EXPECT_STREQ(L"", copy.GetData());
    }
}

TEST(WideString, ConstructionFromCountStopsAtTerminator) {
    CWideString a(L"abc", 10);
    EXPECT_EQ(3, a.GetLength());
    CWideString b(L"abcdef", 2);
    EXPECT_STREQ(L"ab", b);
    CWideString c(nullptr);
    EXPECT_TRUE(c.IsEmpty());
    EXPECT_NE(nullptr, c.GetData());
    EXPECT_STREQ(L"z", CWideString(L'z'));
}

TEST(WideString, AppendingItselfAcrossTheHeapBoundary) {
    CWideString s = Repeat(L'a', 40);
    s.Append(s.GetData());
    EXPECT_EQ(80, s.GetLength());
    EXPECT_EQ(Repeat(L'a', 80), s);
    s.Assign(s.GetData() + 70);
    EXPECT_EQ(Repeat(L'a', 10), s);
}

TEST(WideString, MoveAssignmentOfHeapAndInlineStrings) {
    CWideString big = Repeat(L'b', 100);
    CWideString target = Repeat(L'c', 300);
    target = std::move(big);
    EXPECT_EQ(Repeat(L'b', 100), target);
    EXPECT_TRUE(big.IsEmpty());
    big = L"reused";
    EXPECT_STREQ(L"reused", big);
    target = CWideString(L"short");
    EXPECT_STREQ(L"short", target);
}

TEST(WideString, IndexingIsBoundsChecked) {
    CWideString s(L"abc");
    EXPECT_EQ(L'b', s[1]);
    EXPECT_EQ(L'\0', s.GetAt(3));
    EXPECT_EQ(L'\0', s.GetAt(-1));
    s.SetAt(0, L'X');
    s.SetAt(5, L'Y');
    s.SetAt(1, L'\0');  // a terminator inside would desynchronise the length
    EXPECT_STREQ(L"Xbc", s);
}

TEST(WideString, ComparisonsAndConcatenation) {
    CWideString s(L"Button");
    EXPECT_TRUE(s == L"Button");
    EXPECT_TRUE(L"Button" == s);
    EXPECT_TRUE(s != L"button");
    EXPECT_EQ(0, s.CompareNoCase(L"BUTTON"));
    EXPECT_TRUE(CWideString(L"a") < CWideString(L"b"));
    EXPECT_STREQ(L"xButtony", L'x' + s + L'y');
    EXPECT_STREQ(L"pre-Button-post", L"pre-" + s + L"-post");
}

TEST(WideString, SubstringsClampTheirArguments) {
    CWideString s(L"hello world");
    EXPECT_STREQ(L"hello", s.Left(5));
    EXPECT_STREQ(L"hello world", s.Left(99));
    EXPECT_STREQ(L"", s.Left(-3));
    EXPECT_STREQ(L"world", s.Mid(6));
    EXPECT_STREQ(L"wo", s.Mid(6, 2));
    EXPECT_STREQ(L"", s.Mid(50));
    EXPECT_STREQ(L"hello", s.Mid(-4, 5));
    EXPECT_STREQ(L"world", s.Right(5));
    EXPECT_STREQ(L"hello world", s.Right(400));
}

TEST(WideString, FindingCharactersAndSubstrings) {
    CWideString s(L"a,b,c");
    EXPECT_EQ(1, s.Find(L','));
    EXPECT_EQ(3, s.Find(L',', 2));
    EXPECT_EQ(-1, s.Find(L',', 4));
    EXPECT_EQ(-1, s.Find(L',', 99));
    EXPECT_EQ(3, s.ReverseFind(L','));
    EXPECT_EQ(-1, s.ReverseFind(L'x'));
    EXPECT_EQ(2, s.Find(L"b,c"));
    EXPECT_EQ(-1, s.Find(L"b", 3));
    EXPECT_EQ(5, s.Find(L"", 5));
}

TEST(WideString, ReplaceCountsAndHandlesGrowth) {
    CWideString s(L"a&amp;b&amp;c");
    EXPECT_EQ(2, s.Replace(L"&amp;", L"&"));
    EXPECT_STREQ(L"a&b&c", s);
    EXPECT_EQ(0, s.Replace(L"", L"x"));
    EXPECT_EQ(2, s.Replace(L"&", L"----------------------------------------"));
    EXPECT_EQ(83, s.GetLength());
    EXPECT_EQ(3, CWideString(L"aaa").Replace(L"a", L"aa"));  // no re-scan of the inserted text
}

TEST(WideString, CaseConversion) {
    CWideString s(L"MiXeD 12");
    s.MakeUpper();
    EXPECT_STREQ(L"MIXED 12", s);
    s.MakeLower();
    EXPECT_STREQ(L"mixed 12", s);
}

TEST(WideString, FormatTakesWideStringsAndGrows) {
    CWideString s;
    EXPECT_EQ(11, s.Format(L"%d-%s", 42, L"abcdefgh"));
    EXPECT_STREQ(L"42-abcdefgh", s);
    CWideString longText = Repeat(L'q', 1000);
    EXPECT_EQ(1002, s.Format(L"<%s>", longText.GetData()));
    EXPECT_EQ(L'>', s[1001]);
}

}  // namespace
