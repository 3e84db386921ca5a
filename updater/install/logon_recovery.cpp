#include "updater/install/logon_recovery.h"

#include <windows.h>

#include <cstdio>

#include "client/updater_client.h"
#include "ui/util/unique_handle.h"
#include "updater/package/release_files.h"
#include "updater/paths.h"
#include "updater/update_log.h"

namespace {

const wchar_t kRunOnceKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";

UniqueRegistryKey CreateRunOnce() {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kRunOnceKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS) {
        return UniqueRegistryKey();
    }
    return UniqueRegistryKey(key);
}

std::wstring ThisProgram() {
    std::wstring path(32768, L'\0');
    const DWORD length = GetModuleFileNameW(nullptr, &path[0], static_cast<DWORD>(path.size()));
    path.resize(length < path.size() ? length : 0);
    return path;
}

// The updater of the release `current` names, for a launcher of a whole-folder installation:
// the release folder this one runs from may be the old one, which its clean-up deletes.
std::wstring RecoveryUpdaterFor(const std::wstring& targetPath) {
    ReleasePointer current;
    if (!ReadCurrent(FolderOf(targetPath), current)) return ThisProgram();
    const std::wstring updater = FolderOf(targetPath) + current.folder + L"\\" + kReleaseUpdaterName;
    const DWORD attributes = GetFileAttributesW(LongPathForm(updater).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0 ? updater
                                                                                                  : ThisProgram();
}

}  // namespace

std::wstring LogonRecoveryValueName(const std::wstring& targetPath) {
    // FNV-1a over the upper-case path: a short, stable name that one target always gets.
    std::wstring upper = targetPath;
    if (!upper.empty()) CharUpperBuffW(&upper[0], static_cast<DWORD>(upper.size()));
    unsigned long long hash = 14695981039346656037ull;
    for (wchar_t ch : upper) {
        hash = (hash ^ static_cast<unsigned>(ch)) * 1099511628211ull;
    }
    wchar_t name[48];
    std::swprintf(name, sizeof name / sizeof name[0], L"UpdaterRecovery-%016llx", hash);
    return name;
}

std::wstring LogonRecoveryCommand(const std::wstring& updaterPath, const std::wstring& targetPath) {
    return updater_client::QuoteArgument(updaterPath) + L" --recover " + updater_client::QuoteArgument(targetPath);
}

bool ScheduleLogonRecovery(const std::wstring& targetPath) {
    const UniqueRegistryKey key = CreateRunOnce();
    const std::wstring command = LogonRecoveryCommand(RecoveryUpdaterFor(targetPath), targetPath);
    const bool written =
        key && RegSetValueExW(key.Get(), LogonRecoveryValueName(targetPath).c_str(), 0, REG_SZ,
                              reinterpret_cast<const BYTE*>(command.c_str()),
                              static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
    LogLine("recovery: %s at the next logon", written ? "scheduled" : "CANNOT be scheduled");
    return written;
}

void CancelLogonRecovery(const std::wstring& targetPath) {
    HKEY opened = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kRunOnceKey, 0, KEY_SET_VALUE, &opened) != ERROR_SUCCESS) return;
    const UniqueRegistryKey key(opened);
    RegDeleteValueW(key.Get(), LogonRecoveryValueName(targetPath).c_str());
}
