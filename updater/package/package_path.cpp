#include "updater/package/package_path.h"

#include <windows.h>

#include <cwctype>

namespace {

bool IsDeviceStem(std::wstring_view stem) {
    // Windows trims blanks before a device name's extension ("NUL .txt" is NUL too).
    while (!stem.empty() && stem.back() == L' ') stem.remove_suffix(1);
    const std::wstring upper = PathKey(stem);
    static const wchar_t* const kPlain[] = {L"CON", L"PRN", L"AUX", L"NUL", L"CONIN$", L"CONOUT$"};
    for (const wchar_t* name : kPlain) {
        if (upper == name) return true;
    }
    // COM1-COM9 and LPT1-LPT9, and the superscript digits Windows also takes for devices.
    if (upper.size() == 4 && (upper.compare(0, 3, L"COM") == 0 || upper.compare(0, 3, L"LPT") == 0)) {
        const wchar_t digit = upper[3];
        return (digit >= L'1' && digit <= L'9') || digit == L'\u00B9' || digit == L'\u00B2' || digit == L'\u00B3';
    }
    return false;
}

PathRule CheckStep(std::wstring_view step) {
    if (step.empty()) return PathRule::Empty;
    if (step == L"." || step == L"..") return PathRule::ParentStep;
    for (wchar_t ch : step) {
        if (ch == L':') return PathRule::Stream;
        if (ch < 32 || ch == L'<' || ch == L'>' || ch == L'"' || ch == L'|' || ch == L'?' || ch == L'*') {
            return PathRule::ReservedCharacter;
        }
    }
    if (step.back() == L'.' || step.back() == L' ') return PathRule::TrailingDotOrBlank;
    if (IsDeviceStem(step.substr(0, step.find(L'.')))) return PathRule::DeviceName;
    return PathRule::Ok;
}

}  // namespace

PathRule CheckPackagePath(std::wstring_view path) {
    if (path.empty()) return PathRule::Empty;
    if (path.front() == L'/' || path.front() == L'\\') return PathRule::LeadingSeparator;
    if (path.size() >= 2 && path[1] == L':' && std::iswalpha(path[0])) return PathRule::Drive;
    if (path.find(L'\\') != std::wstring_view::npos) return PathRule::Backslash;
    size_t start = 0;
    for (;;) {
        const size_t slash = path.find(L'/', start);
        const PathRule rule = CheckStep(path.substr(start, slash == std::wstring_view::npos ? slash : slash - start));
        if (rule != PathRule::Ok || slash == std::wstring_view::npos) return rule;
        start = slash + 1;
    }
}

const char* PathRuleText(PathRule rule) {
    switch (rule) {
        case PathRule::Ok: return "a safe path";
        case PathRule::Empty: return "an empty name or step";
        case PathRule::ParentStep: return "a step up or in place (.. or .)";
        case PathRule::Drive: return "a drive";
        case PathRule::LeadingSeparator: return "a leading separator";
        case PathRule::Backslash: return "a backslash (paths are written with /)";
        case PathRule::Stream: return "a colon (an alternate data stream)";
        case PathRule::ReservedCharacter: return "a character Windows reserves";
        case PathRule::DeviceName: return "a device name";
        case PathRule::TrailingDotOrBlank: return "a trailing dot or blank";
    }
    return "an unknown rule";
}

// The invariant upper case is the one the file system's own case table follows for the names
// a package may carry; a locale's (Turkish dotted I) would not be.
std::wstring PathKey(std::wstring_view path) {
    std::wstring key(path);
    for (wchar_t& ch : key) {
        if (ch == L'\\') ch = L'/';
    }
    if (!key.empty()) {
        LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, key.data(), static_cast<int>(key.size()), key.data(),
                      static_cast<int>(key.size()), nullptr, nullptr, 0);
    }
    return key;
}

bool SamePathIgnoringCase(std::wstring_view a, std::wstring_view b) {
    return a.size() == b.size() && PathKey(a) == PathKey(b);
}
