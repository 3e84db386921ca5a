#pragma once
// What a check learns before anything is shown or decided: the installed program, its feed
// state and the verified feed with the item it offers. Gathering it touches only files, the
// registry and the network, so it may run on a worker thread while a window waits for it.

#include "updater/check/check_feed.h"
#include "updater/check/check_program.h"
#include "updater/command_line.h"
#include "updater/feed/offer.h"

struct CheckFindings {
    // Set when the check ends here, with this exit code (the reason is logged).
    bool finished = false;
    int exitCode = 0;
    InstalledProgram program;
    FeedCheckPlace place;
    FeedState state;
    ReceivedFeed received;
    Offer offer;  // points into received.feed: the findings are never copied or moved once gathered
};

void GatherCheckFindings(const CheckRequest& request, CheckFindings& findings);
