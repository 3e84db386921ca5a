#include "updater/feed/version_compare.h"

namespace {

bool IsDigit(wchar_t ch) {
    return ch >= L'0' && ch <= L'9';
}

// Separators only split parts; they never compare themselves, so "1.0", "1,0" and "1 0" agree
// (old resource compilers write FileVersion as "1, 0, 0, 1").
bool IsSeparator(wchar_t ch) {
    return ch == L'.' || ch == L',' || ch == L'-' || ch == L'_' || ch == L'+' || ch == L' ' || ch == L'\t';
}

wchar_t Lower(wchar_t ch) {
    return (ch >= L'A' && ch <= L'Z') ? static_cast<wchar_t>(ch - L'A' + L'a') : ch;
}

struct Part {
    bool number = true;  // a missing part is the number zero
    std::wstring_view text;
};

// The next part from `rest`: a run of digits, or a run of anything else that is no separator.
Part NextPart(std::wstring_view& rest) {
    while (!rest.empty() && IsSeparator(rest.front())) rest.remove_prefix(1);
    Part part;
    if (rest.empty()) return part;
    part.number = IsDigit(rest.front());
    std::size_t end = 1;
    while (end < rest.size() && !IsSeparator(rest[end]) && IsDigit(rest[end]) == part.number) ++end;
    part.text = rest.substr(0, end);
    rest.remove_prefix(end);
    return part;
}

// Digit runs compare by value at any length (leading zeros dropped, then the longer is larger),
// which agrees with 64-bit comparison wherever that is defined and never overflows.
int CompareNumbers(std::wstring_view a, std::wstring_view b) {
    while (!a.empty() && a.front() == L'0') a.remove_prefix(1);
    while (!b.empty() && b.front() == L'0') b.remove_prefix(1);
    if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
    return a.compare(b) < 0 ? -1 : (a == b ? 0 : 1);
}

int CompareWords(std::wstring_view a, std::wstring_view b) {
    for (std::size_t i = 0; i < a.size() && i < b.size(); ++i) {
        const wchar_t x = Lower(a[i]), y = Lower(b[i]);
        if (x != y) return x < y ? -1 : 1;
    }
    if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
    return 0;
}

}  // namespace

int CompareVersions(std::wstring_view a, std::wstring_view b) {
    while (!a.empty() || !b.empty()) {
        const Part x = NextPart(a), y = NextPart(b);
        if (x.number != y.number) return x.number ? 1 : -1;  // a number beats letters
        const int order = x.number ? CompareNumbers(x.text, y.text) : CompareWords(x.text, y.text);
        if (order != 0) return order;
    }
    return 0;
}
