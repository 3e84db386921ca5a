#include <gtest/gtest.h>

#include "updater/feed/appcast.h"
#include "updater/feed/feed_dates.h"

namespace {

std::string Feed(const std::string& channel, const std::string& rssAttributes =
                                                 " xmlns:sparkle='http://www.andymatuschak.org/xml-namespaces/sparkle'") {
    return "<?xml version='1.0' encoding='utf-8'?>\n<rss version='2.0'" + rssAttributes + "><channel>" + channel +
           "</channel></rss>";
}

TEST(Appcast, ReadsItemsByNamespaceNotByPrefix) {
    // Another prefix for the sparkle namespace, declared on the item; CDATA, single quotes and
    // text beside the elements; both forms of critical; the version only on the enclosure.
    const std::string xml = Feed(
        "text beside<item xmlns:sp=\"http://www.andymatuschak.org/xml-namespaces/sparkle\">"
        "<title>Two &amp; more</title><pubDate>Wed, 02 Oct 2002 13:00:00 GMT</pubDate>"
        "<sp:version>2.0</sp:version><sp:shortVersionString>2.0 beta</sp:shortVersionString>"
        "<description sp:format='plain-text'><![CDATA[line <one>]]> and two</description>"
        "<sp:releaseNotesLink> https://example.test/notes </sp:releaseNotesLink>"
        "<sp:minimumSystemVersion>10.0.17763</sp:minimumSystemVersion><sp:channel>beta</sp:channel>"
        "<sp:maximumSystemVersion>10.0.99999</sp:maximumSystemVersion><link> https://example.test/2 </link>"
        "<sp:minimumAutoupdateVersion>2.0</sp:minimumAutoupdateVersion>"
        "<sp:informationalUpdate><sp:version>1.1</sp:version><sp:belowVersion>1.0</sp:belowVersion>"
        "<sp:version>1.2</sp:version></sp:informationalUpdate>"
        "<sp:criticalUpdate sp:version='1.5'/><sp:phasedRolloutInterval>86400</sp:phasedRolloutInterval>"
        "<enclosure url='https://example.test/app.exe' length='1234' type='application/octet-stream' "
        "sp:os='windows-x64' sp:edSignature='c2ln'/><enclosure url='https://example.test/app32.exe' length='12' "
        "sp:os='windows-x86'/><enclosure url='' /><enclosure url='https://example.test/App.MSI?x=1'/></item>"
        "<item><sparkle:tags><sparkle:criticalUpdate/></sparkle:tags><sparkle:informationalUpdate/>"
        "<enclosure url='https://example.test/3.exe' sparkle:version='3.0' sparkle:installerArguments='/S'/></item>"
        "<item><sparkle:version>4.0</sparkle:version><description><p>Raw <b>HTML</b></p></description>"
        "<pubDate>someday</pubDate><enclosure url='https://example.test/4.exe' length='12x'/></item>"
        "<item xmlns:sparkle='urn:other'><sparkle:version>5.0</sparkle:version></item>");
    AppcastFeed feed;
    ASSERT_EQ(AppcastStatus::Ok, ParseAppcast(xml, feed));
    ASSERT_EQ(4u, feed.items.size());
    const FeedItem& a = feed.items[0];
    EXPECT_EQ(L"2.0", a.version);
    EXPECT_EQ(L"2.0 beta", a.shortVersion);
    EXPECT_EQ(L"Two & more", a.title);
    EXPECT_EQ(L"line <one> and two", a.description);
    EXPECT_TRUE(a.descriptionIsPlainText);
    EXPECT_EQ(L"https://example.test/notes", a.releaseNotesLink);
    EXPECT_EQ(L"10.0.17763", a.minimumSystemVersion);
    EXPECT_EQ(L"beta", a.channel);
    EXPECT_TRUE(a.hasPubDate && a.pubDate == 1033563600);
    EXPECT_TRUE(a.critical && a.criticalBelow == L"1.5");
    EXPECT_EQ(86400, a.rolloutInterval);
    EXPECT_TRUE(a.hasEnclosure && a.enclosure.length == 1234u);
    EXPECT_EQ(L"windows-x64", a.enclosure.os);
    EXPECT_EQ(L"c2ln", a.enclosure.edSignature);
    ASSERT_EQ(3u, a.enclosures.size());  // the one without a URL is no enclosure
    EXPECT_FALSE(a.enclosures[0].installer);
    EXPECT_TRUE(a.enclosures[2].installer && a.enclosures[2].msi && a.enclosures[2].installerArguments.empty());
    EXPECT_EQ(L"https://example.test/app32.exe", a.enclosures[1].url);
    EXPECT_EQ(L"windows-x86", a.enclosures[1].os);
    EXPECT_FALSE(a.installerArguments);
    EXPECT_EQ(L"10.0.99999", a.maximumSystemVersion);
    EXPECT_EQ(L"2.0", a.minimumAutoupdateVersion);
    EXPECT_EQ(L"https://example.test/2", a.link);
    EXPECT_TRUE(a.informational);
    EXPECT_EQ((std::vector<std::wstring>{L"1.1", L"1.2"}), a.informationalVersions);
    EXPECT_EQ(std::vector<std::wstring>{L"1.0"}, a.informationalBelow);
    const FeedItem& b = feed.items[1];
    EXPECT_EQ(L"3.0", b.version);
    EXPECT_TRUE(b.critical && b.criticalBelow.empty());
    EXPECT_TRUE(b.installerArguments && !b.hasPubDate);
    EXPECT_TRUE(b.enclosure.installer && !b.enclosure.msi);
    EXPECT_EQ(L"/S", b.enclosure.installerArguments);
    EXPECT_TRUE(b.informational && b.informationalVersions.empty() && b.informationalBelow.empty());
    EXPECT_FALSE(feed.items[2].informational);
    const FeedItem& c = feed.items[2];
    EXPECT_EQ(L"<p>Raw <b>HTML</b></p>", c.description);
    EXPECT_FALSE(c.hasPubDate);  // "someday"
    EXPECT_FALSE(c.hasEnclosure);  // a length that is no number: no offer
    EXPECT_TRUE(feed.items[3].version.empty());  // "sparkle" bound to another namespace there
}

TEST(Appcast, FailsOnWhatCannotBeTheFeed) {
    const std::string ours = " xmlns:u='urn:updater:feed:1'";
    struct Case {
        const char* name;
        std::string xml;
        AppcastStatus status;
    } const cases[] = {
        {"empty", "", AppcastStatus::NoRss},
        {"not well-formed", Feed("<item>"), AppcastStatus::NotWellFormed},
        {"other root", "<feed><channel/></feed>", AppcastStatus::NoRss},
        {"rss in a namespace", "<rss xmlns='urn:x'><channel/></rss>", AppcastStatus::NoRss},
        {"serial and expiry", Feed("<u:serial> 7 </u:serial><u:expires>2030-01-01T00:00:00+01:00</u:expires>", ours),
         AppcastStatus::Ok},
        {"serial not a number", Feed("<u:serial>7a</u:serial>", ours), AppcastStatus::BadFreshness},
        {"two serials", Feed("<u:serial>7</u:serial><u:serial>8</u:serial>", ours), AppcastStatus::BadFreshness},
        {"expiry not RFC 3339", Feed("<u:expires>Jan 1 2030</u:expires>", ours), AppcastStatus::BadFreshness},
        {"serial of another namespace", Feed("<serial>x</serial>"), AppcastStatus::Ok},
    };
    for (const Case& c : cases) {
        AppcastFeed feed;
        EXPECT_EQ(c.status, ParseAppcast(c.xml, feed)) << c.name;
    }
    AppcastFeed feed;
    ASSERT_EQ(AppcastStatus::Ok, ParseAppcast("\xEF\xBB\xBF" + cases[4].xml, feed));
    EXPECT_EQ(7u, feed.serial);
    EXPECT_EQ(1893452400, feed.expires);
}

TEST(FeedDates, ReadsBothFormsAndRefusesTheRest) {
    struct Case {
        const wchar_t* text;
        bool rfc822;
        bool ok;
        std::int64_t seconds;
    } const cases[] = {
        {L"Wed, 02 Oct 2002 13:00:00 GMT", true, true, 1033563600},
        {L"2 Oct 2002 15:00 +0200", true, true, 1033563600},
        {L"Wed, 02 Oct 02 08:00:00 EST", true, true, 1033563600},
        {L"Thu, 29 Feb 2024 00:00:00 -0000", true, true, 1709164800},
        {L"Fri, 30 Feb 2024 00:00:00 GMT", true, false, 0},
        {L"Wed, 02 Oct 2002 13:00:00", true, false, 0},  // no zone: not guessed
        {L"Wed, 02 Oct 2002 24:00:00 GMT", true, false, 0},
        {L"2002-10-02T13:00:00Z", false, true, 1033563600},
        {L"2002-10-02t15:00:00.123+02:00", false, true, 1033563600},
        {L"2002-10-02T13:00:00", false, false, 0},
        {L"2002-10-02T13:00:00Z trailing", false, false, 0},
    };
    for (const Case& c : cases) {
        std::int64_t seconds = 0;
        EXPECT_EQ(c.ok, c.rfc822 ? ParseRfc822Date(c.text, seconds) : ParseRfc3339Date(c.text, seconds)) << c.text;
        if (c.ok) {
            EXPECT_EQ(c.seconds, seconds) << c.text;
        }
    }
}

}  // namespace
