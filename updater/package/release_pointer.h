#pragma once
// The commit point of a whole-folder installation: "<root>\current", whose line 1 names the
// live release folder ("app-<version>") and line 2 holds the SHA-256 of that folder's
// ".upd-manifest". A release switches by renaming a new, flushed `current` over the old one:
// one file rename, which Windows performs whole, where a folder rename is refused while any
// file inside is open. The launcher and the updater read it the same way, from here.

#include <string>
#include <string_view>
#include <vector>

#include "updater/files/sha256.h"

constexpr wchar_t kCurrentName[] = L"current";
constexpr wchar_t kReleasePrefix[] = L"app-";

struct ReleasePointer {
    std::wstring folder;  // "app-<version>"
    Sha256Digest manifestSha256 = {};
};

// Line 1, a line break (LF or CRLF), line 2, and at most one more line break. False for
// anything else, and for a folder name that is not one plain release name.
bool ParseReleasePointer(std::string_view text, ReleasePointer& pointer);
std::string FormatReleasePointer(const ReleasePointer& pointer);

// "app-<version>" with a version that is itself one safe path step: no separator, no step up,
// no device, no stream.
bool IsReleaseFolderName(std::wstring_view name);
std::wstring ReleaseFolderName(std::wstring_view version);
// The version in a release folder's name; empty when it is none.
std::wstring ReleaseVersionOf(std::wstring_view folderName);

// The release folder of highest version among `names` (others are skipped); empty when none.
std::wstring HighestRelease(const std::vector<std::wstring>& names);
