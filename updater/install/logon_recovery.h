#pragma once
// The entry that finishes an unsettled installation at the user's next logon: a value under
// HKCU\Software\Microsoft\Windows\CurrentVersion\RunOnce that runs this updater as
// `updater.exe --recover <target>` (for the launcher of a whole-folder installation, the
// updater.exe of the release `current` names, which outlives the clean-up). One value per target, named after it; Windows deletes a
// RunOnce value before it runs it, so a recovery that is still not settled writes it again, and
// one that is settled removes it.

#include <string>

// The value's name for `targetPath` (the same for every spelling case of the path).
std::wstring LogonRecoveryValueName(const std::wstring& targetPath);
// The command line the value holds: this program, "--recover" and the target, quoted.
std::wstring LogonRecoveryCommand(const std::wstring& updaterPath, const std::wstring& targetPath);

// False when the value cannot be written.
bool ScheduleLogonRecovery(const std::wstring& targetPath);
void CancelLogonRecovery(const std::wstring& targetPath);
