#pragma once
// The window-handle record two processes share through a named, paging-file backed mapping:
// the handle's 32-bit value as signed decimal UTF-16 text at offset 0, then a 16-bit zero.
// The updater publishes its own window this way, and the host application publishes its main
// window under kHostRecordName so the updater can ask it to close.

#include <windows.h>

#include <cstddef>
#include <string>

extern const wchar_t kHostRecordName[];

// Room for the longest text ("-2147483648") and its terminator.
constexpr size_t kWindowRecordBytes = 24;

// The record's text for a window handle ("%d" of its 32-bit value).
std::wstring FormatWindowRecord(HWND window);

// The handle value in a record image of `bytes` bytes, read like wcstoul in base 10. Reads
// nothing past `bytes`; an image without a terminator inside it holds no handle (0).
unsigned long ParseWindowRecord(const void* image, size_t bytes);

// Opens the named record read-only and returns the handle in it, or null when the record does
// not exist, cannot be mapped, or names something that is not a window. HWND_BROADCAST is never
// returned: a message sent to it would reach every top-level window on the desktop.
HWND ReadWindowRecord(const wchar_t* name);
