// Skin images end to end in memory DCs: loading, nine-grids, tiling, fade and alpha, the colour
// key, "dest" as a progress fill, and the loader's refusals.
#include <gtest/gtest.h>

#include <string>

#include "tests/draw/draw_fixture.h"
#include "tests/support/zip_builder.h"
#include "ui/controls/control.h"

namespace {

const uint32_t kRed = Rgba(255, 0, 0), kGreen = Rgba(0, 255, 0), kBlue = Rgba(0, 0, 255);
const uint32_t kWhite = Rgba(255, 255, 255), kBlack = Rgba(0, 0, 0), kYellow = Rgba(255, 255, 0);
const uint32_t kCyan = Rgba(0, 255, 255), kMagenta = Rgba(255, 0, 255), kGrey = Rgba(128, 128, 128);
// The same colours as the canvas reads them (0xAARRGGBB).
uint32_t Argb(uint32_t rgba) {
    return (rgba & 0xFF00FF00) | (rgba & 0xFF) << 16 | (rgba >> 16 & 0xFF);
}

bool Near(uint32_t a, uint32_t b, int tolerance = 1) {
    for (int shift = 0; shift < 32; shift += 8) {
        int d = static_cast<int>(a >> shift & 0xFF) - static_cast<int>(b >> shift & 0xFF);
        if (d > tolerance || d < -tolerance) return false;
    }
    return true;
}

class ImageDraw : public ::testing::Test {
protected:
    void SetUp() override {
        // Row by row: a distinct colour for each cell of the grid.
        folder.WritePng(L"grid.png", {kRed, kGreen, kBlue, kWhite, kBlack, kYellow, kCyan, kMagenta, kGrey},
                        3, 3);
        folder.WritePng(L"pair.png", {kRed, kBlue}, 2, 1);
        folder.WritePng(L"keyed.png", {kMagenta, kGreen}, 2, 1);
        folder.WritePng(L"half_red.png", {Rgba(255, 0, 0, 128)}, 1, 1);
        folder.WritePng(L"green.png", {kGreen}, 1, 1);
    }

    void Draw(const wchar_t* image, const wchar_t* modify = nullptr, RECT item = {0, 0, 9, 9}) {
        EXPECT_TRUE(
            CGdiPainter::DrawImageDescription(canvas.DC(), host.Get(), item, canvas.Whole(), image, modify));
    }

    SkinFolder folder;
    DrawHost host;
    Canvas canvas{100, 20, 0xFF404040};
};

TEST_F(ImageDraw, NineGridKeepsCornersUnscaledAndStretchesTheRest) {
    Draw(L"file='grid.png' corner='1,1,1,1'");
    struct Case {
        int x, y;
        uint32_t color;
    } cases[] = {{0, 0, kRed},   {1, 0, kGreen},  {7, 0, kGreen}, {8, 0, kBlue},    {0, 4, kWhite},
                 {4, 4, kBlack}, {8, 4, kYellow}, {0, 8, kCyan},  {4, 8, kMagenta}, {8, 8, kGrey}};
    for (const Case& c : cases) {
        EXPECT_EQ(Argb(c.color) & 0xFFFFFF, canvas.At(c.x, c.y) & 0xFFFFFF) << c.x << "," << c.y;
    }
    EXPECT_EQ(0, canvas.CountOther({9, 0, 100, 20}, 0xFF404040));  // nothing outside the item
}

TEST_F(ImageDraw, HoleLeavesTheMiddleUntouched) {
    Draw(L"file='grid.png' corner='1,1,1,1' hole='true'");
    EXPECT_EQ(0, canvas.CountOther({1, 1, 8, 8}, 0xFF404040));
    EXPECT_EQ(Argb(kGreen) & 0xFFFFFF, canvas.At(4, 0) & 0xFFFFFF);
}

TEST_F(ImageDraw, TilingRepeatsWithoutScaling) {
    Draw(L"file='pair.png' xtiled='true' ytiled='true'", nullptr, {0, 0, 7, 2});
    for (int x = 0; x < 7; ++x) {
        EXPECT_EQ(Argb(x % 2 ? kBlue : kRed) & 0xFFFFFF, canvas.At(x, 1) & 0xFFFFFF) << x;
    }
    EXPECT_EQ(0xFF404040u & 0xFFFFFF, canvas.At(7, 1) & 0xFFFFFF);
}

TEST_F(ImageDraw, AlphaAndFadeBlendPremultipliedPixels) {
    canvas.Fill(0xFF0000FF);
    Draw(L"half_red.png", nullptr, {0, 0, 4, 4});
    EXPECT_TRUE(Near(0xFF80007F, canvas.At(2, 2))) << std::hex << canvas.At(2, 2);
    Draw(L"file='green.png' fade='128'", nullptr, {4, 0, 8, 4});
    EXPECT_TRUE(Near(0xFF00807F, canvas.At(6, 2))) << std::hex << canvas.At(6, 2);
    Draw(L"file='green.png' fade='0'", nullptr, {8, 0, 12, 4});
    EXPECT_EQ(0xFF0000FFu, canvas.At(10, 2));
}

TEST_F(ImageDraw, MaskClearsExactlyTheKeyedPixels) {
    Draw(L"file='keyed.png' mask='#FFFF00FF'", nullptr, {0, 0, 2, 1});
    EXPECT_EQ(0xFF404040u, canvas.At(0, 0));
    EXPECT_EQ(Argb(kGreen), canvas.At(1, 0));
}

TEST_F(ImageDraw, NarrowedDestFillsLikeAProgressBar) {
    Draw(L"file='green.png' source='0,0,1,1'", L"dest='0,0,30,10'", {0, 0, 100, 10});
    EXPECT_EQ(0, canvas.CountOther({0, 0, 30, 10}, Argb(kGreen)));
    EXPECT_EQ(0, canvas.CountOther({30, 0, 100, 20}, 0xFF404040));
}

TEST_F(ImageDraw, SourceBeyondTheImageIsCutToIt) {
    Draw(L"file='grid.png' source='0,0,500,500'", nullptr, {0, 0, 3, 3});
    EXPECT_EQ(Argb(kRed) & 0xFFFFFF, canvas.At(0, 0) & 0xFFFFFF);
    EXPECT_EQ(Argb(kBlack) & 0xFFFFFF, canvas.At(1, 1) & 0xFFFFFF);
    EXPECT_EQ(Argb(kGrey) & 0xFFFFFF, canvas.At(2, 2) & 0xFFFFFF);
}

TEST_F(ImageDraw, EachNameIsDecodedOnce) {
    int before = CGdiPainter::DecodeCount();
    for (int i = 0; i < 3; ++i) {
        Draw(L"green.png");
    }
    Draw(L"missing.png");
    Draw(L"missing.png");
    EXPECT_EQ(before + 1, CGdiPainter::DecodeCount());
    EXPECT_FALSE(CGdiPainter::DrawImageDescription(nullptr, host.Get(), canvas.Whole(), canvas.Whole(), L"a",
                                                   nullptr));
}

// Hosts with the default loader share one decode per picture through the process-wide cache,
// each owning its own bitmap; a picture rewritten on disk is decoded anew.
TEST_F(ImageDraw, HostsShareOneDecodePerPictureAndOwnTheirBitmaps) {
    folder.WritePng(L"shared.png", {kRed, kBlue}, 2, 1);
    const int before = CGdiPainter::DecodeCount();
    CWindowHostUI mine, theirs;
    LoadedImage* own = mine.ImageFor(L"shared.png", nullptr, 0);
    LoadedImage* other = theirs.ImageFor(L"shared.png", nullptr, 0);
    ASSERT_TRUE(own && other);
    EXPECT_EQ(before + 1, CGdiPainter::DecodeCount());
    EXPECT_NE(own->bitmap, other->bitmap);
    theirs.ClearImages();
    EXPECT_TRUE(CGdiPainter::DrawImageDescription(canvas.DC(), &mine, {0, 0, 2, 1}, canvas.Whole(), L"shared.png",
                                                  nullptr));
    EXPECT_EQ(Argb(kRed) & 0xFFFFFF, canvas.At(0, 0) & 0xFFFFFF);
    EXPECT_EQ(Argb(kBlue) & 0xFFFFFF, canvas.At(1, 0) & 0xFFFFFF);

    folder.WritePng(L"shared.png", {kGreen, kGreen}, 2, 1);
    CWindowHostUI later;
    ASSERT_NE(nullptr, later.ImageFor(L"shared.png", nullptr, 0));
    EXPECT_EQ(before + 2, CGdiPainter::DecodeCount());
}

TEST_F(ImageDraw, SoftwareBlendMatchesAlphaBlend) {
    folder.WritePng(L"soft.png",
                    {Rgba(255, 0, 0, 128), Rgba(0, 255, 0, 255), Rgba(10, 20, 30, 40), Rgba(0, 0, 0, 0)}, 2,
                    2);
    LoadedImage* image = host->ImageFor(L"soft.png", nullptr, 0);
    ASSERT_NE(nullptr, image);
    Canvas native(8, 8, 0xFF204080), software(8, 8, 0xFF204080);
    CMemoryDC source(nullptr);
    CSelectScope select(source.Get(), image->bitmap);
    for (BYTE fade : {255, 100}) {
        BLENDFUNCTION blend = {AC_SRC_OVER, 0, fade, AC_SRC_ALPHA};
        AlphaBlend(native.DC(), 0, 0, 2, 2, source.Get(), 0, 0, 2, 2, blend);
        ASSERT_TRUE(CGdiPainter::SoftwareBlend(software.DC(), 0, 0, 2, 2, source.Get(), 0, 0, 2, 2, blend));
        for (int i = 0; i < 4; ++i) {
            EXPECT_TRUE(Near(native.At(i % 2, i / 2), software.At(i % 2, i / 2), 2))
                << "fade " << int(fade) << " pixel " << i << std::hex << ": " << native.At(i % 2, i / 2)
                << " vs " << software.At(i % 2, i / 2);
        }
    }
    EXPECT_FALSE(CGdiPainter::SoftwareBlend(software.DC(), 0, 0, 0, 2, source.Get(), 0, 0, 2, 2, {}));
}

TEST_F(ImageDraw, LoaderRefusesBadFilesAndReadsArchivesAndPlainPaths) {
    std::vector<uint8_t> png = EncodePng({kRed, kGreen, kBlue, kWhite}, 2, 2);
    std::vector<uint8_t> truncated(png.begin(), png.begin() + png.size() / 2);
    std::vector<uint8_t> wide = png;
    wide[16] = 0, wide[17] = 0, wide[18] = 0x20, wide[19] = 0x01;  // IHDR width 8193
    std::vector<uint8_t> oversized(kMaxImageFileBytes + 1, 0);
    std::copy(png.begin(), png.end(), oversized.begin());
    folder.Write(L"truncated.png", truncated);
    folder.Write(L"wide.png", wide);
    folder.Write(L"empty.png", {});
    folder.Write(L"oversized.png", oversized);
    folder.Write(L"noise.png", std::vector<uint8_t>(300, 0x89));
    for (const wchar_t* name :
         {L"truncated.png", L"wide.png", L"empty.png", L"oversized.png", L"noise.png", L"absent.png"}) {
        EXPECT_EQ(nullptr, CGdiPainter::LoadSkinImage(name, nullptr, 0)) << name;
    }
    // A name the resource folder does not hold is tried as a path by itself.
    std::wstring fullPath = folder.Path() + L"green.png";
    CWindowHostUI::SetResourceFolder(L"Z:\\nowhere\\");
    LoadedImage* byPath = CGdiPainter::LoadSkinImage(fullPath.c_str(), nullptr, 0);
    ASSERT_NE(nullptr, byPath);
    EXPECT_EQ(1, byPath->width);
    CGdiPainter::DestroyImage(byPath);
    // Archive items; an item shorter than it declares is refused.
    std::string bytes(png.begin(), png.end());
    ZipTestEntry lying{"short.png", bytes};
    lying.declaredSize = static_cast<int64_t>(bytes.size()) + 10;
    const auto& zip = KeepForTheProcess(BuildZip({ZipTestEntry{"Skin/Ok.png", bytes}, lying}));
    CWindowHostUI::UseSkinArchiveMemory(zip.data(), static_cast<unsigned>(zip.size()));
    LoadedImage* fromZip = CGdiPainter::LoadSkinImage(L"skin\\ok.png", nullptr, 0);
    ASSERT_NE(nullptr, fromZip);
    EXPECT_EQ(2, fromZip->height);
    CGdiPainter::DestroyImage(fromZip);
    EXPECT_EQ(nullptr, CGdiPainter::LoadSkinImage(L"short.png", nullptr, 0));
    CWindowHostUI::UseSkinArchiveFile(nullptr);
}

TEST_F(ImageDraw, ControlBaseDrawsItsBackgroundImage) {
    CControlUI control;
    control.SetPos({10, 0, 20, 10});
    control.AttachHost(host.Get(), nullptr, false);
    control.SetAttribute(L"bkimage", L"file='green.png'");
    control.Paint(canvas.DC(), RECT{0, 0, 15, 20});
    EXPECT_EQ(0, canvas.CountOther({10, 0, 20, 10}, Argb(kGreen)));
    EXPECT_EQ(0, canvas.CountOther({20, 0, 100, 20}, 0xFF404040));
    EXPECT_STREQ(L"file='green.png'", control.BackImage());
}

}  // namespace

// At a display scale "corner" and "dest" are scaled, an image drawn for the scale ("@2x") is
// used with its "source" read at that scale, and a picture of another scale is redrawn once.
TEST_F(ImageDraw, DisplayScaleScalesCornersAndDestAndPicksTheDrawnVariant) {
    folder.WritePng(L"v.png", {kRed}, 1, 1);
    folder.WritePng(L"v@2x.png", {kGreen, kBlue}, 2, 1);
    const wchar_t* const grid = L"file='grid.png' corner='1,1,1,1'";
    const wchar_t* const dest = L"file='green.png' dest='1,1,3,3'";
    const wchar_t* const variant = L"file='v.png' source='0,0,1,1'";
    const struct {
        int dpi;
        const wchar_t* image;
        LONG size, x, y;
        uint32_t color;  // 0: the canvas shows through
    } cases[] = {
        {192, grid, 18, 1, 1, kRed},   {192, grid, 18, 2, 0, kGreen},   {192, grid, 18, 16, 17, kGrey},
        {192, grid, 18, 1, 9, kWhite}, {144, grid, 9, 0, 0, kRed},      {144, grid, 9, 4, 4, kBlack},
        {144, grid, 9, 8, 8, kGrey},   {192, dest, 9, 1, 1, 0},         {192, dest, 9, 2, 2, kGreen},
        {192, dest, 9, 5, 5, kGreen},  {192, dest, 9, 6, 6, 0},         {96, variant, 2, 1, 0, kRed},
        {144, variant, 2, 0, 0, kGreen}, {192, variant, 2, 1, 0, kBlue},
    };
    for (const auto& c : cases) {
        host.Get()->ChangeDpi(c.dpi);
        canvas.Fill(0xFF404040);
        Draw(c.image, nullptr, {0, 0, c.size, c.size});
        const uint32_t want = c.color ? Argb(c.color) : 0xFF404040u;
        EXPECT_EQ(want & 0xFFFFFF, canvas.At(c.x, c.y) & 0xFFFFFF) << c.dpi << " " << c.image << " " << c.x;
    }
}
