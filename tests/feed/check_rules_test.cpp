// The check's command line and its time and freshness boundaries, without a process or a server.

#include <gtest/gtest.h>

#include "updater/check/check_rules.h"
#include "updater/command_line.h"

TEST(CheckCommandLine, FormsAndOptions) {
    struct Case {
        const wchar_t* line;
        CommandKind kind;
        const wchar_t* channel;  // a check's, with --now and --yes
    } cases[] = {
        {L"u.exe https://h/new.exe C:\\a.exe", CommandKind::Update, L""},
        {L"u.exe --check --yes --channel beta --now https://h/f.xml \"C:\\A B\\a.exe\"", CommandKind::Check, L"beta"},
        {L"u.exe --check https://h/f.xml", CommandKind::MalformedCheck, L""},
        {L"u.exe --check --now --now https://h/f.xml C:\\a.exe", CommandKind::MalformedCheck, L""},
        {L"u.exe --check --channel https://h/f.xml C:\\a.exe", CommandKind::MalformedCheck, L""},
        {L"u.exe a b c", CommandKind::Ignored, L""},
    };
    for (const Case& c : cases) {
        UpdateRequest update;
        CheckRequest check;
        std::string problem;
        EXPECT_EQ(ParseAnyCommandLine(c.line, update, check, problem), c.kind) << c.line;
        if (c.kind != CommandKind::Check) continue;
        EXPECT_EQ(check.channel, c.channel);
        EXPECT_TRUE(check.now && check.yes && check.programPath == L"C:\\A B\\a.exe");
    }
}

// "--lang" comes before either form; an unknown or missing language refuses the line as that
// form refuses any other mistake.
TEST(CheckCommandLine, LanguageBeforeEitherForm) {
    const std::optional<Language> none;
    struct Case {
        const wchar_t* line;
        CommandKind kind;
        std::optional<Language> language;
    } cases[] = {
        {L"u.exe --lang en https://h/new.exe C:\\a.exe", CommandKind::Update, Language::English},
        {L"u.exe --lang ZH-cn --check --now https://h/f.xml C:\\a.exe", CommandKind::Check, Language::Chinese},
        {L"u.exe https://h/new.exe C:\\a.exe", CommandKind::Update, none},
        {L"u.exe --lang fr https://h/new.exe C:\\a.exe", CommandKind::Ignored, none},
        {L"u.exe --lang fr --check https://h/f.xml C:\\a.exe", CommandKind::MalformedCheck, none},
        {L"u.exe --lang", CommandKind::Ignored, none},
        {L"u.exe https://h/new.exe --lang en", CommandKind::Ignored, none},
        {L"u.exe --check --lang en https://h/f.xml C:\\a.exe", CommandKind::MalformedCheck, none},
    };
    for (const Case& c : cases) {
        UpdateRequest update;
        CheckRequest check;
        std::string problem;
        std::optional<Language> language;
        EXPECT_EQ(ParseAnyCommandLine(c.line, update, check, problem, &language), c.kind) << c.line;
        EXPECT_EQ(language, c.language) << c.line;
    }
    EXPECT_EQ(LanguageForUiLanguage(MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_TRADITIONAL)), Language::Chinese);
    EXPECT_EQ(LanguageForUiLanguage(MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED)), Language::Chinese);
    EXPECT_EQ(LanguageForUiLanguage(MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN)), Language::English);
    // The default build keeps the Chinese texts.
    EXPECT_EQ(BuildLanguage(), Language::Chinese);
}

TEST(CheckRules, IntervalFreshnessAndLostKeyBoundaries) {
    const std::int64_t now = 2000000000;
    FeedState state;
    state.hasLastCheck = true;
    state.lastCheckTime = now - kCheckIntervalSeconds + 1;
    EXPECT_FALSE(CheckIsDue(state, now, false));
    EXPECT_TRUE(CheckIsDue(state, now, true));
    state.lastCheckTime = now - kCheckIntervalSeconds;
    EXPECT_TRUE(CheckIsDue(state, now, false));

    AppcastFeed feed;
    state.hasFeedSerial = true;
    state.feedSerial = 5;
    EXPECT_EQ(JudgeFreshness(feed, state, now), Freshness::Replay);  // a serial seen, none now
    feed.hasSerial = true;
    feed.serial = 5;
    EXPECT_EQ(JudgeFreshness(feed, state, now), Freshness::Fresh);
    EXPECT_FALSE(SerialIsNewer(feed, state));
    feed.hasExpires = true;
    feed.expires = now;
    EXPECT_EQ(JudgeFreshness(feed, state, now), Freshness::Expired);

    state.hasFirstFailure = true;
    state.firstFeedFailureTime = now - kLostKeyWaitSeconds + 1;
    EXPECT_FALSE(LostKeyWaitOver(state, now));
    state.firstFeedFailureTime = now - kLostKeyWaitSeconds;
    EXPECT_TRUE(LostKeyWaitOver(state, now));

    EXPECT_EQ(UnverifiedSignedPart("<rss/><!-- sparkle-signatures:\na\n--><!-- sparkle-signatures:\nb\n-->"),
              "<rss/><!-- sparkle-signatures:\na\n-->");
}
