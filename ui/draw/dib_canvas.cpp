#include "ui/draw/dib_canvas.h"

HBITMAP CreateTopDownDib(int width, int height, uint32_t** pixels) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    info.bmiHeader.biSizeImage = static_cast<DWORD>(width) * static_cast<DWORD>(height) * 4;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap && bits == nullptr) {
        DeleteObject(bitmap);
        bitmap = nullptr;
    }
    *pixels = bitmap ? static_cast<uint32_t*>(bits) : nullptr;
    return bitmap;
}

CDibCanvas::CDibCanvas(HDC compatible, int width, int height) : m_dc(compatible) {
    uint32_t* pixels = nullptr;
    m_bitmap.Reset(CreateTopDownDib(width, height, &pixels));
    if (m_bitmap && m_dc.Get()) {
        m_pixels = pixels;
        m_previous = SelectObject(m_dc.Get(), m_bitmap.Get());
    }
}

CDibCanvas::~CDibCanvas() {
    if (m_previous) {
        SelectObject(m_dc.Get(), m_previous);
    }
}
