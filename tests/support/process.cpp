#include "tests/support/process.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "updater/paths.h"
#include "updater/install/window_record.h"

bool ChildProcess::Start(const std::wstring& exe, const std::wstring& arguments) {
    std::wstring commandLine = Quoted(exe) + L" " + arguments;
    std::vector<wchar_t> buffer(commandLine.begin(), commandLine.end());
    buffer.push_back(L'\0');
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    if (!CreateProcessW(exe.c_str(), buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) {
        return false;
    }
    CloseHandle(info.hThread);
    process_.Reset(info.hProcess);
    id_ = info.dwProcessId;
    return true;
}

long ChildProcess::Wait(DWORD timeoutMs) {
    if (!process_ || WaitForSingleObject(process_.Get(), timeoutMs) != WAIT_OBJECT_0) return -1;
    DWORD code = 0;
    GetExitCodeProcess(process_.Get(), &code);
    return static_cast<long>(code);
}

bool ChildProcess::Running() const {
    return process_ && WaitForSingleObject(process_.Get(), 0) == WAIT_TIMEOUT;
}

void ChildProcess::Terminate() {
    if (Running()) {
        TerminateProcess(process_.Get(), 99);
        WaitForSingleObject(process_.Get(), 5000);
    }
}

std::wstring ProgramFolder() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return FolderOf(path);
}

namespace {

void RemoveFolderContents(const std::wstring& folder) {
    WIN32_FIND_DATAW data;
    UniqueFindHandle find(FindFirstFileW((folder + L"*").c_str(), &data));
    if (!find) return;
    do {
        const std::wstring name = data.cFileName;
        if (name == L"." || name == L"..") continue;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            RemoveFolderContents(folder + name + L"\\");
            RemoveDirectoryW((folder + name).c_str());
        } else {
            SetFileAttributesW((folder + name).c_str(), FILE_ATTRIBUTE_NORMAL);
            DeleteFileW((folder + name).c_str());
        }
    } while (FindNextFileW(find.Get(), &data));
}

}  // namespace

ScratchFolder::ScratchFolder(const std::wstring& name)
    : path_(TempFolder() + L"updater-tests-" + std::to_wstring(GetCurrentProcessId()) + L"-" + name + L"\\") {
    CreateDirectoryW(path_.c_str(), nullptr);
    RemoveFolderContents(path_);
}

ScratchFolder::~ScratchFolder() {
    RemoveFolderContents(path_);
    RemoveDirectoryW(path_.c_str());
}

HandMadeRecord::HandMadeRecord(const wchar_t* name, const void* bytes, size_t size)
    : mapping_(CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, static_cast<DWORD>(size),
                                  name)) {
    UniqueMappedView view(MapViewOfFile(mapping_.Get(), FILE_MAP_ALL_ACCESS, 0, 0, 0));
    if (view) std::memcpy(view.Get(), bytes, size);
}

void CloseRunningHost() {
    HWND host = ReadWindowRecord(kHostRecordName);
    if (host == nullptr) return;
    DWORD processId = 0;
    GetWindowThreadProcessId(host, &processId);
    UniqueHandle process(OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, processId));
    PostMessageW(host, WM_SYSCOMMAND, SC_CLOSE, 0);
    if (process && WaitForSingleObject(process.Get(), 10000) != WAIT_OBJECT_0) {
        TerminateProcess(process.Get(), 99);
    }
}

std::string ReadWholeFile(const std::wstring& path) {
    // Full sharing: a download the updater still holds open is readable only this way.
    std::string bytes;
    UniqueHandle file(CreateFileW(path.c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return bytes;
    char buffer[65536];
    DWORD got = 0;
    while (ReadFile(file.Get(), buffer, sizeof buffer, &got, nullptr) && got > 0) bytes.append(buffer, got);
    return bytes;
}

bool WriteWholeFile(const std::wstring& path, const std::string& bytes) {
    FILE* file = _wfopen(path.c_str(), L"wb");
    if (file == nullptr) return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}

bool FileExists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::wstring Quoted(const std::wstring& text) { return L"\"" + text + L"\""; }

void ShortenUpdaterPauses(int closeDelayMs, int retryPauseMs) {
    const auto set = [](const wchar_t* name, int value) {
        SetEnvironmentVariableW(name, value < 0 ? nullptr : std::to_wstring(value).c_str());
    };
    set(L"UPDATER_TEST_CLOSE_DELAY_MS", closeDelayMs);
    set(L"UPDATER_TEST_RETRY_PAUSE_MS", retryPauseMs);
}

void StartFreshUpdaterLog() { DeleteFileW((TempFolder() + L"updater.log").c_str()); }

std::vector<std::wstring> FilesIn(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW data;
    UniqueFindHandle find(FindFirstFileW((folder + L"*").c_str(), &data));
    if (!find) return names;
    do {
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(data.cFileName);
    } while (FindNextFileW(find.Get(), &data));
    std::sort(names.begin(), names.end());
    return names;
}

bool LogHas(const std::wstring& exe, const std::string& line) {
    return ReadWholeFile(exe + L".log").find(line) != std::string::npos;
}

namespace {
constexpr wchar_t kSelfRunVariable[] = L"UPDATER_TEST_SELF_RUN";
}  // namespace

long RunSelf(const std::wstring& arguments) {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    ChildProcess child;
    return child.Start(self, arguments) ? child.Wait(120000) : -1;
}

long RunCasesInFreshProcess(const std::wstring& filter) {
    SetEnvironmentVariableW(kSelfRunVariable, L"1");
    const long result = RunSelf(L"--gtest_filter=" + filter);
    SetEnvironmentVariableW(kSelfRunVariable, nullptr);
    return result;
}

bool IsSelfRun() {
    return GetEnvironmentVariableW(kSelfRunVariable, nullptr, 0) != 0;
}
