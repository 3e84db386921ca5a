// Text mark-up: the tokeniser and tag arguments on their own, then layout and drawing in a
// memory DC (runs, colours, escapes, links across a wrap, ellipsis, measuring, inline images).
#include <gtest/gtest.h>

#include <string>

#include "tests/draw/draw_fixture.h"
#include "ui/draw/markup_tokenizer.h"

namespace {

std::wstring Describe(const wchar_t* text, bool raw = false) {
    std::wstring out;
    for (const wchar_t* p = text; *p;) {
        MarkupToken t = NextMarkupToken(p, raw);
        std::wstring body(t.text ? t.text : L"", t.text ? t.length : 0);
        switch (t.kind) {
            case MarkupTokenKind::Text: out += L"T(" + body + L")"; break;
            case MarkupTokenKind::Newline: out += L"N"; break;
            case MarkupTokenKind::OpenTag:
                out += L"<" + std::wstring(1, t.letter) + L":" + body + L">";
                break;
            case MarkupTokenKind::CloseTag: out += L"</" + std::wstring(1, t.letter) + L">"; break;
            case MarkupTokenKind::Escape: out += L"E(" + body + L")"; break;
            case MarkupTokenKind::End: return out + L"END";
        }
        p = t.next;
    }
    return out;
}

TEST(MarkupTokenizer, TagsEscapesAndText) {
    struct Case {
        const wchar_t* text;
        const wchar_t* tokens;
    } cases[] = {
        {L"{b}bold{/b} plain", L"<b:>T(bold)</b>T( plain)"},
        {L"<b}x{/b>", L"<b:>T(x)</b>"},  // brackets mix freely
        {L"{<}b{>}<{><}>", L"E(<)T(b)E(>)E({)E(})"},
        {L"{B}{bb}{/}a<3", L"T({B}{bb}{/}a<3)"},
        {L"{c #FF0000}r{/c}", L"<c:#FF0000>T(r)</c>"},
        {L"{f Arial 14 bold}", L"<f:Arial 14 bold>"},
        {L"a\r\nb\n", L"T(a)T()NT(b)N"},
        {L"{c #12", L"<c:#12>"},  // unclosed: the argument runs to the end
    };
    for (const Case& c : cases) {
        EXPECT_EQ(std::wstring(c.tokens), Describe(c.text)) << c.text;
    }
    EXPECT_EQ(std::wstring(L"T({b}x</b>)</r>T(y)"), Describe(L"{b}x</b>{/r}y", true));
}

TEST(MarkupTokenizer, TagArguments) {
    EXPECT_EQ(0xFF0000u, ParseMarkupColor(L"#FF0000"));
    EXPECT_EQ(0xFFFFFFu, ParseMarkupColor(L"#FF0000FF"));  // saturates at 0x7FFFFFFF
    MarkupFontArgs index = ParseMarkupFont(L"2");
    EXPECT_TRUE(index.byIndex);
    EXPECT_EQ(2, index.index);
    MarkupFontArgs named = ParseMarkupFont(L"Arial 14 Bold italic");
    EXPECT_STREQ(L"Arial", named.face);
    EXPECT_EQ(14, named.size);
    EXPECT_TRUE(named.bold && named.italic && !named.underline);
    EXPECT_EQ(10, ParseMarkupFont(L"Arial underline").size);
    EXPECT_EQ(kMaxFaceLength, ParseMarkupFont(std::wstring(200, L'x').c_str()).face.GetLength());
    MarkupImageArgs third = ParseMarkupImage(L"icons.png 4 2");
    EXPECT_STREQ(L"icons.png", third.name);
    EXPECT_EQ(4, third.count);
    EXPECT_EQ(2, third.index);
    EXPECT_EQ(0, ParseMarkupImage(L"icons.png 4 7").index);
    EXPECT_EQ(1, ParseMarkupImage(L"icons.png -3").count);
    MarkupImageArgs described = ParseMarkupImage(L"res='7' restype='PNG' source='1,1,2,2'");
    EXPECT_STREQ(L"7", described.name);
    EXPECT_STREQ(L"PNG", described.resourceType);
    EXPECT_TRUE(ParseMarkupImage(L"  ").name.IsEmpty());
}

class MarkupDraw : public ::testing::Test {
protected:
    // The measured rectangle of `text` in a box of the given width.
    RECT Measure(const wchar_t* text, int width, UINT style = DT_SINGLELINE) {
        RECT rc = {0, 0, width, 400};
        int links = 0;
        CGdiPainter::DrawMarkupText(canvas.DC(), host.Get(), rc, text, 0xFF000000, nullptr, nullptr, links,
                                    style | DT_CALCRECT);
        return rc;
    }
    void Draw(const wchar_t* text, RECT rc, UINT style = DT_SINGLELINE) {
        int links = 0;
        CGdiPainter::DrawMarkupText(canvas.DC(), host.Get(), rc, text, 0xFF000000, nullptr, nullptr, links,
                                    style);
    }
    int PlainWidth(const wchar_t* text) {
        CSelectScope font(canvas.DC(), host->DefaultFontInfo().font);
        SIZE size;
        GetTextExtentPoint32W(canvas.DC(), text, static_cast<int>(wcslen(text)), &size);
        return size.cx;
    }

    SkinFolder folder;
    DrawHost host;
    Canvas canvas{300, 120, 0xFFFFFFFF};
};

TEST_F(MarkupDraw, BoldRunIsWiderAndEscapesDrawTheirBrackets) {
    int plain = Measure(L"bold text", 300).right;
    EXPECT_EQ(PlainWidth(L"bold text"), plain);
    EXPECT_GT(Measure(L"{b}bold{/b} text", 300).right, plain);
    EXPECT_EQ(PlainWidth(L"<b>"), Measure(L"{<}b{>}", 300).right);
    // Closing tags that were never opened, crossed tags and raw text change nothing else.
    EXPECT_EQ(plain, Measure(L"{/b}{/c}{/f}bold{/u}{/i} text{/p}", 300).right);
    EXPECT_EQ(PlainWidth(L"a{b}b"), Measure(L"{r}a{b}b{/r}", 300).right);
}

TEST_F(MarkupDraw, ColourRunDrawsInItsColourOnly) {
    Draw(L"{c #FF0000}HHHH{/c}HHHH", {0, 0, 300, 30});
    int red = 0, black = 0;
    int split = PlainWidth(L"HHHH");
    for (int y = 0; y < 30; ++y) {
        for (int x = 0; x < 300; ++x) {
            uint32_t p = canvas.At(x, y);
            int r = p >> 16 & 0xFF, g = p >> 8 & 0xFF, b = p & 0xFF;
            if (r - (g > b ? g : b) > 60) {  // smoothed edges included
                ++red;
                EXPECT_LT(x, split);
            } else if (r < 160 && r == g && g == b) {
                ++black;
                EXPECT_GE(x, split);
            }
        }
    }
    EXPECT_GT(red, 10);
    EXPECT_GT(black, 10);
}

TEST_F(MarkupDraw, LinkWrappedOverTwoLinesGivesTwoRectanglesWithItsText) {
    RECT rects[4] = {};
    CWideString texts[4];
    int count = 4;
    int width = PlainWidth(L"aaaa bbbb ");
    RECT rc = {0, 0, width + 2, 100};
    CGdiPainter::DrawMarkupText(canvas.DC(), host.Get(), rc, L"aaaa {a site}bbbb cccc{/a} dddd", 0xFF000000,
                                rects, texts, count, DT_WORDBREAK);
    ASSERT_EQ(2, count);
    EXPECT_STREQ(L"site", texts[0]);
    EXPECT_STREQ(L"site", texts[1]);
    EXPECT_EQ(PlainWidth(L"aaaa "), rects[0].left);
    EXPECT_EQ(0, rects[1].left);
    EXPECT_EQ(rects[0].bottom, rects[1].top);
    EXPECT_GT(rects[1].right, rects[1].left);
    EXPECT_LE(rects[0].right, rc.right);
    // Drawn in the default link colour, blue.
    int blue = 0;
    for (LONG y = rects[1].top; y < rects[1].bottom; ++y) {
        for (LONG x = rects[1].left; x < rects[1].right; ++x) {
            blue += (canvas.At(x, y) & 0xFFFFFF) == 0x0000FF ? 1 : 0;
        }
    }
    EXPECT_GT(blue, 5);
}

TEST_F(MarkupDraw, SingleLineEllipsisStaysInsideAndEndsInDots) {
    const wchar_t* text = L"HHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHH";
    EXPECT_LE(Measure(text, 80).right, 80);
    Draw(text, {0, 0, 80, 30}, DT_SINGLELINE | DT_END_ELLIPSIS);
    RECT ink = canvas.InkBounds(0xFFFFFFFF);
    EXPECT_LE(ink.right, 80);
    EXPECT_GT(ink.right, 60);
    // The last inked columns belong to the dots: ink only in the lower part of the line.
    int height = ink.bottom - ink.top;
    for (int y = ink.top; y < ink.top + height / 2; ++y) {
        EXPECT_EQ(0xFFFFFFu, canvas.At(ink.right - 1, y) & 0xFFFFFF) << y;
    }
}

TEST_F(MarkupDraw, MeasuringGivesWidthAndLines) {
    RECT one = Measure(L"ab", 300, 0);
    RECT two = Measure(L"ab{n}abab", 300, 0);
    EXPECT_EQ(PlainWidth(L"abab"), two.right);
    EXPECT_EQ(2 * (one.bottom - one.top), two.bottom - two.top);
    EXPECT_EQ(one.bottom, Measure(L"ab{n}abab", 300, DT_SINGLELINE).bottom);  // no line break
    RECT wrapped = Measure(L"word word word word", PlainWidth(L"word word "), DT_WORDBREAK);
    EXPECT_EQ(2 * (one.bottom - one.top), wrapped.bottom);
    int line = one.bottom - one.top;
    EXPECT_EQ(3 * line + 8, Measure(L"a{p 8}b{/p}c", 300, 0).bottom);  // spacing on the paragraph's lines
}

TEST_F(MarkupDraw, SingleLineAlignmentsUseTheMeasuredText) {
    int width = PlainWidth(L"HHH");
    Draw(L"HHH", {0, 0, 300, 60}, DT_SINGLELINE | DT_RIGHT | DT_BOTTOM);
    RECT ink = canvas.InkBounds(0xFFFFFFFF);
    EXPECT_GE(ink.left, 300 - width);
    EXPECT_GT(ink.bottom, 45);
    canvas.Fill(0xFFFFFFFF);
    Draw(L"HHH", {0, 0, 300, 60}, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
    ink = canvas.InkBounds(0xFFFFFFFF);
    EXPECT_NEAR(150, (ink.left + ink.right) / 2, 3);
    EXPECT_NEAR(30, (ink.top + ink.bottom) / 2, 4);
}

TEST_F(MarkupDraw, InlineImagePicksItsCell) {
    folder.WritePng(L"cells.png", {Rgba(255, 0, 0), Rgba(255, 0, 0), Rgba(0, 0, 255), Rgba(0, 0, 255)}, 4, 1);
    Draw(L"{i cells.png 2 1}", {0, 0, 300, 30});
    RECT ink = canvas.InkBounds(0xFFFFFFFF);
    EXPECT_EQ(2, ink.right - ink.left);
    EXPECT_EQ(0xFF0000FFu, canvas.At(ink.left, ink.top));
    EXPECT_EQ(ink.right, Measure(L"{i cells.png 2 1}", 300).right);
}

}  // namespace
