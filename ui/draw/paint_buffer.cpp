#include "ui/draw/paint_buffer.h"

bool CPaintBuffer::Ensure(HDC reference, Kind kind, SIZE size) {
    if (IsReady() && m_kind == kind && m_size.cx == size.cx && m_size.cy == size.cy) {
        return true;
    }
    Reset();
    if (size.cx <= 0 || size.cy <= 0 || !Create(reference, kind, size)) {
        Reset();
        return false;
    }
    return true;
}

bool CPaintBuffer::Create(HDC reference, Kind kind, SIZE size) {
    m_dc = CreateCompatibleDC(reference);
    if (!m_dc) {
        return false;
    }
    if (kind == Kind::Compatible) {
        m_bitmap = CreateCompatibleBitmap(reference, size.cx, size.cy);
    } else {
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = size.cx;
        info.bmiHeader.biHeight = -size.cy;  // rows top-down
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        info.bmiHeader.biSizeImage = static_cast<DWORD>(size.cx) * static_cast<DWORD>(size.cy) * 4;
        void* bits = nullptr;
        m_bitmap = CreateDIBSection(reference, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        m_bits = static_cast<DWORD*>(bits);
        if (m_bitmap && !m_bits) {
            return false;
        }
    }
    m_kind = kind;
    m_size = size;
    return m_bitmap != nullptr;
}

void CPaintBuffer::Reset() {
    if (m_bitmap) {
        DeleteObject(m_bitmap);
    }
    if (m_dc) {
        DeleteDC(m_dc);
    }
    m_dc = nullptr;
    m_bitmap = nullptr;
    m_bits = nullptr;
    m_size = SIZE{0, 0};
}
