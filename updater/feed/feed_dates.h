#pragma once
// The two date forms of a feed, read into seconds since 1970 UTC: RFC 822 for an item's
// pubDate ("Wed, 02 Oct 2002 13:00:00 GMT", also a numeric or North American zone, without
// seconds or weekday, a two-digit year) and RFC 3339 for our own expiry
// ("2026-12-31T23:59:59Z", fractions and offsets allowed). False on anything else; a date
// that names no zone is not guessed at.

#include <cstdint>
#include <string>
#include <string_view>

bool ParseRfc822Date(std::wstring_view text, std::int64_t& seconds);
bool ParseRfc3339Date(std::wstring_view text, std::int64_t& seconds);

// Days from 1970-01-01 to the given proleptic Gregorian date; no range checks.
std::int64_t DaysFromCivil(std::int64_t year, unsigned month, unsigned day);

// "YYYY-MM-DD HH:MM UTC" for seconds since 1970 UTC.
std::wstring UtcDateText(std::int64_t seconds);
