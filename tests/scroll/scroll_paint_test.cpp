// Painting of a scroll bar's parts with images of their states.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/host_input/input_rig.h"
#include "ui/controls/scroll_bar.h"

namespace {

// A solid 24-bit bitmap file in the temporary folder; its description names it by full path.
class SolidImage {
public:
    SolidImage(const wchar_t* name, DWORD rgb) {
        wchar_t folder[MAX_PATH];
        GetTempPathW(MAX_PATH, folder);
        m_path = std::wstring(folder) + L"scroll_paint_" + std::to_wstring(GetCurrentProcessId()) + name;
        const int side = 4;
        std::vector<unsigned char> file(54 + side * side * 3);
        BITMAPFILEHEADER* header = reinterpret_cast<BITMAPFILEHEADER*>(file.data());
        header->bfType = 0x4D42;
        header->bfSize = static_cast<DWORD>(file.size());
        header->bfOffBits = 54;
        BITMAPINFOHEADER* info = reinterpret_cast<BITMAPINFOHEADER*>(file.data() + 14);
        info->biSize = sizeof(BITMAPINFOHEADER);
        info->biWidth = side;
        info->biHeight = side;
        info->biPlanes = 1;
        info->biBitCount = 24;
        for (int i = 0; i < side * side; ++i) {
            file[54 + i * 3] = rgb & 0xFF;
            file[55 + i * 3] = (rgb >> 8) & 0xFF;
            file[56 + i * 3] = (rgb >> 16) & 0xFF;
        }
        HANDLE out = CreateFileW(m_path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD written = 0;
        WriteFile(out, file.data(), static_cast<DWORD>(file.size()), &written, nullptr);
        CloseHandle(out);
        m_description = L"file='" + m_path + L"'";
    }
    ~SolidImage() { DeleteFileW(m_path.c_str()); }
    const wchar_t* Description() const { return m_description.c_str(); }

private:
    std::wstring m_path;
    std::wstring m_description;
};

struct PixelCase {
    const char* what;
    UINT thumbState;
    bool enabled;
    POINT point;
    DWORD expect;
};

// The bar is 16 x 200 with range 100 at position 50: thumb 44..156, its rail square 92..108.
const PixelCase kPixelCases[] = {
    {"background where no part lies", 0, true, {8, 30}, 0x0000FF},
    {"button 2", 0, true, {8, 190}, 0x00FF00},
    {"thumb, normal", 0, true, {8, 50}, 0xFF0000},
    {"rail square at the thumb's middle", 0, true, {8, 100}, 0xFFFF00},
    {"thumb, pushed", ScrollStatePushed, true, {8, 50}, 0x00FFFF},
    {"pushed thumb without a pushed rail image keeps the normal rail",
     ScrollStatePushed,
     true,
     {8, 100},
     0xFFFF00},
    {"disabled before pushed", ScrollStatePushed, false, {8, 50}, 0x808080},
};

TEST(ScrollBarPaintTest, EachPartDrawsTheImageOfItsState) {
    SolidImage blue(L"blue.bmp", 0x0000FF), green(L"green.bmp", 0x00FF00), red(L"red.bmp", 0xFF0000),
        yellow(L"yellow.bmp", 0xFFFF00), cyan(L"cyan.bmp", 0x00FFFF), grey(L"grey.bmp", 0x808080);
    auto* bar = new CScrollBarUI;
    InstallRow({bar});
    bar->SetScrollPos(50);
    bar->SetBkNormalImage(blue.Description());
    bar->SetButton2NormalImage(green.Description());
    bar->SetThumbNormalImage(red.Description());
    bar->SetThumbPushedImage(cyan.Description());
    bar->SetThumbDisabledImage(grey.Description());
    bar->SetRailNormalImage(yellow.Description());
    for (const PixelCase& c : kPixelCases) {
        SCOPED_TRACE(c.what);
        bar->SetEnabled(c.enabled);
        if (c.thumbState) {
            SendMouse(WM_LBUTTONDOWN, 8, 50, MK_LBUTTON);
        }
        TestCanvas canvas(16, 200);
        bar->Paint(canvas.DC(), RECT{0, 0, 16, 200});
        EXPECT_EQ(c.expect, canvas.Pixel(c.point.x, c.point.y));
        SendMouse(WM_LBUTTONUP, 8, 50);
    }
}

}  // namespace
