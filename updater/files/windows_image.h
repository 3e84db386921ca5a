#pragma once
// Whether a file is a Windows program image: only another image may replace one.

#include <string>

// True when the file at `path` starts with "MZ"; false when it does not or cannot be read.
bool IsWindowsImageFile(const std::wstring& path);
