#include "ui/draw/gdi_objects.h"

#include <gdiplus.h>

CClipScope::CClipScope(HDC dc, const RECT& rc) : m_dc(dc), m_clip(CreateRectRgnIndirect(&rc)) {
    Apply();
}

CClipScope::CClipScope(HDC dc, HRGN region) : m_dc(dc), m_clip(region) {
    Apply();
}

void CClipScope::Apply() {
    // GetClipRgn answers 1 when the DC has a clip region and 0 when it has none.
    m_saved.Reset(CreateRectRgn(0, 0, 0, 0));
    if (GetClipRgn(m_dc, m_saved.Get()) != 1) {
        m_saved.Reset();
    }
    ExtSelectClipRgn(m_dc, m_clip.Get(), RGN_AND);
    m_effective.Reset(CreateRectRgn(0, 0, 0, 0));
    GetClipRgn(m_dc, m_effective.Get());
}

void CClipScope::Reselect() const {
    SelectClipRgn(m_dc, m_effective.Get());
}

CClipScope::~CClipScope() {
    SelectClipRgn(m_dc, m_saved.Get());
}

CGdiplusSession::CGdiplusSession() {
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    if (Gdiplus::GdiplusStartup(&token, &input, nullptr) == Gdiplus::Ok) {
        m_token = token;
    }
}

CGdiplusSession::~CGdiplusSession() {
    if (m_token) {
        Gdiplus::GdiplusShutdown(m_token);
    }
}
