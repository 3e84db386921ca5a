#include <gtest/gtest.h>

#include "updater/feed/appcast.h"
#include "updater/feed/delta_enclosure.h"
#include "updater/files/sha256.h"

namespace {

const std::string kBase(64, 'a');

std::string DeltaLine(const std::string& attributes) {
    return "<enclosure url='https://example.test/d.delta' length='900' sparkle:edSignature='c2ln' " + attributes +
           "/>";
}

TEST(DeltaFeed, ReadsCompleteDeltasBesideTheFullEnclosureAndPassesOverTheRest) {
    const std::string xml =
        "<?xml version='1.0' encoding='utf-8'?><rss version='2.0' "
        "xmlns:sparkle='http://www.andymatuschak.org/xml-namespaces/sparkle' xmlns:upd='urn:updater:feed:1'>"
        "<channel><item><sparkle:version>2.0</sparkle:version>"
        "<enclosure url='https://example.test/App-2.0.zip' length='5000' sparkle:edSignature='c2ln'/>"
        "<sparkle:deltas>" +
        DeltaLine("sparkle:deltaFrom='1.0' upd:baseManifest='" + kBase + "'") +
        DeltaLine("sparkle:deltaFrom='1.1' upd:baseManifest='" + std::string(64, 'B') + "'") +
        DeltaLine("sparkle:deltaFrom='1.2'") +                                                   // no base manifest
        DeltaLine("sparkle:deltaFrom='1.3' upd:baseManifest='" + std::string(63, 'a') + "'") +  // not a SHA-256
        DeltaLine("sparkle:deltaFrom='1.4' baseManifest='" + kBase + "'") +                     // not our namespace
        DeltaLine("upd:baseManifest='" + kBase + "'") +                                          // no deltaFrom
        "<enclosure url='x' length='12x' sparkle:edSignature='c2ln' sparkle:deltaFrom='1.5' upd:baseManifest='" +
        kBase + "'/>"
        "</sparkle:deltas></item><item><sparkle:version>3.0</sparkle:version>"
        "<enclosure url='https://example.test/App-3.0.zip' length='5000'/></item></channel></rss>";
    AppcastFeed feed;
    ASSERT_EQ(AppcastStatus::Ok, ParseAppcast(xml, feed));
    ASSERT_EQ(2u, feed.items.size());
    EXPECT_TRUE(feed.items[0].hasEnclosure);
    EXPECT_EQ(L"https://example.test/App-2.0.zip", feed.items[0].enclosure.url);
    const std::vector<DeltaEnclosure>& deltas = feed.items[0].deltas;
    ASSERT_EQ(2u, deltas.size());
    EXPECT_EQ(L"1.0", deltas[0].deltaFrom);
    EXPECT_EQ(L"https://example.test/d.delta", deltas[0].url);
    EXPECT_EQ(900u, deltas[0].length);
    EXPECT_EQ(L"c2ln", deltas[0].edSignature);
    EXPECT_EQ(0xAA, deltas[0].baseManifest[31]);
    EXPECT_EQ(0xBB, deltas[1].baseManifest[0]);
    EXPECT_TRUE(feed.items[1].deltas.empty());
}

TEST(DeltaFeed, ADeltaIsTriedOnlyFromTheInstalledVersionAndTheLiveManifest) {
    Sha256Digest live, other;
    live.fill(0x11);
    other.fill(0x22);
    std::vector<DeltaEnclosure> deltas(2);
    deltas[0].deltaFrom = L"1.0";
    deltas[0].baseManifest = other;
    deltas[1].deltaFrom = L"1.0";
    deltas[1].baseManifest = live;
    std::vector<DeltaEnclosure> fromOlder(1);
    fromOlder[0].deltaFrom = L"0.9";
    fromOlder[0].baseManifest = live;
    const struct {
        const char* name;
        const std::vector<DeltaEnclosure>* deltas;
        const wchar_t* installed;
        const wchar_t* failed;
        int chosen;  // index in `deltas`, -1: the full package
    } cases[] = {
        {"the installed version and the live manifest", &deltas, L"1.0", L"", 1},
        {"the same version written longer", &deltas, L"1.0.0", L"", 1},
        {"another installed version", &deltas, L"1.1", L"", -1},
        {"a delta from an older installed version", &fromOlder, L"0.9", L"", 0},
        {"the delta for this version failed here before", &deltas, L"1.0", L"2.0", -1},
        {"a delta of another version failed before", &deltas, L"1.0", L"1.9", 1},
        {"no deltas", &fromOlder, L"1.0", L"", -1},
    };
    for (const auto& c : cases) {
        const DeltaEnclosure* chosen = ChooseDelta(*c.deltas, c.installed, live, L"2.0", c.failed);
        EXPECT_EQ(c.chosen < 0 ? nullptr : &(*c.deltas)[static_cast<size_t>(c.chosen)], chosen) << c.name;
    }
    EXPECT_EQ(nullptr, ChooseDelta(fromOlder, L"0.9", other, L"2.0", L"")) << "a base whose manifest changed";
}

}  // namespace
