// The real updater.exe run end to end against a loopback server and the sample host.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/updater/updater_program_fixture.h"
#include "updater/install/single_instance.h"
#include "updater/install/window_record.h"

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
    // The host takes a while to end after the request; meanwhile the finished download is held.
    ASSERT_TRUE(host.Start(target, L"--exit-delay=1500"));
    ASSERT_TRUE(WaitUntil([] { return ReadWindowRecord(kHostRecordName) != nullptr; }, 10000));

    ChildProcess updaterRun;
    ASSERT_TRUE(updaterRun.Start(updater, Arguments("/new.exe", target)));
    ASSERT_TRUE(WaitUntil([&] { return LogHas(target, "close-requested"); }, 30000));
    const std::wstring download = TempDownloadPath(target);
    UniqueHandle writer(CreateFileW(download.c_str(), GENERIC_WRITE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, 0, nullptr));
    EXPECT_FALSE(writer.Valid());
    EXPECT_FALSE(DeleteFileW(download.c_str()));
    EXPECT_FALSE(MoveFileW(download.c_str(), (download + L".moved").c_str()));

    EXPECT_EQ(updaterRun.Wait(kRunTimeoutMs), 1);
    EXPECT_EQ(host.Wait(0), 0);
    EXPECT_TRUE(LogHas(target, "closed old"));
    EXPECT_EQ(ReadWholeFile(target), newProgram);
    EXPECT_FALSE(FileExists(download));
    EXPECT_TRUE(WaitUntil([&] { return LogHas(target, "started new"); }, 10000));
}

TEST_F(UpdaterProgramTest, HostRecordNamingTheUpdaterItselfIsNotAskedToClose) {
    const std::wstring target = Target(L"host_forged.exe");
    ASSERT_TRUE(WriteWholeFile(target, oldProgram));
    ChildProcess updaterRun;
    ASSERT_NO_FATAL_FAILURE(StartHeldUpdate(target, updaterRun));
    const std::wstring own = FormatWindowRecord(ReadWindowRecord(CSingleInst().MappingName().c_str()));
    ASSERT_NE(own, L"0");
    HandMadeRecord forged(kHostRecordName, own.c_str(), (own.size() + 1) * sizeof(wchar_t));
    server.ReleaseHeldBodies();
    EXPECT_EQ(updaterRun.Wait(20000), 1);
    EXPECT_EQ(ReadWholeFile(target), newProgram);
}

TEST_F(UpdaterProgramTest, TargetInAVeryLongFolderIsReplacedOrKeptButNeverCrashes) {
    std::wstring deep = folder;
    for (int level = 0; level < 3; ++level) {
        deep += std::wstring(90, static_cast<wchar_t>(L'a' + level)) + L"\\";
        ASSERT_TRUE(CreateDirectoryW(LongPathForm(deep).c_str(), nullptr));
    }
    ASSERT_GT(deep.size(), 285u);
    targets.push_back(deep + L"host_deep.exe");
    const std::wstring target = targets.back();
    ASSERT_TRUE(WriteWholeFile(LongPathForm(target), oldProgram));
    EXPECT_EQ(RunUpdater(Arguments("/new.exe", target)), 1);
    EXPECT_EQ(ReadWholeFile(LongPathForm(target)), newProgram);
    EXPECT_EQ(FilesIn(LongPathForm(deep)), std::vector<std::wstring>{L"host_deep.exe"});
    DeleteFileW(LongPathForm(target).c_str());
}

TEST_F(UpdaterProgramTest, ReadOnlyLeftoverAndUnicodeUrlWithBlanks) {
    const std::wstring target = Target(L"host_leftover.exe");
    ASSERT_TRUE(WriteWholeFile(target, oldProgram));
    const std::wstring leftover = TempDownloadPath(target);
    ASSERT_TRUE(WriteWholeFile(leftover, "bytes of an earlier run"));
    ASSERT_TRUE(SetFileAttributesW(leftover.c_str(), FILE_ATTRIBUTE_READONLY));
    const std::string encoded = "/any/%E5%8D%87%E7%BA%A7%20v2.exe";
    server.Route(encoded, HttpResponse::Ok(newProgram));
    const std::wstring url = server.WideUrl("/any/") + L"\u5347\u7ea7 v2.exe";
    EXPECT_EQ(RunUpdater(Quoted(url) + L" " + Quoted(target)), 1);
    EXPECT_EQ(server.RequestCount(encoded), 1);
    EXPECT_EQ(ReadWholeFile(target), newProgram);
    EXPECT_FALSE(FileExists(leftover));
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
    server.Route("/portal.exe", HttpResponse::Ok("<html><body>Sign in to the hotel network</body></html>"));
    server.Route("/nothing.exe", HttpResponse::Status(204, ""));
    // Compressed bytes nobody asked for, over a data file that no "MZ" check protects.
    HttpResponse gzip = HttpResponse::Ok(std::string("\x1f\x8b\x08\x00 compressed settings", 26)),
                 busy = HttpResponse::Status(503, "busy");
    gzip.headers.emplace_back("Content-Encoding", "gzip");
    busy.headers.emplace_back("Retry-After", "0");
    server.Route("/gzip.dat", gzip);
    server.Route("/busy.exe", busy);
    // The marker split over two pieces with a pause between them.
    HttpResponse split = HttpResponse::Ok("<html><head><title>Apache Tomcat/9 - Error report</title>");
    split.pieceBytes = 15;
    split.pieceDelayMs = 300;
    server.Route("/split.exe", split);

    const std::string script = "@echo old script\r\n";  // not a Windows image: only the body checks apply
    const struct {
        const char* route;
        const std::string& old;
        int requests;  // only a busy server is asked again, and only so often
    } cases[] = {{"/missing.exe", oldProgram, 1}, {"/broken.exe", oldProgram, 1}, {"/moved.exe", oldProgram, 1},
                 {"/apache.exe", oldProgram, 1},  {"/cut.exe", oldProgram, 1},    {"/portal.exe", oldProgram, 1},
                 {"/nothing.exe", script, 1},     {"/split.exe", script, 1},      {"/gzip.dat", script, 1},
                 {"/busy.exe", oldProgram, 3}};
    std::vector<std::wstring> names;
    for (const auto& c : cases) {
        names.push_back(L"host_failed" + std::wstring(c.route + 1, c.route + 5) + L".exe");
        const std::wstring target = Target(names.back());
        ASSERT_TRUE(WriteWholeFile(target, c.old));
        EXPECT_EQ(RunUpdater(Arguments(c.route, target)), 1) << c.route;
        EXPECT_EQ(ReadWholeFile(target), c.old) << c.route;
        EXPECT_FALSE(LogHas(target, "started")) << c.route;
        EXPECT_EQ(server.RequestCount(c.route), c.requests) << c.route;
        EXPECT_FALSE(FileExists(TempDownloadPath(target))) << c.route;  // nothing rejected is left
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ(FilesIn(folder), names);  // nothing staged beside any of them
}

TEST_F(UpdaterProgramTest, ForeignFileAtTheDownloadPathIsNeverContinued) {
    const std::wstring target = Target(L"host_foreign.exe");
    ASSERT_TRUE(WriteWholeFile(target, oldProgram));
    const std::wstring download = TempDownloadPath(target);
    ASSERT_TRUE(WriteWholeFile(download, "MZ foreign code"));
    // Held open with delete sharing: deleting it only marks it, and it stays in the way.
    UniqueHandle foreign(CreateFileW(download.c_str(), GENERIC_READ,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                     OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(foreign.Valid());
    EXPECT_EQ(RunUpdater(Arguments("/new.exe", target)), 1);
    EXPECT_EQ(server.RequestCount("/new.exe"), 0);
    EXPECT_EQ(ReadWholeFile(target), oldProgram);
    EXPECT_EQ(FilesIn(folder), std::vector<std::wstring>{L"host_foreign.exe"});
}

TEST_F(UpdaterProgramTest, SecondUpdaterHandsOverToTheFirstAndDownloadsNothing) {
    const std::wstring target = Target(L"host_second.exe");
    ASSERT_TRUE(WriteWholeFile(target, oldProgram));
    ChildProcess first;
    ASSERT_NO_FATAL_FAILURE(StartHeldUpdate(target, first));
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

// The host closed, then a second copy refuses to close (the user is asked and cancels) or the new
// program cannot start: the old one is back, with a balloon only for the failure.
TEST_F(UpdaterProgramTest, FailuresAfterTheHostClosedBringTheOldProgramBack) {
    // The new program with a DLL renamed: a valid image that its loader ends at once.
    std::string unloadable = newProgram;
    unloadable[unloadable.find("SHELL32.dll") + 4] = 'Q';
    server.Route("/unloadable.exe", HttpResponse::Ok(unloadable));
    const std::wstring logPath = TempFolder() + L"updater.log";
    for (const int copies : {2, 1}) {
        const std::wstring name = L"host_back" + std::to_wstring(copies) + L".exe";
        const std::wstring target = Target(name);
        ASSERT_TRUE(WriteWholeFile(target, oldProgram));
        ChildProcess running[2];
        for (int i = 0; i < copies; ++i) {
            ASSERT_TRUE(running[i].Start(target, i == 1 ? L"--ignore-close" : L""));
            ASSERT_TRUE(WaitUntil([&] { return LogCount(target, "started old") == i + 1; }, 10000));
        }
        const size_t logBefore = ReadWholeFile(logPath).size();
        const bool cancelled = copies == 2;
        ChildProcess updaterRun;
        ASSERT_TRUE(updaterRun.Start(updater, Arguments(cancelled ? "/new.exe" : "/unloadable.exe", target)));
        if (cancelled) {
            ASSERT_NO_FATAL_FAILURE(AnswerHostPromptByClosing(logPath, logBefore));
        }
        EXPECT_EQ(updaterRun.Wait(kRunTimeoutMs), 1);
        EXPECT_EQ(ReadWholeFile(target), oldProgram) << copies;
        // Started again only where no copy of it still runs: never twice.
        EXPECT_TRUE(WaitUntil([&] { return LogCount(target, "started old") == 2; }, 10000)) << copies;
        EXPECT_EQ(FilesIn(folder), (std::vector<std::wstring>{name, name + L".log"})) << copies;
        const std::string log = ReadWholeFile(logPath).substr(logBefore);
        EXPECT_EQ(log.find("window: failure balloon shown") == std::string::npos, cancelled) << copies;
        EXPECT_EQ(log.find("the user cancelled") != std::string::npos, cancelled) << copies;
        for (ChildProcess& copy : running) copy.Terminate();
        CloseRunningHost();
        for (const std::wstring& file : {target, target + L".log"}) DeleteFileW(file.c_str());
    }
}

// Runs stopped (as if killed) after install step 1, 2 and 3: each next run settles what was left
// (`left`), the last one a whole update. While that one closes it holds nothing: an update of
// another target runs, through a reset connection and a busy server.
TEST_F(UpdaterProgramTest, InterruptedInstallsAreSettledAndAnUpdateDuringTheCloseRuns) {
    const std::wstring target = Target(L"host_stopped.exe"), second = Target(L"host_second_of_two.exe");
    ASSERT_TRUE(WriteWholeFile(target, oldProgram) && WriteWholeFile(second, oldProgram));
    const std::vector<std::wstring> left[] = {
        {L".upd-journal", L".upd-new"}, {L".upd-journal", L".upd-new", L".upd-old"}, {L".upd-journal", L".upd-old"}};
    for (int run = 0; run < 3; ++run) {
        SetEnvironmentVariableW(L"UPDATER_TEST_STOP_AFTER_STEP", std::to_wstring(run + 1).c_str());
        EXPECT_EQ(RunUpdater(Arguments("/new.exe", target)), 3);
        EXPECT_TRUE(ReadWholeFile(target) == (run < 2 ? oldProgram : newProgram)) << run;
        std::vector<std::wstring> files = {L"host_second_of_two.exe", L"host_stopped.exe"};
        for (const auto& suffix : left[run]) files.push_back(L"host_stopped.exe" + suffix);
        EXPECT_EQ(FilesIn(folder), files) << run;
    }
    SetEnvironmentVariableW(L"UPDATER_TEST_STOP_AFTER_STEP", nullptr);
    // This first run keeps its real three-second close, during which the second one starts; the
    // second run's pauses between attempts (1 s each) are shortened.
    ShortenUpdaterPauses(-1, 100);
    HttpResponse reset, busy = HttpResponse::Status(503, "busy");
    reset.resetConnection = true;
    busy.headers.emplace_back("Retry-After", "1");
    server.RouteSequence("/flaky.exe", {reset, busy, HttpResponse::Ok(newProgram)});
    ChildProcess firstRun;
    ASSERT_TRUE(firstRun.Start(updater, Arguments("/new.exe", target)));
    ASSERT_TRUE(WaitUntil([] { return ReadWindowRecord(CSingleInst().MappingName().c_str()) != nullptr; }, 20000));
    ASSERT_TRUE(WaitUntil([] { return ReadWindowRecord(CSingleInst().MappingName().c_str()) == nullptr; }, 30000));
    ASSERT_TRUE(firstRun.Running());
    EXPECT_EQ(RunUpdater(Arguments("/flaky.exe", second)), 1);
    EXPECT_EQ(server.RequestCount("/flaky.exe"), 3);
    EXPECT_EQ(firstRun.Wait(kRunTimeoutMs), 1);
    for (const std::wstring& updated : {target, second}) {
        EXPECT_TRUE(ReadWholeFile(updated) == newProgram);
        EXPECT_TRUE(WaitUntil([&] { return LogHas(updated, "started new"); }, 10000));
    }
    EXPECT_EQ(FilesIn(folder), (std::vector<std::wstring>{L"host_second_of_two.exe", L"host_second_of_two.exe.log",
                                                         L"host_stopped.exe", L"host_stopped.exe.log"}));
}

// A failed download is gone before its failure is shown, and while that run closes an update of
// the same target downloads under the same name; its server resets the first connection right
// after the answer's head, which is tried again.
TEST_F(UpdaterProgramTest, FailedDownloadIsRemovedAtOnceAndItsNameIsFreeDuringTheClose) {
    const std::wstring target = Target(L"host_same_name.exe"), logPath = TempFolder() + L"updater.log";
    ASSERT_TRUE(WriteWholeFile(target, oldProgram));
    server.Route("/gone.exe", HttpResponse::Status(404, "<html>gone</html>"));
    HttpResponse headOnly = HttpResponse::Ok(newProgram);
    headOnly.resetAfterHead = true;
    server.RouteSequence("/head-only.exe", {headOnly, HttpResponse::Ok(newProgram)});
    const size_t logBefore = ReadWholeFile(logPath).size();
    const auto log = [&] { return ReadWholeFile(logPath).substr(logBefore); };
    ChildProcess failing;
    ASSERT_TRUE(failing.Start(updater, Arguments("/gone.exe", target)));
    ASSERT_TRUE(WaitUntil([&] { return log().find("failure balloon shown") != std::string::npos; }, 30000));
    ASSERT_TRUE(
        WaitUntil([] { return ReadWindowRecord(CSingleInst().MappingName().c_str()) == nullptr; }, 10000));
    ASSERT_TRUE(failing.Running());
    EXPECT_FALSE(FileExists(TempDownloadPath(target)));
    EXPECT_EQ(RunUpdater(Arguments("/head-only.exe", target)), 1);
    EXPECT_EQ(failing.Wait(kRunTimeoutMs), 1);
    EXPECT_EQ(server.RequestCount("/head-only.exe"), 2);
    EXPECT_TRUE(ReadWholeFile(target) == newProgram) << log();
    EXPECT_TRUE(WaitUntil([&] { return LogHas(target, "started new"); }, 10000));
    EXPECT_NE(log().find("HTTP status 404 (Not Found)"), std::string::npos) << log();
    EXPECT_EQ(log().find("Failed writing"), std::string::npos) << log();
}

// A host that asks its own user before closing (here: never closes by itself) holds the update
// in the window's question, without a time limit; once the user has closed it the update goes
// on by itself and installs.
TEST_F(UpdaterProgramTest, HostThatAsksBeforeClosingIsWaitedForUntilTheUserClosesIt) {
    const std::wstring target = Target(L"host_asks.exe");
    const std::wstring logPath = TempFolder() + L"updater.log";
    ChildProcess host, updaterRun;
    size_t logBefore = 0;
    ASSERT_NO_FATAL_FAILURE(StartUpdateThatAsksAboutTheHost(target, host, updaterRun, logBefore));
    // Past the host's 10 seconds the window still asks, shown.
    Sleep(1000);
    EXPECT_TRUE(updaterRun.Running());
    const HWND window = FindWindowW(L"UIUpdateWnd", nullptr);
    EXPECT_TRUE(window != nullptr && IsWindowVisible(window));
    host.Terminate();
    EXPECT_EQ(updaterRun.Wait(kRunTimeoutMs), 1);
    EXPECT_EQ(ReadWholeFile(target), newProgram);
    const std::string log = ReadWholeFile(logPath).substr(logBefore);
    EXPECT_NE(log.find("has ended, the installation goes on"), std::string::npos);
    EXPECT_EQ(log.find("window: failure balloon shown"), std::string::npos);
    EXPECT_TRUE(WaitUntil([&] { return LogHas(target, "started new"); }, 10000));
}

// "--lang" before the two arguments chooses the language of the balloon; without it the
// default build speaks Chinese.
TEST_F(UpdaterProgramTest, LanguageChosenOnTheCommandLineSpeaksInTheBalloon) {
    server.Route("/gone.exe", HttpResponse::Status(404, "gone"));
    const std::wstring logPath = TempFolder() + L"updater.log";
    const struct {
        const wchar_t* language;
        const char* balloon;
    } cases[] = {{L"--lang en ", "(\"Download error, update failed!\")"}, {L"", "(\"下载错误，升级失败！\")"}};
    for (const auto& c : cases) {
        const std::wstring target = Target(L"host_language.exe");
        ASSERT_TRUE(WriteWholeFile(target, oldProgram));
        const size_t before = ReadWholeFile(logPath).size();
        EXPECT_EQ(RunUpdater(c.language + Arguments("/gone.exe", target)), 1) << c.balloon;
        EXPECT_NE(ReadWholeFile(logPath).find(c.balloon, before), std::string::npos) << c.balloon;
    }
}

// A second updater started while the window asks the user to close the host brings that
// question to the front and downloads nothing.
TEST_F(UpdaterProgramTest, SecondUpdaterBringsTheHostQuestionToTheFront) {
    const std::wstring target = Target(L"host_asks_twice.exe");
    ChildProcess host, first;
    size_t logBefore = 0;
    ASSERT_NO_FATAL_FAILURE(StartUpdateThatAsksAboutTheHost(target, host, first, logBefore));
    const HWND question = FindWindowW(L"UIUpdateWnd", nullptr);
    ASSERT_NE(question, nullptr);
    HWND other = CreateWindowExW(0, L"STATIC", L"other", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr, nullptr,
                                 nullptr, nullptr);
    SetForegroundWindow(other);
    ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == other; }, 5000));
    const int requests = server.RequestCount("/new.exe");

    EXPECT_EQ(RunUpdater(Arguments("/new.exe", target)), 1);
    EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == question; }, 5000));
    EXPECT_EQ(server.RequestCount("/new.exe"), requests);
    DestroyWindow(other);
    host.Terminate();
    EXPECT_EQ(first.Wait(kRunTimeoutMs), 1);
    EXPECT_EQ(ReadWholeFile(target), newProgram);
}
