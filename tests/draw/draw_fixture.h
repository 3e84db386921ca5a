#pragma once
// Helpers of the drawing tests: a 32-bit memory canvas whose pixels can be read back, PNG files
// made on the fly in a private folder that serves as the resource folder, and a window host
// (without a window) whose image cache decodes with the real loader.

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "ui/core/window_host.h"
#include "ui/draw/dib_canvas.h"
#include "ui/draw/gdi_objects.h"
#include "ui/draw/gdi_painter.h"

// Pixels are 0xAARRGGBB, top-down.
class Canvas {
public:
    Canvas(int width, int height, uint32_t fill = 0xFF000000);
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    HDC DC() const { return m_dib.DC(); }
    int Width() const { return m_width; }
    int Height() const { return m_height; }
    uint32_t At(int x, int y) const;
    void Fill(uint32_t argb);
    // Number of pixels inside `rc` that differ from `value` (colour bytes only when rgbOnly).
    int CountOther(const RECT& rc, uint32_t value, bool rgbOnly = true) const;
    // Bounding box of the pixels whose colour is not `background`; empty when there are none.
    RECT InkBounds(uint32_t background) const;
    RECT Whole() const { return RECT{0, 0, m_width, m_height}; }

private:
    int m_width;
    int m_height;
    CDibCanvas m_dib;
    uint32_t* m_pixels;
};

// RGBA pixels, row by row.
using RgbaPixels = std::vector<uint32_t>;  // each 0xAABBGGRR as bytes R, G, B, A in memory

uint32_t Rgba(uint8_t r, uint8_t g, uint8_t b, uint8_t a = 255);
std::vector<uint8_t> EncodePng(const RgbaPixels& pixels, int width, int height);

// A fresh folder that becomes the process's resource folder (loose skin files).
class SkinFolder {
public:
    SkinFolder();
    ~SkinFolder();
    SkinFolder(const SkinFolder&) = delete;
    SkinFolder& operator=(const SkinFolder&) = delete;

    const std::wstring& Path() const { return m_path; }
    void Write(const wchar_t* name, const std::vector<uint8_t>& bytes) const;
    void WritePng(const wchar_t* name, const RgbaPixels& pixels, int width, int height) const;

private:
    std::wstring m_path;
};

// A host with no window whose image cache decodes with CGdiPainter::LoadSkinImage.
class DrawHost {
public:
    DrawHost() { m_host.SetImageLoader(&CGdiPainter::LoadSkinImage); }
    CWindowHostUI* operator->() { return &m_host; }
    CWindowHostUI* Get() { return &m_host; }

private:
    CWindowHostUI m_host;
};
