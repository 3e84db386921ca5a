#pragma once
// Publisher pinning: a program signed by a publisher is only ever replaced by a program that the
// same publisher signed, with a signature that chains to a root the user trusts. A taken-over
// download server can then serve only what the publisher's signing key made. The rule is two
// questions: what the installed program demands (publisher_requirement.h) and whether the
// download passes that demand (here).

#include <windows.h>

#include <string>

#include "updater/trust/publisher_requirement.h"

struct PublisherOptions {
    // The release was vouched for by other means (a vendor key the caller checked), so a trusted
    // signature of another subject passes too. A demand that cannot be told still refuses.
    bool subjectMayChange = false;
};

// Whether the finished download (open as `download`, at `downloadPath`) meets `requirement`.
// Logs what was checked and, on a refusal, what failed.
bool DownloadPasses(HANDLE download, const std::wstring& downloadPath,
                    const PublisherRequirement& requirement,
                    const PublisherOptions& options = PublisherOptions());

// Both questions for the download that is to replace `targetPath`. True when it may be installed.
// `subjectMayChange`: the release is carried by the vendor's Ed25519 key (its feed and file
// verified with an installed key), so the pin moves with it to a trusted signature of another subject.
bool PublisherAllows(HANDLE download, const std::wstring& downloadPath, const std::wstring& targetPath,
                     bool subjectMayChange = false);

// Windows' own verdict on the signed file, on top of the updater's checks: on Windows it has the
// final word; Wine's is weaker, never stricter. ERROR_SUCCESS when it trusts the file.
LONG WindowsTrustVerdict(HANDLE file, const std::wstring& path);
