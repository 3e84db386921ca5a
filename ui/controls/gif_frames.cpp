#include "ui/controls/gif_frames.h"

#include <objidl.h>

#include <cstring>

#include <gdiplus.h>

FrameDelays ReadFrameDelays(const void* block, size_t blockSize) {
    FrameDelays delays;
    if (block == nullptr || blockSize < sizeof(Gdiplus::PropertyItem)) {
        return delays;
    }
    const auto* item = static_cast<const Gdiplus::PropertyItem*>(block);
    const auto* begin = static_cast<const unsigned char*>(block);
    const auto* values = static_cast<const unsigned char*>(item->value);
    // The values must lie inside the block: a property item that points elsewhere, or claims
    // more bytes than were copied, would be read past its end.
    if (values == nullptr || values < begin || values > begin + blockSize ||
        item->length > static_cast<size_t>(begin + blockSize - values)) {
        return delays;
    }
    delays.values = values;
    delays.count = item->length / sizeof(uint32_t);
    return delays;
}

UINT FrameDelayMs(const FrameDelays& delays, uint32_t frame) {
    uint32_t hundredths = 0;
    if (frame < delays.count) {
        memcpy(&hundredths, delays.values + frame * sizeof(uint32_t), sizeof(hundredths));
    }
    if (hundredths == 0) {
        return kDefaultFrameDelayMs;
    }
    uint64_t ms = static_cast<uint64_t>(hundredths) * 10;
    return ms > USER_TIMER_MAXIMUM ? USER_TIMER_MAXIMUM : static_cast<UINT>(ms);
}

uint32_t NextFrame(uint32_t frame, uint32_t frameCount) {
    return frameCount == 0 ? frame : (frame + 1) % frameCount;
}
