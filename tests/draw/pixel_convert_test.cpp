// Pixel arithmetic: premultiplication with the colour key, the blend, layered-buffer alpha.
#include <gtest/gtest.h>

#include <vector>

#include "ui/draw/pixel_convert.h"
#include "ui/draw/pixel_resample.h"

namespace {

TEST(PixelConvert, PremultipliesAndKeysWithAlphaIncluded) {
    struct Case {
        uint8_t rgba[4];
        DWORD mask;
        uint32_t expected;
        bool hasAlpha;
    } cases[] = {
        {{200, 100, 50, 255}, 0, 0xFFC86432, false},
        {{200, 100, 50, 128}, 0, 0x80643219, true},  // 200*128/255 = 100.39 -> 100
        {{255, 255, 255, 0}, 0xFFFFFFFF, 0x00000000, true},
        {{255, 0, 255, 255}, 0xFFFF00FF, 0x00000000, true},   // opaque magenta keyed
        {{255, 0, 255, 255}, 0x00FF00FF, 0xFFFF00FF, false},  // a key without alpha never matches
    };
    for (const Case& c : cases) {
        uint32_t out = 1;
        EXPECT_EQ(c.hasAlpha, ConvertToPremultiplied(c.rgba, &out, 1, c.mask));
        EXPECT_EQ(c.expected, out) << std::hex << c.expected;
    }
}

TEST(PixelConvert, BlendOfPremultipliedSourceIsNotDarkenedTwice) {
    // dst = src * k/255 + dst * (1 - k * srcAlpha / 255^2), per channel, alpha included.
    struct Case {
        uint32_t src, dst;
        BYTE k;
        uint32_t expected;
    } cases[] = {
        {0x80800000, 0xFF0000FF, 255, 0xFF80007F},  // half-transparent premultiplied red over blue
        {0xFF00FF00, 0xFF0000FF, 128, 0xFF00807F},  // opaque green faded to half
        {0x80800000, 0xFF0000FF, 0, 0xFF0000FF},    // fade 0 leaves the destination
        {0x00000000, 0xFF123456, 255, 0xFF123456},  // fully transparent source
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.expected, BlendPremultiplied(c.src, c.dst, c.k))
            << std::hex << c.src << " k " << int(c.k);
    }
    EXPECT_EQ(0xFF807F00u, BlendOpaque(0x00FF0000, 0xFF00FF00, 128));  // source alpha ignored
}

}  // namespace

TEST(ResampleByArea, AveragesCoveredAreaOfPremultipliedPixels) {
    const uint32_t red = 0xFFFF0000, blue = 0xFF0000FF, mix = 0xFF800080;
    const struct {
        std::vector<uint32_t> source, expected;
        int sw, sh, dw, dh;
    } cases[] = {
        {{red, blue}, {mix}, 2, 1, 1, 1},
        {{red, 0}, {0x80800000}, 2, 1, 1, 1},  // transparency stays premultiplied
        {{red, red, blue}, {red, 0xFF5500AA}, 3, 1, 2, 1},
        {{red, blue, red, blue}, {red, mix, blue, red, mix, blue, red, mix, blue}, 2, 2, 3, 3},
    };
    for (const auto& c : cases) {
        std::vector<uint32_t> out(static_cast<size_t>(c.dw) * c.dh, 0x12345678);
        ASSERT_TRUE(ResampleByArea(c.source.data(), c.sw, c.sh, out.data(), c.dw, c.dh));
        EXPECT_EQ(out, c.expected) << c.sw << "x" << c.sh << " -> " << c.dw << "x" << c.dh;
    }
    EXPECT_FALSE(ResampleByArea(&red, 0, 1, std::vector<uint32_t>(1).data(), 1, 1));
}
