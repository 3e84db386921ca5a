#include "updater/install/folder_holders.h"

#include <tlhelp32.h>

#include <utility>

namespace {

constexpr wchar_t kLongPrefix[] = L"\\\\?\\";

std::wstring WithoutLongPrefix(const std::wstring& path) {
    return path.compare(0, 4, kLongPrefix) == 0 ? path.substr(4) : path;
}

// Any module of the process below the folder: the program itself is its first module.
bool LoadsFromFolder(DWORD processId, const std::wstring& folder) {
    UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, processId));
    MODULEENTRY32W entry = {};
    entry.dwSize = sizeof entry;
    if (!snapshot || !Module32FirstW(snapshot.Get(), &entry)) return false;
    do {
        if (IsBelowFolder(entry.szExePath, folder)) return true;
    } while (Module32NextW(snapshot.Get(), &entry));
    return false;
}

DWORD SessionOf(DWORD processId) {
    DWORD session = static_cast<DWORD>(-1);
    ProcessIdToSessionId(processId, &session);
    return session;
}

}  // namespace

bool IsBelowFolder(const std::wstring& path, const std::wstring& folder) {
    std::wstring base = WithoutLongPrefix(folder);
    while (!base.empty() && (base.back() == L'\\' || base.back() == L'/')) base.pop_back();
    const std::wstring candidate = WithoutLongPrefix(path);
    if (base.empty() || candidate.size() <= base.size() + 1) return false;
    const wchar_t separator = candidate[base.size()];
    return (separator == L'\\' || separator == L'/') &&
           CompareStringOrdinal(candidate.c_str(), static_cast<int>(base.size()), base.c_str(),
                                static_cast<int>(base.size()), TRUE) == CSTR_EQUAL;
}

TargetHolders FindFolderHolders(const std::wstring& folder, const std::wstring& launcher) {
    TargetHolders holders;
    const FileMatcher launcherFile(launcher);
    UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof entry;
    if (!snapshot || !Process32FirstW(snapshot.Get(), &entry)) return holders;
    const DWORD self = GetCurrentProcessId(), session = SessionOf(self);
    do {
        RunningProcess process;
        process.id = entry.th32ProcessID;
        if (process.id == self || process.id == 0 || SessionOf(process.id) != session) continue;
        process.handle.Reset(OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process.id));
        const std::wstring image = ImagePathOf(process.handle.Get());
        const bool holds = (!image.empty() && (IsBelowFolder(image, folder) || launcherFile.Matches(image))) ||
                           LoadsFromFolder(process.id, folder);
        if (holds) holders.processes.push_back(std::move(process));
    } while (Process32NextW(snapshot.Get(), &entry));
    return holders;
}
