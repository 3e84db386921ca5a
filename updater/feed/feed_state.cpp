#include "updater/feed/feed_state.h"

#include <windows.h>
// bcrypt.h needs windows.h first.
#include <bcrypt.h>

#include "ui/util/unique_handle.h"

namespace {

constexpr DWORD kMaxVersionChars = 256;

// A backslash inside a name would open a deeper key than the one meant.
std::wstring KeyName(std::wstring name) {
    for (wchar_t& ch : name) {
        if (ch == L'\\') ch = L'_';
    }
    return name;
}

UniqueRegistryKey OpenKey(const std::wstring& keyPath, bool write) {
    HKEY key = nullptr;
    const LONG status =
        write ? RegCreateKeyExW(HKEY_CURRENT_USER, keyPath.c_str(), 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, &key,
                                nullptr)
              : RegOpenKeyExW(HKEY_CURRENT_USER, keyPath.c_str(), 0, KEY_READ, &key);
    return UniqueRegistryKey(status == ERROR_SUCCESS ? key : nullptr);
}

bool ReadQword(HKEY key, const wchar_t* name, std::uint64_t& value) {
    DWORD type = 0, size = sizeof value;
    return RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) == ERROR_SUCCESS &&
           type == REG_QWORD && size == sizeof value;
}

bool ReadDword(HKEY key, const wchar_t* name, DWORD& value) {
    DWORD type = 0, size = sizeof value;
    return RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) == ERROR_SUCCESS &&
           type == REG_DWORD && size == sizeof value;
}

// A time in the future cannot have been written by a check that already happened: it comes
// from a clock set back or from tampering, and is ignored either way.
bool ReadTime(HKEY key, const wchar_t* name, std::int64_t now, std::int64_t& time) {
    std::uint64_t raw = 0;
    if (!ReadQword(key, name, raw) || raw > static_cast<std::uint64_t>(now)) return false;
    time = static_cast<std::int64_t>(raw);
    return true;
}

std::wstring ReadString(HKEY key, const wchar_t* name) {
    wchar_t buffer[kMaxVersionChars + 1] = {};
    DWORD type = 0, size = kMaxVersionChars * sizeof(wchar_t);
    if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) != ERROR_SUCCESS ||
        type != REG_SZ) {
        return {};
    }
    return std::wstring(buffer, wcsnlen(buffer, size / sizeof(wchar_t)));
}

bool WriteVersion(const std::wstring& keyPath, const wchar_t* name, const std::wstring& version) {
    UniqueRegistryKey key = OpenKey(keyPath, true);
    const DWORD bytes = static_cast<DWORD>((version.size() + 1) * sizeof(wchar_t));
    return key && version.size() <= kMaxVersionChars - 1 &&
           RegSetValueExW(key.Get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(version.c_str()), bytes) ==
               ERROR_SUCCESS;
}

bool WriteQword(const std::wstring& keyPath, const wchar_t* name, std::uint64_t value) {
    UniqueRegistryKey key = OpenKey(keyPath, true);
    return key && RegSetValueExW(key.Get(), name, 0, REG_QWORD, reinterpret_cast<const BYTE*>(&value), sizeof value) ==
                      ERROR_SUCCESS;
}

bool DrawGroup(int& group) {
    // Rejection keeps the seven groups equally likely.
    for (int attempt = 0; attempt < 16; ++attempt) {
        unsigned char byte = 0;
        if (BCryptGenRandom(nullptr, &byte, 1, BCRYPT_USE_SYSTEM_PREFERRED_RNG) != 0) return false;
        if (byte < 252) {
            group = byte % 7;
            return true;
        }
    }
    return false;
}

}  // namespace

std::wstring FeedStateKeyPath(const ProgramFacts& facts, const std::wstring& programPath) {
    if (facts.hasVersionResource && !facts.productName.empty()) {
        std::wstring path = L"Software\\";
        if (!facts.companyName.empty()) path += KeyName(facts.companyName) + L"\\";
        return path + KeyName(facts.productName) + L"\\Updater";
    }
    const std::size_t slash = programPath.find_last_of(L"\\/");
    return L"Software\\Updater\\" + KeyName(slash == std::wstring::npos ? programPath : programPath.substr(slash + 1));
}

FeedState LoadFeedState(const std::wstring& keyPath, std::int64_t now) {
    FeedState state;
    UniqueRegistryKey key = OpenKey(keyPath, false);
    if (!key) return state;
    state.skippedVersion = ReadString(key.Get(), L"SkippedVersion");
    state.deltaFailedVersion = ReadString(key.Get(), L"DeltaFailedVersion");
    state.hasLastCheck = ReadTime(key.Get(), L"LastCheckTime", now, state.lastCheckTime);
    state.hasFirstFailure = ReadTime(key.Get(), L"FirstFeedFailureTime", now, state.firstFeedFailureTime);
    state.hasFeedSerial = ReadQword(key.Get(), L"FeedSerial", state.feedSerial);
    DWORD group = 0;
    state.hasRolloutGroup = ReadDword(key.Get(), L"RolloutGroup", group) && group <= 6;
    state.rolloutGroup = state.hasRolloutGroup ? static_cast<int>(group) : 0;
    return state;
}

bool SaveSkippedVersion(const std::wstring& keyPath, const std::wstring& version) {
    return WriteVersion(keyPath, L"SkippedVersion", version);
}

bool SaveDeltaFailedVersion(const std::wstring& keyPath, const std::wstring& version) {
    return WriteVersion(keyPath, L"DeltaFailedVersion", version);
}

bool SaveLastCheckTime(const std::wstring& keyPath, std::int64_t time) {
    return time >= 0 && WriteQword(keyPath, L"LastCheckTime", static_cast<std::uint64_t>(time));
}

bool SaveFeedSerial(const std::wstring& keyPath, std::uint64_t serial) {
    return WriteQword(keyPath, L"FeedSerial", serial);
}

bool SaveFirstFeedFailureTime(const std::wstring& keyPath, std::int64_t time) {
    return time >= 0 && WriteQword(keyPath, L"FirstFeedFailureTime", static_cast<std::uint64_t>(time));
}

bool ClearFirstFeedFailureTime(const std::wstring& keyPath) {
    HKEY writable = nullptr;
    const LONG opened = RegOpenKeyExW(HKEY_CURRENT_USER, keyPath.c_str(), 0, KEY_SET_VALUE, &writable);
    if (opened == ERROR_FILE_NOT_FOUND) return true;  // nothing kept, nothing to clear
    if (opened != ERROR_SUCCESS) return false;
    UniqueRegistryKey key(writable);
    const LONG status = RegDeleteValueW(key.Get(), L"FirstFeedFailureTime");
    return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
}

int RolloutGroup(const std::wstring& keyPath, std::int64_t now) {
    const FeedState state = LoadFeedState(keyPath, now);
    if (state.hasRolloutGroup) return state.rolloutGroup;
    int group = 0;
    if (!DrawGroup(group)) return 0;  // no random source: the first group, and nothing kept
    UniqueRegistryKey key = OpenKey(keyPath, true);
    const DWORD value = static_cast<DWORD>(group);
    if (key) RegSetValueExW(key.Get(), L"RolloutGroup", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
    return group;
}

std::int64_t UnixTimeNow() {
    FILETIME ft;
    GetSystemTimeAsFileTime(&ft);
    const std::uint64_t ticks = (static_cast<std::uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
    constexpr std::uint64_t kEpochTicks = 116444736000000000ull;  // 1601-01-01 to 1970-01-01 in 100 ns
    return ticks < kEpochTicks ? 0 : static_cast<std::int64_t>((ticks - kEpochTicks) / 10000000ull);
}
