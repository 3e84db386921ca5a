#include "updater/feed/shell_text.h"

#include <windows.h>

#include <string>

bool ShellWouldExpand(std::wstring_view text) {
    const std::wstring original(text);
    const DWORD needed = ExpandEnvironmentStringsW(original.c_str(), nullptr, 0);
    if (needed == 0) return true;  // not known not to change: not a link
    std::wstring expanded(needed, L'\0');
    const DWORD written = ExpandEnvironmentStringsW(original.c_str(), &expanded[0], needed);
    if (written == 0 || written > needed) return true;
    expanded.resize(written - 1);
    return expanded != original;
}
