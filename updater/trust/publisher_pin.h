#pragma once
// Publisher pinning: a program signed by a trusted publisher is only ever replaced by a program
// that the same publisher signed. A taken-over download server can then serve only what the
// publisher's signing key made. An unsigned program being replaced asks for nothing.

#include <windows.h>

#include <string>

// The rule for the finished download (open as `download`, at `downloadPath`) that is to replace
// `targetPath`. True when it may be installed; logs what was checked and what failed.
// `subjectMayChange`: the release is carried by the vendor's Ed25519 key (its feed and file
// verified with an installed key), so a trusted signature of another subject passes, logged;
// the pin then moves with the installed program.
bool PublisherAllows(HANDLE download, const std::wstring& downloadPath, const std::wstring& targetPath,
                     bool subjectMayChange = false);

// Windows' own verdict on the signed file, on top of the updater's checks: on Windows it has the
// final word; Wine's is weaker, never stricter. ERROR_SUCCESS when it trusts the file.
LONG WindowsTrustVerdict(HANDLE file, const std::wstring& path);
