#include "updater/install/process_holders.h"

#include <tlhelp32.h>

#include <algorithm>
#include <utility>

#include "updater/files/windows_image.h"
#include "updater/install/file_fingerprint.h"
#include "updater/install/window_record.h"
#include "updater/paths.h"
#include "updater/update_log.h"

namespace {

constexpr DWORD kLongestPath = 32768;

DWORD SessionOf(DWORD processId) {
    DWORD session = static_cast<DWORD>(-1);
    ProcessIdToSessionId(processId, &session);
    return session;
}

bool Contains(const std::vector<DWORD>& ids, DWORD id) {
    return std::find(ids.begin(), ids.end(), id) != ids.end();
}

DWORD ProcessOf(HWND window) {
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    return processId;
}

UniqueHandle OpenToWatch(DWORD processId) {
    return UniqueHandle(OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
}

bool RunsImage(HANDLE process, const FileMatcher& image) {
    const std::wstring path = ImagePathOf(process);
    return !path.empty() && image.Matches(path);
}

bool HasModule(DWORD processId, const FileMatcher& module) {
    UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, processId));
    MODULEENTRY32W entry = {};
    entry.dwSize = sizeof entry;
    if (!snapshot || !Module32FirstW(snapshot.Get(), &entry)) return false;
    do {
        if (module.Matches(entry.szExePath)) return true;
    } while (Module32NextW(snapshot.Get(), &entry));
    return false;
}

bool InSameFolder(const std::wstring& a, const std::wstring& b) {
    FileIdentity folderA, folderB;
    return !a.empty() && IdentityOf(FolderOf(a), folderA) && IdentityOf(FolderOf(b), folderB) &&
           folderA == folderB;
}

// Whether the program that published the record holds the target although it does not run it.
bool RecordProgramHolds(const RunningProcess& program, const std::wstring& targetPath,
                        const FileMatcher& target) {
    if (HasModule(program.id, target)) return true;
    return !IsWindowsImageFile(targetPath) && InSameFolder(ImagePathOf(program.handle.Get()), targetPath);
}

void AddRecordWindow(const std::wstring& targetPath, const FileMatcher& target, TargetHolders& holders) {
    const HWND record = ReadWindowRecord(kHostRecordName);
    RunningProcess program;
    program.id = record != nullptr ? ProcessOf(record) : 0;
    if (program.id == 0 || program.id == GetCurrentProcessId()) {
        LogLine("host: no window of another process published");
        return;
    }
    if (Contains(holders.Ids(), program.id)) {
        holders.recordWindow = record;
        return;
    }
    program.handle = OpenToWatch(program.id);
    if (RecordProgramHolds(program, targetPath, target)) {
        holders.recordWindow = record;
        holders.processes.push_back(std::move(program));
    } else {
        LogLine("host: the published window %ld belongs to \"%s\", not to the target: ignored",
                static_cast<long>(reinterpret_cast<INT_PTR>(record)), Utf8(ImagePathOf(program.handle.Get())).c_str());
    }
}

struct WindowSearch {
    const std::vector<DWORD>* processIds;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectMainWindow(HWND window, LPARAM context) {
    auto* search = reinterpret_cast<WindowSearch*>(context);
    if (IsWindowVisible(window) && GetWindow(window, GW_OWNER) == nullptr &&
        Contains(*search->processIds, ProcessOf(window))) {
        search->found.push_back(window);
    }
    return TRUE;
}

}  // namespace

std::vector<DWORD> TargetHolders::Ids() const {
    std::vector<DWORD> ids;
    for (const RunningProcess& process : processes) ids.push_back(process.id);
    return ids;
}

std::wstring ImagePathOf(HANDLE process) {
    std::wstring path(kLongestPath, L'\0');
    DWORD length = kLongestPath;
    if (process == nullptr || !QueryFullProcessImageNameW(process, 0, &path[0], &length)) return std::wstring();
    path.resize(length);
    return path;
}

FileMatcher::FileMatcher(const std::wstring& path) {
    found = IdentityOf(path, identity);
    // Where the file system has no stable ids the content tells the file, never the path text.
    if (found && !identity.trusted) found = FingerprintOf(path, content);
}

bool FileMatcher::Matches(const std::wstring& path) const {
    if (!found) return false;
    if (!identity.trusted) return HasContent(path, content);
    FileIdentity other;
    return IdentityOf(path, other) && other == identity;
}

std::vector<RunningProcess> ProcessesRunning(const FileMatcher& image) {
    std::vector<RunningProcess> found;
    UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof entry;
    if (!image.Found() || !snapshot || !Process32FirstW(snapshot.Get(), &entry)) return found;
    const DWORD self = GetCurrentProcessId(), session = SessionOf(self);
    do {
        RunningProcess process;
        process.id = entry.th32ProcessID;
        if (process.id == self || process.id == 0 || SessionOf(process.id) != session) continue;
        process.handle = OpenToWatch(process.id);
        if (RunsImage(process.handle.Get(), image)) found.push_back(std::move(process));
    } while (Process32NextW(snapshot.Get(), &entry));
    return found;
}

bool AnyProcessRuns(const std::wstring& imagePath, const std::vector<DWORD>& ignored) {
    for (const RunningProcess& process : ProcessesRunning(FileMatcher(imagePath))) {
        if (!Contains(ignored, process.id)) return true;
    }
    return false;
}

std::vector<HWND> MainWindowsOf(const std::vector<DWORD>& processIds) {
    WindowSearch search = {&processIds, {}};
    EnumWindows(CollectMainWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

TargetHolders FindTargetHolders(const std::wstring& targetPath) {
    TargetHolders holders;
    const FileMatcher target(targetPath);
    if (!target.Found()) return holders;
    holders.processes = ProcessesRunning(target);
    AddRecordWindow(targetPath, target, holders);
    return holders;
}
