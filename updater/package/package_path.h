#pragma once
// The rules a path in a package must keep before anything is written for it. Paths are relative
// to the release folder and written with "/", as zip entry names are. Each rule stops a way a
// name could reach outside the release folder or mean something else on Windows than it says:
// a step up, a drive, a rooted path, an alternate data stream, a device, a name Windows trims.

#include <string>
#include <string_view>

enum class PathRule {
    Ok,
    Empty,               // no name at all, or an empty step ("a//b", a trailing "/")
    ParentStep,          // ".." (or ".") as a step
    Drive,               // "C:..." names a drive, never a place in the release
    LeadingSeparator,    // "/a" or "\a" is rooted
    Backslash,           // written with "/" only: a "\" inside a name is a separator on Windows
    Stream,              // ":" names an alternate data stream
    ReservedCharacter,   // < > " | ? * or a control character
    DeviceName,          // CON, PRN, AUX, NUL, COM1-9, LPT1-9, with or without an extension
    TrailingDotOrBlank,  // Windows drops them, so "a." and "a" would be one file
};

// The first rule `path` breaks, or Ok.
PathRule CheckPackagePath(std::wstring_view path);
// Words for the log: "a step up (..)" and so on.
const char* PathRuleText(PathRule rule);

// The form two paths share when Windows takes them for the same file (case ignored as the file
// system ignores it); "/" and "\" alike.
std::wstring PathKey(std::wstring_view path);
bool SamePathIgnoringCase(std::wstring_view a, std::wstring_view b);
