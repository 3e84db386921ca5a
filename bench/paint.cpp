// Full repaints of two trees in a real window and what they leave behind. The first tree has
// the shape and size of the updater's window (300 x 160: a title, two text rows, a progress
// row and a button in a vertical layout); the second fills 1280 x 800 with a few hundred
// controls in rows. Both are built by hand from the controls that exist and use what they can
// paint: colours, gradients, borders and round corners. The third is the gallery skin, built
// from its folder next to the program: every control of the framework with its pictures.
//
// For each tree the program prints the time of a whole WM_PAINT (invalidate everything, then
// UpdateWindow: layout check, painting into the off-screen bitmap and the copy to the window),
// the painting work alone (the root painted into the off-screen bitmap), and the GDI and USER
// object counts and private bytes before and after 1,000 repaints. The window must be on the
// screen: Wine clips painting to the visible part of a window.

#include <windows.h>
// After windows.h, which it needs.
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "gallery/gallery_skin.h"
#include "ui/controls/layouts.h"
#include "ui/core/window_host.h"
#include "ui/draw/gdi_objects.h"

namespace {

constexpr int kRepaints = 1000;

LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* host = reinterpret_cast<CWindowHostUI*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    LRESULT result = 0;
    if (host && host->ProcessMessage(message, wParam, lParam, result)) {
        return result;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

CControlUI* Box(int width, int height, DWORD color, DWORD color2 = 0, DWORD border = 0) {
    auto* control = new CControlUI;
    control->SetFixedWidth(width);
    control->SetFixedHeight(height);
    control->SetBackColor(color);
    control->SetBackColor2(color2);
    if (border) {
        control->SetBorderColor(border);
        control->SetBorderSize(1);
    }
    return control;
}

CControlUI* UpdaterTree() {
    auto* root = new CVerticalLayoutUI;
    root->SetBackColor(0xFFF4F6F9);
    root->SetBorderColor(0xFF5A7BA6);
    root->SetBorderSize(1);
    root->SetInset(RECT{12, 0, 12, 12});
    root->SetChildPadding(8);
    CControlUI* title = Box(0, 28, 0xFF3C6FB0, 0xFF2A558C);
    title->SetText(L"online upgrade");
    root->Add(title);
    for (const wchar_t* text : {L"current file", L"download progress"}) {
        CControlUI* row = Box(0, 18, 0);
        row->SetText(text);
        root->Add(row);
    }
    auto* progress = new CHorizontalLayoutUI;
    progress->SetFixedHeight(12);
    progress->SetBackColor(0xFFD8DEE6);
    progress->SetBorderColor(0xFF9AA8B8);
    progress->SetBorderSize(1);
    progress->Add(Box(170, 0, 0xFF4CAF50, 0xFF2E7D32));
    root->Add(progress);
    auto* buttonRow = new CHorizontalLayoutUI;
    buttonRow->SetFixedHeight(26);
    buttonRow->Add(new CControlUI);
    CControlUI* button = Box(110, 26, 0xFFFDFDFD, 0xFFDCE3EC, 0xFF7A8CA3);
    button->SetBorderRound(SIZE{4, 4});
    button->SetText(L"minimise to the taskbar");
    buttonRow->Add(button);
    root->Add(buttonRow);
    return root;
}

// 24 rows of 16 cells: 409 controls.
CControlUI* LargeTree() {
    auto* root = new CVerticalLayoutUI;
    root->SetBackColor(0xFFFFFFFF);
    root->SetInset(RECT{8, 8, 8, 8});
    root->SetChildPadding(4);
    for (int row = 0; row < 24; ++row) {
        auto* line = new CHorizontalLayoutUI;
        line->SetChildPadding(4);
        line->SetBackColor(row % 2 ? 0xFFF0F3F7 : 0xFFFAFBFC);
        for (int cell = 0; cell < 16; ++cell) {
            DWORD color = 0xFF000000 | static_cast<DWORD>((row * 16 + cell) * 0x010307);
            CControlUI* box = Box(0, 0, color, cell % 3 == 0 ? 0xFFFFFFFF : 0, 0xFF404040);
            if (cell % 4 == 0) {
                box->SetBorderRound(SIZE{6, 6});
            }
            line->Add(box);
        }
        root->Add(line);
    }
    return root;
}

int CountControls(CControlUI* root) {
    int count = 0;
    root->FindControl(
        [](CControlUI*, void* data) -> CControlUI* {
            ++*static_cast<int*>(data);
            return nullptr;
        },
        &count, 0);
    return count;
}

double Milliseconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(to.QuadPart - from.QuadPart) * 1000.0 /
           static_cast<double>(frequency.QuadPart);
}

struct Usage {
    DWORD gdiObjects;
    DWORD userObjects;
    SIZE_T privateBytes;
};

Usage CurrentUsage() {
    PROCESS_MEMORY_COUNTERS_EX memory = {};
    memory.cb = sizeof(memory);
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory),
                         sizeof(memory));
    // Wine leaves PrivateUsage at 0; the commit charge of the process is the same figure there.
    SIZE_T privateBytes = memory.PrivateUsage ? memory.PrivateUsage : memory.PagefileUsage;
    return Usage{GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS),
                 GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS), privateBytes};
}

void RepaintAll(HWND window) {
    InvalidateRect(window, nullptr, FALSE);
    UpdateWindow(window);
}

// Median time of one whole WM_PAINT, in batches of 50.
double TimeWindowRepaint(HWND window) {
    std::vector<double> batches;
    for (int batch = 0; batch < 9; ++batch) {
        LARGE_INTEGER start;
        LARGE_INTEGER end;
        QueryPerformanceCounter(&start);
        for (int i = 0; i < 50; ++i) {
            RepaintAll(window);
        }
        QueryPerformanceCounter(&end);
        batches.push_back(Milliseconds(start, end) / 50);
    }
    std::sort(batches.begin(), batches.end());
    return batches[batches.size() / 2];
}

// Median time of painting the root into the host's off-screen bitmap, without the window.
double TimePaintingWork(CWindowHostUI& host, const RECT& client) {
    std::vector<double> batches;
    HDC dc = host.OffscreenDC();
    CSelectScope select(dc, host.OffscreenBitmap());
    for (int batch = 0; batch < 9; ++batch) {
        LARGE_INTEGER start;
        LARGE_INTEGER end;
        QueryPerformanceCounter(&start);
        for (int i = 0; i < 50; ++i) {
            host.Root()->Paint(dc, client);
        }
        GdiFlush();
        QueryPerformanceCounter(&end);
        batches.push_back(Milliseconds(start, end) / 50);
    }
    std::sort(batches.begin(), batches.end());
    return batches[batches.size() / 2];
}

// The tree is made for the host of the measuring window: a skin's fonts and pictures belong to it.
using TreeMaker = CControlUI* (*)(CWindowHostUI& host);

void Measure(const char* name, TreeMaker makeTree, int width, int height) {
    HWND window = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, L"PaintBenchWindow", L"", WS_POPUP, 0,
                                  0, width, height, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    {
        CWindowHostUI host;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&host));
        ShowWindow(window, SW_SHOWNOACTIVATE);
        host.AttachWindow(window);
        CControlUI* tree = makeTree(host);
        if (!tree || !host.AttachRoot(tree)) {
            std::printf("%-22s could not be built\n", name);
            SetWindowLongPtrW(window, GWLP_USERDATA, 0);
            DestroyWindow(window);
            return;
        }
        RepaintAll(window);  // the first paint lays out and makes the off-screen bitmap
        int controls = CountControls(tree);
        double windowMs = TimeWindowRepaint(window);
        double workMs = TimePaintingWork(host, RECT{0, 0, width, height});
        Usage before = CurrentUsage();
        for (int i = 0; i < kRepaints; ++i) {
            RepaintAll(window);
        }
        Usage after = CurrentUsage();
        std::printf("%-22s %8d %14.3f %14.3f %9lu -> %-5lu %7lu -> %-5lu %9lu -> %lu\n", name, controls,
                    windowMs, workMs, before.gdiObjects, after.gdiObjects, before.userObjects,
                    after.userObjects, static_cast<unsigned long>(before.privateBytes / 1024),
                    static_cast<unsigned long>(after.privateBytes / 1024));
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    }
    DestroyWindow(window);
}

}  // namespace

int wmain() {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = Procedure;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"PaintBenchWindow";
    RegisterClassW(&wc);
    std::printf("median of 9 batches of 50 full repaints; objects and private KiB around %d repaints\n",
                kRepaints);
    std::printf("%-22s %8s %14s %14s %18s %16s %20s\n", "tree", "controls", "WM_PAINT ms", "painting ms",
                "GDI objects", "USER objects", "private KiB");
    Measure(
        "updater 300 x 160", [](CWindowHostUI&) { return UpdaterTree(); }, 300, 160);
    Measure(
        "rows 1280 x 800", [](CWindowHostUI&) { return LargeTree(); }, 1280, 800);
    CWindowHostUI::SetModuleInstance(GetModuleHandleW(nullptr));
    UseGalleryFolder();
    Measure("gallery 600 x 380", &BuildGallerySkin, kGalleryWidth, kGalleryHeight);
    if (GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS) == 0) {
        std::printf("(this system does not count GDI and USER objects: GetGuiResources answers 0)\n");
    }
    return 0;
}
