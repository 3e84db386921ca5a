#pragma once
// Small owners for kernel objects (files, mutexes, mappings, searches, processes). Each knows
// its whole clean-up and cannot be copied, so a handle is closed exactly once on every path.

#include <windows.h>

#include <utility>

template <typename Traits>
class UniqueKernelObject {
public:
    using Handle = typename Traits::Handle;

    UniqueKernelObject() = default;
    explicit UniqueKernelObject(Handle handle) : m_handle(handle) {}
    ~UniqueKernelObject() { Reset(); }
    UniqueKernelObject(const UniqueKernelObject&) = delete;
    UniqueKernelObject& operator=(const UniqueKernelObject&) = delete;
    UniqueKernelObject(UniqueKernelObject&& other) noexcept : m_handle(other.Release()) {}
    UniqueKernelObject& operator=(UniqueKernelObject&& other) noexcept {
        if (this != &other) Reset(other.Release());
        return *this;
    }

    Handle Get() const { return m_handle; }
    bool Valid() const { return Traits::IsValid(m_handle); }
    explicit operator bool() const { return Valid(); }
    Handle Release() { return std::exchange(m_handle, Traits::Invalid()); }
    void Reset(Handle handle = Traits::Invalid()) {
        if (Traits::IsValid(m_handle)) Traits::Close(m_handle);
        m_handle = handle;
    }

private:
    Handle m_handle = Traits::Invalid();
};

// CreateFileMapping, OpenFileMapping, CreateMutex and OpenProcess report failure as null,
// CreateFileW as INVALID_HANDLE_VALUE; both count as "no handle".
struct KernelHandleTraits {
    using Handle = HANDLE;
    static Handle Invalid() { return nullptr; }
    static bool IsValid(Handle h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void Close(Handle h) { CloseHandle(h); }
};

struct FindHandleTraits {
    using Handle = HANDLE;
    static Handle Invalid() { return INVALID_HANDLE_VALUE; }
    static bool IsValid(Handle h) { return h != INVALID_HANDLE_VALUE && h != nullptr; }
    static void Close(Handle h) { FindClose(h); }
};

struct MappedViewTraits {
    using Handle = void*;
    static Handle Invalid() { return nullptr; }
    static bool IsValid(Handle h) { return h != nullptr; }
    static void Close(Handle h) { UnmapViewOfFile(h); }
};

struct RegistryKeyTraits {
    using Handle = HKEY;
    static Handle Invalid() { return nullptr; }
    static bool IsValid(Handle h) { return h != nullptr; }
    static void Close(Handle h) { RegCloseKey(h); }
};

// A module loaded with LoadLibraryExW (also one mapped only as data).
struct ModuleTraits {
    using Handle = HMODULE;
    static Handle Invalid() { return nullptr; }
    static bool IsValid(Handle h) { return h != nullptr; }
    static void Close(Handle h) { FreeLibrary(h); }
};

// An icon this code loaded or created (LoadImageW without LR_SHARED); never a shared one.
struct IconTraits {
    using Handle = HICON;
    static Handle Invalid() { return nullptr; }
    static bool IsValid(Handle h) { return h != nullptr; }
    static void Close(Handle h) { DestroyIcon(h); }
};

// A native window with no object of its own behind it (a hidden message window, say).
struct WindowHandleTraits {
    using Handle = HWND;
    static Handle Invalid() { return nullptr; }
    static bool IsValid(Handle h) { return h != nullptr; }
    static void Close(Handle h) { DestroyWindow(h); }
};

using UniqueHandle = UniqueKernelObject<KernelHandleTraits>;
using UniqueFindHandle = UniqueKernelObject<FindHandleTraits>;
using UniqueMappedView = UniqueKernelObject<MappedViewTraits>;
using UniqueRegistryKey = UniqueKernelObject<RegistryKeyTraits>;
using UniqueModule = UniqueKernelObject<ModuleTraits>;
using UniqueIcon = UniqueKernelObject<IconTraits>;
using UniqueWindow = UniqueKernelObject<WindowHandleTraits>;
