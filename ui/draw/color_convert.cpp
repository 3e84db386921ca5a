#include "ui/draw/color_convert.h"

#include "ui/draw/gdi_painter.h"

namespace {

double Clamp01(double v) {
    return v < 0 ? 0 : (v > 1 ? 1 : v);
}

double HueToChannel(double p, double q, double t) {
    if (t < 0) t += 1;
    if (t > 1) t -= 1;
    if (t < 1.0 / 6) return p + (q - p) * 6 * t;
    if (t < 0.5) return q;
    if (t < 2.0 / 3) return p + (q - p) * (2.0 / 3 - t) * 6;
    return p;
}

DWORD ToByte(double v) {
    return static_cast<DWORD>(Clamp01(v) * 255 + 0.5);
}

}  // namespace

HslColor RgbToHsl(DWORD argb) {
    double r = ((argb >> 16) & 0xFF) / 255.0, g = ((argb >> 8) & 0xFF) / 255.0, b = (argb & 0xFF) / 255.0;
    double high = r > g ? (r > b ? r : b) : (g > b ? g : b);
    double low = r < g ? (r < b ? r : b) : (g < b ? g : b);
    HslColor hsl = {0, 0, (high + low) / 2};
    double delta = high - low;
    if (delta <= 0) {
        return hsl;
    }
    hsl.saturation = hsl.lightness > 0.5 ? delta / (2 - high - low) : delta / (high + low);
    double h = high == r ? (g - b) / delta + (g < b ? 6 : 0)
                         : (high == g ? (b - r) / delta + 2 : (r - g) / delta + 4);
    hsl.hue = h * 60;
    return hsl;
}

DWORD HslToRgb(const HslColor& hsl, BYTE alpha) {
    double s = Clamp01(hsl.saturation), l = Clamp01(hsl.lightness);
    double r = l, g = l, b = l;
    if (s > 0) {
        double q = l < 0.5 ? l * (1 + s) : l + s - l * s;
        double p = 2 * l - q;
        double t = hsl.hue / 360;
        r = HueToChannel(p, q, t + 1.0 / 3);
        g = HueToChannel(p, q, t);
        b = HueToChannel(p, q, t - 1.0 / 3);
    }
    return static_cast<DWORD>(alpha) << 24 | ToByte(r) << 16 | ToByte(g) << 8 | ToByte(b);
}

DWORD CGdiPainter::AdjustColorHsl(DWORD argb, short hue, short saturation, short lightness) {
    if (hue == 180 && saturation == 100 && lightness == 100) {
        return argb;
    }
    HslColor hsl = RgbToHsl(argb);
    hsl.hue += hue - 180;
    while (hsl.hue > 360) hsl.hue -= 360;
    while (hsl.hue <= 0) hsl.hue += 360;
    hsl.saturation *= saturation / 100.0;
    hsl.lightness *= lightness / 100.0;
    return HslToRgb(hsl, static_cast<BYTE>(argb >> 24));
}
