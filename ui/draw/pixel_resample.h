#pragma once
// Resizing a premultiplied 32-bit picture by area averaging: each target pixel is the mean of
// the source area it covers, weighted by how much of each source pixel lies inside. Downscaling
// keeps thin lines as lighter lines instead of dropping them, and averaging premultiplied
// channels keeps transparent pixels from darkening their neighbours. Pure arithmetic, so it is
// tested without GDI.

#include <cstdint>

// Fills the dw x dh target from the sw x sh source (rows packed, 0xAARRGGBB). False when a
// size is not positive (nothing written) or memory runs out (the target is not to be used).
bool ResampleByArea(const uint32_t* source, int sw, int sh, uint32_t* target, int dw, int dh);
