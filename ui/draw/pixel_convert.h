#pragma once
// Pixel arithmetic of the drawing routines, kept apart from GDI so it is tested directly:
// decoded RGBA to premultiplied BGRA with the colour key, the blend that stands in for
// AlphaBlend, and the alpha clean-up of layered-window buffers.

#include <windows.h>

#include <cstddef>
#include <cstdint>

// Converts `count` pixels of 8-bit R, G, B, A into 0xAARRGGBB values with the colours
// premultiplied by alpha; a converted pixel equal to `mask` (alpha included) becomes 0.
// Returns true when some pixel is not fully opaque or was cleared by the mask.
bool ConvertToPremultiplied(const uint8_t* rgba, uint32_t* out, size_t count, DWORD mask);

// One pixel of a source-over blend of a premultiplied source with constant alpha k:
// each channel becomes src * k / 255 + dst * (1 - k * srcAlpha / 255^2), alpha included,
// which is what AlphaBlend with per-pixel alpha computes.
uint32_t BlendPremultiplied(uint32_t src, uint32_t dst, BYTE constantAlpha);

// The same for a source without per-pixel alpha (every source pixel counts as opaque).
uint32_t BlendOpaque(uint32_t src, uint32_t dst, BYTE constantAlpha);
