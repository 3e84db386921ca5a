// The real updater.exe run end to end against a loopback server and the sample host.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/http_server.h"
#include "tests/support/process.h"
#include "updater/paths.h"
#include "updater/single_instance.h"
#include "updater/window_record.h"

namespace {

constexpr DWORD kRunTimeoutMs = 60000;

bool LogHas(const std::wstring& exe, const std::string& line) {
    return ReadWholeFile(exe + L".log").find(line) != std::string::npos;
}

class UpdaterProgramTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(server.Started());
        newProgram = ReadWholeFile(ProgramFolder() + L"host_app_new.exe");
        oldProgram = ReadWholeFile(ProgramFolder() + L"host_app_old.exe");
        ASSERT_FALSE(newProgram.empty());
        server.Route("/new.exe", HttpResponse::Ok(newProgram));
    }

    void TearDown() override {
        CloseRunningHost();
        for (const auto& target : targets) DeleteFileW(TempDownloadPath(target).c_str());
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

    TestHttpServer server;
    ScratchFolder scratch{L"program"};
    const std::wstring folder = scratch.Path();
    const std::wstring updater = ProgramFolder() + L"updater.exe";
    std::vector<std::wstring> targets;
    std::string newProgram;
    std::string oldProgram;
};

}  // namespace

TEST_F(UpdaterProgramTest, WrongArgumentCountsExitWithZeroAndDownloadNothing) {
    const std::wstring url = Quoted(server.WideUrl("/new.exe"));
    const std::wstring target = Quoted(Target(L"a.exe"));
    EXPECT_EQ(RunUpdater(L""), 0);
    EXPECT_EQ(RunUpdater(url), 0);
    EXPECT_EQ(RunUpdater(url + L" " + target + L" extra"), 0);
    EXPECT_EQ(server.RequestCount("/new.exe"), 0);
    // Nothing was started that would hold the single-instance record.
    EXPECT_EQ(ReadWindowRecord(CSingleInst().MappingName().c_str()), nullptr);
}

TEST_F(UpdaterProgramTest, FullUpdateClosesReplacesAndStartsTheHost) {
    const std::wstring target = Target(L"host_full.exe");
    ASSERT_TRUE(WriteWholeFile(target, oldProgram));
    ChildProcess host;
    ASSERT_TRUE(host.Start(target, L""));
    ASSERT_TRUE(WaitUntil([] { return ReadWindowRecord(kHostRecordName) != nullptr; }, 10000));

    EXPECT_EQ(RunUpdater(Arguments("/new.exe", target)), 1);
    EXPECT_EQ(host.Wait(0), 0);
    EXPECT_TRUE(LogHas(target, "closed old"));
    EXPECT_EQ(ReadWholeFile(target), newProgram);
    EXPECT_FALSE(FileExists(TempDownloadPath(target)));
    EXPECT_TRUE(WaitUntil([&] { return LogHas(target, "started new"); }, 10000));
}

TEST_F(UpdaterProgramTest, RedirectToTheNewFileIsInstalled) {
    const std::wstring target = Target(L"host_redirected.exe");
    ASSERT_TRUE(WriteWholeFile(target, oldProgram));
    server.Route("/latest", HttpResponse::Redirect(302, "/new.exe"));
    EXPECT_EQ(RunUpdater(Arguments("/latest", target)), 1);
    EXPECT_EQ(ReadWholeFile(target), newProgram);
    EXPECT_TRUE(WaitUntil([&] { return LogHas(target, "started new"); }, 10000));
}

TEST_F(UpdaterProgramTest, FirstInstallationLeavesTheDownloadAndInstallsNothing) {
    const std::wstring target = Target(L"host_first.exe");
    EXPECT_EQ(RunUpdater(Arguments("/new.exe", target)), 1);
    EXPECT_FALSE(FileExists(target));
    EXPECT_EQ(ReadWholeFile(TempDownloadPath(target)), newProgram);
}

TEST_F(UpdaterProgramTest, FailedDownloadsNeverTouchTheOldProgram) {
    HttpResponse cut = HttpResponse::Ok(newProgram);
    cut.cutAfter = static_cast<long long>(newProgram.size() / 2);
    server.Route("/cut.exe", cut);
    server.Route("/missing.exe", HttpResponse::Status(404, "<html><body>404</body></html>"));
    server.Route("/broken.exe", HttpResponse::Status(500, "server error"));
    server.Route("/moved.exe", HttpResponse::Redirect(301, "/missing.exe"));
    server.Route("/apache.exe", HttpResponse::Ok("<html><head><title>Apache Tomcat</title></head></html>"));

    for (const char* route : {"/missing.exe", "/broken.exe", "/moved.exe", "/apache.exe", "/cut.exe"}) {
        const std::wstring target = Target(L"host_failed" + std::wstring(route + 1, route + 4) + L".exe");
        ASSERT_TRUE(WriteWholeFile(target, oldProgram));
        EXPECT_EQ(RunUpdater(Arguments(route, target)), 1) << route;
        EXPECT_EQ(ReadWholeFile(target), oldProgram) << route;
        EXPECT_FALSE(LogHas(target, "started")) << route;
    }
}

TEST_F(UpdaterProgramTest, SecondUpdaterHandsOverToTheFirstAndDownloadsNothing) {
    const std::wstring target = Target(L"host_second.exe");
    ASSERT_TRUE(WriteWholeFile(target, oldProgram));
    HttpResponse held = HttpResponse::Ok(newProgram);
    held.holdBody = true;
    server.Route("/held.exe", held);

    ChildProcess first;
    ASSERT_TRUE(first.Start(updater, Arguments("/held.exe", target)));
    ASSERT_TRUE(WaitUntil([&] { return server.RequestCount("/held.exe") == 1; }, 20000));
    HWND firstWindow = ReadWindowRecord(CSingleInst().MappingName().c_str());
    ASSERT_NE(firstWindow, nullptr);

    // Something else is in front when the second updater starts.
    HWND other = CreateWindowExW(0, L"STATIC", L"other", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr, nullptr,
                                 nullptr, nullptr);
    SetForegroundWindow(other);
    ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == other; }, 5000));

    EXPECT_EQ(RunUpdater(Arguments("/held.exe", target)), 1);
    EXPECT_EQ(server.RequestCount("/held.exe"), 1);
    EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == firstWindow; }, 5000));
    DestroyWindow(other);

    EXPECT_TRUE(first.Running());
    server.ReleaseHeldBodies();
    EXPECT_EQ(first.Wait(kRunTimeoutMs), 1);
    EXPECT_EQ(ReadWholeFile(target), newProgram);
}
