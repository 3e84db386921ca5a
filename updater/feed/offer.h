#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "updater/feed/appcast.h"

struct OfferContext {
    std::wstring installedVersion;
    std::uint16_t machine = 0;               // the installed program's PE machine
    unsigned osMajor = 0, osMinor = 0, osBuild = 0;
    std::wstring channel;                    // --channel NAME, empty: none
    int rolloutGroup = 0;                    // 0..6
    std::int64_t now = 0;                    // seconds since 1970 UTC
    bool checkNow = false;                   // --now: every item due, the skipped version ignored
    std::wstring skippedVersion;
    bool automatic = false;                  // --yes: nobody is asked before the install
};
// A newer item that is no candidate, with the reason as the log states it.
struct PassedOver {
    const FeedItem* item = nullptr;
    std::wstring reason;
};
struct Offer {
    const FeedItem* item = nullptr;          // null: nothing newer
    const FeedEnclosure* enclosure = nullptr;  // the item's file for this machine; null when informational
    bool critical = false;                   // critical for the installed version
    bool informational = false;              // the item is shown, never downloaded or installed
    std::vector<PassedOver> passedOver;      // in feed order
};
// Whether `item` is only information for a program at `installed`.
bool IsInformationalFor(const FeedItem& item, const std::wstring& installed);
Offer ChooseOffer(const AppcastFeed& feed, const OfferContext& context);
