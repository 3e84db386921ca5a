// Swapping the download into place and the handshake with a running host application, with the
// sample host programs as real peers.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/process.h"
#include "updater/delivery/download_file.h"
#include "updater/install/close_programs.h"
#include "updater/install/install.h"
#include "updater/install/install_journal.h"
#include "updater/install/install_leftovers.h"
#include "updater/install/recovery.h"
#include "updater/paths.h"
#include "updater/install/window_record.h"

namespace {

InstallTimings FastTimings() {
    InstallTimings timings;
    timings.closeRequestTimeoutMs = 1500;
    timings.hostExitTimeoutMs = 5000;
    timings.replaceRetryMs = 300;
    return timings;
}

// A finished download as the worker leaves it: created fresh and still held open.
UniqueHandle Downloaded(const std::wstring& path, const std::string& bytes) {
    UniqueHandle file = CreateDownloadFile(path);
    if (!WriteAll(file.Get(), bytes.data(), bytes.size())) return UniqueHandle();
    return file;
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
    EXPECT_EQ(ReplaceTarget(Downloaded(download, "new program"), target, FastTimings()),
              InstallResult::Installed);
    EXPECT_EQ(ReadWholeFile(target), "new program");
    EXPECT_FALSE(FileExists(download));
    EXPECT_EQ(FilesIn(folder), std::vector<std::wstring>{L"app.exe"});  // no staged copy left behind
}

TEST_F(InstallTest, FirstInstallationInstallsNothing) {
    EXPECT_EQ(ReplaceTarget(Downloaded(download, "new program"), target, FastTimings()),
              InstallResult::NoTarget);
    EXPECT_FALSE(FileExists(target));
    EXPECT_EQ(ReadWholeFile(download), "new program");
}

TEST_F(InstallTest, TargetInUseKeepsTheOldFileAndTheDownload) {
    ASSERT_TRUE(WriteWholeFile(target, "old program"));
    UniqueHandle lock(CreateFileW(target.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(lock.Valid());
    EXPECT_EQ(ReplaceTarget(Downloaded(download, "new program"), target, FastTimings()),
              InstallResult::ReplaceFailed);
    lock.Reset();
    EXPECT_EQ(ReadWholeFile(target), "old program");
    EXPECT_EQ(ReadWholeFile(download), "new program");
    EXPECT_EQ(FilesIn(folder), std::vector<std::wstring>{L"app.exe"});
}

TEST_F(InstallTest, MissingDownloadLeavesTheTargetAlone) {
    ASSERT_TRUE(WriteWholeFile(target, "old program"));
    EXPECT_EQ(ReplaceTarget(UniqueHandle(), target, FastTimings()), InstallResult::StagingFailed);
    EXPECT_EQ(ReadWholeFile(target), "old program");
    EXPECT_EQ(FilesIn(folder), std::vector<std::wstring>{L"app.exe"});
}

TEST_F(InstallTest, RunningProgramIsNotReplaced) {
    StartHost(L"--ignore-close");
    const std::string before = ReadWholeFile(target);
    CloseTargetPrograms(target, FastTimings());
    EXPECT_TRUE(host.Running());
    EXPECT_EQ(ReplaceTarget(Downloaded(download, "new program"), target, FastTimings()),
              InstallResult::ReplaceFailed);
    EXPECT_EQ(ReadWholeFile(target), before);
    EXPECT_TRUE(FileExists(download));
}

TEST_F(InstallTest, HostIsClosedThenReplacedAndTheNewProgramStarted) {
    StartHost(L"");
    const std::string newProgram = ReadWholeFile(ProgramFolder() + L"host_app_new.exe");
    const std::wstring expectedDownload = TempDownloadPath(target);
    EXPECT_EQ(InstallUpdate(Downloaded(expectedDownload, newProgram), target, FastTimings()),
              InstallResult::Installed);
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
    CloseTargetPrograms(target, FastTimings());
    EXPECT_EQ(host.Wait(0), 0);
    EXPECT_TRUE(LogHas(target, "closed old"));
}

TEST_F(InstallTest, ProgramKeptInTheTemporaryFolderSurvivesAndIsReplaced) {
    const std::wstring inTemp = TempFolder() + L"updater-tests-in-temp.exe";
    ASSERT_TRUE(WriteWholeFile(inTemp, "old program"));
    EXPECT_EQ(ReplaceTarget(Downloaded(TempDownloadPath(inTemp), "new program"), inTemp, FastTimings()),
              InstallResult::Installed);
    EXPECT_EQ(ReadWholeFile(inTemp), "new program");
    EXPECT_FALSE(FileExists(TempDownloadPath(inTemp)));
    DeleteFileW(inTemp.c_str());
}

TEST_F(InstallTest, HungHostDoesNotHangTheUpdater) {
    StartHost(L"--hang");
    const DWORD start = GetTickCount();
    CloseTargetPrograms(target, FastTimings());
    const DWORD elapsed = GetTickCount() - start;
    // Bounded by the close request's time-out plus the wait for the process to end.
    EXPECT_LT(elapsed, 12000u);
    EXPECT_TRUE(host.Running());
}

namespace {

// Recorders around the real replacement steps: what was called, in order, and how much of the
// staged copy was written when it was flushed.
std::vector<std::string> g_steps;
long long g_sizeAtFlush = -1;
int g_refusals = 0;
DWORD g_refusal = 0;

bool RecordFlush(HANDLE file) {
    g_steps.push_back("flush");
    LARGE_INTEGER size = {};
    g_sizeAtFlush = GetFileSizeEx(file, &size) ? size.QuadPart : -1;
    return FlushToDisk(file);
}

// Refuses the first g_refusals renames with g_refusal, as Windows does while a file is mapped.
bool RecordRename(const wchar_t* staged, const wchar_t* target) {
    g_steps.push_back("rename");
    if (g_refusals > 0) {
        --g_refusals;
        SetLastError(g_refusal);
        return false;
    }
    return RenameOver(staged, target);
}

}  // namespace

TEST_F(InstallTest, StagedCopyIsFlushedWholeBeforeTheRename) {
    const std::string program(300000, 'n');
    ASSERT_TRUE(WriteWholeFile(target, "old program"));
    g_steps.clear();
    g_refusals = 0;
    EXPECT_EQ(
        ReplaceTarget(Downloaded(download, program), target, FastTimings(), {RecordFlush, RecordRename}),
        InstallResult::Installed);
    EXPECT_EQ(g_steps, (std::vector<std::string>{"flush", "rename"}));
    EXPECT_EQ(g_sizeAtFlush, static_cast<long long>(program.size()));
    EXPECT_EQ(ReadWholeFile(target), program);
}

TEST_F(InstallTest, PassingRefusalsAreRetriedOthersAreNot) {
    struct Case {
        DWORD error;
        int refusals;
        InstallResult result;
        size_t renames;  // 0: several, within the retry time
    } cases[] = {
        {ERROR_ACCESS_DENIED, 3, InstallResult::Installed, 4},
        {ERROR_SHARING_VIOLATION, 2, InstallResult::Installed, 3},
        {ERROR_ACCESS_DENIED, 1000, InstallResult::ReplaceFailed, 0},
        {ERROR_PATH_NOT_FOUND, 1, InstallResult::ReplaceFailed, 1},
    };
    InstallTimings timings = FastTimings();
    timings.replaceRetryMs = 2000;  // the program's own bound
    for (const Case& c : cases) {
        ASSERT_TRUE(WriteWholeFile(target, "old program"));
        g_steps.clear();
        g_refusals = c.refusals;
        g_refusal = c.error;
        EXPECT_EQ(
            ReplaceTarget(Downloaded(download, "new program"), target, timings, {RecordFlush, RecordRename}),
            c.result)
            << c.error << " x" << c.refusals;
        const size_t renames = g_steps.size() - 1;
        if (c.renames > 0) {
            EXPECT_EQ(renames, c.renames) << c.error;
        } else {
            // Retried, but only within the bound: about one attempt per 100 ms.
            EXPECT_GE(renames, 2u) << c.error;
            EXPECT_LE(renames, 30u) << c.error;
        }
        const bool installed = c.result == InstallResult::Installed;
        EXPECT_EQ(ReadWholeFile(target), installed ? "new program" : "old program") << c.error;
        EXPECT_EQ(FilesIn(folder), std::vector<std::wstring>{L"app.exe"}) << c.error;
        EXPECT_EQ(FileExists(download), !installed) << c.error;
        DeleteFileW(download.c_str());
    }
}

FileFingerprint Fingerprint(const std::string& bytes) {
    Sha256 hash;
    hash.Update(bytes.data(), bytes.size());
    FileFingerprint fingerprint;
    fingerprint.size = bytes.size();
    EXPECT_TRUE(hash.Finish(fingerprint.sha256));
    return fingerprint;
}

TEST_F(InstallTest, OnlyWhatTheJournalDescribesIsSettled) {
    // Target, staged copy and backup as a stopped run (or the user) left them (null: none), the
    // journal's steps (null: no journal; "!": a file of the user's at the journal's name; "~": a
    // last line cut short by the stop, so a step not taken); the target after, and what stays.
    const struct Case {
        const char* files[3];
        const char* begun;
        const char* after;
        std::vector<std::wstring> left;
    } cases[] = {
        {{"old", "new", nullptr}, "stage", "old", {}},
        {{"old", "new", "old"}, "stage backup", "old", {}},
        {{"new", nullptr, "old"}, "stage backup close swap", "old", {}},  // never came up: undone
        {{nullptr, nullptr, "old"}, "stage backup close swap", "old", {}},
        {{"new", nullptr, "old"}, "stage backup close swap start cleanup", "new", {}},  // came up
        {{"old", "mine", "mine too"}, nullptr, "old", {L".upd-new", L".upd-old"}},
        {{nullptr, nullptr, "my notes"}, nullptr, nullptr, {L".upd-old"}},  // no first installation
        {{"old", nullptr, "my notes"}, "stage backup", "old", {L".upd-old"}},  // no backup was made
        {{"new", nullptr, "old"}, "!", "new", {L".upd-journal", L".upd-old"}},
        {{"old", "new", "old"}, "stage backup close~", "old", {}},
    };
    const std::wstring paths[] = {target, StagedPathFor(target), BackupPathFor(target)};
    for (const Case& c : cases) {
        for (int i = 0; i < 3; ++i) {
            if (c.files[i] != nullptr) {
                ASSERT_TRUE(WriteWholeFile(paths[i], c.files[i]));
            }
        }
        if (c.begun != nullptr && c.begun[0] == '!') {
            ASSERT_TRUE(WriteWholeFile(JournalPathFor(target), "my journal"));
        } else if (c.begun != nullptr) {
            JournalRecord header;
            header.target = target;
            header.oldProgram = Fingerprint("old");
            header.newProgram = Fingerprint("new");
            InstallJournal journal;
            ASSERT_TRUE(journal.Create(target, header));
            journal.Fact("closed", "0");
            for (const char* step : {"stage", "backup", "close", "swap", "start", "cleanup"}) {
                if (std::string(c.begun).find(step) != std::string::npos) journal.Begin(step);
            }
        }
        if (c.begun != nullptr && std::string(c.begun).back() == '~') {
            ASSERT_TRUE(WriteWholeFile(JournalPathFor(target), ReadWholeFile(JournalPathFor(target)) + "begin sw"));
        }
        RecoverInterruptedInstall(target, FastTimings());
        std::vector<std::wstring> expected;
        if (c.after != nullptr) expected.push_back(L"app.exe");
        for (const std::wstring& suffix : c.left) expected.push_back(L"app.exe" + suffix);
        EXPECT_EQ(FilesIn(folder), expected) << c.begun;
        if (c.after != nullptr) {
            EXPECT_EQ(ReadWholeFile(target), c.after) << c.begun;
        }
        for (const wchar_t* suffix : {L"", L".upd-new", L".upd-old", L".upd-journal"}) {
            DeleteFileW((target + suffix).c_str());
        }
    }
}
