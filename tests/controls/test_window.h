#pragma once
// A real top-level window with a host bound to it, for the control tests. The window is shown
// (without activation) far off-screen: Wine keeps no update region for hidden windows, so
// invalidation could not be observed on one.

#include <windows.h>

#include <ostream>
#include <vector>

#include "ui/controls/control.h"
#include "ui/core/window_host.h"

class TestWindow {
public:
    explicit TestWindow(int width = 400, int height = 300) {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = &TestWindow::Procedure;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"ControlsTestWindow";
        RegisterClassW(&wc);  // fails harmlessly after the first window
        m_window = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, L"ControlsTestWindow", L"", WS_POPUP,
                                   -3000, -3000, width, height, nullptr, nullptr, wc.hInstance, nullptr);
        SetWindowLongPtrW(m_window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&m_host));
        ShowWindow(m_window, SW_SHOWNOACTIVATE);
        m_host.AttachWindow(m_window);
        Validate();
    }
    ~TestWindow() {
        SetWindowLongPtrW(m_window, GWLP_USERDATA, 0);
        DestroyWindow(m_window);
    }
    TestWindow(const TestWindow&) = delete;
    TestWindow& operator=(const TestWindow&) = delete;

    HWND Handle() const { return m_window; }
    CWindowHostUI& Host() { return m_host; }

    // Forgets every pending repaint so the next invalidation can be observed on its own.
    void Validate() { ValidateRect(m_window, nullptr); }

    // The bounding rectangle of the update region; empty when nothing is invalid.
    RECT UpdateRect() const {
        RECT rc = {0, 0, 0, 0};
        if (!GetUpdateRect(m_window, &rc, FALSE)) {
            SetRectEmpty(&rc);
        }
        return rc;
    }

    // Dispatches the window's queued messages (except WM_PAINT) until `ms` have passed.
    void Pump(DWORD ms = 0) {
        DWORD start = GetTickCount();
        do {
            MSG msg;
            while (PeekMessageW(&msg, m_window, 0, WM_PAINT - 1, PM_REMOVE) ||
                   PeekMessageW(&msg, m_window, WM_PAINT + 1, 0xFFFFFFFF, PM_REMOVE)) {
                DispatchMessageW(&msg);
            }
            if (ms) {
                Sleep(5);
            }
        } while (GetTickCount() - start < ms);
    }

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        auto* host = reinterpret_cast<CWindowHostUI*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        LRESULT result = 0;
        if (host && host->ProcessMessage(message, wParam, lParam, result)) {
            return result;
        }
        return DefWindowProcW(window, message, wParam, lParam);
    }

    HWND m_window = nullptr;
    CWindowHostUI m_host;
};

// Records every notification the host delivers.
class NotificationLog : public INotifyUI {
public:
    struct Entry {
        CWideString type;
        CControlUI* sender;
        WPARAM wParam;
    };

    void HandleNotification(NotifyMsg& msg) override {
        entries.push_back({msg.type, msg.sender, msg.wParam});
    }

    std::vector<Entry> entries;
};

// A 32-bit top-down bitmap selected into a memory DC, for checking painted pixels.
class TestCanvas {
public:
    TestCanvas(int width, int height) : m_width(width) {
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        m_dc = CreateCompatibleDC(nullptr);
        void* bits = nullptr;
        m_bitmap = CreateDIBSection(m_dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        m_bits = static_cast<DWORD*>(bits);
        m_previous = SelectObject(m_dc, m_bitmap);
        for (int i = 0; i < width * height; ++i) {
            m_bits[i] = 0xFFFFFF;
        }
    }
    ~TestCanvas() {
        SelectObject(m_dc, m_previous);
        DeleteObject(m_bitmap);
        DeleteDC(m_dc);
    }
    TestCanvas(const TestCanvas&) = delete;
    TestCanvas& operator=(const TestCanvas&) = delete;

    HDC DC() const { return m_dc; }
    // 0xRRGGBB of a pixel.
    DWORD Pixel(int x, int y) const {
        GdiFlush();
        return m_bits[y * m_width + x] & 0xFFFFFF;
    }

private:
    int m_width;
    HDC m_dc = nullptr;
    HBITMAP m_bitmap = nullptr;
    HGDIOBJ m_previous = nullptr;
    DWORD* m_bits = nullptr;
};

inline bool IsEmpty(const RECT& rc) {
    return IsRectEmpty(&rc) != FALSE;
}

inline bool SameRect(const RECT& a, const RECT& b) {
    return EqualRect(&a, &b) != FALSE;
}

// Lets gtest print rectangles in failure messages.
inline void PrintTo(const RECT& rc, std::ostream* os) {
    *os << "{" << rc.left << "," << rc.top << "," << rc.right << "," << rc.bottom << "}";
}

inline bool operator==(const RECT& a, const RECT& b) {
    return SameRect(a, b);
}
