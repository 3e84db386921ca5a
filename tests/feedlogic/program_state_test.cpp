#include <gtest/gtest.h>

#include <windows.h>

#include "tests/support/process.h"
#include "updater/feed/feed_state.h"
#include "updater/trust/program_facts.h"

namespace {

std::wstring Self() {
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return path;
}

TEST(ProgramFacts, ReadsTheHeaderAndTheVersionResource) {
    ScratchFolder folder(L"facts");
    ASSERT_TRUE(WriteWholeFile(folder.Path() + L"data.bin", "MZ but nothing more"));
    const std::string self = ReadWholeFile(Self());
    std::string dll = self;  // the same image marked as a DLL
    const std::uint32_t peOffset = *reinterpret_cast<const std::uint32_t*>(dll.data() + 0x3C);
    *reinterpret_cast<std::uint16_t*>(&dll[peOffset + 4 + 18]) |= IMAGE_FILE_DLL;
    ASSERT_TRUE(WriteWholeFile(folder.Path() + L"lib.dll", dll));
    struct Case {
        std::wstring path;
        bool windowsProgram, dll, versionResource;
        const wchar_t *version, *product, *company;
    } const cases[] = {
        // updater.exe as the default build names its vendor (CMakeLists.txt's cache variables).
        {ProgramFolder() + L"updater.exe", true, false, true, L"1.0.0", L"Updater", L"The Updater authors"},
        {Self(), true, false, true, L"3.4.5.6", L"Feed Logic", L"Feed\\Tests GmbH"},
        {folder.Path() + L"lib.dll", true, true, true, L"3.4.5.6", L"Feed Logic", L"Feed\\Tests GmbH"},
        {ProgramFolder() + L"host_app_old.exe", true, false, false, L"", L"", L""},
        {folder.Path() + L"data.bin", false, false, false, L"", L"", L""},
    };
    for (const Case& c : cases) {
        ProgramFacts facts;
        ASSERT_TRUE(ReadProgramFacts(c.path, facts)) << c.path;
        EXPECT_EQ(c.windowsProgram, facts.isWindowsProgram) << c.path;
        EXPECT_EQ(c.windowsProgram ? IMAGE_FILE_MACHINE_I386 : 0, facts.machine) << c.path;
        EXPECT_EQ(c.dll, facts.isDll) << c.path;
        EXPECT_EQ(c.versionResource, facts.hasVersionResource) << c.path;
        EXPECT_EQ(c.version, facts.fileVersion) << c.path;
        EXPECT_EQ(c.product, facts.productName) << c.path;
        EXPECT_EQ(c.company, facts.companyName) << c.path;
    }
    ProgramFacts missing;
    EXPECT_FALSE(ReadProgramFacts(folder.Path() + L"missing.exe", missing));
}

TEST(FeedState, KeepsValuesPerProgramAndIgnoresTimesAhead) {
    ProgramFacts facts;
    ASSERT_TRUE(ReadProgramFacts(Self(), facts));
    const std::wstring key = FeedStateKeyPath(facts, Self());
    EXPECT_EQ(L"Software\\Feed_Tests GmbH\\Feed Logic\\Updater", key);
    EXPECT_EQ(L"Software\\Updater\\app.exe", FeedStateKeyPath(ProgramFacts{}, L"C:\\x\\app.exe"));
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Feed_Tests GmbH");
    const std::int64_t now = UnixTimeNow();
    FeedState empty = LoadFeedState(key, now);
    EXPECT_FALSE(empty.hasLastCheck || empty.hasRolloutGroup || empty.hasFeedSerial || empty.hasFirstFailure);
    EXPECT_TRUE(empty.skippedVersion.empty());
    EXPECT_TRUE(empty.deltaFailedVersion.empty());

    const int group = RolloutGroup(key, now);
    EXPECT_TRUE(group >= 0 && group <= 6);
    EXPECT_TRUE(SaveSkippedVersion(key, L"2.0 beta"));
    EXPECT_TRUE(SaveDeltaFailedVersion(key, L"2.1"));
    EXPECT_TRUE(SaveLastCheckTime(key, now - 10));
    EXPECT_TRUE(SaveFeedSerial(key, 0x123456789ull));
    EXPECT_TRUE(SaveFirstFeedFailureTime(key, now + 3600));  // a clock set back
    FeedState state = LoadFeedState(key, now);
    EXPECT_EQ(L"2.0 beta", state.skippedVersion);
    EXPECT_EQ(L"2.1", state.deltaFailedVersion);  // apart from the skipped version, in its own value
    EXPECT_TRUE(state.hasLastCheck);
    EXPECT_EQ(now - 10, state.lastCheckTime);
    EXPECT_TRUE(state.hasFeedSerial);
    EXPECT_EQ(0x123456789ull, state.feedSerial);
    EXPECT_FALSE(state.hasFirstFailure);
    EXPECT_TRUE(state.hasRolloutGroup);
    EXPECT_EQ(group, state.rolloutGroup);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(group, RolloutGroup(key, now));  // drawn once, then kept

    EXPECT_TRUE(SaveFirstFeedFailureTime(key, now - 5));
    EXPECT_EQ(now - 5, LoadFeedState(key, now).firstFeedFailureTime);
    EXPECT_TRUE(ClearFirstFeedFailureTime(key));
    EXPECT_FALSE(LoadFeedState(key, now).hasFirstFailure);
    HKEY raw = nullptr;  // a value of the wrong type counts as never set
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, KEY_SET_VALUE, &raw));
    const DWORD wrong = 9;
    RegSetValueExW(raw, L"LastCheckTime", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&wrong), sizeof wrong);
    RegSetValueExW(raw, L"RolloutGroup", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&wrong), sizeof wrong);
    RegCloseKey(raw);
    state = LoadFeedState(key, now);
    EXPECT_FALSE(state.hasLastCheck);
    EXPECT_FALSE(state.hasRolloutGroup);
    EXPECT_EQ(ERROR_SUCCESS, RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Feed_Tests GmbH"));
}

}  // namespace
