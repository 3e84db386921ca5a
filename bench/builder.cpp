// Builds skins from text and prints the time per build and per element: the updater's skin and a
// generated skin of 2,000 elements (nested layouts, controls with a handful of attributes, two
// fonts and a class default). Each build goes into a fresh host bound to a hidden window, so the
// figure includes the declarations, the Window element (the window is resized) and the class
// defaults, as when a window is created; making the host and deleting the tree are not timed.
// The time covers reading the text (the XML reader) and building; the reader alone is printed
// beside it so the builder's own share can be seen. Median of several runs.

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "tests/support/updater_skin.h"
#include "ui/controls/control.h"
#include "ui/core/window_host.h"
#include "ui/markup/skin_builder.h"

namespace {

constexpr int kRuns = 9;
constexpr int kBuildsPerRun = 40;

// The text, progress and button controls of a later build are plain controls here.
class StandInCallback : public IDialogBuilderCallback {
public:
    CControlUI* CreateCustomControl(const wchar_t* /*className*/) override { return new CControlUI; }
};

// Rows of ten controls in horizontal layouts, ten rows to a vertical layout, until `elements`.
std::wstring GeneratedSkin(int elements) {
    std::wstring skin =
        L"<Window size=\"800,600\" caption=\"0,0,0,30\">"
        L"<Font name=\"Arial\" size=\"12\" default=\"true\"/><Font name=\"Arial\" size=\"12\" bold=\"true\"/>"
        L"<Default name=\"Control\" value=\"bkcolor=&quot;#FFEEEEEE&quot; height=&quot;20&quot;\"/>"
        L"<VerticalLayout name=\"root\" inset=\"4,4,4,4\">";
    int made = 5;  // Window, two fonts, the default, the root
    for (int group = 0; made < elements; ++group) {
        skin += L"<VerticalLayout childpadding=\"2\">";
        ++made;
        for (int row = 0; row < 10 && made < elements; ++row) {
            skin += L"<HorizontalLayout height=\"24\" inset=\"1,1,1,1\">";
            ++made;
            for (int i = 0; i < 9 && made < elements; ++i, ++made) {
                skin += L"<Control name=\"c" + std::to_wstring(made) +
                        L"\" width=\"40\" bordersize=\"1\" bordercolor=\"#FF808080\" tooltip=\"tip\"/>";
            }
            skin += L"</HorizontalLayout>";
        }
        skin += L"</VerticalLayout>";
    }
    return skin + L"</VerticalLayout></Window>";
}

double NowNs() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) * 1e9 / static_cast<double>(frequency.QuadPart);
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Nanoseconds of one build (median over the runs); the tree is deleted untimed.
// Without a window the host is built alone; with `withHost` false only controls are made.
double TimeBuild(const wchar_t* text, HWND window, bool withHost = true) {
    StandInCallback callback;
    std::vector<double> runs;
    for (int run = 0; run < kRuns; ++run) {
        double total = 0;
        for (int i = 0; i < kBuildsPerRun; ++i) {
            CWindowHostUI host;
            host.AttachWindow(window);
            CSkinBuilder builder;
            double start = NowNs();
            CControlUI* root = builder.Build(text, nullptr, &callback, withHost ? &host : nullptr);
            total += NowNs() - start;
            delete root;
        }
        runs.push_back(total / kBuildsPerRun);
    }
    return Median(runs);
}

double TimeRead(const wchar_t* text) {
    std::vector<double> runs;
    for (int run = 0; run < kRuns; ++run) {
        double start = NowNs();
        for (int i = 0; i < kBuildsPerRun; ++i) {
            CXmlReader reader;
            reader.LoadText(text);
        }
        runs.push_back((NowNs() - start) / kBuildsPerRun);
    }
    return Median(runs);
}

int CountElements(const wchar_t* text) {
    CXmlReader reader;
    return reader.LoadText(text) ? static_cast<int>(reader.ElementCount()) - 1 : 0;
}

void Report(const char* label, const wchar_t* text, HWND window) {
    int elements = CountElements(text);
    double build = TimeBuild(text, window);
    double windowless = TimeBuild(text, nullptr);
    double controls = TimeBuild(text, nullptr, false);
    double read = TimeRead(text);
    std::printf("%s, %d elements: build %.1f us, %.0f ns/element\n", label, elements, build / 1000,
                build / elements);
    std::printf(
        "  ns/element: host with window %.0f, host without window %.0f, no host %.0f, reading alone %.0f\n",
        build / elements, windowless / elements, controls / elements, read / elements);
}

}  // namespace

int wmain() {
    HWND window = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
    std::wstring generated = GeneratedSkin(2000);
    Report("updater skin", kUpdaterSkin, window);
    Report("generated skin", generated.c_str(), window);
    DestroyWindow(window);
    return 0;
}
