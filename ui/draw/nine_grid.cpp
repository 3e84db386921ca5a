#include "ui/draw/nine_grid.h"

#include <cstdint>

namespace {

int Width(const RECT& r) {
    return r.right - r.left;
}

int Height(const RECT& r) {
    return r.bottom - r.top;
}

// Skin numbers can place an edge anywhere in the int range; a width beyond this would overflow
// the arithmetic below and is no real picture anyway.
constexpr int64_t kLargestSide = 1 << 28;

bool IsSane(const RECT& r) {
    int64_t w = static_cast<int64_t>(r.right) - r.left;
    int64_t h = static_cast<int64_t>(r.bottom) - r.top;
    return w > 0 && h > 0 && w <= kLargestSide && h <= kLargestSide;
}

bool Meets(const RECT& a, const RECT& b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

// Narrows a pair of opposite corners so that they fit inside `limit` together.
void FitCornerPair(LONG& first, LONG& second, int limit) {
    first = first < 0 ? 0 : first;
    second = second < 0 ? 0 : second;
    int64_t sum = static_cast<int64_t>(first) + second;
    if (limit <= 0) {
        first = second = 0;
    } else if (sum > limit) {
        first = static_cast<LONG>(static_cast<int64_t>(first) * limit / sum);
        second = limit - first;
    }
}

class CGridPlanner {
public:
    CGridPlanner(const NineGridInput& in, const RECT& sourceCorners, INineGridSink& sink)
        : m_in(in), m_sink(sink), m_c(in.corners), m_s(sourceCorners) {
        if (!IsSane(in.dest) || !IsSane(in.source)) {
            m_valid = false;
            return;
        }
        if (EqualRect(&in.corners, &sourceCorners)) {
            FitCornerPair(m_c.left, m_c.right,
                          Width(in.dest) < Width(in.source) ? Width(in.dest) : Width(in.source));
            FitCornerPair(m_c.top, m_c.bottom,
                          Height(in.dest) < Height(in.source) ? Height(in.dest) : Height(in.source));
            m_s = m_c;
            return;
        }
        // Corners of their own in the source (a scaled display, or an image drawn for one):
        // each side fits its own rectangle.
        FitCornerPair(m_c.left, m_c.right, Width(in.dest));
        FitCornerPair(m_c.top, m_c.bottom, Height(in.dest));
        FitCornerPair(m_s.left, m_s.right, Width(in.source));
        FitCornerPair(m_s.top, m_s.bottom, Height(in.source));
    }

    void Run() {
        if (!m_valid) {
            return;
        }
        const RECT& d = m_in.dest;
        const RECT& s = m_in.source;
        if (m_in.opaque && Width(d) == Width(s) && Height(d) == Height(s) && IsZero(m_in.corners)) {
            CopyVisiblePart();
            return;
        }
        if (!m_in.hole) {
            Middle();
        }
        Borders();
    }

private:
    static bool IsZero(const RECT& r) { return r.left == 0 && r.top == 0 && r.right == 0 && r.bottom == 0; }

    void CopyVisiblePart() {
        RECT part;
        if (!IntersectRect(&part, &m_in.dest, &m_in.paint)) {
            return;
        }
        LONG x = m_in.source.left + part.left - m_in.dest.left;
        LONG y = m_in.source.top + part.top - m_in.dest.top;
        m_sink.DrawPiece(part, RECT{x, y, x + Width(part), y + Height(part)}, true);
    }

    void Piece(const RECT& dest, const RECT& source) {
        if (Width(dest) > 0 && Height(dest) > 0 && Width(source) > 0 && Height(source) > 0 &&
            Meets(dest, m_in.paint)) {
            m_sink.DrawPiece(dest, source, Width(dest) == Width(source) && Height(dest) == Height(source));
        }
    }

    void Middle() {
        const RECT& d = m_in.dest;
        const RECT& s = m_in.source;
        RECT m = {d.left + m_c.left, d.top + m_c.top, d.right - m_c.right, d.bottom - m_c.bottom};
        RECT n = {s.left + m_s.left, s.top + m_s.top, s.right - m_s.right, s.bottom - m_s.bottom};
        if (Width(n) <= 0 || Height(n) <= 0 || !Meets(m, m_in.paint)) {
            return;
        }
        if (!m_in.xtiled && !m_in.ytiled) {
            Piece(m, n);
            return;
        }
        // An untiled axis spans the whole middle with one stretched tile.
        int stepX = m_in.xtiled ? Width(n) : Width(m);
        int stepY = m_in.ytiled ? Height(n) : Height(m);
        int64_t firstCol = m_in.xtiled ? FirstTile(m.left, m_in.paint.left, stepX) : 0;
        int64_t firstRow = m_in.ytiled ? FirstTile(m.top, m_in.paint.top, stepY) : 0;
        for (int64_t y = m.top + firstRow * stepY; y < m.bottom && y < m_in.paint.bottom; y += stepY) {
            for (int64_t x = m.left + firstCol * stepX; x < m.right && x < m_in.paint.right; x += stepX) {
                Tile(m, n, static_cast<LONG>(x), static_cast<LONG>(y), stepX, stepY);
            }
        }
    }

    // Index of the first tile that reaches past `paintEdge`.
    static int64_t FirstTile(LONG origin, LONG paintEdge, int step) {
        return paintEdge > origin ? (static_cast<int64_t>(paintEdge) - origin) / step : 0;
    }

    // A tile cut at the middle's right or bottom edge has its source cut by the same amount, so
    // tiles are never scaled along a tiled axis.
    void Tile(const RECT& m, const RECT& n, LONG x, LONG y, int stepX, int stepY) {
        RECT dest = {x, y, x + stepX < m.right ? x + stepX : m.right,
                     y + stepY < m.bottom ? y + stepY : m.bottom};
        RECT source = n;
        if (m_in.xtiled) source.right = n.left + Width(dest);
        if (m_in.ytiled) source.bottom = n.top + Height(dest);
        Piece(dest, source);
    }

    void Borders() {
        const RECT& d = m_in.dest;
        const RECT& s = m_in.source;
        LONG cl = m_c.left, ct = m_c.top, cr = m_c.right, cb = m_c.bottom;
        LONG sl = m_s.left, st = m_s.top, sr = m_s.right, sb = m_s.bottom;
        if (cl > 0 && ct > 0)
            Piece({d.left, d.top, d.left + cl, d.top + ct}, {s.left, s.top, s.left + sl, s.top + st});
        if (ct > 0)
            Piece({d.left + cl, d.top, d.right - cr, d.top + ct},
                  {s.left + sl, s.top, s.right - sr, s.top + st});
        if (cr > 0 && ct > 0)
            Piece({d.right - cr, d.top, d.right, d.top + ct}, {s.right - sr, s.top, s.right, s.top + st});
        if (cl > 0)
            Piece({d.left, d.top + ct, d.left + cl, d.bottom - cb},
                  {s.left, s.top + st, s.left + sl, s.bottom - sb});
        if (cr > 0)
            Piece({d.right - cr, d.top + ct, d.right, d.bottom - cb},
                  {s.right - sr, s.top + st, s.right, s.bottom - sb});
        if (cl > 0 && cb > 0)
            Piece({d.left, d.bottom - cb, d.left + cl, d.bottom},
                  {s.left, s.bottom - sb, s.left + sl, s.bottom});
        if (cb > 0)
            Piece({d.left + cl, d.bottom - cb, d.right - cr, d.bottom},
                  {s.left + sl, s.bottom - sb, s.right - sr, s.bottom});
        if (cr > 0 && cb > 0)
            Piece({d.right - cr, d.bottom - cb, d.right, d.bottom},
                  {s.right - sr, s.bottom - sb, s.right, s.bottom});
    }

    const NineGridInput& m_in;
    INineGridSink& m_sink;
    RECT m_c;  // destination corners
    RECT m_s;  // source corners
    bool m_valid = true;
};

}  // namespace

void PlanNineGrid(const NineGridInput& input, INineGridSink& sink) {
    CGridPlanner(input, input.corners, sink).Run();
}

void PlanNineGrid(const NineGridInput& input, const RECT& sourceCorners, INineGridSink& sink) {
    CGridPlanner(input, sourceCorners, sink).Run();
}
