#pragma once
// A window the host creates for itself (the tooltip), destroyed with its owner.

#include <windows.h>

#include <utility>

class COwnedWindow {
public:
    COwnedWindow() = default;
    ~COwnedWindow() { Reset(); }
    COwnedWindow(const COwnedWindow&) = delete;
    COwnedWindow& operator=(const COwnedWindow&) = delete;

    HWND Get() const { return m_window; }
    void Reset(HWND window = nullptr) {
        // The window may already be gone with its parent; DestroyWindow on it would fail anyway.
        if (m_window && IsWindow(m_window)) {
            DestroyWindow(m_window);
        }
        m_window = window;
    }

private:
    HWND m_window = nullptr;
};
