#include <gtest/gtest.h>

#include "updater/feed/appcast.h"
#include "updater/feed/notes_language.h"

namespace {

TEST(NotesLanguage, PicksTheUsersLanguageElseTheOneWithout) {
    const std::string xml =
        "<rss xmlns:sparkle='http://www.andymatuschak.org/xml-namespaces/sparkle'><channel><item>"
        "<description xml:lang='de'>Deutsch</description><description>Neutral</description>"
        "<description xml:lang='zh-CN' sparkle:format='plain-text'>简体</description>"
        "<description xml:lang='zh-TW'>繁體</description>"
        "<sparkle:releaseNotesLink xml:lang='de'>https://example.test/de.html</sparkle:releaseNotesLink>"
        "<sparkle:releaseNotesLink>https://example.test/notes.html</sparkle:releaseNotesLink>"
        "<sparkle:releaseNotesLink xml:lang='zh'>https://example.test/zh.html</sparkle:releaseNotesLink>"
        "</item></channel></rss>";
    AppcastFeed feed;
    ASSERT_EQ(AppcastStatus::Ok, ParseAppcast(xml, feed));
    ASSERT_EQ(1u, feed.items.size());
    EXPECT_EQ(L"Neutral", feed.items[0].description);  // before any choice: the one without a language
    struct Case {
        const wchar_t* user;
        const wchar_t* description;
        bool plainText;
        const wchar_t* link;
    } const cases[] = {
        {L"zh-CN", L"简体", true, L"https://example.test/zh.html"},
        {L"zh-tw", L"繁體", false, L"https://example.test/zh.html"},
        {L"zh-HK", L"简体", true, L"https://example.test/zh.html"},  // the same primary language, first written
        {L"de-AT", L"Deutsch", false, L"https://example.test/de.html"},
        {L"fr-FR", L"Neutral", false, L"https://example.test/notes.html"},
        {L"", L"Neutral", false, L"https://example.test/notes.html"},
    };
    for (const Case& c : cases) {
        FeedItem item = feed.items[0];
        ChooseItemLanguage(item, c.user);
        EXPECT_EQ(c.description, item.description) << c.user;
        EXPECT_EQ(c.plainText, item.descriptionIsPlainText) << c.user;
        EXPECT_EQ(c.link, item.releaseNotesLink) << c.user;
    }
}

}  // namespace
