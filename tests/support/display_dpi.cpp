#include "tests/support/display_dpi.h"

#include <windows.h>

#include "tests/support/process.h"

int RequestedTestDpi() {
    wchar_t text[16] = {};
    return GetEnvironmentVariableW(L"UPDATER_TEST_DPI", text, 16) ? _wtoi(text) : 0;
}

long RunSelfAtDpi(int dpi, const std::wstring& arguments) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", 0, nullptr, 0, KEY_QUERY_VALUE | KEY_SET_VALUE,
                        nullptr, &key, nullptr) != ERROR_SUCCESS) {
        return -1;
    }
    DWORD old = 0, size = sizeof old, value = static_cast<DWORD>(dpi);
    const bool had = RegQueryValueExW(key, L"LogPixels", nullptr, nullptr, reinterpret_cast<BYTE*>(&old), &size) ==
                     ERROR_SUCCESS;
    RegSetValueExW(key, L"LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
    SetEnvironmentVariableW(L"UPDATER_TEST_DPI", std::to_wstring(dpi).c_str());
    const long code = RunSelf(arguments);
    SetEnvironmentVariableW(L"UPDATER_TEST_DPI", nullptr);
    if (had) {
        RegSetValueExW(key, L"LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&old), sizeof old);
    } else {
        RegDeleteValueW(key, L"LogPixels");
    }
    RegCloseKey(key);
    return code;
}
