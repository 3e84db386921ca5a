#pragma once
// What the new-version window writes and follows, decided without a window: the line naming the
// versions, the release-notes link in mark-up, which links may reach the browser, and the
// test-only answer read from the environment.
#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

#include "updater/check/offer_window.h"

// Only an https URL that the mark-up carries intact and a browser reads one way opens: a
// scheme of "https://", a host, nothing blank, no control character and none of <>{}"\ (they
// end a mark-up tag or are read differently by different URL parsers), and nothing the shell would
// read as an environment variable.
bool IsOpenableLink(std::wstring_view url);

// "<product> <new> 已发布（您当前的版本是 <installed>）" in the user's language, "新版本" standing in for
// a missing name.
std::wstring OfferVersionLine(const OfferDetails& details);

// The releaseNotesLink as a mark-up link, empty when it may not be opened.
std::wstring ReleaseNotesLinkMarkup(std::wstring_view url);

// "now", "later" or "skip" (any letter case); nothing for any other text.
std::optional<OfferChoice> ParseOfferChoice(std::wstring_view text);
const char* OfferChoiceName(OfferChoice choice);

// The answer a test or the demo asked for through the environment, if any.
struct OfferTestAnswer {
    OfferChoice choice = OfferChoice::Later;
    DWORD holdMs = 0;  // how long the painted window stays before answering
};
std::optional<OfferTestAnswer> OfferTestAnswerFromEnvironment();
