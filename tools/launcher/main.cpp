// The launcher, "<root>\<Main>.exe" of a whole-folder installation: the one file shortcuts,
// the taskbar and the user's habits point at, the same in every release. It reads which
// release is live from "<root>\current" and starts "<root>\app-<version>\<Main>.exe" with the
// same arguments, working folder and standard handles, then waits and returns its exit code,
// so a script that runs the program sees the program's own result.

#include <windows.h>

#include <string>
#include <vector>

#include "updater/package/package_manifest.h"
#include "updater/package/release_pointer.h"
#include "updater/paths.h"
#include "updater/update_log.h"
#include "ui/util/unique_handle.h"

namespace {

constexpr size_t kLogLimitBytes = 64 * 1024;
constexpr DWORD kPointerLimitBytes = 4096;

void Log(const std::string& line) {
    AppendLogLine(TempFolder() + L"updater-launcher.log", line, kLogLimitBytes);
}

std::wstring OwnPath() {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) return {};
        if (length < buffer.size()) return std::wstring(buffer.data(), length);
        buffer.resize(buffer.size() * 2);
    }
}

// Opened with full sharing and closed at once: the updater must be able to rename a new
// `current` over it at any moment, even while a launcher is reading.
bool ReadPointer(const std::wstring& path, std::string& text) {
    UniqueHandle file(CreateFileW(LongPathForm(path).c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0,
                                  nullptr));
    if (!file) return false;
    text.resize(kPointerLimitBytes);
    DWORD read = 0;
    if (!ReadFile(file.Get(), &text[0], kPointerLimitBytes, &read, nullptr)) return false;
    text.resize(read);
    return true;
}

bool IsFile(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(LongPathForm(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// A release folder is whole once its manifest is there: the updater writes it last.
bool IsWholeRelease(const std::wstring& root, const std::wstring& folder, const std::wstring& main) {
    return IsReleaseFolderName(folder) && IsFile(root + folder + L"\\" + kManifestName) &&
           IsFile(root + folder + L"\\" + main);
}

std::vector<std::wstring> WholeReleasesIn(const std::wstring& root, const std::wstring& main) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW data;
    UniqueFindHandle find(FindFirstFileW(LongPathForm(root + kReleasePrefix + L"*").c_str(), &data));
    if (!find) return names;
    do {
        if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && IsWholeRelease(root, data.cFileName, main)) {
            names.push_back(data.cFileName);
        }
    } while (FindNextFileW(find.Get(), &data));
    return names;
}

// The release `current` names, or the highest whole one with the reason logged.
std::wstring ChooseRelease(const std::wstring& root, const std::wstring& main) {
    std::string text;
    ReleasePointer pointer;
    std::string why;
    if (!ReadPointer(root + kCurrentName, text)) {
        why = "no readable current file";
    } else if (!ParseReleasePointer(text, pointer)) {
        why = "current does not name a release folder";
    } else if (!IsWholeRelease(root, pointer.folder, main)) {
        why = "current names " + Utf8(pointer.folder) + ", which is not a whole release";
    } else {
        return pointer.folder;
    }
    const std::wstring chosen = HighestRelease(WholeReleasesIn(root, main));
    Log("launcher: " + why + " in " + Utf8(root) + "; starting " + (chosen.empty() ? "nothing" : Utf8(chosen)));
    return chosen;
}

// The command line after the program's own name, exactly as it was given (quotes and all).
const wchar_t* ArgumentsOf(const wchar_t* commandLine) {
    const wchar_t* at = commandLine;
    if (*at == L'"') {
        for (++at; *at != L'\0' && *at != L'"'; ++at) {
        }
        if (*at == L'"') ++at;
    } else {
        while (*at != L'\0' && *at != L' ' && *at != L'\t') ++at;
    }
    return at;
}

int Launch(const std::wstring& program) {
    std::wstring commandLine = L"\"" + program + L"\"" + ArgumentsOf(GetCommandLineW());
    STARTUPINFOW startup;
    GetStartupInfoW(&startup);
    startup.cb = sizeof startup;
    startup.lpReserved = nullptr;
    startup.cbReserved2 = 0;
    startup.lpReserved2 = nullptr;
    const bool handles = (startup.dwFlags & STARTF_USESTDHANDLES) != 0;
    PROCESS_INFORMATION info;
    if (!CreateProcessW(LongPathForm(program).c_str(), &commandLine[0], nullptr, nullptr, handles ? TRUE : FALSE, 0,
                        nullptr, nullptr, &startup, &info)) {
        Log("launcher: cannot start " + Utf8(program) + " (error " + std::to_string(GetLastError()) + ")");
        return 1;
    }
    UniqueHandle process(info.hProcess), thread(info.hThread);
    // The program, not the launcher, is what the user started: it may take the foreground.
    AllowSetForegroundWindow(info.dwProcessId);
    WaitForSingleObject(process.Get(), INFINITE);
    DWORD code = 1;
    GetExitCodeProcess(process.Get(), &code);
    return static_cast<int>(code);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    const std::wstring self = OwnPath();
    const std::wstring root = FolderOf(self);
    const std::wstring main = FileNameOf(self);
    const std::wstring release = root.empty() || main.empty() ? std::wstring() : ChooseRelease(root, main);
    if (release.empty()) {
        Log("launcher: no whole release beside " + Utf8(self));
        return 1;
    }
    return Launch(root + release + L"\\" + main);
}
