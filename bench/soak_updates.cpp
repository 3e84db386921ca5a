// Consecutive full updates with the real programs: a sample host runs from a scratch folder, a
// loopback server offers the new build, and updater.exe replaces the running host and starts the
// new one, again and again. Each round the old build is put back and started. The program prints
// how many rounds installed and started the new program, how many left a temporary download or
// a staged copy behind, and this process's handle count before and after (every round's process
// handles must be closed again).
//
// Usage: bench_soak_updates.exe [rounds]   (default 50; a round takes a few seconds under Wine)

// The loopback server brings winsock2.h, which must precede windows.h.
#include "tests/support/http_server.h"

#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "tests/support/process.h"
#include "updater/paths.h"
#include "updater/install/window_record.h"

namespace {

constexpr DWORD kRoundTimeoutMs = 60000;

DWORD HandleCount() {
    DWORD count = 0;
    GetProcessHandleCount(GetCurrentProcess(), &count);
    return count;
}

struct RoundResult {
    bool installed = false;
    bool leftovers = false;
};

RoundResult OneRound(const TestHttpServer& server, const std::wstring& folder, const std::string& oldProgram,
                     const std::string& newProgram) {
    RoundResult result;
    const std::wstring target = folder + L"SoakHost.exe";
    DeleteFileW((target + L".log").c_str());
    if (!WriteWholeFile(target, oldProgram)) return result;
    ChildProcess host;
    if (!host.Start(target, L"") ||
        !WaitUntil([] { return ReadWindowRecord(kHostRecordName) != nullptr; }, 10000)) {
        return result;
    }
    ChildProcess updater;
    const std::wstring arguments = Quoted(server.WideUrl("/new.exe")) + L" " + Quoted(target);
    if (updater.Start(ProgramFolder() + L"updater.exe", arguments)) updater.Wait(kRoundTimeoutMs);
    result.installed = ReadWholeFile(target) == newProgram &&
                       WaitUntil([&] { return LogHas(target, "started new"); }, 10000);
    CloseRunningHost();
    // Left in the folder: the program and its log, nothing staged; nothing in the temporary folder.
    result.leftovers = FilesIn(folder).size() != 2 || FileExists(TempDownloadPath(target));
    return result;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const int rounds = argc > 1 ? static_cast<int>(std::wcstol(argv[1], nullptr, 10)) : 50;
    const std::string oldProgram = ReadWholeFile(ProgramFolder() + L"host_app_old.exe");
    const std::string newProgram = ReadWholeFile(ProgramFolder() + L"host_app_new.exe");
    TestHttpServer server;
    server.Route("/new.exe", HttpResponse::Ok(newProgram));
    ScratchFolder scratch(L"soak");

    const DWORD handlesBefore = HandleCount();
    const DWORD start = GetTickCount();
    int installed = 0, leftovers = 0;
    for (int round = 0; round < rounds; ++round) {
        const RoundResult result = OneRound(server, scratch.Path(), oldProgram, newProgram);
        installed += result.installed ? 1 : 0;
        leftovers += result.leftovers ? 1 : 0;
    }
    const DWORD handlesAfter = HandleCount();
    std::printf("%d rounds in %.1f s: %d installed and started, %d left files behind\n", rounds,
                (GetTickCount() - start) / 1000.0, installed, leftovers);
    if (handlesBefore == 0) {
        std::printf("(this system does not count handles: GetProcessHandleCount answers 0)\n");
    } else {
        std::printf("handles of this process: %lu before, %lu after\n", handlesBefore, handlesAfter);
    }
    return installed == rounds && leftovers == 0 ? 0 : 1;
}
