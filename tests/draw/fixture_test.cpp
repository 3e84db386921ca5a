// The helpers of draw_fixture.h (this folder builds only *_test.cpp files).
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>

#include "tests/draw/draw_fixture.h"

namespace {

void AppendBytes(void* context, void* data, int size) {
    auto* out = static_cast<std::vector<uint8_t>*>(context);
    out->insert(out->end(), static_cast<uint8_t*>(data), static_cast<uint8_t*>(data) + size);
}

}  // namespace

Canvas::Canvas(int width, int height, uint32_t fill)
    : m_width(width), m_height(height), m_dib(nullptr, width, height), m_pixels(m_dib.Pixels()) {
    Fill(fill);
}

uint32_t Canvas::At(int x, int y) const {
    GdiFlush();
    return m_pixels[y * m_width + x];
}

void Canvas::Fill(uint32_t argb) {
    GdiFlush();
    for (int i = 0; i < m_width * m_height; ++i) {
        m_pixels[i] = argb;
    }
}

int Canvas::CountOther(const RECT& rc, uint32_t value, bool rgbOnly) const {
    uint32_t mask = rgbOnly ? 0x00FFFFFF : 0xFFFFFFFF;
    int count = 0;
    for (int y = rc.top; y < rc.bottom; ++y) {
        for (int x = rc.left; x < rc.right; ++x) {
            count += (At(x, y) & mask) != (value & mask) ? 1 : 0;
        }
    }
    return count;
}

RECT Canvas::InkBounds(uint32_t background) const {
    RECT box = {m_width, m_height, 0, 0};
    for (int y = 0; y < m_height; ++y) {
        for (int x = 0; x < m_width; ++x) {
            if ((At(x, y) & 0xFFFFFF) != (background & 0xFFFFFF)) {
                box = {std::min<LONG>(box.left, x), std::min<LONG>(box.top, y),
                       std::max<LONG>(box.right, x + 1), std::max<LONG>(box.bottom, y + 1)};
            }
        }
    }
    return box.left < box.right ? box : RECT{0, 0, 0, 0};
}

uint32_t Rgba(uint8_t r, uint8_t g, uint8_t b, uint8_t a) {
    return static_cast<uint32_t>(a) << 24 | static_cast<uint32_t>(b) << 16 | static_cast<uint32_t>(g) << 8 |
           r;
}

std::vector<uint8_t> EncodePng(const RgbaPixels& pixels, int width, int height) {
    std::vector<uint8_t> png;
    stbi_write_png_to_func(&AppendBytes, &png, width, height, 4, pixels.data(), width * 4);
    return png;
}

SkinFolder::SkinFolder() {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    m_path = std::wstring(temp) + L"draw_tests_" + std::to_wstring(GetCurrentProcessId()) + L"\\";
    CreateDirectoryW(m_path.c_str(), nullptr);
    CWindowHostUI::SetResourceFolder(m_path.c_str());
}

SkinFolder::~SkinFolder() {
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((m_path + L"*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            DeleteFileW((m_path + found.cFileName).c_str());
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    RemoveDirectoryW(m_path.c_str());
    CWindowHostUI::SetResourceFolder(L"");
}

void SkinFolder::Write(const wchar_t* name, const std::vector<uint8_t>& bytes) const {
    HANDLE file = CreateFileW((m_path + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
}

void SkinFolder::WritePng(const wchar_t* name, const RgbaPixels& pixels, int width, int height) const {
    Write(name, EncodePng(pixels, width, height));
}
