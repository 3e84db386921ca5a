#pragma once
#include <string_view>
// Sparkle-style: runs of digits compare as 64-bit numbers, a number beats letters, missing parts
// count as zero. 1.10 > 1.9, 1.0b2 < 1.0, 1.0a1 < 1.0b1, 1.0 == 1.0.0. Negative, 0 or positive.
int CompareVersions(std::wstring_view a, std::wstring_view b);
