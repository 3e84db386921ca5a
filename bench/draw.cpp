// Drawing costs: the first load of the updater skin's three images (decode and conversion)
// against drawing them again from the host's cache, with the decode count; the window
// background's nine-grid at 300 x 160 and 1920 x 1080; DrawMarkupText over 10 KB of mark-up;
// and stb_image's decode throughput against GDI+'s for the same PNG.
//
// The images are made here with the updater skin's sizes and a noisy gradient, so they
// compress like real artwork rather than like flat colour.

#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image.h>
#include <stb_image_write.h>

#include <windows.h>

#include <gdiplus.h>
#include <shlwapi.h>

#include <cstdio>
#include <string>
#include <vector>

#include "ui/core/window_host.h"
#include "ui/draw/dib_canvas.h"
#include "ui/draw/gdi_objects.h"
#include "ui/draw/gdi_painter.h"

namespace {

double Now() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) / static_cast<double>(frequency.QuadPart);
}

void Append(void* context, void* data, int size) {
    auto* out = static_cast<std::vector<unsigned char>*>(context);
    out->insert(out->end(), static_cast<unsigned char*>(data), static_cast<unsigned char*>(data) + size);
}

// `alphaBorder`: the outer four pixels are half transparent, which sends every piece of a nine-grid
// through the alpha blend instead of plain copies.
std::vector<unsigned char> MakePng(int width, int height, bool alphaBorder) {
    std::vector<unsigned char> rgba(static_cast<size_t>(width) * height * 4);
    unsigned seed = 12345;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            seed = seed * 1103515245 + 12345;
            unsigned char* p = &rgba[(static_cast<size_t>(y) * width + x) * 4];
            p[0] = static_cast<unsigned char>(x * 255 / width + (seed >> 28));
            p[1] = static_cast<unsigned char>(y * 255 / height);
            p[2] = static_cast<unsigned char>(128 + (seed >> 29));
            p[3] = static_cast<unsigned char>(alphaBorder && (x < 4 || y < 4) ? 160 : 255);
        }
    }
    std::vector<unsigned char> png;
    stbi_write_png_to_func(&Append, &png, width, height, 4, rgba.data(), width * 4);
    return png;
}

void WriteBytes(const std::wstring& path, const std::vector<unsigned char>& bytes) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
}

class Canvas {
public:
    Canvas(int width, int height) : m_dib(nullptr, width, height) {}
    HDC DC() const { return m_dib.DC(); }

private:
    CDibCanvas m_dib;
};

const wchar_t* const kImages[] = {L"file='download_bg.png' corner='8,32,8,10'",
                                  L"file='button.png' source='52,0,104,20' corner='4,4,4,4'",
                                  L"file='progress_fore.png'"};

void DrawSkinImages(CWindowHostUI& host, Canvas& canvas) {
    RECT window = {0, 0, 300, 160}, button = {150, 120, 280, 142}, bar = {10, 90, 290, 100};
    CGdiPainter::DrawImageDescription(canvas.DC(), &host, window, window, kImages[0], nullptr);
    CGdiPainter::DrawImageDescription(canvas.DC(), &host, button, button, kImages[1], nullptr);
    CGdiPainter::DrawImageDescription(canvas.DC(), &host, bar, bar, kImages[2], L"dest='0,0,140,10'");
}

void FirstLoadAgainstCachedDraw() {
    const int kHosts = 20, kCachedDraws = 2000;
    Canvas canvas(300, 160);
    int decodesBefore = CGdiPainter::DecodeCount();
    double first = 0, cached = 0;
    for (int i = 0; i < kHosts; ++i) {
        CWindowHostUI host;
        double t0 = Now();
        DrawSkinImages(host, canvas);
        double t1 = Now();
        int afterFirst = CGdiPainter::DecodeCount();
        for (int j = 0; j < kCachedDraws / kHosts; ++j) DrawSkinImages(host, canvas);
        double t2 = Now();
        first += t1 - t0;
        cached += t2 - t1;
        if (CGdiPainter::DecodeCount() != afterFirst) std::printf("  a cached image was decoded again!\n");
    }
    double firstUs = first / kHosts * 1e6, cachedUs = cached / kCachedDraws * 1e6;
    std::printf("skin images (3), first load and draw: %9.1f us per window\n", firstUs);
    std::printf("skin images (3), cached draw:         %9.1f us per window (%.3f of the first load)\n",
                cachedUs, cachedUs / firstUs);
    std::printf("decodes: %d for %d hosts x 3 images and %d cached draws\n",
                CGdiPainter::DecodeCount() - decodesBefore, kHosts, kCachedDraws);
}

void NineGridAt(int width, int height, int rounds) {
    const wchar_t* const images[] = {kImages[0], L"file='download_bg_alpha.png' corner='8,32,8,10'"};
    for (const wchar_t* image : images) {
        CWindowHostUI host;
        Canvas canvas(width, height);
        RECT rc = {0, 0, width, height};
        CGdiPainter::DrawImageDescription(canvas.DC(), &host, rc, rc, image, nullptr);  // cache it
        double t0 = Now();
        for (int i = 0; i < rounds; ++i) {
            CGdiPainter::DrawImageDescription(canvas.DC(), &host, rc, rc, image, nullptr);
        }
        GdiFlush();
        std::printf("nine-grid window background %4d x %4d, %-6s: %9.1f us per draw\n", width, height,
                    image == images[0] ? "opaque" : "alpha", (Now() - t0) / rounds * 1e6);
    }
}

void MarkupOf10KB() {
    std::wstring text;
    const wchar_t* piece =
        L"Plain words {b}bold words{/b} {c #C02020}red text{/c} {a link}a link{/a} and "
        L"{i}italic{/i} {u}underlined{/u}, {f 0}font zero{/f}.{n}";
    while (text.size() < 10 * 1024) text += piece;
    CWindowHostUI host;
    host.AddCustomFont(L"Arial", 14, false, false, false);
    Canvas canvas(800, 2400);
    RECT links[64];
    CWideString texts[64];
    const int rounds = 20;
    double t0 = Now();
    for (int i = 0; i < rounds; ++i) {
        RECT rc = {0, 0, 800, 2400};
        int count = 64;
        CGdiPainter::DrawMarkupText(canvas.DC(), &host, rc, text.c_str(), 0xFF000000, links, texts, count,
                                    DT_WORDBREAK);
    }
    double drawMs = (Now() - t0) / rounds * 1e3;
    t0 = Now();
    for (int i = 0; i < rounds; ++i) {
        RECT rc = {0, 0, 800, 2400};
        int none = 0;
        CGdiPainter::DrawMarkupText(canvas.DC(), &host, rc, text.c_str(), 0, nullptr, nullptr, none,
                                    DT_WORDBREAK | DT_CALCRECT);
    }
    std::printf("DrawMarkupText, %u characters in 800 px: %7.2f ms per draw, %7.2f ms per measure\n",
                static_cast<unsigned>(text.size()), drawMs, (Now() - t0) / rounds * 1e3);
}

void DecoderThroughput() {
    using namespace Gdiplus::DllExports;
    std::vector<unsigned char> png = MakePng(299, 159, false);
    const int rounds = 200;
    double t0 = Now();
    for (int i = 0; i < rounds; ++i) {
        int w, h, n;
        stbi_image_free(stbi_load_from_memory(png.data(), static_cast<int>(png.size()), &w, &h, &n, 4));
    }
    double stb = (Now() - t0) / rounds;
    t0 = Now();
    int decoded = 0;
    for (int i = 0; i < rounds; ++i) {
        IStream* stream = SHCreateMemStream(png.data(), static_cast<UINT>(png.size()));
        Gdiplus::GpBitmap* bitmap = nullptr;
        if (stream && GdipCreateBitmapFromStream(stream, &bitmap) == Gdiplus::Ok) {
            Gdiplus::GpRect all(0, 0, 299, 159);
            Gdiplus::BitmapData data;
            if (GdipBitmapLockBits(bitmap, &all, Gdiplus::ImageLockModeRead, PixelFormat32bppARGB, &data) ==
                Gdiplus::Ok) {
                GdipBitmapUnlockBits(bitmap, &data);
                ++decoded;
            }
            GdipDisposeImage(bitmap);
        }
        if (stream) stream->Release();
    }
    double gdiplus = (Now() - t0) / rounds;
    double megapixels = 299.0 * 159 / 1e6;
    std::printf(
        "PNG decode 299 x 159 (%u bytes): stb_image %7.1f us (%6.1f MP/s), GDI+ %7.1f us (%6.1f MP/s, "
        "%d of %d decoded); GDI+ / stb_image time = %.2f\n",
        static_cast<unsigned>(png.size()), stb * 1e6, megapixels / stb, gdiplus * 1e6, megapixels / gdiplus,
        decoded, rounds, gdiplus / stb);
}

}  // namespace

int wmain() {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    std::wstring folder = std::wstring(temp) + L"bench_draw\\";
    CreateDirectoryW(folder.c_str(), nullptr);
    WriteBytes(folder + L"download_bg.png", MakePng(299, 159, false));
    WriteBytes(folder + L"download_bg_alpha.png", MakePng(299, 159, true));
    WriteBytes(folder + L"button.png", MakePng(208, 20, true));
    WriteBytes(folder + L"progress_fore.png", MakePng(263, 10, false));
    CWindowHostUI::SetResourceFolder(folder.c_str());
    CGdiplusSession gdiplus;

    FirstLoadAgainstCachedDraw();
    NineGridAt(300, 160, 2000);
    NineGridAt(1920, 1080, 50);
    MarkupOf10KB();
    DecoderThroughput();

    for (const wchar_t* name :
         {L"download_bg.png", L"download_bg_alpha.png", L"button.png", L"progress_fore.png"}) {
        DeleteFileW((folder + name).c_str());
    }
    RemoveDirectoryW(folder.c_str());
    return 0;
}
