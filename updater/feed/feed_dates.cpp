#include "updater/feed/feed_dates.h"

#include <cwchar>

namespace {

bool IsDigit(wchar_t ch) {
    return ch >= L'0' && ch <= L'9';
}

wchar_t Lower(wchar_t ch) {
    return (ch >= L'A' && ch <= L'Z') ? static_cast<wchar_t>(ch - L'A' + L'a') : ch;
}

// A small cursor over the date text.
struct Reader {
    std::wstring_view rest;

    bool AtEnd() const { return rest.empty(); }
    wchar_t Peek() const { return rest.empty() ? L'\0' : rest.front(); }
    void SkipSpaces() {
        while (!rest.empty() && (rest.front() == L' ' || rest.front() == L'\t')) rest.remove_prefix(1);
    }
    bool Take(wchar_t ch) {
        if (Peek() != ch) return false;
        rest.remove_prefix(1);
        return true;
    }
    // Exactly `minDigits` to `maxDigits` digits.
    bool Number(int minDigits, int maxDigits, int& value, int* count = nullptr) {
        int n = 0;
        value = 0;
        while (n < maxDigits && IsDigit(Peek())) {
            value = value * 10 + (rest.front() - L'0');
            rest.remove_prefix(1);
            ++n;
        }
        if (count) *count = n;
        return n >= minDigits && !IsDigit(Peek());
    }
    std::wstring_view Word() {
        std::size_t n = 0;
        while (n < rest.size() && ((rest[n] >= L'a' && rest[n] <= L'z') || (rest[n] >= L'A' && rest[n] <= L'Z'))) ++n;
        std::wstring_view word = rest.substr(0, n);
        rest.remove_prefix(n);
        return word;
    }
};

bool SameWord(std::wstring_view a, const wchar_t* b) {
    std::size_t i = 0;
    for (; i < a.size() && b[i] != L'\0'; ++i) {
        if (Lower(a[i]) != b[i]) return false;
    }
    return i == a.size() && b[i] == L'\0';
}

int MonthNumber(std::wstring_view word) {
    static const wchar_t* const kMonths[] = {L"jan", L"feb", L"mar", L"apr", L"may", L"jun",
                                             L"jul", L"aug", L"sep", L"oct", L"nov", L"dec"};
    static const wchar_t* const kLong[] = {L"january", L"february", L"march",     L"april",   L"may",      L"june",
                                           L"july",    L"august",   L"september", L"october", L"november", L"december"};
    for (int i = 0; i < 12; ++i) {
        if (SameWord(word, kMonths[i]) || SameWord(word, kLong[i])) return i + 1;
    }
    return 0;
}

bool IsLeap(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month) {
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeap(year) ? 29 : kDays[month - 1];
}

bool ValidDateTime(int year, int month, int day, int hour, int minute, int second) {
    return year >= 1970 && year <= 9999 && month >= 1 && month <= 12 && day >= 1 && day <= DaysInMonth(year, month) &&
           hour <= 23 && minute <= 59 && second <= 60;
}

std::int64_t ToSeconds(int year, int month, int day, int hour, int minute, int second, int offsetMinutes) {
    if (second == 60) second = 59;  // a leap second is the last second of its minute
    return DaysFromCivil(year, month, day) * 86400 + hour * 3600 + minute * 60 + second - offsetMinutes * 60;
}

// "+hhmm", "-hhmm", "GMT", "UT", "UTC", "Z" or a North American zone name: minutes east of UTC.
bool Rfc822Zone(Reader& in, int& offset) {
    if (in.Peek() == L'+' || in.Peek() == L'-') {
        const bool east = in.Take(L'+');
        if (!east) in.Take(L'-');
        int hhmm = 0;
        if (!in.Number(4, 4, hhmm) || hhmm % 100 > 59) return false;
        offset = (hhmm / 100 * 60 + hhmm % 100) * (east ? 1 : -1);
        return true;
    }
    const std::wstring_view zone = in.Word();
    struct Named {
        const wchar_t* name;
        int hours;
    };
    static const Named kZones[] = {{L"gmt", 0},  {L"ut", 0},   {L"utc", 0},  {L"z", 0},   {L"est", -5}, {L"edt", -4},
                                   {L"cst", -6}, {L"cdt", -5}, {L"mst", -7}, {L"mdt", -6}, {L"pst", -8}, {L"pdt", -7}};
    for (const Named& named : kZones) {
        if (SameWord(zone, named.name)) {
            offset = named.hours * 60;
            return true;
        }
    }
    return false;
}

}  // namespace

std::int64_t DaysFromCivil(std::int64_t year, unsigned month, unsigned day) {
    year -= month <= 2;
    const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(year - era * 400);
    const unsigned doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

bool ParseRfc822Date(std::wstring_view text, std::int64_t& seconds) {
    Reader in{text};
    in.SkipSpaces();
    if (!IsDigit(in.Peek())) {  // the optional weekday
        if (in.Word().empty() || !in.Take(L',')) return false;
        in.SkipSpaces();
    }
    int day = 0, year = 0, digits = 0, hour = 0, minute = 0, second = 0, offset = 0;
    if (!in.Number(1, 2, day)) return false;
    in.SkipSpaces();
    const int month = MonthNumber(in.Word());
    in.SkipSpaces();
    if (month == 0 || !in.Number(2, 4, year, &digits) || digits == 3) return false;
    if (digits == 2) year += year < 50 ? 2000 : 1900;
    in.SkipSpaces();
    if (!in.Number(1, 2, hour) || !in.Take(L':') || !in.Number(2, 2, minute)) return false;
    if (in.Take(L':') && !in.Number(2, 2, second)) return false;
    in.SkipSpaces();
    if (!Rfc822Zone(in, offset)) return false;
    in.SkipSpaces();
    if (!in.AtEnd() || !ValidDateTime(year, month, day, hour, minute, second)) return false;
    seconds = ToSeconds(year, month, day, hour, minute, second, offset);
    return true;
}

bool ParseRfc3339Date(std::wstring_view text, std::int64_t& seconds) {
    Reader in{text};
    in.SkipSpaces();
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, offset = 0, ignored = 0;
    if (!in.Number(4, 4, year) || !in.Take(L'-') || !in.Number(2, 2, month) || !in.Take(L'-') ||
        !in.Number(2, 2, day)) {
        return false;
    }
    if (!in.Take(L'T') && !in.Take(L't') && !in.Take(L' ')) return false;
    if (!in.Number(2, 2, hour) || !in.Take(L':') || !in.Number(2, 2, minute) || !in.Take(L':') ||
        !in.Number(2, 2, second)) {
        return false;
    }
    if (in.Take(L'.') && !in.Number(1, 9, ignored)) return false;
    if (in.Take(L'Z') || in.Take(L'z')) {
        offset = 0;
    } else {
        const bool east = in.Take(L'+');
        if (!east && !in.Take(L'-')) return false;
        int hh = 0, mm = 0;
        if (!in.Number(2, 2, hh) || !in.Take(L':') || !in.Number(2, 2, mm) || hh > 23 || mm > 59) return false;
        offset = (hh * 60 + mm) * (east ? 1 : -1);
    }
    in.SkipSpaces();
    if (!in.AtEnd() || !ValidDateTime(year, month, day, hour, minute, second)) return false;
    seconds = ToSeconds(year, month, day, hour, minute, second, offset);
    return true;
}

std::wstring UtcDateText(std::int64_t seconds) {
    const std::int64_t days = (seconds >= 0 ? seconds : seconds - 86399) / 86400;
    const std::int64_t rest = seconds - days * 86400;
    // The inverse of DaysFromCivil, over 400-year eras.
    const std::int64_t z = days + 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    const unsigned day = doy - (153 * mp + 2) / 5 + 1;
    const unsigned month = mp < 10 ? mp + 3 : mp - 9;
    const long long year = static_cast<long long>(yoe) + era * 400 + (month <= 2);
    wchar_t text[40] = {};
    swprintf(text, 40, L"%04lld-%02u-%02u %02u:%02u UTC", year, month, day, static_cast<unsigned>(rest / 3600),
             static_cast<unsigned>(rest % 3600 / 60));
    return text;
}
