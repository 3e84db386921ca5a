#include "ui/draw/pixel_resample.h"

#include <algorithm>
#include <new>
#include <vector>

namespace {

// The source pixels one target pixel covers along an axis, with their weights (summing to 1).
struct Span {
    int first = 0;
    std::vector<float> weights;
};

std::vector<Span> Spans(int sourceLength, int targetLength) {
    std::vector<Span> spans(static_cast<size_t>(targetLength));
    const double step = static_cast<double>(sourceLength) / targetLength;
    for (int t = 0; t < targetLength; ++t) {
        const double from = t * step;
        const double to = from + step;
        Span& span = spans[static_cast<size_t>(t)];
        span.first = static_cast<int>(from);
        for (int s = span.first; s < sourceLength && s < to; ++s) {
            const double lo = s > from ? s : from;
            const double hi = s + 1 < to ? s + 1 : to;
            span.weights.push_back(static_cast<float>((hi - lo) / step));
        }
    }
    return spans;
}

uint32_t Pack(const float* channels) {
    uint32_t pixel = 0;
    for (int c = 0; c < 4; ++c) {
        float v = channels[c] + 0.5f;
        uint32_t byte = v <= 0 ? 0 : (v >= 255 ? 255 : static_cast<uint32_t>(v));
        pixel |= byte << (8 * c);
    }
    return pixel;
}

}  // namespace

namespace {

void Resample(const uint32_t* source, int sw, int sh, uint32_t* target, int dw, int dh) {
    const std::vector<Span> columns = Spans(sw, dw);
    const std::vector<Span> rows = Spans(sh, dh);
    // Columns first: one row of the source becomes one row of the target's width.
    std::vector<float> across(static_cast<size_t>(dw) * sh * 4);
    for (int y = 0; y < sh; ++y) {
        const uint32_t* in = source + static_cast<size_t>(y) * sw;
        float* out = &across[static_cast<size_t>(y) * dw * 4];
        for (int x = 0; x < dw; ++x) {
            const Span& span = columns[static_cast<size_t>(x)];
            for (size_t k = 0; k < span.weights.size(); ++k) {
                const uint32_t pixel = in[span.first + static_cast<int>(k)];
                for (int c = 0; c < 4; ++c) out[x * 4 + c] += span.weights[k] * static_cast<float>(pixel >> (8 * c) & 0xFF);
            }
        }
    }
    std::vector<float> sum(static_cast<size_t>(dw) * 4);
    for (int y = 0; y < dh; ++y) {
        const Span& span = rows[static_cast<size_t>(y)];
        std::fill(sum.begin(), sum.end(), 0.0f);
        for (size_t k = 0; k < span.weights.size(); ++k) {
            const float* in = &across[static_cast<size_t>(span.first + static_cast<int>(k)) * dw * 4];
            for (int i = 0; i < dw * 4; ++i) sum[static_cast<size_t>(i)] += span.weights[k] * in[i];
        }
        for (int x = 0; x < dw; ++x) target[static_cast<size_t>(y) * dw + x] = Pack(&sum[static_cast<size_t>(x) * 4]);
    }
}

}  // namespace

bool ResampleByArea(const uint32_t* source, int sw, int sh, uint32_t* target, int dw, int dh) {
    if (!source || !target || sw <= 0 || sh <= 0 || dw <= 0 || dh <= 0) {
        return false;
    }
    // The working rows are the only allocations; running out of memory is a failure to report,
    // not an exception to leak out of the drawing code.
    try {
        Resample(source, sw, sh, target, dw, dh);
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}
