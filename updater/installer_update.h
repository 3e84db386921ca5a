#pragma once
// An installer release, from the verified download to the measured outcome, on a thread of its
// own while the update window stays responsive: the installer is copied to a file of its own
// held against writers (Windows will not run a file the updater still holds open for writing),
// the target's programs are closed as for any update, the installer runs without a time limit,
// and success is measured: an exit code of success and the installed program's FileVersion equal
// to the offered version. The new program is then started unless a copy runs. There is no
// rollback of an installer's own work.

#include <windows.h>

#include <string>

#include "ui/util/unique_handle.h"
#include "updater/install/installer_run.h"

constexpr UINT WM_INSTALLER_FINISHED = 2045;  // wParam: 1 when the release is installed

// The measured outcome; logs the exit code and the version found either way.
bool InstallerOutcomeHolds(bool ended, DWORD exitCode, const std::wstring& targetPath,
                           const std::wstring& offeredVersion);

class InstallerUpdate {
public:
    InstallerUpdate() = default;
    ~InstallerUpdate();
    InstallerUpdate(const InstallerUpdate&) = delete;
    InstallerUpdate& operator=(const InstallerUpdate&) = delete;

    // Takes the verified `download` and posts WM_INSTALLER_FINISHED to `window` once. False when
    // no thread could be started (nothing is run then).
    bool Start(HWND window, UniqueHandle download, const std::wstring& targetPath, const InstallerRelease& release);

private:
    struct Job;
    static DWORD WINAPI Run(void* job);

    UniqueHandle thread;
};
