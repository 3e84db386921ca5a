#pragma once
// Owners for the GDI+ flat-API objects the drawing routines create per call.

#include <windows.h>

#include <gdiplus.h>

template <typename Object, Gdiplus::GpStatus(WINGDIPAPI* Delete)(Object*)>
class CGdiplusObject {
public:
    CGdiplusObject() = default;
    ~CGdiplusObject() {
        if (m_object) {
            Delete(m_object);
        }
    }
    CGdiplusObject(const CGdiplusObject&) = delete;
    CGdiplusObject& operator=(const CGdiplusObject&) = delete;

    Object* Get() const { return m_object; }
    // For the creating call's out parameter; only on an empty owner.
    Object** Out() { return &m_object; }

private:
    Object* m_object = nullptr;
};

using CGdiplusGraphics = CGdiplusObject<Gdiplus::GpGraphics, Gdiplus::DllExports::GdipDeleteGraphics>;
using CGdiplusBrush = CGdiplusObject<Gdiplus::GpBrush, Gdiplus::DllExports::GdipDeleteBrush>;
using CGdiplusFont = CGdiplusObject<Gdiplus::GpFont, Gdiplus::DllExports::GdipDeleteFont>;
using CGdiplusStringFormat =
    CGdiplusObject<Gdiplus::GpStringFormat, Gdiplus::DllExports::GdipDeleteStringFormat>;
