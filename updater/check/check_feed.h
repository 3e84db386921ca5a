#pragma once
// Getting a feed the check may believe: fetched over https, its signature verified with an
// installed key (or, in the lost-key case, kept aside for the download's keys to verify), read,
// and fresh. What the feed state must remember of it is written here.

#include <cstdint>
#include <string>

#include "updater/check/check_program.h"
#include "updater/feed/appcast.h"
#include "updater/feed/feed_state.h"

enum class FeedRoot {
    InstalledKey,  // an installed Ed25519 key verified the feed
    LostKey,       // none did, 20 days have passed and the program is Authenticode-signed:
                   // the download's own keys must verify the feed and itself
};

struct ReceivedFeed {
    std::string whole;  // as received, signature block included
    std::wstring finalUrl;  // the URL that answered, after redirects: relative URLs resolve against it
    AppcastFeed feed;
    FeedRoot root = FeedRoot::InstalledKey;
};

struct FeedCheckPlace {
    std::wstring url;
    std::wstring keyPath;  // the program's feed state
    std::int64_t now = 0;
};

// False when the check fails (each reason logged).
bool ReceiveFeed(const FeedCheckPlace& place, const InstalledProgram& program, const FeedState& state,
                 ReceivedFeed& received);
