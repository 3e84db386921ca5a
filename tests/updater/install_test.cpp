// Swapping the download into place and the handshake with a running host application, with the
// sample host programs as real peers.

#include <gtest/gtest.h>

#include <string>

#include "tests/support/process.h"
#include "updater/install.h"
#include "updater/paths.h"
#include "updater/window_record.h"

namespace {

InstallTimings FastTimings() {
    InstallTimings timings;
    timings.closeRequestTimeoutMs = 1500;
    timings.hostExitTimeoutMs = 5000;
    timings.replaceRetryMs = 300;
    return timings;
}

int CountFiles(const std::wstring& folder) {
    WIN32_FIND_DATAW data;
    UniqueFindHandle find(FindFirstFileW((folder + L"*").c_str(), &data));
    int count = 0;
    if (!find) return 0;
    do {
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) ++count;
    } while (FindNextFileW(find.Get(), &data));
    return count;
}

bool LogHas(const std::wstring& exe, const std::string& line) {
    return ReadWholeFile(exe + L".log").find(line) != std::string::npos;
}

class InstallTest : public ::testing::Test {
protected:
    void TearDown() override {
        host.Terminate();
        CloseRunningHost();
        DeleteFileW(TempDownloadPath(target).c_str());
    }

    // Starts the "old" sample host from `target` and waits until it has published its record.
    void StartHost(const std::wstring& options) {
        ASSERT_TRUE(CopyFileW((ProgramFolder() + L"host_app_old.exe").c_str(), target.c_str(), FALSE));
        ASSERT_TRUE(host.Start(target, options));
        ASSERT_TRUE(WaitUntil([] { return ReadWindowRecord(kHostRecordName) != nullptr; }, 10000));
    }

    ScratchFolder scratch{L"install"};
    ScratchFolder downloads{L"install-download"};
    const std::wstring folder = scratch.Path();
    const std::wstring target = folder + L"app.exe";
    const std::wstring download = downloads.Path() + L"app.exe";
    ChildProcess host;
};

}  // namespace

TEST_F(InstallTest, ReplacesTargetAndConsumesTheDownload) {
    ASSERT_TRUE(WriteWholeFile(target, "old program"));
    ASSERT_TRUE(WriteWholeFile(download, "new program"));
    EXPECT_EQ(ReplaceTarget(download, target, FastTimings()), InstallResult::Installed);
    EXPECT_EQ(ReadWholeFile(target), "new program");
    EXPECT_FALSE(FileExists(download));
    EXPECT_EQ(CountFiles(folder), 1);  // no staged copy left behind
}

TEST_F(InstallTest, FirstInstallationInstallsNothing) {
    ASSERT_TRUE(WriteWholeFile(download, "new program"));
    EXPECT_EQ(ReplaceTarget(download, target, FastTimings()), InstallResult::NoTarget);
    EXPECT_FALSE(FileExists(target));
    EXPECT_EQ(ReadWholeFile(download), "new program");
}

TEST_F(InstallTest, TargetInUseKeepsTheOldFileAndTheDownload) {
    ASSERT_TRUE(WriteWholeFile(target, "old program"));
    ASSERT_TRUE(WriteWholeFile(download, "new program"));
    UniqueHandle lock(CreateFileW(target.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(lock.Valid());
    EXPECT_EQ(ReplaceTarget(download, target, FastTimings()), InstallResult::ReplaceFailed);
    lock.Reset();
    EXPECT_EQ(ReadWholeFile(target), "old program");
    EXPECT_EQ(ReadWholeFile(download), "new program");
    EXPECT_EQ(CountFiles(folder), 1);
}

TEST_F(InstallTest, MissingDownloadLeavesTheTargetAlone) {
    ASSERT_TRUE(WriteWholeFile(target, "old program"));
    EXPECT_EQ(ReplaceTarget(download + L".absent", target, FastTimings()), InstallResult::StagingFailed);
    EXPECT_EQ(ReadWholeFile(target), "old program");
    EXPECT_EQ(CountFiles(folder), 1);
}

TEST_F(InstallTest, RunningProgramIsNotReplaced) {
    StartHost(L"--ignore-close");
    ASSERT_TRUE(WriteWholeFile(download, "new program"));
    const std::string before = ReadWholeFile(target);
    CloseHostApplication(FastTimings());
    EXPECT_TRUE(host.Running());
    EXPECT_EQ(ReplaceTarget(download, target, FastTimings()), InstallResult::ReplaceFailed);
    EXPECT_EQ(ReadWholeFile(target), before);
    EXPECT_TRUE(FileExists(download));
}

TEST_F(InstallTest, HostIsClosedThenReplacedAndTheNewProgramStarted) {
    StartHost(L"");
    const std::string newProgram = ReadWholeFile(ProgramFolder() + L"host_app_new.exe");
    const std::wstring expectedDownload = TempDownloadPath(target);
    ASSERT_TRUE(WriteWholeFile(expectedDownload, newProgram));

    EXPECT_EQ(InstallUpdate(target, FastTimings()), InstallResult::Installed);
    EXPECT_EQ(host.Wait(0), 0);  // gone before the swap, not merely asked
    EXPECT_TRUE(LogHas(target, "closed old"));
    EXPECT_EQ(ReadWholeFile(target), newProgram);
    EXPECT_FALSE(FileExists(expectedDownload));
    EXPECT_TRUE(WaitUntil([&] { return LogHas(target, "started new"); }, 10000));
}

TEST_F(InstallTest, HostThatNeedsTimeToExitIsWaitedFor) {
    // The host answers the request at once but needs seconds more to end; the wait for its
    // process, not the request's time-out, must cover that.
    StartHost(L"--exit-delay=3500");
    CloseHostApplication(FastTimings());
    EXPECT_EQ(host.Wait(0), 0);
    EXPECT_TRUE(LogHas(target, "closed old"));
}

TEST_F(InstallTest, ProgramKeptInTheTemporaryFolderSurvivesAndIsReplaced) {
    const std::wstring inTemp = TempFolder() + L"updater-tests-in-temp.exe";
    ASSERT_TRUE(WriteWholeFile(inTemp, "old program"));
    ASSERT_TRUE(WriteWholeFile(TempDownloadPath(inTemp), "new program"));
    EXPECT_EQ(ReplaceTarget(TempDownloadPath(inTemp), inTemp, FastTimings()), InstallResult::Installed);
    EXPECT_EQ(ReadWholeFile(inTemp), "new program");
    EXPECT_FALSE(FileExists(TempDownloadPath(inTemp)));
    DeleteFileW(inTemp.c_str());
}

TEST_F(InstallTest, HungHostDoesNotHangTheUpdater) {
    StartHost(L"--hang");
    const DWORD start = GetTickCount();
    CloseHostApplication(FastTimings());
    const DWORD elapsed = GetTickCount() - start;
    // Bounded by the close request's time-out plus the wait for the process to end.
    EXPECT_LT(elapsed, 12000u);
    EXPECT_TRUE(host.Running());
}
