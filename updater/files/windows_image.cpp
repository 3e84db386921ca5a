#include "updater/files/windows_image.h"

#include <windows.h>

#include "ui/util/unique_handle.h"
#include "updater/paths.h"

bool IsWindowsImageFile(const std::wstring& path) {
    // A running program is open without write sharing; reading it still works with full sharing.
    UniqueHandle file(CreateFileW(LongPathForm(path).c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    char head[2] = {};
    DWORD got = 0;
    return file && ReadFile(file.Get(), head, sizeof head, &got, nullptr) && got == 2 && head[0] == 'M' &&
           head[1] == 'Z';
}
