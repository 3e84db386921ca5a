// The launcher's cost: a minimal plain-window program (bench_plain_window.exe) started as a
// whole process directly, against the same program started through the launcher of a
// whole-folder installation (<root>\<Main>.exe reading `current`, then starting
// <root>\app-1.0\<Main>.exe). Each run is timed from before CreateProcess to the end of the
// program's first paint, signalled through the event named in UPDATER_FIRST_PAINT_EVENT (which
// the launcher passes on with the rest of its environment). Median of 9 alternating runs after
// one discarded pair; prints the ratio (goal <= 1.1).

#include <windows.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "tests/support/process.h"
#include "bench/bench_clock.h"

namespace {

constexpr int kRuns = 9;
constexpr DWORD kSettleMs = 3000;

// The launcher waits for its program: the program (the launcher's child, which this benchmark
// started through it) is ended by its own id.
void EndChildrenOf(DWORD parent) {
    UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = snapshot && Process32FirstW(snapshot.Get(), &entry); more;
         more = Process32NextW(snapshot.Get(), &entry)) {
        if (entry.th32ParentProcessID != parent) continue;
        UniqueHandle child(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, entry.th32ProcessID));
        if (child) {
            TerminateProcess(child.Get(), 0);
            WaitForSingleObject(child.Get(), 5000);
        }
    }
}

double ProcessToFirstPaint(const std::wstring& exe, int serial) {
    const double elapsed = TimeToFirstPaint(exe, L"", serial, EndChildrenOf);
    Sleep(kSettleMs);  // Wine takes a moment to take a window off the display
    return elapsed;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? -1 : values[values.size() / 2];
}

}  // namespace

int wmain() {
    ScratchFolder scratch(L"bench-launcher");
    const std::wstring root = scratch.Path(), program = ProgramFolder() + L"bench_plain_window.exe";
    const std::wstring main = L"bench_plain_window.exe";
    CreateDirectoryW((root + L"app-1.0").c_str(), nullptr);
    const bool laid = CopyFileW((ProgramFolder() + L"launcher.exe").c_str(), (root + main).c_str(), FALSE) &&
                      CopyFileW(program.c_str(), (root + L"app-1.0\\" + main).c_str(), FALSE) &&
                      WriteWholeFile(root + L"app-1.0\\.upd-manifest", "manifest") &&
                      WriteWholeFile(root + L"current", "app-1.0\r\n" + std::string(64, '0') + "\r\n");
    if (!laid) {
        std::printf("cannot lay out the installation in %ls\n", root.c_str());
        return 1;
    }
    ProcessToFirstPaint(program, 0);
    ProcessToFirstPaint(root + main, 1);
    std::vector<double> direct, launched;
    for (int run = 0; run < kRuns; ++run) {
        direct.push_back(ProcessToFirstPaint(program, 2 + 2 * run));
        launched.push_back(ProcessToFirstPaint(root + main, 3 + 2 * run));
    }
    const double a = Median(direct), b = Median(launched);
    std::printf("process to first paint, median of %d: direct %.1f ms, through the launcher %.1f ms\n", kRuns, a, b);
    std::printf("ratio %.2f (goal <= 1.1)\n", a > 0 ? b / a : -1.0);
    return 0;
}
