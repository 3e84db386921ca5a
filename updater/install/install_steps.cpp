#include "updater/install/install_steps.h"

#include <cstdio>
#include <memory>
#include <new>

#include "updater/files/file_write.h"
#include "updater/files/windows_image.h"
#include "updater/install/close_programs.h"
#include "updater/install/process_holders.h"
#include "updater/install/program_start.h"
#include "updater/paths.h"
#include "updater/update_log.h"

namespace {

constexpr DWORD kCopyBufferBytes = 256 * 1024;
const char kStagedIdentity[] = "staged-id";
const char kBackupIdentity[] = "backup-id";
const char kClosedCount[] = "closed";

const FileFingerprint& OldProgram(const InstallContext& context) {
    return context.journal->Record().oldProgram;
}
const FileFingerprint& NewProgram(const InstallContext& context) {
    return context.journal->Record().newProgram;
}

std::string FormatIdentity(const FileIdentity& identity) {
    char text[40];
    std::snprintf(text, sizeof text, "%08lx:%016llx", static_cast<unsigned long>(identity.volumeSerial),
                  static_cast<unsigned long long>(identity.fileIndex));
    return text;
}

// A file is ours when it is the very file this installation made (a copy cut short included),
// or has exactly the content the journal expects there.
bool IsOurs(const InstallContext& context, const std::wstring& path, const FileFingerprint& content,
            const char* identityFact) {
    FileIdentity identity;
    const std::string made = identityFact ? context.journal->Record().Fact(identityFact) : std::string();
    if (!made.empty() && IdentityOf(path, identity) && FormatIdentity(identity) == made) return true;
    return HasContent(path, content);
}

// False only when the file is ours and stays; a file that is not ours is left alone.
bool RemoveOurFile(const InstallContext& context, const std::wstring& path, const FileFingerprint& content,
                   const char* identityFact) {
    if (!FileExistsAt(path)) return true;
    if (!IsOurs(context, path, content, identityFact)) {
        LogLine("recovery: \"%s\" was not made by this installation, left alone", Utf8(path).c_str());
        return true;
    }
    if (DeleteFileW(LongPathForm(path).c_str())) return true;
    const DWORD error = GetLastError();
    LogLine("recovery: \"%s\" cannot be removed yet, error %lu", Utf8(path).c_str(), error);
    return false;
}

bool CopyContents(HANDLE source, HANDLE destination, FileFingerprint& copied) {
    std::unique_ptr<char[]> buffer(new (std::nothrow) char[kCopyBufferBytes]);
    Sha256 hash;
    LARGE_INTEGER start = {};
    if (!buffer || !hash.Ok() || !SetFilePointerEx(source, start, nullptr, FILE_BEGIN)) return false;
    copied.size = 0;
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(source, buffer.get(), kCopyBufferBytes, &got, nullptr)) return false;
        if (got == 0) return hash.Finish(copied.sha256);
        if (!WriteAll(destination, buffer.get(), got)) return false;
        hash.Update(buffer.get(), got);
        copied.size += got;
    }
}

// Copies all of `source` into a file created at `path` (never over anything), flushed, and
// checks that what was written is `expected`. The new file's identity is in the journal before
// its first byte, so an undo knows a copy that was cut short as ours.
bool CopyIntoNewFile(InstallContext& context, HANDLE source, const std::wstring& path, const char* identityFact,
                     bool (*flush)(HANDLE), const FileFingerprint& expected) {
    UniqueHandle file(CreateFileW(LongPathForm(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    FileIdentity identity;
    FileFingerprint copied;
    return file && IdentityOf(file.Get(), identity) && context.journal->Fact(identityFact, FormatIdentity(identity)) &&
           CopyContents(source, file.Get(), copied) && flush(file.Get()) && copied == expected;
}

// A program file still mapped (its process just ended, a virus scanner reads it) refuses the
// replacement with one of these for a moment.
bool IsTransientReplaceError(DWORD error) {
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION || error == ERROR_ACCESS_DENIED;
}

bool MoveAside(const std::wstring& from, const std::wstring& to) {
    return MoveFileExW(LongPathForm(from).c_str(), LongPathForm(to).c_str(), MOVEFILE_WRITE_THROUGH) != FALSE;
}

StepOutcome Stage(InstallContext& context) {
    // Flushed before the rename: after a power cut the target must be the old program or the
    // whole new one, never an empty or half-written file. The copy is made from the download's
    // own handle, never by name.
    if (context.download != nullptr && CopyIntoNewFile(context, context.download, StagedPathFor(context.target),
                                                       kStagedIdentity, context.replace.flush, NewProgram(context))) {
        return StepOutcome::Done;
    }
    LogLine("replace: cannot stage the download beside the target, error %lu", GetLastError());
    return StepOutcome::Failed;
}

StepOutcome Unstage(InstallContext& context) {
    // The staged copy became the target with the swap, and went aside if it did not come up.
    const bool staged = RemoveOurFile(context, StagedPathFor(context.target), NewProgram(context), kStagedIdentity);
    const bool aside = RemoveOurFile(context, AsidePathFor(context.target), NewProgram(context), nullptr);
    return staged && aside ? StepOutcome::Done : StepOutcome::Pending;
}

StepOutcome BackUp(InstallContext& context) {
    // A copy, not a second name for the same file: the old program's file stays in place and
    // keeps running until the swap. On disk before the swap, as it may soon be its only copy.
    const UniqueHandle old(CreateFileW(LongPathForm(context.target).c_str(), GENERIC_READ,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                       0, nullptr));
    if (old && CopyIntoNewFile(context, old.Get(), BackupPathFor(context.target), kBackupIdentity, FlushToDisk,
                               OldProgram(context))) {
        return StepOutcome::Done;
    }
    LogLine("replace: target kept, no backup can be made, error %lu", GetLastError());
    return StepOutcome::Failed;
}

StepOutcome DropBackup(InstallContext& context) {
    // The backup is the old program's only copy unless the target is the old program again.
    if (FileExistsAt(BackupPathFor(context.target)) && !HasContent(context.target, OldProgram(context))) {
        LogLine("recovery: the target is not the old program, its backup stays");
        return StepOutcome::Done;
    }
    return RemoveOurFile(context, BackupPathFor(context.target), OldProgram(context), kBackupIdentity)
               ? StepOutcome::Done
               : StepOutcome::Pending;
}

StepOutcome CloseHost(InstallContext& context) {
    const ClosedPrograms closed = CloseTargetPrograms(context.target, context.timings);
    context.journal->Fact(kClosedCount, std::to_string(closed.ended));
    // A program that just ended may still flush its files.
    if (closed.ended > 0) Sleep(context.timings.settleMs);
    return StepOutcome::Done;
}

StepOutcome RestartHost(InstallContext& context) {
    const std::string closed = context.journal->Record().Fact(kClosedCount);
    if (closed == "0") return StepOutcome::Done;
    // Only the old program in its own place is started, never a backup under its other name.
    if (!HasContent(context.target, OldProgram(context))) {
        LogLine("relaunch: the old program is not in place, nothing started");
        return StepOutcome::Done;
    }
    // Stopped while closing: whether anything was closed is unknown, so the program is started
    // unless it runs.
    FileIdentity target;
    if (closed.empty() && IdentityOf(context.target, target) && !ProcessesRunning(target).empty())
        return StepOutcome::Done;
    StartProgram(context.target, false);
    return StepOutcome::Done;
}

StepOutcome Swap(InstallContext& context) {
    if (!MoveOverTarget(StagedPathFor(context.target), context.target, context.timings, context.replace.rename)) {
        LogLine("replace: target kept, error %lu", GetLastError());
        return StepOutcome::Failed;
    }
    LogLine("replace: \"%s\" replaced", Utf8(context.target).c_str());
    // Through the handle: the file deleted is the one that was installed.
    if (context.download != nullptr) DeleteWhenClosed(context.download);
    return StepOutcome::Done;
}

// Puts the backup in the place of the new program. Windows refuses to replace the file of a
// running program but lets it be renamed, so a new program whose copy still runs goes aside.
bool PutBackupInPlace(InstallContext& context) {
    const std::wstring backup = BackupPathFor(context.target), aside = AsidePathFor(context.target);
    if (!FileExistsAt(context.target)) return MoveAside(backup, context.target);
    if (MoveOverTarget(backup, context.target, context.timings, RenameOver)) return true;
    if (!RemoveOurFile(context, aside, NewProgram(context), nullptr) || !MoveAside(context.target, aside))
        return false;
    if (MoveAside(backup, context.target)) return true;
    MoveAside(aside, context.target);  // the target's place is never left empty
    return false;
}

StepOutcome Unswap(InstallContext& context) {
    if (HasContent(context.target, OldProgram(context))) return StepOutcome::Done;
    if (FileExistsAt(context.target) && !HasContent(context.target, NewProgram(context))) {
        LogLine("recovery: the target is neither the old nor the new program, left as it is");
        return StepOutcome::Done;
    }
    if (!HasContent(BackupPathFor(context.target), OldProgram(context))) {
        LogLine("restore: the old program cannot be put back, its backup is gone");
        return StepOutcome::Done;
    }
    if (PutBackupInPlace(context)) {
        LogLine("restore: the old program is back in place");
        return StepOutcome::Done;
    }
    LogLine("restore: the old program cannot be put back yet, error %lu", GetLastError());
    return StepOutcome::Pending;
}

StepOutcome Start(InstallContext& context) {
    Sleep(context.timings.settleMs);
    const bool program = IsWindowsImageFile(context.target);
    // A data file that nothing opens stays installed, as does a program in a place the shell
    // cannot start anything from (the old program would not start from there either).
    if (StartProgram(context.target, program) == StartResult::Failed && program) return StepOutcome::Failed;
    return StepOutcome::Done;
}

StepOutcome Stop(InstallContext& context) {
    // A new program that did not come up may have left a copy of itself running, which holds
    // its file.
    if (HasContent(context.target, NewProgram(context))) CloseTargetPrograms(context.target, context.timings);
    return StepOutcome::Done;
}

StepOutcome CleanUp(InstallContext& context) {
    return RemoveOurFile(context, BackupPathFor(context.target), OldProgram(context), kBackupIdentity)
               ? StepOutcome::Done
               : StepOutcome::Pending;
}

StepOutcome NothingToUndo(InstallContext&) {
    return StepOutcome::Done;
}

const InstallStepItem kSteps[] = {
    {"stage", InstallStage::Stage, InstallResult::StagingFailed, kStepStaged, false, Stage, Unstage},
    {"backup", InstallStage::BackUp, InstallResult::StagingFailed, kStepBackedUp, false, BackUp, DropBackup},
    {"close", InstallStage::CloseHost, InstallResult::ReplaceFailed, kStopNever, false, CloseHost, RestartHost},
    {"swap", InstallStage::Swap, InstallResult::ReplaceFailed, kStepSwapped, false, Swap, Unswap},
    {"start", InstallStage::Start, InstallResult::StartFailed, kStopNever, false, Start, Stop},
    {"cleanup", InstallStage::CleanUp, InstallResult::Installed, kStopNever, true, CleanUp, NothingToUndo},
};

}  // namespace

const InstallStepItem& StepFor(InstallStage stage) {
    return kSteps[static_cast<int>(stage)];
}

const InstallStepItem* StepNamed(const std::string& name) {
    for (const InstallStepItem& step : kSteps) {
        if (name == step.name) return &step;
    }
    return nullptr;
}

bool MoveOverTarget(const std::wstring& from, const std::wstring& to, const InstallTimings& timings,
                    bool (*rename)(const wchar_t* from, const wchar_t* to)) {
    const std::wstring source = LongPathForm(from), destination = LongPathForm(to);
    const DWORD start = GetTickCount();
    for (;;) {
        if (rename(source.c_str(), destination.c_str())) return true;
        if (!IsTransientReplaceError(GetLastError()) || GetTickCount() - start >= timings.replaceRetryMs)
            return false;
        Sleep(100);
    }
}
