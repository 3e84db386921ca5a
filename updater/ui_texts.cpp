#include "updater/ui_texts.h"

const wchar_t* UiText(TextId id) {
    return UiText(id, CurrentLanguage());
}

const wchar_t* UiText(TextId id, Language language) {
    const auto index = static_cast<size_t>(id);
    if (index >= static_cast<size_t>(TextId::Count)) return L"";
    return language == Language::English ? kEnglishTexts[index] : kChineseTexts[index];
}

std::wstring FillIn(std::wstring_view pattern, std::initializer_list<std::wstring_view> values) {
    std::wstring out;
    for (size_t at = 0; at < pattern.size(); ++at) {
        const bool mark = pattern[at] == L'{' && at + 2 < pattern.size() && pattern[at + 2] == L'}' &&
                          pattern[at + 1] >= L'0' && pattern[at + 1] <= L'9';
        const size_t slot = mark ? static_cast<size_t>(pattern[at + 1] - L'0') : values.size();
        if (slot < values.size()) {
            out += values.begin()[slot];
            at += 2;
        } else {
            out += pattern[at];
        }
    }
    return out;
}
