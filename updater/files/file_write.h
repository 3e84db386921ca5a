#pragma once
// Writing a file whole and removing it once closed: what the download and the installation both
// do with the files they own.

#include <windows.h>

#include <cstddef>

// Writes all `size` bytes at the file position. False on any short or failed write.
bool WriteAll(HANDLE file, const char* data, size_t size);

// Marks the open file for deletion once its last handle is closed. Deleting through the handle
// removes this very file, whatever may meanwhile be at its path. False when it cannot be marked.
bool DeleteWhenClosed(HANDLE file);
