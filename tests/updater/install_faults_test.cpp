// The faults an installation must never have again, each with the real updater.exe: a program
// that chose its own exit code, a restore that a running copy of the new program blocks, files
// the updater did not make, another program that published its window after the target's, a cut
// at each point of an installation, a scanner that takes the new program away, and odd paths.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/updater/updater_program_fixture.h"
#include "updater/install/logon_recovery.h"
#include "updater/install/window_record.h"
// After the fixture, which brings winsock2.h before the Windows types that shellapi.h needs.
#include <shellapi.h>

namespace {

const wchar_t kRunOnce[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";

std::wstring RunOnceValue(const std::wstring& name) {
    wchar_t value[2048] = {};
    DWORD bytes = sizeof value;
    if (RegGetValueW(HKEY_CURRENT_USER, kRunOnce, name.c_str(), RRF_RT_REG_SZ, nullptr, value, &bytes) != 0)
        return std::wstring();
    return value;
}

std::vector<std::wstring> Split(const std::wstring& commandLine) {
    int count = 0;
    wchar_t** argv = CommandLineToArgvW(commandLine.c_str(), &count);
    std::vector<std::wstring> parts(argv, argv + (argv != nullptr ? count : 0));
    LocalFree(argv);
    return parts;
}

class InstallFaultTest : public UpdaterProgramTest {
protected:
    void TearDown() override {
        SetEnvironmentVariableW(L"HOST_APP_NEW_OPTIONS", nullptr);
        SetEnvironmentVariableW(L"UPDATER_TEST_CUT_AT", nullptr);
        SetEnvironmentVariableW(L"UPDATER_TEST_TARGET_VANISHES", nullptr);
        for (const std::wstring& target : targets) CancelLogonRecovery(target);
        UpdaterProgramTest::TearDown();
    }

    // The old program, running from `target` (written first) until the test ends.
    void StartOld(const std::wstring& target, ChildProcess& host) {
        ASSERT_TRUE(WriteWholeFile(target, oldProgram));
        ASSERT_TRUE(host.Start(target, L""));
        ASSERT_TRUE(WaitUntil([&] { return LogHas(target, "started old"); }, 10000));
    }

    static std::string UpdaterLog() { return ReadWholeFile(TempFolder() + L"updater.log"); }
};

}  // namespace

// The new program ends within the start watch: with a code of its own it stays; crashed, after
// starting a copy of itself that closes when asked, the old program is back and runs at once.
// A copy that refuses to close keeps the new program's file aside (Windows renames a running
// program's file) for the logon entry, whose run removes it once the copy is gone.
TEST_F(InstallFaultTest, NewProgramThatEndsAtOnceStaysUnlessItCrashed) {
    const struct {
        const wchar_t* options;
        bool kept, stubborn;
    } cases[] = {{L"--quit-with=-1", true, false},
                 {L"--copy-then-crash", false, false},
                 {L"--copy-then-crash=stubborn", false, true}};
    int index = 0;
    for (const auto& c : cases) {
        const std::wstring name = L"host_early" + std::to_wstring(++index) + L".exe", target = Target(name);
        ChildProcess host;
        ASSERT_NO_FATAL_FAILURE(StartOld(target, host));
        SetEnvironmentVariableW(L"HOST_APP_NEW_OPTIONS", c.options);
        const size_t logBefore = UpdaterLog().size();
        EXPECT_EQ(RunUpdater(Arguments("/new.exe", target)), 1);
        EXPECT_TRUE(ReadWholeFile(target) == (c.kept ? newProgram : oldProgram)) << c.options;
        EXPECT_EQ(WaitUntil([&] { return LogCount(target, "started old") == 2; }, 10000), !c.kept) << c.options;
        EXPECT_EQ(UpdaterLog().find("window: failure balloon shown", logBefore) != std::string::npos, !c.kept);
        // The balloon says the old program is back, not that the download failed.
        EXPECT_EQ(UpdaterLog().find("新版本无法启动，已恢复旧版本", logBefore) != std::string::npos, !c.kept);
        std::vector<std::wstring> files = {name, name + L".log"};
        if (c.stubborn) files.insert(files.end(), {name + L".upd-aside", name + L".upd-journal"});
        EXPECT_EQ(FilesIn(folder), files) << c.options;
        const std::vector<std::wstring> entry = Split(RunOnceValue(LogonRecoveryValueName(target)));
        EndProgramsStartedFrom(target);  // the session ends, and the copy with it
        if (c.stubborn) {
            ASSERT_EQ(entry, (std::vector<std::wstring>{updater, L"--recover", target}));
            EXPECT_EQ(RunUpdater(Quoted(entry[1]) + L" " + Quoted(entry[2])), 1);
            EXPECT_EQ(FilesIn(folder), (std::vector<std::wstring>{name, name + L".log"}));
            EXPECT_TRUE(ReadWholeFile(target) == oldProgram);
            EXPECT_EQ(RunOnceValue(LogonRecoveryValueName(target)), L"");
        }
        DeleteFileW(target.c_str());
        DeleteFileW((target + L".log").c_str());
    }
}

// A user's own backup (read-only), a first installation beside a user's file of the backup's
// name, a user's file at the journal's name: each stays as it was, and nothing is installed.
TEST_F(InstallFaultTest, FilesTheUpdaterDidNotMakeAreNeverTouched) {
    const struct {
        bool target;
        const wchar_t* suffix;
        DWORD attributes;
    } cases[] = {{true, L".upd-old", FILE_ATTRIBUTE_READONLY},
                 {false, L".upd-old", FILE_ATTRIBUTE_ARCHIVE},
                 {true, L".upd-journal", FILE_ATTRIBUTE_ARCHIVE}};
    int index = 0;
    for (const auto& c : cases) {
        const std::wstring name = L"host_mine" + std::to_wstring(++index) + L".exe", target = Target(name);
        const std::wstring mine = target + c.suffix;
        if (c.target) {
            ASSERT_TRUE(WriteWholeFile(target, oldProgram));
        }
        ASSERT_TRUE(WriteWholeFile(mine, "my own notes") && SetFileAttributesW(mine.c_str(), c.attributes));
        const DWORD attributes = GetFileAttributesW(mine.c_str());
        const size_t logBefore = UpdaterLog().size();
        EXPECT_EQ(RunUpdater(Arguments("/new.exe", target)), 1);
        EXPECT_EQ(ReadWholeFile(mine), "my own notes") << index;
        EXPECT_EQ(GetFileAttributesW(mine.c_str()), attributes) << index;
        EXPECT_TRUE(c.target ? ReadWholeFile(target) == oldProgram : !FileExists(target)) << index;
        EXPECT_EQ(UpdaterLog().find("window: failure balloon shown", logBefore) != std::string::npos, c.target);
        std::vector<std::wstring> files = {name + c.suffix};
        if (c.target) files.insert(files.begin(), name);
        EXPECT_EQ(FilesIn(folder), files) << index;
        SetFileAttributesW(mine.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(mine.c_str());
        DeleteFileW(target.c_str());
    }
}

// Another program that uses the helper published its window after the target's program did:
// the target's program is closed and updated, the other one is neither asked nor stopped.
TEST_F(InstallFaultTest, OnlyTheTargetsProgramIsClosed) {
    const std::wstring target = Target(L"host_target.exe"), other = Target(L"host_other.exe");
    ChildProcess host, otherHost;
    ASSERT_NO_FATAL_FAILURE(StartOld(target, host));
    ASSERT_NO_FATAL_FAILURE(StartOld(other, otherHost));
    ASSERT_TRUE(WaitUntil(
        [&] {
            DWORD owner = 0;
            GetWindowThreadProcessId(ReadWindowRecord(kHostRecordName), &owner);
            return owner == otherHost.Id();
        },
        10000));
    const size_t logBefore = UpdaterLog().size();
    EXPECT_EQ(RunUpdater(Arguments("/new.exe", target)), 1);
    EXPECT_TRUE(ReadWholeFile(target) == newProgram);
    EXPECT_TRUE(WaitUntil([&] { return LogHas(target, "started new"); }, 10000));
    EXPECT_TRUE(otherHost.Running());
    EXPECT_FALSE(LogHas(other, "close-requested"));
    EXPECT_NE(UpdaterLog().find("not to the target: ignored", logBefore), std::string::npos);
    otherHost.Terminate();
}

// Point -> what the next run finds. The next run is the logon entry's recovery (which starts the
// old program again when the cut one had closed it) or a two-argument update (which settles
// first, starts nothing while settling, and ends with the new program running once). Either
// way the target is a whole program, no file of the installation stays, the logon entry is gone,
// and the update after it succeeds.
TEST_F(InstallFaultTest, EveryCutLeavesAWholeProgramAndAWayForward) {
    const struct {
        const char* point;
        bool hostClosed;  // the cut run had closed the old program
        bool byUpdate;    // the next run is an update, not the logon entry
    } cuts[] = {
        {"header file", false, false},     {"header torn", false, true},     {"header draft", false, false},
        {"logon entry", false, true},      {"created staged", false, false}, {"partly staged", false, true},
        {"created backup", false, true},   {"partly backup", false, false},  {"fact closed", true, false},
        {"begin swap", true, false},        {"begin start", true, true},     {"begin cleanup", true, false},
        {"undone swap", true, false},      {"restarted", true, false},       {"restore aside", true, false},
    };
    std::string unloadable = newProgram;
    unloadable[unloadable.find("SHELL32.dll") + 4] = 'Q';
    server.Route("/unloadable.exe", HttpResponse::Ok(unloadable));
    int index = 0;
    for (const auto& cut : cuts) {
        const std::wstring name = L"host_cut" + std::to_wstring(++index) + L".exe", target = Target(name);
        ChildProcess host;
        ASSERT_NO_FATAL_FAILURE(StartOld(target, host));
        const std::string point = cut.point;
        SetEnvironmentVariableA("UPDATER_TEST_CUT_AT", cut.point);
        // The last three are on the walk back of a new program that does not come up: one its
        // loader ends at once (a DLL renamed), or, for the restore's gap, one that leaves a copy
        // that refuses to close and ends with the session before the logon entry runs.
        const bool unloadable = point == "undone swap" || point == "restarted", stubborn = point == "restore aside";
        SetEnvironmentVariableW(L"HOST_APP_NEW_OPTIONS", stubborn ? L"--copy-then-crash=stubborn" : nullptr);
        EXPECT_EQ(RunUpdater(Arguments(unloadable ? "/unloadable.exe" : "/new.exe", target)), 3) << point;
        SetEnvironmentVariableW(L"UPDATER_TEST_CUT_AT", nullptr);
        SetEnvironmentVariableW(L"HOST_APP_NEW_OPTIONS", nullptr);
        EXPECT_TRUE(!RunOnceValue(LogonRecoveryValueName(target)).empty() || point.rfind("header", 0) == 0) << point;
        const std::string text = ReadWholeFile(target);
        // Between the two renames of a restore the place is empty, and the next run fills it.
        EXPECT_TRUE(text == oldProgram || text == newProgram || stubborn) << point;

        if (stubborn) EndProgramsStartedFrom(target);
        // The cut came right after the old program was started again: it runs (once).
        if (point == "restarted") {
            EXPECT_TRUE(WaitUntil([&] { return LogCount(target, "started old") == 2; }, 10000));
        }
        const int oldStarts = LogCount(target, "started old");
        if (cut.byUpdate) {
            EXPECT_EQ(RunUpdater(Arguments("/new.exe", target)), 1) << point;
            EXPECT_TRUE(ReadWholeFile(target) == newProgram) << point;
            EXPECT_TRUE(WaitUntil([&] { return LogCount(target, "started new") == 1; }, 10000)) << point;
            EXPECT_EQ(LogCount(target, "started old"), oldStarts) << point;
        } else {
            EXPECT_EQ(RunUpdater(L"--recover " + Quoted(target)), 1) << point;
            const bool installed = point == "begin cleanup";
            EXPECT_TRUE(ReadWholeFile(target) == (installed ? newProgram : oldProgram)) << point;
            const bool restarted = cut.hostClosed && point != "restarted" && !installed;
            EXPECT_TRUE(WaitUntil([&] { return LogCount(target, "started old") == oldStarts + restarted; }, 10000))
                << point;
            EXPECT_EQ(LogCount(target, "started old"), oldStarts + restarted) << point;
        }
        EXPECT_EQ(FilesIn(folder), (std::vector<std::wstring>{name, name + L".log"})) << point;
        EXPECT_FALSE(!RunOnceValue(LogonRecoveryValueName(target)).empty()) << point;
        EndProgramsStartedFrom(target);
        if (!cut.byUpdate) {
            EXPECT_EQ(RunUpdater(Arguments("/new.exe", target)), 1) << point;
            EXPECT_TRUE(ReadWholeFile(target) == newProgram) << point;
            EndProgramsStartedFrom(target);
        }
        host.Terminate();
        CloseRunningHost();
        EndProgramsStartedFrom(target);
        DeleteFileW(target.c_str());
        DeleteFileW((target + L".log").c_str());
    }
}

// A scanner takes the new program away right after the swap: the old one is put back and
// started, and the user is told.
TEST_F(InstallFaultTest, NewProgramThatVanishesAfterTheSwapBringsTheOldOneBack) {
    const std::wstring name = L"host_vanish.exe", target = Target(name);
    ChildProcess host;
    ASSERT_NO_FATAL_FAILURE(StartOld(target, host));
    SetEnvironmentVariableW(L"UPDATER_TEST_TARGET_VANISHES", L"1");
    const size_t logBefore = UpdaterLog().size();
    EXPECT_EQ(RunUpdater(Arguments("/new.exe", target)), 1);
    EXPECT_TRUE(ReadWholeFile(target) == oldProgram);
    EXPECT_TRUE(WaitUntil([&] { return LogCount(target, "started old") == 2; }, 10000));
    EXPECT_NE(UpdaterLog().find("window: failure balloon shown", logBefore), std::string::npos);
    EXPECT_EQ(FilesIn(folder), (std::vector<std::wstring>{name, name + L".log"}));
    EXPECT_FALSE(!RunOnceValue(LogonRecoveryValueName(target)).empty());
}

// A folder whose name holds a defined variable is taken as written; a target that is not a full
// path is refused in every form, before anything is done.
TEST_F(InstallFaultTest, TargetPathsAreTakenAsWrittenAndOnlyWhenFull) {
    ASSERT_TRUE(CreateDirectoryW((folder + L"pct %TEMP%").c_str(), nullptr));
    const std::wstring target = Target(L"pct %TEMP%\\host_pct.exe");
    ASSERT_TRUE(WriteWholeFile(target, oldProgram));
    EXPECT_EQ(RunUpdater(Arguments("/new.exe", target)), 1);
    EXPECT_TRUE(ReadWholeFile(target) == newProgram);
    EXPECT_TRUE(WaitUntil([&] { return LogHas(target, "started new"); }, 10000));
    EndProgramsStartedFrom(target);

    const struct {
        std::wstring arguments;
        long exitCode;
    } relative[] = {{Arguments("/new.exe", L"host_relative.exe"), 0},
                    {L"\"\" \"\"", 0},
                    {L"--recover host_relative.exe", 0},
                    {L"--recover \\host_relative.exe", 0},
                    {L"--check " + Quoted(server.WideUrl("/feed.xml")) + L" C:host_relative.exe", 3}};
    for (const auto& run : relative) {
        const size_t logBefore = UpdaterLog().size();
        EXPECT_EQ(RunUpdater(run.arguments), run.exitCode);
        const std::string log = UpdaterLog().substr(logBefore);
        EXPECT_NE(log.find("not a full path"), std::string::npos) << log;
        EXPECT_EQ(log.find("start: url"), std::string::npos) << log;
    }
    EXPECT_EQ(server.RequestCount("/new.exe"), 1);
}
