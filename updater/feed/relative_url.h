#pragma once
// Vendors write enclosure and notes URLs relative to their feed ("app-2.0.exe",
// "/downloads/app.exe", "//cdn.example.com/app.exe"). They are resolved against the feed's final
// URL (after redirects) as a browser resolves a link; the result still has to pass the https rule.

#include <string>

// `reference` resolved against the absolute `base`. A reference with a scheme is returned as
// it is; an empty one stays empty (nothing was given).
std::wstring ResolveUrl(const std::wstring& base, const std::wstring& reference);
