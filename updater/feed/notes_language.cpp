#include "updater/feed/notes_language.h"

#include <cwctype>
#include <vector>

namespace {

std::wstring Lower(std::wstring text) {
    for (wchar_t& ch : text) ch = static_cast<wchar_t>(std::towlower(ch == L'_' ? L'-' : ch));
    return text;
}

std::wstring Primary(const std::wstring& language) {
    return language.substr(0, language.find(L'-'));
}

// 3: the same tag, 2: the tag is the user's primary language, 1: the same primary language.
int MatchOf(const std::wstring& written, const std::wstring& user) {
    if (written.empty() || user.empty()) return 0;
    const std::wstring a = Lower(written), b = Lower(user);
    if (a == b) return 3;
    if (a == Primary(b)) return 2;
    return Primary(a) == Primary(b) ? 1 : 0;
}

const LanguageText* BestFor(const std::vector<LanguageText>& texts, const std::wstring& user) {
    const LanguageText* best = nullptr;
    int bestMatch = 0;
    for (const LanguageText& text : texts) {
        const int match = MatchOf(text.language, user);
        if (match > bestMatch) best = &text, bestMatch = match;
    }
    return best;
}

}  // namespace

void ChooseItemLanguage(FeedItem& item, const std::wstring& uiLanguage) {
    if (const LanguageText* description = BestFor(item.descriptions, uiLanguage)) {
        item.description = description->text;
        item.descriptionIsPlainText = description->plainText;
    }
    if (const LanguageText* link = BestFor(item.notesLinks, uiLanguage)) item.releaseNotesLink = link->text;
}
