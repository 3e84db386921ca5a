#pragma once
// An off-screen drawing surface: a memory DC with a bitmap of a fixed size. The host paints
// its tree into one and copies the dirty part to the window (or pushes it whole to a layered
// window). The bitmap is selected into the DC only while a paint runs (see Select).

#include <windows.h>

class CPaintBuffer {
public:
    enum class Kind {
        Compatible,  // CreateCompatibleBitmap: the normal path
        TopDownDib,  // 32-bit top-down DIB section with reachable pixels: the layered path
    };

    CPaintBuffer() = default;
    ~CPaintBuffer() { Reset(); }
    CPaintBuffer(const CPaintBuffer&) = delete;
    CPaintBuffer& operator=(const CPaintBuffer&) = delete;

    // Keeps the buffer when it already has this kind and size, otherwise makes a new one.
    // False when nothing usable exists afterwards (empty size, or the system refused).
    bool Ensure(HDC reference, Kind kind, SIZE size);
    void Reset();

    bool IsReady() const { return m_dc && m_bitmap; }
    HDC DC() const { return m_dc; }
    HBITMAP Bitmap() const { return m_bitmap; }
    // The DIB's pixels, rows of Size().cx pixels; null for a compatible bitmap.
    DWORD* Bits() const { return m_bits; }
    SIZE Size() const { return m_size; }

private:
    bool Create(HDC reference, Kind kind, SIZE size);

    HDC m_dc = nullptr;
    HBITMAP m_bitmap = nullptr;
    DWORD* m_bits = nullptr;
    Kind m_kind = Kind::Compatible;
    SIZE m_size = {0, 0};
};
