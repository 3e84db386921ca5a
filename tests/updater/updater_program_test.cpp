// The real updater.exe run end to end against a loopback server and the sample host.

#include <gtest/gtest.h>

#include <string>

#include "tests/support/http_server.h"
#include "tests/support/process.h"
#include "updater/paths.h"
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
        folder = MakeScratchFolder(L"program");
        updater = ProgramFolder() + L"updater.exe";
        newProgram = ReadWholeFile(ProgramFolder() + L"host_app_new.exe");
        oldProgram = ReadWholeFile(ProgramFolder() + L"host_app_old.exe");
        ASSERT_FALSE(newProgram.empty());
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
    std::wstring folder;
    std::wstring updater;
    std::string newProgram;
    std::string oldProgram;
};

}  // namespace

TEST_F(UpdaterProgramTest, WrongArgumentCountsExitWithZeroAndDownloadNothing) {
    server.Route("/new.exe", HttpResponse::Ok(newProgram));
    const std::wstring url = Quoted(server.WideUrl("/new.exe"));
    EXPECT_EQ(RunUpdater(L""), 0);
    EXPECT_EQ(RunUpdater(url), 0);
    EXPECT_EQ(RunUpdater(url + L" " + Quoted(folder + L"a.exe") + L" extra"), 0);
    EXPECT_EQ(server.RequestCount("/new.exe"), 0);
}

TEST_F(UpdaterProgramTest, FullUpdateClosesReplacesAndStartsTheHost) {
    const std::wstring target = folder + L"host_full.exe";
    ASSERT_TRUE(WriteWholeFile(target, oldProgram));
    ChildProcess host;
    ASSERT_TRUE(host.Start(target, L""));
    ASSERT_TRUE(WaitUntil([] { return ReadWindowRecord(kHostRecordName) != nullptr; }, 10000));
    server.Route("/new.exe", HttpResponse::Ok(newProgram));

    EXPECT_EQ(RunUpdater(Arguments("/new.exe", target)), 1);
    EXPECT_EQ(host.Wait(0), 0);
    EXPECT_TRUE(LogHas(target, "closed old"));
    EXPECT_EQ(ReadWholeFile(target), newProgram);
    EXPECT_FALSE(FileExists(TempDownloadPath(target)));
    ASSERT_TRUE(WaitUntil([&] { return LogHas(target, "started new"); }, 10000));
    HWND started = ReadWindowRecord(kHostRecordName);
    ASSERT_NE(started, nullptr);
    PostMessageW(started, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(WaitUntil([&] { return LogHas(target, "closed new"); }, 10000));
}

TEST_F(UpdaterProgramTest, FirstInstallationLeavesTheDownloadAndInstallsNothing) {
    const std::wstring target = folder + L"host_first.exe";
    server.Route("/new.exe", HttpResponse::Ok(newProgram));
    EXPECT_EQ(RunUpdater(Arguments("/new.exe", target)), 1);
    EXPECT_FALSE(FileExists(target));
    EXPECT_EQ(ReadWholeFile(TempDownloadPath(target)), newProgram);
    DeleteFileW(TempDownloadPath(target).c_str());
}

TEST_F(UpdaterProgramTest, FailedDownloadKeepsTheOldProgram) {
    const std::wstring target = folder + L"host_failed.exe";
    ASSERT_TRUE(WriteWholeFile(target, oldProgram));
    server.Route("/gone.exe", HttpResponse::Status(404, "<html><body>404</body></html>"));
    EXPECT_EQ(RunUpdater(Arguments("/gone.exe", target)), 1);
    EXPECT_EQ(ReadWholeFile(target), oldProgram);
}

TEST_F(UpdaterProgramTest, SecondUpdaterHandsOverToTheFirstAndDownloadsNothing) {
    const std::wstring target = folder + L"host_second.exe";
    ASSERT_TRUE(WriteWholeFile(target, oldProgram));
    HttpResponse slow = HttpResponse::Ok(newProgram);
    slow.stallMs = 4000;
    server.Route("/slow.exe", slow);

    ChildProcess first;
    ASSERT_TRUE(first.Start(updater, Arguments("/slow.exe", target)));
    ASSERT_TRUE(WaitUntil([&] { return server.RequestCount("/slow.exe") == 1; }, 20000));
    EXPECT_EQ(RunUpdater(Arguments("/slow.exe", target)), 1);
    EXPECT_EQ(server.RequestCount("/slow.exe"), 1);
    EXPECT_TRUE(first.Running());
    EXPECT_EQ(first.Wait(kRunTimeoutMs), 1);
    EXPECT_EQ(ReadWholeFile(target), newProgram);
}
