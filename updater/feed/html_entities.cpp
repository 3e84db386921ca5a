#include "updater/feed/html_entities.h"

namespace {

struct Named {
    const wchar_t* name;
    wchar_t ch;
};

constexpr Named kNamed[] = {
    {L"amp", L'&'},       {L"lt", L'<'},        {L"gt", L'>'},        {L"quot", L'"'},      {L"apos", L'\''},
    {L"nbsp", 0x00A0},    {L"copy", 0x00A9},    {L"reg", 0x00AE},     {L"trade", 0x2122},   {L"hellip", 0x2026},
    {L"mdash", 0x2014},   {L"ndash", 0x2013},   {L"laquo", 0x00AB},   {L"raquo", 0x00BB},   {L"bull", 0x2022},
    {L"middot", 0x00B7},  {L"euro", 0x20AC},    {L"lsquo", 0x2018},   {L"rsquo", 0x2019},   {L"ldquo", 0x201C},
    {L"rdquo", 0x201D},   {L"deg", 0x00B0},     {L"times", 0x00D7},   {L"rarr", 0x2192},    {L"larr", 0x2190},
};

void AppendCodePoint(unsigned long code, std::wstring& out) {
    if (code == 0 || (code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF) code = 0xFFFD;
    if (code >= 0x10000) {
        code -= 0x10000;
        out += static_cast<wchar_t>(0xD800 + (code >> 10));
        out += static_cast<wchar_t>(0xDC00 + (code & 0x3FF));
    } else {
        out += static_cast<wchar_t>(code);
    }
}

int DigitValue(wchar_t ch, int base) {
    int value = -1;
    if (ch >= L'0' && ch <= L'9') value = ch - L'0';
    else if (ch >= L'a' && ch <= L'f') value = ch - L'a' + 10;
    else if (ch >= L'A' && ch <= L'F') value = ch - L'A' + 10;
    return value < base ? value : -1;
}

std::size_t DecodeNumeric(std::wstring_view text, std::wstring& out) {
    std::size_t pos = 2;  // after "&#"
    int base = 10;
    if (pos < text.size() && (text[pos] == L'x' || text[pos] == L'X')) {
        base = 16;
        ++pos;
    }
    const std::size_t first = pos;
    unsigned long code = 0;
    while (pos < text.size() && DigitValue(text[pos], base) >= 0) {
        if (code <= 0x10FFFF) code = code * base + DigitValue(text[pos], base);  // stays past the limit once there
        ++pos;
    }
    if (pos == first) return 0;
    if (pos < text.size() && text[pos] == L';') ++pos;
    AppendCodePoint(code, out);
    return pos;
}

}  // namespace

std::size_t DecodeHtmlEntity(std::wstring_view text, std::wstring& out) {
    if (text.size() < 2 || text[0] != L'&') return 0;
    if (text[1] == L'#') return DecodeNumeric(text, out);
    for (const Named& named : kNamed) {
        const std::wstring_view name(named.name);
        if (text.size() >= name.size() + 2 && text.substr(1, name.size()) == name && text[name.size() + 1] == L';') {
            out += named.ch;
            return name.size() + 2;
        }
    }
    return 0;
}
