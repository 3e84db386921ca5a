#pragma once
// Owners for the GDI resources the control tree uses. Each one knows its whole clean-up and
// cannot be copied, so every object is deleted, deselected or released exactly once.

#include <windows.h>

#include <utility>

// A pen, brush, region, bitmap or font, deleted with DeleteObject.
template <typename Handle>
class CGdiObject {
public:
    CGdiObject() = default;
    explicit CGdiObject(Handle handle) : m_handle(handle) {}
    ~CGdiObject() { Reset(); }
    CGdiObject(const CGdiObject&) = delete;
    CGdiObject& operator=(const CGdiObject&) = delete;

    Handle Get() const { return m_handle; }
    explicit operator bool() const { return m_handle != nullptr; }
    Handle Release() { return std::exchange(m_handle, nullptr); }
    void Reset(Handle handle = nullptr) {
        if (m_handle) {
            DeleteObject(m_handle);
        }
        m_handle = handle;
    }

private:
    Handle m_handle = nullptr;
};

// A memory device context, deleted with DeleteDC.
class CMemoryDC {
public:
    explicit CMemoryDC(HDC compatibleWith) : m_dc(CreateCompatibleDC(compatibleWith)) {}
    ~CMemoryDC() {
        if (m_dc) {
            DeleteDC(m_dc);
        }
    }
    CMemoryDC(const CMemoryDC&) = delete;
    CMemoryDC& operator=(const CMemoryDC&) = delete;

    HDC Get() const { return m_dc; }

private:
    HDC m_dc;
};

// The common DC of a window (GetDC), released to the same window.
class CWindowDC {
public:
    CWindowDC() = default;
    ~CWindowDC() { Reset(); }
    CWindowDC(const CWindowDC&) = delete;
    CWindowDC& operator=(const CWindowDC&) = delete;

    void Acquire(HWND window) {
        Reset();
        m_window = window;
        m_dc = window ? GetDC(window) : nullptr;
    }
    void Reset() {
        if (m_dc) {
            ReleaseDC(m_window, m_dc);
        }
        m_dc = nullptr;
        m_window = nullptr;
    }
    HDC Get() const { return m_dc; }

private:
    HWND m_window = nullptr;
    HDC m_dc = nullptr;
};

// Selects an object into a DC for the lifetime of the scope and selects the previous one back.
class CSelectScope {
public:
    CSelectScope(HDC dc, HGDIOBJ object)
        : m_dc(dc), m_previous(object ? SelectObject(dc, object) : nullptr) {}
    ~CSelectScope() {
        if (m_previous) {
            SelectObject(m_dc, m_previous);
        }
    }
    CSelectScope(const CSelectScope&) = delete;
    CSelectScope& operator=(const CSelectScope&) = delete;

private:
    HDC m_dc;
    HGDIOBJ m_previous;
};

// Narrows the clipping of a DC to a region for the lifetime of the scope. The clipping in force
// before is kept as a region and selected again at the end; every region is deleted.
class CClipScope {
public:
    // Clips to the rectangle (intersected with the current clipping).
    CClipScope(HDC dc, const RECT& rc);
    // Clips to the given region (intersected with the current clipping); the scope owns it.
    CClipScope(HDC dc, HRGN region);
    ~CClipScope();
    CClipScope(const CClipScope&) = delete;
    CClipScope& operator=(const CClipScope&) = delete;

    // Selects this scope's clipping again after someone else changed it.
    void Reselect() const;

private:
    void Apply();

    HDC m_dc;
    CGdiObject<HRGN> m_clip;
    CGdiObject<HRGN> m_saved;  // null: the DC had no clip region
    CGdiObject<HRGN> m_effective;
};

// One GDI+ start-up, shut down again when the owner dies. Each window host holds one.
class CGdiplusSession {
public:
    CGdiplusSession();
    ~CGdiplusSession();
    CGdiplusSession(const CGdiplusSession&) = delete;
    CGdiplusSession& operator=(const CGdiplusSession&) = delete;

    bool IsStarted() const { return m_token != 0; }

private:
    ULONG_PTR m_token = 0;
};
