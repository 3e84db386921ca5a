#pragma once
// The launcher stands in for the main program wherever the user meets it (shortcuts, the
// taskbar, the file's properties), so it carries the main program's icons and version resource.

#include <string>

// Writes a copy of `launcher` to `out` (never over a file) with the icon groups, icons and
// version resource of `program` in place of its own. False when any of it fails; `out` is then
// removed.
bool MakeLauncherFor(const std::wstring& launcher, const std::wstring& program, const std::wstring& out);
