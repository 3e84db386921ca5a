// Deterministic mutation fuzzing of the drawing parsers: image description strings, text
// mark-up and image decoding (directly and through the loader and a skin archive). Inputs sit
// against a page that faults; results must stay inside their rectangles and bitmaps.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tests/fuzz/guarded_block.h"
#include "tests/fuzz/mutator.h"
#include "tests/support/zip_builder.h"
#include "ui/core/window_host.h"
#include "ui/draw/dib_canvas.h"
#include "ui/draw/gdi_objects.h"
#include "ui/draw/gdi_painter.h"
#include "ui/draw/nine_grid.h"

namespace {

constexpr uint32_t kSeed = 20261207;
constexpr int kDescriptionIterations = 200000;
constexpr int kDrawnDescriptions = 20000;
constexpr int kMarkupIterations = 20000;
constexpr int kDecodeIterations = 100000;
constexpr int kArchiveDecodes = 5000;
constexpr size_t kLargestInput = 64 * 1024;

GuardedBlock& Block() {
    static GuardedBlock block(kLargestInput);
    return block;
}

Bytes AsBytes(const wchar_t* text) {
    Bytes bytes;
    for (const wchar_t* p = text; *p; ++p) bytes.push_back(static_cast<uint8_t>(*p));
    return bytes;
}

// The mutant as a terminated UTF-16 text whose terminator is the last thing before the guard.
const wchar_t* PlaceText(const Bytes& narrow) {
    Bytes wide;
    for (uint8_t b : narrow) {
        wide.push_back(b == 0 ? ' ' : b);  // the text must stay one string
        wide.push_back(0);
    }
    wide.push_back(0);
    wide.push_back(0);
    return reinterpret_cast<const wchar_t*>(Block().Place(wide));
}

const wchar_t* const kDescriptions[] = {
    L"file='rgba.png' source='0,0,8,8' corner='2,2,2,2' hole='true'",
    L"file='rgba.png' dest='-5,-5,500,500' xtiled='true' ytiled='true' fade='128' mask='#FF000000'",
    L"file='palette.png' file='tiny.bmp' dest='1,2,3,4' source='1,1,2' corner='9'",
    L"res='7' restype='PNG' file='rgba.png' ytiled='true' source='-9,-9,99999999,4' corner='-1,-1,-1,-1'",
    L"rgba.png",
};

const RECT kItem = {0, 0, 40, 20};

struct CheckingSink : INineGridSink {
    RECT dest, source;
    int outside = 0;
    void DrawPiece(const RECT& d, const RECT& s, bool) override {
        outside += Inside(d, dest) && Inside(s, source) ? 0 : 1;
    }
    static bool Inside(const RECT& a, const RECT& b) {
        return a.left >= b.left && a.top >= b.top && a.right <= b.right && a.bottom <= b.bottom;
    }
};

struct PlanEveryImage : IImageDrawSink {
    int outside = 0;
    void DrawImageNow(const ImageDrawParams& p) override {
        CheckingSink sink;
        sink.dest = p.dest;
        sink.source = RECT{0, 0, 8, 8};  // as if the picture were 8 x 8
        RECT source = p.source;
        if (source.left < 0) source.left = 0;
        if (source.top < 0) source.top = 0;
        if (source.right > 8) source.right = 8;
        if (source.bottom > 8) source.bottom = 8;
        PlanNineGrid(
            NineGridInput{p.dest, kItem, source, p.corners, p.hole, p.xtiled, p.ytiled, p.fade == 255}, sink);
        outside += sink.outside;
    }
};

TEST(DrawFuzz, MutatedDescriptionsReadAndPlanInsideTheirRectangles) {
    Mutator mutator(kSeed);
    int outside = 0;
    for (int i = 0; i < kDescriptionIterations; ++i) {
        Bytes mutant = mutator.Mutate(AsBytes(kDescriptions[i % 5]));
        const wchar_t* text = PlaceText(mutant);
        ASSERT_NE(nullptr, text);
        PlanEveryImage planner;
        ImageDrawParams params;
        InitImageDrawParams(params, text, kItem);
        ReadImageDescription(text, kItem, params, &planner);
        planner.DrawImageNow(params);
        outside += planner.outside;
    }
    EXPECT_EQ(0, outside);
}

TEST(DrawFuzz, MutatedDescriptionsDrawWithoutHarm) {
    CWindowHostUI::SetResourceFolder((CorpusPath("")).c_str());
    CWindowHostUI host;
    CDibCanvas canvas(nullptr, 64, 32);
    Mutator mutator(kSeed + 1);
    for (int i = 0; i < kDrawnDescriptions; ++i) {
        Bytes mutant = mutator.Mutate(AsBytes(kDescriptions[i % 5]));
        const wchar_t* text = PlaceText(mutant);
        ASSERT_TRUE(
            CGdiPainter::DrawImageDescription(canvas.DC(), &host, kItem, kItem, text, L"dest='0,0,9,9'"));
    }
    CWindowHostUI::SetResourceFolder(L"");
}

const wchar_t* const kMarkup[] = {
    L"{b}bold{/b} plain {i}it{/i}{u}u{/u} {c #FF0000}red{/c} {f 0}f{/f}{f Arial 14 bold italic}x{/f}",
    L"{a one}link text that wraps{/a}{n}{p 4}para{/p}{r}{b}raw{/r}{s}sel{/s}{x 9}{y 30}end",
    L"<a two>x</a>{<}{>}<{><}>{i rgba.png 4 2}{i file='palette.png' restype='X'}{i}",
    L"aaaa bbbb cccc dddd eeee ffff {a three}gggg hhhh{/a} iiii",
};

TEST(DrawFuzz, MutatedMarkupLaysOutInsideItsRectangle) {
    CWindowHostUI::SetResourceFolder((CorpusPath("")).c_str());
    CWindowHostUI host;
    CDibCanvas canvas(nullptr, 64, 32);
    Mutator mutator(kSeed + 2);
    const UINT styles[] = {DT_SINGLELINE | DT_END_ELLIPSIS, DT_WORDBREAK,
                           DT_CENTER | DT_VCENTER | DT_WORDBREAK, DT_RIGHT | DT_BOTTOM | DT_END_ELLIPSIS};
    for (int i = 0; i < kMarkupIterations; ++i) {
        Bytes mutant = mutator.Mutate(AsBytes(kMarkup[i % 4]));
        const wchar_t* text = PlaceText(mutant);
        RECT links[3];
        CWideString texts[3];
        int count = 3;
        RECT rc = {2, 2, 2 + 10 + i % 50, 30};
        UINT style = styles[i % 4];
        CGdiPainter::DrawMarkupText(canvas.DC(), &host, rc, text, 0xFF000000, links, texts, count, style);
        ASSERT_LE(count, 3) << i;
        RECT measured = rc;
        int none = 0;
        CGdiPainter::DrawMarkupText(canvas.DC(), &host, measured, text, 0, nullptr, nullptr, none,
                                    style | DT_CALCRECT);
        ASSERT_LE(measured.right, rc.right) << i;
    }
    // Thousands of nested and unbalanced tags.
    std::wstring deep;
    for (int i = 0; i < 5000; ++i) deep += L"{b}{c #123456}{p 1}{i}{a x}";
    for (int i = 0; i < 7000; ++i) deep += L"{/a}{/i}{/p}{/c}{/b}{/f}";
    RECT rc = {0, 0, 60, 30};
    int count = 0;
    CGdiPainter::DrawMarkupText(canvas.DC(), &host, rc, deep.c_str(), 0, nullptr, nullptr, count, 0);
    CWindowHostUI::SetResourceFolder(L"");
}

TEST(DrawFuzz, MutatedImagesDecodeOrFailCleanly) {
    std::vector<Bytes> corpus = {ReadCorpus("rgba.png"), ReadCorpus("palette.png"), ReadCorpus("tiny.bmp")};
    Mutator mutator(kSeed + 3);
    int decoded = 0;
    for (int i = 0; i < kDecodeIterations; ++i) {
        Bytes mutant = mutator.Mutate(corpus[i % corpus.size()]);
        const uint8_t* placed = Block().Place(mutant);
        ASSERT_TRUE(placed != nullptr || mutant.empty());
        LoadedImage* image = CGdiPainter::DecodeSkinImage(placed, mutant.size(), 0xFF000000);
        if (image) {
            ++decoded;
            ASSERT_TRUE(image->width > 0 && image->width <= kMaxImageSide && image->height > 0 &&
                        image->height <= kMaxImageSide);
            CGdiPainter::DestroyImage(image);
        }
    }
    std::printf("images: %d of %d mutants decoded\n", decoded, kDecodeIterations);
    EXPECT_GT(decoded, 0);
    EXPECT_LT(decoded, kDecodeIterations);
}

TEST(DrawFuzz, MutatedImagesThroughTheLoaderAndAnArchive) {
    Bytes png = ReadCorpus("rgba.png");
    Mutator mutator(kSeed + 4);
    for (int i = 0; i < kArchiveDecodes; ++i) {
        Bytes mutant = mutator.Mutate(png);
        ZipTestEntry entry{"img.png", std::string(mutant.begin(), mutant.end())};
        entry.deflate = i % 2 == 0;
        Bytes zip = BuildZip({entry});
        if (i % 3 == 0) zip = mutator.Mutate(zip);  // the archive itself damaged too
        CWindowHostUI::UseSkinArchiveFile(L"");
        const uint8_t* placed = Block().Place(zip);
        ASSERT_NE(nullptr, placed);
        CWindowHostUI::UseSkinArchiveMemory(placed, static_cast<unsigned>(zip.size()));
        CGdiPainter::DestroyImage(CGdiPainter::LoadSkinImage(L"img.png", nullptr, 0));
    }
    CWindowHostUI::UseSkinArchiveFile(L"");
}

}  // namespace
