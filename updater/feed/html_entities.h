#pragma once
// HTML character references for the release notes: "&amp;", "&#233;", "&#x1F600;" and the
// common named ones. Code points that are no characters (zero, surrogates, past U+10FFFF)
// become U+FFFD, as browsers show them.

#include <string>
#include <string_view>

// Decodes the reference at the start of `text` (which begins with '&') into `out` and returns
// the characters it took; 0 when it is no reference known here (the '&' is then plain text).
std::size_t DecodeHtmlEntity(std::wstring_view text, std::wstring& out);
