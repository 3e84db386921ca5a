#pragma once
// The timing of an animated image, apart from GDI+: reading the frame-delay property that GDI+
// hands out as one block, the delay of each frame and the step to the next frame. Files come
// from skins and the file system, so nothing in a block is trusted.

#include <windows.h>

#include <cstddef>
#include <cstdint>

// Frames without a delay of their own (a still image, a delay of 0, a delay array shorter than
// the frame count) are shown this long.
constexpr UINT kDefaultFrameDelayMs = 100;

// The delays of a frame-delay property block: one 32-bit value per frame, in hundredths of a
// second. Empty unless the block is a well-formed property item whose values lie inside it.
struct FrameDelays {
    const unsigned char* values = nullptr;  // `count` values, not necessarily aligned
    size_t count = 0;
};
FrameDelays ReadFrameDelays(const void* block, size_t blockSize);

// Milliseconds to show `frame`, at most the longest timer interval Windows accepts.
UINT FrameDelayMs(const FrameDelays& delays, uint32_t frame);

// The frame after `frame`, wrapping around. An image without frames never advances.
uint32_t NextFrame(uint32_t frame, uint32_t frameCount);
