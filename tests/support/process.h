#pragma once
// Helpers for tests that run the real programs: start a process, wait for it with a bound,
// and find the programs and scratch folders the tests use.

#include <windows.h>

#include <string>
#include <vector>

#include "ui/util/unique_handle.h"

class ChildProcess {
public:
    // Starts `exe` with `arguments` (already quoted as needed). False when it cannot be started.
    bool Start(const std::wstring& exe, const std::wstring& arguments);
    // The exit code, or -1 when the process has not ended within `timeoutMs`.
    long Wait(DWORD timeoutMs);
    bool Running() const;
    // Ends the process if it still runs (only this process, by its own handle).
    void Terminate();
    DWORD Id() const { return id_; }
    ~ChildProcess() { Terminate(); }

private:
    UniqueHandle process_;
    DWORD id_ = 0;
};

// The folder of the running test program (all built programs sit together in bin/).
std::wstring ProgramFolder();

// Runs this test program's cases matching `filter` in a fresh process of their own; 0 when they
// passed, -1 when the run could not start or did not end within two minutes. A case that needs a
// clean process (Wine reads some settings, and its root certificates, once per process) calls
// this and returns unless IsSelfRun() says it already is that process.
long RunCasesInFreshProcess(const std::wstring& filter);
bool IsSelfRun();
// Runs this program again with `arguments`; its exit code, or -1 as above.
long RunSelf(const std::wstring& arguments);
// A fresh, empty folder under the temporary folder, unique to this process and `name`, removed
// with everything in it when the object goes.
class ScratchFolder {
public:
    explicit ScratchFolder(const std::wstring& name);
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    // The folder with a trailing backslash.
    const std::wstring& Path() const { return path_; }

private:
    std::wstring path_;
};

// A window-handle record made by hand, as a host application would publish it; it exists as long
// as the object does.
class HandMadeRecord {
public:
    HandMadeRecord(const wchar_t* name, const void* bytes, size_t size);
    HandMadeRecord(const HandMadeRecord&) = delete;
    HandMadeRecord& operator=(const HandMadeRecord&) = delete;

private:
    UniqueHandle mapping_;
};

// Asks whatever program publishes the host application's record to close and waits for its
// process to end, so no sample host outlives the test that started it.
void CloseRunningHost();
std::string ReadWholeFile(const std::wstring& path);
bool WriteWholeFile(const std::wstring& path, const std::string& bytes);
bool FileExists(const std::wstring& path);
// The names of the files (not folders) directly in `folder` (with its trailing separator), sorted.
std::vector<std::wstring> FilesIn(const std::wstring& folder);
// Whether the sample host started from `exe` has logged `line` (its log sits beside it).
bool LogHas(const std::wstring& exe, const std::string& line);
std::wstring Quoted(const std::wstring& text);
// The updater.exe runs this process starts from now on close `closeDelayMs` after their outcome
// instead of three seconds, and pause at most `retryPauseMs` between transfer attempts (the
// test-only variables of updater/test_hooks.h); a negative value keeps the program's own time.
void ShortenUpdaterPauses(int closeDelayMs, int retryPauseMs = -1);
// Removes the updater's log (%TEMP%\updater.log), so that what a test's runs write stays far below
// the size at which the log drops its older half: tests find a run's lines past a mark taken
// before it, and a halved log would move them.
void StartFreshUpdaterLog();
// Polls `condition` every 20 ms until it holds or `timeoutMs` passed, pumping this thread's messages.
template <typename Condition>
bool WaitUntil(Condition condition, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        if (condition()) return true;
        if (GetTickCount() - start >= timeoutMs) return false;
        Sleep(20);
    }
}
