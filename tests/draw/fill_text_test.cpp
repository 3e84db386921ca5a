// Fills, strokes and plain text in memory DCs, and the DC left as it was found by every routine.
#include <gtest/gtest.h>

#include <functional>

#include "tests/draw/draw_fixture.h"

namespace {

bool Near(uint32_t a, uint32_t b, int tolerance = 2) {
    for (int shift = 0; shift < 24; shift += 8) {
        int d = static_cast<int>(a >> shift & 0xFF) - static_cast<int>(b >> shift & 0xFF);
        if (d > tolerance || d < -tolerance) return false;
    }
    return true;
}

TEST(FillText, SolidAndGradientFillsWithAlpha) {
    DrawHost host;  // starts GDI+
    Canvas canvas(40, 16, 0xFFFFFFFF);
    CGdiPainter::FillColor(canvas.DC(), {0, 0, 10, 16}, 0x80FF0000);
    EXPECT_TRUE(Near(0xFF7F7F, canvas.At(5, 5))) << std::hex << canvas.At(5, 5);
    CGdiPainter::FillGradient(canvas.DC(), {10, 0, 20, 16}, 0x00FF0000, 0x000000FF, 16);
    EXPECT_EQ(0, canvas.CountOther({10, 0, 20, 16}, 0xFFFFFFFF));
    // Alphas 0xFF and 0x01 blend the whole gradient at 0x80.
    CGdiPainter::FillGradient(canvas.DC(), {20, 0, 30, 16}, 0xFFFF0000, 0x01FF0000, 16);
    EXPECT_TRUE(Near(0xFF7F7F, canvas.At(25, 2))) << std::hex << canvas.At(25, 2);
    EXPECT_TRUE(Near(0xFF7F7F, canvas.At(25, 14))) << std::hex << canvas.At(25, 14);
    CGdiPainter::FillGradient(canvas.DC(), {30, 0, 40, 16}, 0xFF000000, 0xFFFFFFFF, 16);
    EXPECT_LT(canvas.At(35, 0) & 0xFF, canvas.At(35, 15) & 0xFF);  // dark at the top, light below
}

TEST(FillText, GdiplusTextKeepsAlpha254) {
    DrawHost host;
    host->SetGdiplusText(true);
    Canvas canvas(60, 30, 0x00000000);
    RECT rc = {0, 0, 60, 30};
    CGdiPainter::DrawPlainText(canvas.DC(), host.Get(), rc, L"HH", 0xFFFF0000, -1, DT_SINGLELINE);
    uint32_t highest = 0;
    for (int y = 0; y < 30; ++y) {
        for (int x = 0; x < 60; ++x) highest = std::max(highest, canvas.At(x, y) >> 24);
    }
    EXPECT_EQ(0xFEu, highest);
    RECT measured = {5, 5, 500, 500};
    CGdiPainter::DrawPlainText(canvas.DC(), host.Get(), measured, L"HH", 0, 0, DT_SINGLELINE | DT_CALCRECT);
    EXPECT_GT(measured.right, 6);
    EXPECT_LT(measured.right, 100);
    EXPECT_GT(measured.bottom, 6);
}

TEST(FillText, GdiTextShowsAmpersands) {
    DrawHost host;
    Canvas canvas(60, 30);
    RECT rc = {0, 0, 200, 30};
    CGdiPainter::DrawPlainText(canvas.DC(), host.Get(), rc, L"&a", 0, 99, DT_SINGLELINE | DT_CALCRECT);
    CSelectScope font(canvas.DC(), host->DefaultFontInfo().font);
    SIZE size;
    GetTextExtentPoint32W(canvas.DC(), L"&a", 2, &size);
    EXPECT_EQ(size.cx, rc.right);  // an out-of-range index is the default font
}

TEST(FillText, AdjustColorHsl) {
    EXPECT_EQ(0x80123456u, CGdiPainter::AdjustColorHsl(0x80123456, 180, 100, 100));
    EXPECT_EQ(0xFF00FF00u, CGdiPainter::AdjustColorHsl(0xFFFF0000, 300, 100, 100));  // hue +120
    EXPECT_EQ(0x40000000u, CGdiPainter::AdjustColorHsl(0x40FF8000, 180, 100, 0));
    EXPECT_EQ(0xFF808080u, CGdiPainter::AdjustColorHsl(0xFFFF0000, 180, 0, 100));
}

// Every routine, on success and on failure paths, gives the DC back with the objects it had.
TEST(FillText, EveryRoutineLeavesTheDcAsFound) {
    SkinFolder folder;
    folder.WritePng(L"one.png", {Rgba(1, 2, 3, 100)}, 1, 1);
    DrawHost host;
    Canvas canvas(50, 50);
    RECT rc = {0, 0, 50, 50};
    RECT links[2];
    CWideString texts[2];
    const std::function<void()> routines[] = {
        [&] { CGdiPainter::FillGradient(canvas.DC(), rc, 0x80FF0000, 0x80000000, 8); },
        [&] { CGdiPainter::StrokeLine(canvas.DC(), rc, 2, 0xFF00FF00, PS_DOT); },
        [&] { CGdiPainter::StrokeRoundRect(canvas.DC(), rc, 3, 0xFF00FF00, 4, 4); },
        [&] {
            CGdiPainter::DrawImageDescription(canvas.DC(), host.Get(), rc, rc,
                                              L"file='one.png' corner='9,9,9,9'", L"");
        },
        [&] { CGdiPainter::DrawImageDescription(canvas.DC(), host.Get(), rc, rc, L"missing.png", nullptr); },
        [&] {
            CGdiPainter::DrawImageGrid(canvas.DC(), nullptr, rc, rc, rc, rc, true, 255, false, false, false);
        },
        [&] {
            RECT r = rc;
            CGdiPainter::DrawPlainText(canvas.DC(), host.Get(), r, L"text", 0, 0, DT_WORDBREAK);
        },
        [&] {
            RECT r = rc;
            int count = 2;
            CGdiPainter::DrawMarkupText(canvas.DC(), host.Get(), r,
                                        L"{b}{i}{u}{f Arial 9}{a x}x{/a}{s}y{i one.png}{c #FF}{x 3}{y 40}", 0,
                                        links, texts, count, DT_CENTER | DT_VCENTER | DT_WORDBREAK);
        },
    };
    const UINT kinds[] = {OBJ_PEN, OBJ_BRUSH, OBJ_FONT, OBJ_BITMAP};
    for (size_t i = 0; i < sizeof(routines) / sizeof(routines[0]); ++i) {
        HGDIOBJ before[4];
        for (int k = 0; k < 4; ++k) before[k] = GetCurrentObject(canvas.DC(), kinds[k]);
        int mode = GetBkMode(canvas.DC());
        COLORREF color = GetTextColor(canvas.DC());
        routines[i]();
        for (int k = 0; k < 4; ++k) {
            EXPECT_EQ(before[k], GetCurrentObject(canvas.DC(), kinds[k]))
                << "routine " << i << " object " << k;
        }
        EXPECT_EQ(mode, GetBkMode(canvas.DC())) << i;
        EXPECT_EQ(color, GetTextColor(canvas.DC())) << i;
        HRGN clip = CreateRectRgn(0, 0, 0, 0);
        EXPECT_EQ(0, GetClipRgn(canvas.DC(), clip)) << "routine " << i << " left a clip region";
        DeleteObject(clip);
    }
}

}  // namespace
