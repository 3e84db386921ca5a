// The diagnostic log: bounded, whole lines, never in the way.

#include <gtest/gtest.h>

#include <string>

#include "tests/support/process.h"
#include "updater/paths.h"
#include "updater/update_log.h"

TEST(UpdateLog, NewestLinesStartsAtALineAndFitsTheBudget) {
    struct Case {
        std::string content;
        size_t keep;
        std::string expected;
    } cases[] = {
        {"a\nb\nc\n", 100, "a\nb\nc\n"},
        {"one\ntwo\nthree\n", 6, "three\n"},
        {"one\ntwo\nthree\n", 10, "two\nthree\n"},
        {"one\ntwo\nthree\n", 9, "three\n"},
        {"averylongline\n", 5, ""},
    };
    for (const Case& c : cases) EXPECT_EQ(NewestLines(c.content, c.keep), c.expected) << c.keep;
}

TEST(UpdateLog, StaysBoundedAndKeepsTheNewestLines) {
    ScratchFolder folder(L"log");
    const std::wstring path = folder.Path() + L"bounded.log";
    constexpr size_t kLimit = 4096;
    for (int i = 0; i < 500; ++i) ASSERT_TRUE(AppendLogLine(path, "line " + std::to_string(i), kLimit));
    const std::string content = ReadWholeFile(path);
    EXPECT_LE(content.size(), kLimit);
    EXPECT_GT(content.size(), kLimit / 4);
    EXPECT_EQ(content.compare(0, 5, "line "), 0);  // the oldest kept line is whole
    EXPECT_NE(content.find("line 499\r\n"), std::string::npos);
    EXPECT_EQ(content.find("line 0\r\n"), std::string::npos);
}

TEST(UpdateLog, AnUnwritableLogIsReportedNotThrown) {
    ScratchFolder folder(L"log-locked");
    const std::wstring path = folder.Path() + L"locked.log";
    UniqueHandle lock(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    ASSERT_TRUE(lock.Valid());
    EXPECT_FALSE(AppendLogLine(path, "lost", 1024));
    EXPECT_FALSE(AppendLogLine(folder.Path() + L"missing\\x.log", "lost", 1024));
}

TEST(UpdateLog, IsNamedAfterTheProgramInTheTemporaryFolder) {
    EXPECT_EQ(UpdateLogPath(), TempFolder() + L"delivery_tests.log");
}
