// This program's ui_language.cpp is compiled as a build with UPDATER_LANGUAGE=en compiles it
// (tests/CMakeLists.txt): every text is English unless --lang says otherwise.

#include <gtest/gtest.h>

#include "updater/ui_language.h"
#include "updater/ui_texts.h"

TEST(EnglishBuild, SpeaksEnglishUntilTheCommandLineChoosesChinese) {
    EXPECT_EQ(BuildLanguage(), Language::English);
    EXPECT_STREQ(UiText(TextId::DownloadFailed), L"Download error, update failed!");
    EXPECT_STREQ(UiText(TextId::CheckingForUpdates), L"Checking for updates…");
    SetLanguage(Language::Chinese);
    EXPECT_STREQ(UiText(TextId::DownloadFailed), L"下载错误，升级失败！");
}
