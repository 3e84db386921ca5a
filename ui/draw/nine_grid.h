#pragma once
// Geometry of a nine-grid: how one source rectangle of a bitmap, with four fixed corners, maps
// onto a destination as corners, stretched or tiled edges and a stretched or tiled middle. Pure
// arithmetic: the pieces go to a sink that does the blitting, so tests can check them directly.

#include <windows.h>

struct NineGridInput {
    RECT dest;
    RECT paint;    // only pieces that touch it are produced
    RECT source;   // already limited to the bitmap
    RECT corners;  // left, top, right, bottom widths
    bool hole;
    bool xtiled;
    bool ytiled;
    // Opaque drawing copies a destination of exactly the source's size in one unscaled blit.
    bool opaque;
};

class INineGridSink {
public:
    // `unscaled` pieces have equal destination and source sizes and may be copied as they are.
    virtual void DrawPiece(const RECT& dest, const RECT& source, bool unscaled) = 0;

protected:
    ~INineGridSink() = default;
};

// Corners wider than the destination or the source are narrowed (in proportion) so that no
// piece is drawn outside the destination or read outside the source. Tiles are produced only
// where they meet the paint rectangle, so a huge destination costs no more than its visible
// part, and a source middle of no width or height for a tiled axis produces no middle at all.
void PlanNineGrid(const NineGridInput& input, INineGridSink& sink);

// The same with corners of their own in the source: `input.corners` are then the destination's
// (a skin's corners scaled to the display) and `sourceCorners` the bitmap's (the same corners
// at the scale the image was drawn for). Each pair is narrowed to fit its own rectangle.
void PlanNineGrid(const NineGridInput& input, const RECT& sourceCorners, INineGridSink& sink);
