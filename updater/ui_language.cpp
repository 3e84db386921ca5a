#include "updater/ui_language.h"

#include <cwctype>

// The build passes 0 (zh-CN), 1 (en) or 2 (auto); a build without it keeps the Chinese texts.
#ifndef UPDATER_BUILD_LANGUAGE
#define UPDATER_BUILD_LANGUAGE 0
#endif

namespace {

constexpr int kBuildLanguage = UPDATER_BUILD_LANGUAGE;

bool SameNoCase(std::wstring_view text, std::wstring_view lower) {
    if (text.size() != lower.size()) return false;
    for (size_t i = 0; i < text.size(); ++i) {
        if (static_cast<wchar_t>(std::towlower(text[i])) != lower[i]) return false;
    }
    return true;
}

std::optional<Language>& ChosenLanguage() {
    static std::optional<Language> chosen;
    return chosen;
}

}  // namespace

std::optional<Language> ParseLanguageTag(std::wstring_view tag) {
    if (SameNoCase(tag, L"zh-cn")) return Language::Chinese;
    if (SameNoCase(tag, L"en")) return Language::English;
    return std::nullopt;
}

Language LanguageForUiLanguage(LANGID uiLanguage) {
    return PRIMARYLANGID(uiLanguage) == LANG_CHINESE ? Language::Chinese : Language::English;
}

Language BuildLanguage() {
    switch (kBuildLanguage) {
        case 1: return Language::English;
        case 2: return LanguageForUiLanguage(GetUserDefaultUILanguage());
        default: return Language::Chinese;
    }
}

void SetLanguage(Language language) {
    ChosenLanguage() = language;
}

Language CurrentLanguage() {
    std::optional<Language>& chosen = ChosenLanguage();
    if (!chosen) chosen = BuildLanguage();
    return *chosen;
}
