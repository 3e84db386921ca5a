#pragma once
// Which language the updater speaks to the user. The build chooses a default (zh-CN, en, or auto:
// Chinese for a Chinese Windows UI language, English otherwise); "--lang zh-CN|en" before the
// other arguments overrides it for one run.

#include <windows.h>

#include <optional>
#include <string_view>

enum class Language { Chinese, English };

// "zh-CN" or "en" (either letter case); nothing else.
std::optional<Language> ParseLanguageTag(std::wstring_view tag);

// What "auto" picks for a Windows UI language: Chinese for every Chinese one.
Language LanguageForUiLanguage(LANGID uiLanguage);

// The build's choice, "auto" resolved against the user's UI language.
Language BuildLanguage();

// The language of every text from now on (the build's until set).
void SetLanguage(Language language);
Language CurrentLanguage();
