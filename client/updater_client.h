#pragma once
// The host application's side of the updater, header-only: include this file and nothing else.
//
//   updater_client::HostWindowRecord record;
//   record.Publish(mainWindow);        // the updater can now ask the application to close
//   updater_client::StartUpdater(L"C:\\App\\updater.exe", L"https://example.test/app.exe",
//                                L"C:\\App\\app.exe", L"<64 hex digits of the SHA-256>");
//
// The updater replaces the target once the application has closed on WM_SYSCOMMAND/SC_CLOSE,
// then starts the new program without arguments. Or it asks the vendor's signed feed itself:
//
//   updater_client::CheckForUpdates(L"C:\\App\\updater.exe", L"https://example.test/appcast.xml",
//                                   L"C:\\App\\app.exe");              // at every start
//   updater_client::CheckForUpdates(..., updater_client::CheckOptions{true});  // "Check for updates"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <string>

namespace updater_client {

// The shared record in which the application publishes its main window.
inline const wchar_t* HostRecordName() {
    return L"{D727BDB5-F86A-405b-910D-11AD2A4CA76E}_MapFile";
}

// Holds the record while the application runs: the window handle's 32-bit value as signed
// decimal UTF-16 text and a 16-bit zero, in a 24-byte paging-file backed mapping.
class HostWindowRecord {
public:
    static constexpr DWORD kBytes = 24;

    HostWindowRecord() = default;
    ~HostWindowRecord() { Withdraw(); }
    HostWindowRecord(const HostWindowRecord&) = delete;
    HostWindowRecord& operator=(const HostWindowRecord&) = delete;

    // Publishes `window`, replacing an earlier publication. False when the record cannot be made.
    bool Publish(HWND window) {
        Withdraw();
        mapping_ =
            CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, kBytes, HostRecordName());
        if (mapping_ == nullptr) return false;
        wchar_t text[kBytes / sizeof(wchar_t)] = {};
        std::swprintf(text, kBytes / sizeof(wchar_t), L"%d",
                      static_cast<int>(reinterpret_cast<INT_PTR>(window)));
        if (!Write(text)) {
            Withdraw();
            return false;
        }
        return true;
    }

    // Takes the window back (when the main window goes). The text is cleared first: an updater
    // that still has the record open must not find a handle that may soon name another window.
    void Withdraw() {
        if (mapping_ == nullptr) return;
        const wchar_t none[kBytes / sizeof(wchar_t)] = {};
        Write(none);
        CloseHandle(mapping_);
        mapping_ = nullptr;
    }

private:
    bool Write(const wchar_t (&text)[kBytes / sizeof(wchar_t)]) {
        void* view = MapViewOfFile(mapping_, FILE_MAP_WRITE, 0, 0, kBytes);
        if (view == nullptr) return false;
        std::memcpy(view, text, kBytes);
        FlushViewOfFile(view, kBytes);
        UnmapViewOfFile(view);
        return true;
    }

    HANDLE mapping_ = nullptr;
};

// One argument quoted so that CommandLineToArgvW gives it back exactly: blanks, quotes and
// backslashes before a quote or at the end included.
inline std::wstring QuoteArgument(const std::wstring& argument) {
    std::wstring quoted = L"\"";
    size_t backslashes = 0;
    for (wchar_t ch : argument) {
        if (ch == L'\\') {
            ++backslashes;
            continue;
        }
        quoted.append(ch == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        quoted += ch;
    }
    quoted.append(backslashes * 2, L'\\');
    return quoted + L"\"";
}

// The URL with "#sha256=<digest>" as its fragment (an existing fragment is replaced); the URL as
// it is when `sha256Hex` is empty.
inline std::wstring UrlWithHash(const std::wstring& url, const std::wstring& sha256Hex) {
    if (sha256Hex.empty()) return url;
    return url.substr(0, url.find(L'#')) + L"#sha256=" + sha256Hex;
}

inline std::wstring UpdaterCommandLine(const std::wstring& updaterExe, const std::wstring& url,
                                       const std::wstring& targetPath, const std::wstring& sha256Hex = L"") {
    return QuoteArgument(updaterExe) + L" " + QuoteArgument(UrlWithHash(url, sha256Hex)) + L" " +
           QuoteArgument(targetPath);
}

// For a whole-folder installation, the updater to start: "<root>\\<release>\\updater.exe" for
// the release "<root>\\current" names, given the launcher "<root>\\<Main>.exe" that shortcuts
// start. Each release carries its own updater, and the one of an older release goes with its
// folder. Empty when `current` cannot be read or its first line is no plain folder name.
inline std::wstring CurrentReleaseUpdater(const std::wstring& launcherPath) {
    const size_t slash = launcherPath.find_last_of(L"\\/");
    if (slash == std::wstring::npos) return std::wstring();
    const std::wstring root = launcherPath.substr(0, slash);
    HANDLE file = CreateFileW((root + L"\\current").c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0,
                              nullptr);
    if (file == INVALID_HANDLE_VALUE) return std::wstring();
    char text[512];
    DWORD got = 0;
    const BOOL read = ReadFile(file, text, sizeof text, &got, nullptr);
    CloseHandle(file);
    if (!read) return std::wstring();
    const std::string line(text, std::find_if(text, text + got, [](char ch) { return ch == '\r' || ch == '\n'; }));
    wchar_t name[512];
    const int length = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, line.data(), static_cast<int>(line.size()),
                                           name, 511);
    const std::wstring folder(name, length > 0 ? static_cast<size_t>(length) : 0);
    if (folder.empty() || folder == L"." || folder == L".." || folder.find_first_of(L"\\/:") != std::wstring::npos)
        return std::wstring();
    return root + L"\\" + folder + L"\\updater.exe";
}

// Starts `updaterExe` with `commandLine`. When `process` is given it receives the process handle
// (close it); otherwise the handle is closed here. False when the updater cannot be started.
inline bool StartUpdaterProcess(const std::wstring& updaterExe, std::wstring commandLine, HANDLE* process) {
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    if (!CreateProcessW(updaterExe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &info)) {
        return false;
    }
    CloseHandle(info.hThread);
    if (process != nullptr) {
        *process = info.hProcess;
    } else {
        CloseHandle(info.hProcess);
    }
    return true;
}

// Starts the updater. `process` as for StartUpdaterProcess. False when the updater cannot be started.
inline bool StartUpdater(const std::wstring& updaterExe, const std::wstring& url,
                         const std::wstring& targetPath, const std::wstring& sha256Hex = L"",
                         HANDLE* process = nullptr) {
    return StartUpdaterProcess(updaterExe, UpdaterCommandLine(updaterExe, url, targetPath, sha256Hex), process);
}

// What a feed check may do besides asking: see the README's "Checking for updates".
struct CheckOptions {
    bool now = false;      // the user asked ("Check for updates"): no interval, say what was found
    bool yes = false;      // install a newer version without asking
    std::wstring channel;  // offer this channel's items too (for example L"beta"); empty: none
};

inline std::wstring CheckCommandLine(const std::wstring& updaterExe, const std::wstring& feedUrl,
                                     const std::wstring& programPath, const CheckOptions& options = CheckOptions()) {
    std::wstring line = QuoteArgument(updaterExe) + L" --check";
    if (options.now) line += L" --now";
    if (options.yes) line += L" --yes";
    if (!options.channel.empty()) line += L" --channel " + QuoteArgument(options.channel);
    return line + L" " + QuoteArgument(feedUrl) + L" " + QuoteArgument(programPath);
}

// Starts a check of the vendor's signed feed for the program at `programPath` (the updater
// shows what it finds and exits 0 nothing newer, 1 an update attempted, 2 later or skip, 3 the
// check failed). `process` as for StartUpdater. False when the updater cannot be started.
inline bool CheckForUpdates(const std::wstring& updaterExe, const std::wstring& feedUrl,
                            const std::wstring& programPath, const CheckOptions& options = CheckOptions(),
                            HANDLE* process = nullptr) {
    return StartUpdaterProcess(updaterExe, CheckCommandLine(updaterExe, feedUrl, programPath, options), process);
}

}  // namespace updater_client
