#pragma once
// CFileHandle: owns a kernel file handle and closes it exactly once.

#include <windows.h>

class CFileHandle {
public:
    explicit CFileHandle(HANDLE handle = INVALID_HANDLE_VALUE) : m_handle(handle) {}
    ~CFileHandle() {
        if (IsValid()) {
            CloseHandle(m_handle);
        }
    }
    CFileHandle(const CFileHandle&) = delete;
    CFileHandle& operator=(const CFileHandle&) = delete;

    // CreateFileW reports failure with INVALID_HANDLE_VALUE, not null; accept both as "none".
    bool IsValid() const { return m_handle != INVALID_HANDLE_VALUE && m_handle != nullptr; }
    HANDLE Get() const { return m_handle; }

private:
    HANDLE m_handle;
};
