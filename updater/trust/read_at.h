#pragma once
// Reading a file at an offset through a handle that others share.

#include <windows.h>

#include <cstdint>

// Reads exactly `size` bytes at `offset` without relying on the file position, which the handle
// shares with whoever else holds it. False on a short or failed read.
bool ReadFileAt(HANDLE file, uint64_t offset, void* buffer, DWORD size);
