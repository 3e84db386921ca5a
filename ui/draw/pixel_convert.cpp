#include "ui/draw/pixel_convert.h"

namespace {

uint32_t Channel(uint32_t pixel, int shift) {
    return (pixel >> shift) & 0xFF;
}

}  // namespace

bool ConvertToPremultiplied(const uint8_t* rgba, uint32_t* out, size_t count, DWORD mask) {
    bool hasAlpha = false;
    for (size_t i = 0; i < count; ++i, rgba += 4) {
        uint32_t r = rgba[0], g = rgba[1], b = rgba[2], a = rgba[3];
        if (a < 255) {
            r = r * a / 255;
            g = g * a / 255;
            b = b * a / 255;
            hasAlpha = true;
        }
        uint32_t pixel = a << 24 | r << 16 | g << 8 | b;
        if (pixel == mask) {
            pixel = 0;
            hasAlpha = true;
        }
        out[i] = pixel;
    }
    return hasAlpha;
}

uint32_t BlendPremultiplied(uint32_t src, uint32_t dst, BYTE constantAlpha) {
    // Both factors are scaled by 255^2 so the whole sum is rounded once.
    const uint32_t k = constantAlpha;
    const uint32_t keep = 255 * 255 - k * Channel(src, 24);
    uint32_t result = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        uint32_t value =
            (Channel(src, shift) * k * 255 + Channel(dst, shift) * keep + 255 * 255 / 2) / (255 * 255);
        result |= (value > 255 ? 255 : value) << shift;
    }
    return result;
}

uint32_t BlendOpaque(uint32_t src, uint32_t dst, BYTE constantAlpha) {
    return BlendPremultiplied(src | 0xFF000000, dst, constantAlpha);
}
