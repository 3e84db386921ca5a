#include "updater/install/install_leftovers.h"

#include <windows.h>

#include <cstdlib>

#include "updater/delivery/download_file.h"
#include "updater/paths.h"
#include "updater/update_log.h"
#include "ui/util/unique_handle.h"

namespace {

bool Exists(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(LongPathForm(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

}  // namespace

std::wstring StagedPathFor(const std::wstring& targetPath) {
    return targetPath + L".upd-new";
}

std::wstring BackupPathFor(const std::wstring& targetPath) {
    return targetPath + L".upd-old";
}

bool MakeBackup(const std::wstring& targetPath) {
    const std::wstring backup = LongPathForm(BackupPathFor(targetPath));
    RemoveStaleFile(BackupPathFor(targetPath));
    // A copy, not a second name for the same file: while the old program still runs (the
    // replacement then fails) a name of its image could not be deleted again.
    if (!CopyFileW(LongPathForm(targetPath).c_str(), backup.c_str(), FALSE)) return false;
    // On disk before the swap, as the old program's only copy may soon be this one.
    UniqueHandle file(CreateFileW(backup.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    return file && FlushFileBuffers(file.Get());
}

void DropBackup(const std::wstring& targetPath) {
    RemoveStaleFile(BackupPathFor(targetPath));
}

void RecoverInterruptedInstall(const std::wstring& targetPath) {
    const std::wstring backup = BackupPathFor(targetPath);
    const std::wstring staged = StagedPathFor(targetPath);
    if (Exists(backup)) {
        if (!Exists(targetPath)) {
            const bool restored = MoveFileExW(LongPathForm(backup).c_str(), LongPathForm(targetPath).c_str(),
                                              MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
            LogLine("recovery: old program %s from its backup", restored ? "restored" : "NOT restored");
        } else {
            DropBackup(targetPath);
            LogLine("recovery: target whole, backup of an interrupted installation removed");
        }
    }
    if (Exists(staged)) {
        RemoveStaleFile(staged);
        LogLine("recovery: staged copy of an interrupted installation removed");
    }
}

void StopHereIfTestAsks(InstallStep step) {
    const char* stop = std::getenv("UPDATER_TEST_STOP_AFTER_STEP");
    if (stop == nullptr || std::atoi(stop) != step) return;
    LogLine("test: stopped after installation step %d", static_cast<int>(step));
    TerminateProcess(GetCurrentProcess(), 3);
}
