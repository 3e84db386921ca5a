#include "tests/support/display_dpi.h"

#include <windows.h>

#include <cwchar>

#include "tests/support/process.h"

namespace {

constexpr wchar_t kDesktopKey[] = L"Control Panel\\Desktop";
constexpr wchar_t kLogPixels[] = L"LogPixels";
constexpr wchar_t kDpiVariable[] = L"UPDATER_TEST_DPI";

// Sets the user's LogPixels for the object's lifetime, then restores what was there.
class ScopedLogPixels {
public:
    explicit ScopedLogPixels(DWORD dpi) {
        if (RegCreateKeyExW(HKEY_CURRENT_USER, kDesktopKey, 0, nullptr, 0, KEY_QUERY_VALUE | KEY_SET_VALUE,
                            nullptr, &key_, nullptr) != ERROR_SUCCESS) {
            key_ = nullptr;
            return;
        }
        DWORD size = sizeof old_;
        had_ = RegQueryValueExW(key_, kLogPixels, nullptr, nullptr, reinterpret_cast<BYTE*>(&old_), &size) ==
               ERROR_SUCCESS;
        RegSetValueExW(key_, kLogPixels, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi), sizeof dpi);
    }
    ~ScopedLogPixels() {
        if (!key_) return;
        if (had_) {
            RegSetValueExW(key_, kLogPixels, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&old_), sizeof old_);
        } else {
            RegDeleteValueW(key_, kLogPixels);
        }
        RegCloseKey(key_);
    }
    ScopedLogPixels(const ScopedLogPixels&) = delete;
    ScopedLogPixels& operator=(const ScopedLogPixels&) = delete;
    bool Set() const { return key_ != nullptr; }

private:
    HKEY key_ = nullptr;
    DWORD old_ = 0;
    bool had_ = false;
};

}  // namespace

int RequestedTestDpi() {
    wchar_t text[16] = {};
    return GetEnvironmentVariableW(kDpiVariable, text, 16) ? static_cast<int>(wcstol(text, nullptr, 10)) : 0;
}

long RunSelfAtDpi(int dpi, const std::wstring& arguments) {
    ScopedLogPixels setting(static_cast<DWORD>(dpi));
    if (!setting.Set()) return -1;
    SetEnvironmentVariableW(kDpiVariable, std::to_wstring(dpi).c_str());
    const long result = RunSelf(arguments);
    SetEnvironmentVariableW(kDpiVariable, nullptr);
    return result;
}

long RunCasesAtDpi(int dpi, const std::wstring& filter) {
    return RunSelfAtDpi(dpi, L"--gtest_filter=" + filter);
}
