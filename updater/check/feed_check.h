#pragma once
// The --check mode: is there a newer version of the installed program in its vendor's signed
// feed? Runs on the calling thread (after CoInitialize and the framework's module instance are
// set) and answers with the exit code, or with the download to continue with in this process.
// With --now the feed is fetched and verified on a worker while "正在检查更新…" shows; the user's
// cancel there ends the check as "later" does (kCheckDeclined).

#include <memory>
#include <string>

#include "updater/check/enclosure_rules.h"
#include "updater/command_line.h"
#include "updater/install/installer_run.h"

enum CheckExitCode {
    kCheckNothingNewer = 0,  // also: within the interval, or another updater runs
    kCheckUpdateAttempted = 1,
    kCheckDeclined = 2,      // the user chose later or skip
    kCheckFailed = 3,
};

struct CheckResult {
    int exitCode = kCheckFailed;
    // Set when an update is to be installed: the update window takes it from here.
    std::wstring enclosureUrl;
    std::shared_ptr<const EnclosureRules> rules;
    // Set for an installer release: the download is run, not put in the program's place.
    std::shared_ptr<const InstallerRelease> installer;

    bool Install() const { return rules != nullptr; }
};

CheckResult RunFeedCheck(const CheckRequest& request);
