// CGdiPainter: one run of text in one font, through GDI or, for layered windows and skins that
// ask for it, through GDI+ (anti-aliased, with an alpha the layered path keeps).

#include "ui/core/window_host.h"
#include "ui/draw/color_convert.h"
#include "ui/draw/gdi_objects.h"
#include "ui/draw/gdi_painter.h"
#include "ui/draw/gdiplus_objects.h"

using namespace Gdiplus::DllExports;

namespace {

constexpr int kAntiAliasHint = 4;
constexpr int kEllipsisTrimming = 3;
// GDI+ text keeps an alpha of 254: the alpha repair of layered windows leaves it alone.
constexpr DWORD kGdiplusTextAlpha = 0xFE000000;

Gdiplus::StringAlignment HorizontalAlignment(UINT style) {
    if (style & DT_CENTER) return Gdiplus::StringAlignmentCenter;
    if (style & DT_RIGHT) return Gdiplus::StringAlignmentFar;
    return Gdiplus::StringAlignmentNear;
}

Gdiplus::StringAlignment VerticalAlignment(UINT style) {
    if (style & DT_VCENTER) return Gdiplus::StringAlignmentCenter;
    if (style & DT_BOTTOM) return Gdiplus::StringAlignmentFar;
    return Gdiplus::StringAlignmentNear;
}

bool MakeFormat(UINT style, CGdiplusStringFormat& format) {
    Gdiplus::GpStringFormat* generic = nullptr;
    if (GdipStringFormatGetGenericTypographic(&generic) != Gdiplus::Ok ||
        GdipCloneStringFormat(generic, format.Out()) != Gdiplus::Ok) {
        return false;
    }
    if (style & DT_END_ELLIPSIS) {
        GdipSetStringFormatTrimming(format.Get(), static_cast<Gdiplus::StringTrimming>(kEllipsisTrimming));
    }
    INT flags = 0;
    if (style & DT_NOCLIP) flags |= Gdiplus::StringFormatFlagsNoClip;
    if (style & DT_SINGLELINE) flags |= Gdiplus::StringFormatFlagsNoWrap;
    GdipSetStringFormatFlags(format.Get(), flags);
    GdipSetStringFormatAlign(format.Get(), HorizontalAlignment(style));
    GdipSetStringFormatLineAlign(format.Get(), VerticalAlignment(style));
    return true;
}

using CGdiplusFamily = CGdiplusObject<Gdiplus::GpFontFamily, GdipDeleteFontFamily>;

// The first TrueType family installed: the last resort where the GDI font's name is only a
// substitute that GDI+ cannot resolve (Wine maps "MS Shell Dlg" outside GDI+'s reach).
bool FirstInstalledFamily(CGdiplusFamily& out) {
    Gdiplus::GpFontCollection* installed = nullptr;
    INT count = 0, found = 0;
    Gdiplus::GpFontFamily* first = nullptr;
    if (GdipNewInstalledFontCollection(&installed) != Gdiplus::Ok ||
        GdipGetFontCollectionFamilyCount(installed, &count) != Gdiplus::Ok || count <= 0 ||
        GdipGetFontCollectionFamilyList(installed, 1, &first, &found) != Gdiplus::Ok || found != 1) {
        return false;
    }
    return GdipCloneFontFamily(first, out.Out()) == Gdiplus::Ok;
}

// A GDI+ font from the GDI font. The wide LOGFONT keeps face names outside the ANSI code page.
// GDI+ refuses a face that is no TrueType font by that name (the stock GUI font's "MS Shell Dlg"
// is a substitute name); then the face GDI really selected is used at the same pixel size.
bool MakeFont(HDC dc, HFONT font, CGdiplusFont& out) {
    LOGFONTW logFont = {};
    bool described = font && GetObjectW(font, sizeof(logFont), &logFont) == sizeof(logFont);
    if (described && GdipCreateFontFromLogfontW(dc, &logFont, out.Out()) == Gdiplus::Ok) {
        return true;
    }
    wchar_t face[LF_FACESIZE] = L"";
    TEXTMETRICW metrics = {};
    {
        CSelectScope select(dc, font);
        GetTextFaceW(dc, LF_FACESIZE, face);
        GetTextMetricsW(dc, &metrics);
    }
    CGdiplusFamily family;
    if (GdipCreateFontFamilyFromName(face, nullptr, family.Out()) != Gdiplus::Ok &&
        !FirstInstalledFamily(family)) {
        return false;
    }
    INT style = (metrics.tmWeight >= FW_BOLD ? Gdiplus::FontStyleBold : 0) |
                (metrics.tmItalic ? Gdiplus::FontStyleItalic : 0) |
                (metrics.tmUnderlined ? Gdiplus::FontStyleUnderline : 0);
    float size = static_cast<float>(metrics.tmHeight - metrics.tmInternalLeading);
    return GdipCreateFont(family.Get(), size > 0 ? size : 11.0f, style, Gdiplus::UnitPixel, out.Out()) ==
           Gdiplus::Ok;
}

void DrawWithGdiplus(HDC dc, HFONT font, RECT& rc, const wchar_t* text, DWORD argb, UINT style) {
    CGdiplusGraphics graphics;
    CGdiplusFont gpFont;
    CGdiplusBrush brush;
    CGdiplusStringFormat format;
    if (GdipCreateFromHDC(dc, graphics.Out()) != Gdiplus::Ok || !MakeFont(dc, font, gpFont) ||
        GdipCreateSolidFill((argb & 0x00FFFFFF) | kGdiplusTextAlpha,
                            reinterpret_cast<Gdiplus::GpSolidFill**>(brush.Out())) != Gdiplus::Ok ||
        !MakeFormat(style, format)) {
        return;
    }
    GdipSetTextRenderingHint(graphics.Get(), static_cast<Gdiplus::TextRenderingHint>(kAntiAliasHint));
    Gdiplus::RectF layout(static_cast<float>(rc.left), static_cast<float>(rc.top),
                          static_cast<float>(rc.right - rc.left), static_cast<float>(rc.bottom - rc.top));
    if (style & DT_CALCRECT) {
        Gdiplus::RectF bounds;
        GdipMeasureString(graphics.Get(), text, -1, gpFont.Get(), &layout, format.Get(), &bounds, nullptr,
                          nullptr);
        rc.right = rc.left + static_cast<LONG>(bounds.Width) + 1;
        rc.bottom = rc.top + static_cast<LONG>(bounds.Height) + 1;
        return;
    }
    GdipDrawString(graphics.Get(), text, -1, gpFont.Get(), &layout, format.Get(), brush.Get());
}

}  // namespace

void CGdiPainter::DrawPlainText(HDC dc, CWindowHostUI* host, RECT& rc, const wchar_t* text, DWORD argb,
                                int font, UINT style) {
    if (dc == nullptr || host == nullptr || text == nullptr) {
        return;
    }
    HFONT hfont = host->FontAt(font);
    if (host->IsLayeredPaint() || host->UsesGdiplusText()) {
        DrawWithGdiplus(dc, hfont, rc, text, argb, style);
        return;
    }
    int previousMode = SetBkMode(dc, TRANSPARENT);
    COLORREF previousColor = SetTextColor(dc, ToColorRef(argb));
    {
        CSelectScope select(dc, hfont);
        DrawTextW(dc, text, -1, &rc, style | DT_NOPREFIX);
    }
    SetTextColor(dc, previousColor);
    SetBkMode(dc, previousMode);
}
