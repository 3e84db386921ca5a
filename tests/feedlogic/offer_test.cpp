#include <gtest/gtest.h>

#include <windows.h>

#include <functional>

#include "updater/feed/offer.h"

namespace {

FeedItem Item(const wchar_t* version, const std::function<void(FeedItem&)>& change = [](FeedItem&) {}) {
    FeedItem item;
    item.version = version;
    item.hasEnclosure = true;
    item.enclosure.url = L"https://example.test/app.exe";
    change(item);
    if (item.enclosures.empty() && item.hasEnclosure) item.enclosures.push_back(item.enclosure);
    return item;
}

FeedEnclosure Os(const wchar_t* os) {
    FeedEnclosure enclosure;
    enclosure.os = os;
    enclosure.url = std::wstring(L"https://example.test/") + (*os ? os : L"any") + L".exe";
    return enclosure;
}

OfferContext Context() {
    return OfferContext{L"1.0", IMAGE_FILE_MACHINE_I386, 10, 0, 19045, L"", 3, 1000000, false, L""};
}

TEST(Offer, ChoosesTheHighestEligibleItem) {
    const auto none = [](OfferContext&) {};
    struct Case {
        const char* name;
        std::vector<FeedItem> items;
        std::function<void(OfferContext&)> context;
        const wchar_t* offered;  // null: nothing
        bool critical;
        bool informational = false;
        const wchar_t* reason = nullptr;  // in the log line of a newer item passed over
        const wchar_t* url = nullptr;     // the enclosure chosen, when it matters
    } const cases[] = {
        {"highest, in any order", {Item(L"1.2"), Item(L"1.10"), Item(L"1.9")}, none, L"1.10", false},
        {"not higher than installed", {Item(L"1.0.0"), Item(L"0.9")}, none, nullptr, false},
        {"no enclosure", {Item(L"2.0", [](FeedItem& i) { i.hasEnclosure = false; })}, none, nullptr, false},
        {"installer release", {Item(L"2.0", [](FeedItem& i) { i.installerArguments = true; }), Item(L"1.5")}, none, L"2.0",
         false},
        {"os windows-x86", {Item(L"2.0", [](FeedItem& i) { i.enclosure.os = L"windows-x86"; })}, none, L"2.0", false},
        {"os windows-x64 on x86", {Item(L"2.0", [](FeedItem& i) { i.enclosure.os = L"windows-x64"; })}, none, nullptr, false},
        {"os windows-x64 on x64", {Item(L"2.0", [](FeedItem& i) { i.enclosure.os = L"windows-x64"; })},
         [](OfferContext& c) { c.machine = IMAGE_FILE_MACHINE_AMD64; }, L"2.0", false},
        {"os windows-arm64", {Item(L"2.0", [](FeedItem& i) { i.enclosure.os = L"windows-arm64"; })},
         [](OfferContext& c) { c.machine = 0xAA64; }, L"2.0", false},
        {"os unknown", {Item(L"2.0", [](FeedItem& i) { i.enclosure.os = L"macos"; })}, none, nullptr, false},
        {"system new enough", {Item(L"2.0", [](FeedItem& i) { i.minimumSystemVersion = L"10.0.19045"; })}, none, L"2.0", false},
        {"system too old", {Item(L"2.0", [](FeedItem& i) { i.minimumSystemVersion = L"10.0.22000"; })}, none, nullptr, false,
         false, L"system version 10.0.19045 below the minimum 10.0.22000"},
        {"system at its maximum", {Item(L"2.0", [](FeedItem& i) { i.maximumSystemVersion = L"10.0.19045"; })}, none,
         L"2.0", false},
        {"system too new", {Item(L"2.0", [](FeedItem& i) { i.maximumSystemVersion = L"6.3"; })}, none, nullptr, false,
         false, L"system version 10.0.19045 above the maximum 6.3"},
        {"maximum system garbage", {Item(L"2.0", [](FeedItem& i) { i.maximumSystemVersion = L"ten"; })}, none, nullptr,
         false},
        {"system garbage", {Item(L"2.0", [](FeedItem& i) { i.minimumSystemVersion = L"10.x"; })}, none, nullptr, false},
        {"other channel", {Item(L"2.0", [](FeedItem& i) { i.channel = L"beta"; }), Item(L"1.1")}, none, L"1.1", false},
        {"chosen channel", {Item(L"2.0", [](FeedItem& i) { i.channel = L"beta"; }), Item(L"1.1")},
         [](OfferContext& c) { c.channel = L"beta"; }, L"2.0", false},
        {"rollout not yet due for group 3",
         {Item(L"2.0", [](FeedItem& i) { i.hasPubDate = true, i.pubDate = 1000000 - 2 * 3600, i.rolloutInterval = 3600; })},
         none, nullptr, false, false, L"rollout group 3 not yet due, due 1970-01-12 14:46 UTC"},
        {"rollout due for group 3",
         {Item(L"2.0", [](FeedItem& i) { i.hasPubDate = true, i.pubDate = 1000000 - 3 * 3600, i.rolloutInterval = 3600; })},
         none, L"2.0", false},
        {"rollout without pubDate", {Item(L"2.0", [](FeedItem& i) { i.rolloutInterval = 3600; })}, none, L"2.0", false},
        {"rollout ignored by --now",
         {Item(L"2.0", [](FeedItem& i) { i.hasPubDate = true, i.pubDate = 1000000, i.rolloutInterval = 3600; })},
         [](OfferContext& c) { c.checkNow = true; }, L"2.0", false},
        {"skipped", {Item(L"2.0")}, [](OfferContext& c) { c.skippedVersion = L"2.0"; }, nullptr, false, false,
         L"skipped by the user"},
        {"newer than skipped", {Item(L"2.1")}, [](OfferContext& c) { c.skippedVersion = L"2.0"; }, L"2.1", false},
        {"skipped but --now", {Item(L"2.0")}, [](OfferContext& c) { c.skippedVersion = L"2.0", c.checkNow = true; },
         L"2.0", false},
        {"skipped but critical", {Item(L"2.0", [](FeedItem& i) { i.critical = true; })},
         [](OfferContext& c) { c.skippedVersion = L"2.0"; }, L"2.0", true},
        {"critical only below 1.0", {Item(L"2.0", [](FeedItem& i) { i.critical = true, i.criticalBelow = L"1.0"; })},
         [](OfferContext& c) { c.skippedVersion = L"2.0"; }, nullptr, false},
        {"critical below 1.5",
         {Item(L"2.0", [](FeedItem& i) { i.critical = true, i.criticalBelow = L"1.5", i.hasPubDate = true,
                                         i.pubDate = 2000000, i.rolloutInterval = 3600; })},
         none, L"2.0", true},
        {"no enclosure, said", {Item(L"2.0", [](FeedItem& i) { i.hasEnclosure = false; })}, none, nullptr, false, false,
         L"no usable enclosure"},
        {"other channel, said", {Item(L"2.0", [](FeedItem& i) { i.channel = L"beta"; })}, none, nullptr, false, false,
         L"channel \"beta\" not followed"},
        {"other machine, said", {Item(L"2.0", [](FeedItem& i) { i.enclosure.os = L"windows-x64"; })}, none, nullptr,
         false, false, L"machine: for sparkle:os \"windows-x64\""},
        // Several enclosures: the file for the program's machine.
        {"x64 and x86 files on x86", {Item(L"2.0", [](FeedItem& i) { i.enclosures = {Os(L"windows-x64"), Os(L"windows-x86")}; })},
         none, L"2.0", false, false, nullptr, L"https://example.test/windows-x86.exe"},
        {"x64 and any Windows on x64", {Item(L"2.0", [](FeedItem& i) { i.enclosures = {Os(L""), Os(L"windows-x64")}; })},
         [](OfferContext& c) { c.machine = IMAGE_FILE_MACHINE_AMD64; }, L"2.0", false, false, nullptr,
         L"https://example.test/windows-x64.exe"},
        {"arm64 and x64 files on x86", {Item(L"2.0", [](FeedItem& i) { i.enclosures = {Os(L"windows-arm64"), Os(L"windows-x64")}; })},
         none, nullptr, false, false, L"machine: for sparkle:os \"windows-arm64\", \"windows-x64\""},
        // Informational releases: shown, never installed, and no lower item takes their place.
        {"informational for every version", {Item(L"2.0", [](FeedItem& i) { i.informational = true; }), Item(L"1.5")},
         none, L"2.0", false, true},
        {"informational without enclosure",
         {Item(L"2.0", [](FeedItem& i) { i.informational = true, i.hasEnclosure = false; })}, none, L"2.0", false, true},
        {"informational for the installed version",
         {Item(L"2.0", [](FeedItem& i) { i.informational = true, i.informationalVersions = {L"1.0.0", L"0.9"}; })},
         none, L"2.0", false, true},
        {"informational for other versions only",
         {Item(L"2.0", [](FeedItem& i) { i.informational = true, i.informationalVersions = {L"1.1"}; })}, none, L"2.0",
         false, false},
        {"informational below a version",
         {Item(L"2.0", [](FeedItem& i) { i.informational = true, i.informationalBelow = {L"1.5"}; })}, none, L"2.0",
         false, true},
        {"informational below an older version",
         {Item(L"2.0", [](FeedItem& i) { i.informational = true, i.informationalBelow = {L"1.0"}; })}, none, L"2.0",
         false, false},
        {"informational below the highest", {Item(L"1.5", [](FeedItem& i) { i.informational = true; }), Item(L"2.0")},
         none, L"2.0", false, false},
        // A major release: a person may install it, --yes may not.
        {"minimum autoupdate with --yes",
         {Item(L"3.0", [](FeedItem& i) { i.minimumAutoupdateVersion = L"2.0"; }), Item(L"1.5")},
         [](OfferContext& c) { c.automatic = true; }, L"1.5", false, false,
         L"minimum automatic-update version 2.0 above the installed 1.0"},
        {"minimum autoupdate asked", {Item(L"3.0", [](FeedItem& i) { i.minimumAutoupdateVersion = L"2.0"; }), Item(L"1.5")},
         none, L"3.0", false},
        {"minimum autoupdate met with --yes", {Item(L"3.0", [](FeedItem& i) { i.minimumAutoupdateVersion = L"1.0"; })},
         [](OfferContext& c) { c.automatic = true; }, L"3.0", false},
        {"a critical fix below the highest", {Item(L"1.1", [](FeedItem& i) { i.critical = true; }), Item(L"1.2")}, none,
         L"1.2", true},
    };
    for (const Case& c : cases) {
        OfferContext context = Context();
        c.context(context);
        AppcastFeed feed;
        feed.items = c.items;
        const Offer offer = ChooseOffer(feed, context);
        if (c.offered == nullptr) {
            EXPECT_EQ(nullptr, offer.item) << c.name;
        } else {
            ASSERT_NE(nullptr, offer.item) << c.name;
            EXPECT_EQ(c.offered, offer.item->version) << c.name;
        }
        EXPECT_EQ(c.critical, offer.critical) << c.name;
        EXPECT_EQ(c.informational, offer.informational) << c.name;
        if (c.url != nullptr) {
            ASSERT_NE(nullptr, offer.enclosure) << c.name;
            EXPECT_EQ(c.url, offer.enclosure->url) << c.name;
        }
        if (c.reason != nullptr) {
            ASSERT_EQ(1u, offer.passedOver.size()) << c.name;
            EXPECT_EQ(c.reason, offer.passedOver[0].reason) << c.name;
        }
    }
}

}  // namespace
