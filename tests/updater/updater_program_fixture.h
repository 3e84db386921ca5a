#pragma once
// The real updater.exe run end to end against a loopback server and the sample host: the fixture
// the program tests share.

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "tests/support/http_server.h"
#include "tests/support/process.h"
#include "updater/install/process_holders.h"
#include "updater/paths.h"

constexpr DWORD kRunTimeoutMs = 60000;
constexpr int kShortCloseMs = 100;

// Ends the sample hosts started from `exe` that still run (each logs its process id when it
// starts); the updater starts them, so no test holds their handles.
inline void EndProgramsStartedFrom(const std::wstring& exe) {
    const std::string log = ReadWholeFile(exe + L".log");
    for (size_t at = log.find("started "); at != std::string::npos; at = log.find("started ", at + 1)) {
        const DWORD id = std::strtoul(log.c_str() + log.find(' ', at + 8), nullptr, 10);
        UniqueHandle process(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION,
                                         FALSE, id));
        // Its file may have been moved aside since (a copy of a new program that did not start).
        if (process && FileNameOf(ImagePathOf(process.Get())).rfind(FileNameOf(exe), 0) == 0) {
            TerminateProcess(process.Get(), 0);
            WaitForSingleObject(process.Get(), 5000);
        }
    }
}

inline int LogCount(const std::wstring& exe, const std::string& line) {  // of the sample host's log
    const std::string log = ReadWholeFile(exe + L".log");
    int count = 0;
    for (size_t at = log.find(line); at != std::string::npos; at = log.find(line, at + 1)) ++count;
    return count;
}

class UpdaterProgramTest : public ::testing::Test {
protected:
    void SetUp() override {
        // No case here watches the three-second close, except the one that updates during it.
        ShortenUpdaterPauses(kShortCloseMs);
        StartFreshUpdaterLog();
        ASSERT_TRUE(server.Started());
        newProgram = ReadWholeFile(ProgramFolder() + L"host_app_new.exe");
        oldProgram = ReadWholeFile(ProgramFolder() + L"host_app_old.exe");
        ASSERT_FALSE(newProgram.empty());
        server.Route("/new.exe", HttpResponse::Ok(newProgram));
    }

    void TearDown() override {
        CloseRunningHost();
        for (const auto& target : targets) {
            EndProgramsStartedFrom(target);
            DeleteFileW(TempDownloadPath(target).c_str());
        }
    }

    // A target path in the scratch folder whose download is cleaned up after the test.
    std::wstring Target(const std::wstring& name) {
        targets.push_back(folder + name);
        return targets.back();
    }

    long RunUpdater(const std::wstring& arguments) {
        ChildProcess process;
        if (!process.Start(updater, arguments)) return -2;
        return process.Wait(kRunTimeoutMs);
    }

    std::wstring Arguments(const std::string& route, const std::wstring& target) const {
        return Quoted(server.WideUrl(route)) + L" " + Quoted(target);
    }

    // Starts an updater whose download the server holds back until ReleaseHeldBodies().
    void StartHeldUpdate(const std::wstring& target, ChildProcess& process) {
        HttpResponse held = HttpResponse::Ok(newProgram);
        held.holdBody = true;
        server.Route("/held.exe", held);
        ASSERT_TRUE(process.Start(updater, Arguments("/held.exe", target)));
        ASSERT_TRUE(WaitUntil([&] { return server.RequestCount("/held.exe") == 1; }, 20000));
    }

    // Starts, over `target`, a sample host that never closes by itself and an updater, and waits
    // until the update window asks the user to close the host; `logBefore` marks the log's end
    // before the updater started.
    void StartUpdateThatAsksAboutTheHost(const std::wstring& target, ChildProcess& host, ChildProcess& updaterRun,
                                         size_t& logBefore) {
        const std::wstring logPath = TempFolder() + L"updater.log";
        ASSERT_TRUE(WriteWholeFile(target, oldProgram));
        ASSERT_TRUE(host.Start(target, L"--ignore-close"));
        ASSERT_TRUE(WaitUntil([&] { return LogCount(target, "started old") == 1; }, 10000));
        logBefore = ReadWholeFile(logPath).size();
        ASSERT_TRUE(updaterRun.Start(updater, Arguments("/new.exe", target)));
        ASSERT_TRUE(WaitUntil([&] { return ReadWholeFile(logPath).find("window: asking the user", logBefore) !=
                                           std::string::npos; }, 40000));
    }

    // Waits for the update window's question about a program that does not close (logged after
    // `logBefore` in `logPath`), then closes the window, which is the user's Cancel.
    void AnswerHostPromptByClosing(const std::wstring& logPath, size_t logBefore) {
        ASSERT_TRUE(WaitUntil([&] { return ReadWholeFile(logPath).find("window: asking the user", logBefore) !=
                                           std::string::npos; }, 40000));
        const HWND window = FindWindowW(L"UIUpdateWnd", nullptr);
        ASSERT_NE(window, nullptr);
        PostMessageW(window, WM_CLOSE, 0, 0);
    }

    TestHttpServer server;
    ScratchFolder scratch{L"program"};
    const std::wstring folder = scratch.Path();
    const std::wstring updater = ProgramFolder() + L"updater.exe";
    std::vector<std::wstring> targets;
    std::string newProgram;
    std::string oldProgram;
};

