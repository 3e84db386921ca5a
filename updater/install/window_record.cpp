#include "updater/install/window_record.h"

#include <cstdio>
#include <cwchar>

#include "ui/util/unique_handle.h"

const wchar_t kHostRecordName[] = L"{D727BDB5-F86A-405b-910D-11AD2A4CA76E}_MapFile";

std::wstring FormatWindowRecord(HWND window) {
    wchar_t text[16];
    const int value = static_cast<int>(reinterpret_cast<INT_PTR>(window));
    std::swprintf(text, sizeof text / sizeof text[0], L"%d", value);
    return text;
}

unsigned long ParseWindowRecord(const void* image, size_t bytes) {
    const wchar_t* text = static_cast<const wchar_t*>(image);
    const size_t chars = bytes / sizeof(wchar_t);
    // Another process wrote this memory: only a text terminated inside the view is trusted.
    if (text == nullptr || wmemchr(text, L'\0', chars) == nullptr) return 0;
    return std::wcstoul(text, nullptr, 10);
}

namespace {

// The size Windows actually mapped, rounded to pages; a view is never read past it.
size_t MappedSize(const void* view) {
    MEMORY_BASIC_INFORMATION info = {};
    if (VirtualQuery(view, &info, sizeof info) == 0) return 0;
    return info.RegionSize;
}

bool IsSafeTarget(HWND window) {
    return window != nullptr && window != HWND_BROADCAST && IsWindow(window);
}

}  // namespace

HWND ReadWindowRecord(const wchar_t* name) {
    UniqueHandle mapping(OpenFileMappingW(FILE_MAP_READ, FALSE, name));
    if (!mapping) return nullptr;
    UniqueMappedView view(MapViewOfFile(mapping.Get(), FILE_MAP_READ, 0, 0, 0));
    if (!view) return nullptr;
    const unsigned long value = ParseWindowRecord(view.Get(), MappedSize(view.Get()));
    HWND window = reinterpret_cast<HWND>(static_cast<UINT_PTR>(value));
    return IsSafeTarget(window) ? window : nullptr;
}
