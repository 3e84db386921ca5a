#include "ui/draw/paint_buffer.h"

#include "ui/draw/dib_canvas.h"

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
        uint32_t* bits = nullptr;
        m_bitmap = CreateTopDownDib(size.cx, size.cy, &bits);
        m_bits = reinterpret_cast<DWORD*>(bits);
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
