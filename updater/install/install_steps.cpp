#include "updater/install/install_steps.h"

#include <cstdio>
#include <cstdlib>
#include <vector>
#include <memory>
#include <new>

#include "updater/files/file_write.h"
#include "updater/files/windows_image.h"
#include "updater/install/close_programs.h"
#include "updater/install/host_prompt.h"
#include "updater/install/package_steps.h"
#include "updater/install/process_holders.h"
#include "updater/install/program_start.h"
#include "updater/paths.h"
#include "updater/test_hooks.h"
#include "updater/update_log.h"

namespace {

constexpr DWORD kCopyBufferBytes = 256 * 1024;
const char kStagedIdentity[] = "staged-id";
const char kBackupIdentity[] = "backup-id";
const char kClosedCount[] = "closed";
const char kDownloadPath[] = "download";
const char kAsideHolders[] = "aside-holders";

// "<id>,<id>,...", or "-" for none (a fact always has a value).
std::string FormatIds(const std::vector<RunningProcess>& processes) {
    std::string text;
    for (const RunningProcess& process : processes) text += (text.empty() ? "" : ",") + std::to_string(process.id);
    return text.empty() ? "-" : text;
}

// The copies of the new program that kept running when it went aside.
std::vector<DWORD> AsideHolders(const InstallContext& context) {
    std::vector<DWORD> ids;
    const std::string text = context.journal->Record().Fact(kAsideHolders);
    for (const char* at = text.c_str(); *at != '\0';) {
        char* end = nullptr;
        const unsigned long id = std::strtoul(at, &end, 10);
        if (end == at) break;
        if (id != 0) ids.push_back(static_cast<DWORD>(id));
        at = *end == ',' ? end + 1 : end;
    }
    return ids;
}

const FileFingerprint& OldProgram(const InstallContext& context) {
    return context.journal->Record().oldProgram;
}
const FileFingerprint& NewProgram(const InstallContext& context) {
    return context.journal->Record().newProgram;
}

// The installation's own files, as the journal knows them: the name it announces a file by
// before creating it, the fact that records the file's identity once created, and the file the
// copy is made from.
struct OwnFile {
    const char* name;
    const char* identityFact;
};
constexpr OwnFile kStagedFile = {"staged", kStagedIdentity};
constexpr OwnFile kBackupFile = {"backup", kBackupIdentity};
constexpr OwnFile kAsideFile = {"aside", nullptr};

// Where the copy announced as `file` is made from: the download for the staged copy, the target
// (while it is the old program) for the backup.
std::wstring CopySourceOf(const InstallContext& context, const OwnFile& file) {
    if (file.identityFact == kStagedIdentity) return FromUtf8(context.journal->Record().Fact(kDownloadPath));
    return file.identityFact == kBackupIdentity ? context.target : std::wstring();
}

// A file is ours when it is the very file this installation made (a copy cut short included),
// or has exactly the content the journal expects there, or was announced and stopped before its
// identity was written down: then it is empty or the first bytes of what it was copied from.
bool IsOurs(const InstallContext& context, const std::wstring& path, const FileFingerprint& content,
            const OwnFile& file) {
    const JournalRecord& record = context.journal->Record();
    FileIdentity identity;
    const std::string made = file.identityFact ? record.Fact(file.identityFact) : std::string();
    if (!made.empty() && IdentityOf(path, identity) && FormatIdentity(identity) == made) return true;
    if (HasContent(path, content)) return true;
    return record.WasCreating(file.name) && IsPrefixOfContent(path, CopySourceOf(context, file), content);
}

// False only when the file is ours and stays; a file that is not ours is left alone.
bool RemoveOurFile(const InstallContext& context, const std::wstring& path, const FileFingerprint& content,
                   const OwnFile& file) {
    if (!FileExistsAt(path)) return true;
    if (!IsOurs(context, path, content, file)) {
        LogLine("recovery: \"%s\" was not made by this installation, left alone", Utf8(path).c_str());
        return true;
    }
    if (DeleteFileW(LongPathForm(path).c_str())) return true;
    const DWORD error = GetLastError();
    LogLine("recovery: \"%s\" cannot be removed yet, error %lu", Utf8(path).c_str(), error);
    return false;
}

// Copies `source` from its start; a test may cut the copy after its first part (see test_hooks.h).
bool CopyContents(HANDLE source, HANDLE destination, const std::string& cutPoint, FileFingerprint& copied) {
    std::unique_ptr<char[]> buffer(new (std::nothrow) char[kCopyBufferBytes]);
    Sha256 hash;
    LARGE_INTEGER start = {};
    if (!buffer || !hash.Ok() || !SetFilePointerEx(source, start, nullptr, FILE_BEGIN)) return false;
    copied.size = 0;
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(source, buffer.get(), kCopyBufferBytes, &got, nullptr)) return false;
        if (got == 0) return hash.Finish(copied.sha256);
        const DWORD part = copied.size == 0 && TestCutsAt(cutPoint.c_str()) ? got / 2 : got;
        if (!WriteAll(destination, buffer.get(), part)) return false;
        if (copied.size == 0) CutHereIfTestAsks(cutPoint.c_str());
        hash.Update(buffer.get(), got);
        copied.size += got;
    }
}

// Copies all of `source` into a file created at `path` (never over anything), flushed, and
// checks that what was written is `expected`. The journal announces the file before it is
// created and records its identity before its first byte, so an undo knows a copy that was cut
// short as ours.
bool CopyIntoNewFile(InstallContext& context, HANDLE source, const std::wstring& path, const OwnFile& own,
                     bool (*flush)(HANDLE), const FileFingerprint& expected) {
    if (!context.journal->Creating(own.name)) return false;
    UniqueHandle file(CreateFileW(LongPathForm(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    CutHereIfTestAsks((std::string("created ") + own.name).c_str());
    FileIdentity identity;
    // On a volume without stable ids the content alone tells the file later.
    const std::string recorded = IdentityOf(file.Get(), identity) ? FormatIdentity(identity) : std::string();
    FileFingerprint copied;
    return context.journal->Fact(own.identityFact, recorded.empty() ? "none" : recorded) &&
           CopyContents(source, file.Get(), std::string("partly ") + own.name, copied) && flush(file.Get()) &&
           copied == expected;
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
                                                       kStagedFile, context.replace.flush, NewProgram(context))) {
        return StepOutcome::Done;
    }
    LogLine("replace: cannot stage the download beside the target, error %lu", GetLastError());
    return StepOutcome::Failed;
}

StepOutcome Unstage(InstallContext& context) {
    // The staged copy became the target with the swap, and went aside if it did not come up.
    const bool staged = RemoveOurFile(context, StagedPathFor(context.target), NewProgram(context), kStagedFile);
    const bool aside = RemoveOurFile(context, AsidePathFor(context.target), NewProgram(context), kAsideFile);
    return staged && aside ? StepOutcome::Done : StepOutcome::Pending;
}

StepOutcome BackUp(InstallContext& context) {
    // A copy, not a second name for the same file: the old program's file stays in place and
    // keeps running until the swap. On disk before the swap, as it may soon be its only copy.
    const UniqueHandle old(CreateFileW(LongPathForm(context.target).c_str(), GENERIC_READ,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                       0, nullptr));
    if (old && CopyIntoNewFile(context, old.Get(), BackupPathFor(context.target), kBackupFile, FlushToDisk,
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
    return RemoveOurFile(context, BackupPathFor(context.target), OldProgram(context), kBackupFile)
               ? StepOutcome::Done
               : StepOutcome::Pending;
}

// A program that is still running after its time (it asks its user to save, say) is waited for
// when the observer can ask the user: it ends, the user retries the close, or the user cancels
// (false). `ended` counts the programs gone meanwhile.
bool WaitOutProgramsThatStay(InstallContext& context, ClosedPrograms closed, int& ended) {
    const InstallObserver* observer = context.observer;
    while (closed.running > 0 && observer != nullptr && observer->programsStillRun != nullptr) {
        LogLine("close: %d program(s) of the target still running, waiting for the user", closed.running);
        const HostWait answer = observer->programsStillRun(context.target, observer->context);
        if (answer == HostWait::Cancel) {
            LogLine("close: the user cancelled, the old program stays and keeps running");
            return false;
        }
        if (answer == HostWait::Ended) {
            LogLine("close: the program of the target has ended, the installation goes on");
            ended += closed.running;
            return true;
        }
        LogLine("close: the user asked to retry");
        closed = CloseTargetPrograms(context.target, context.timings);
        ended += closed.ended;
    }
    return true;
}

StepOutcome CloseHost(InstallContext& context) {
    const ClosedPrograms closed = CloseTargetPrograms(context.target, context.timings);
    int ended = closed.ended;
    context.cancelled = !WaitOutProgramsThatStay(context, closed, ended);
    context.journal->Fact(kClosedCount, std::to_string(ended));
    if (context.cancelled) return StepOutcome::Failed;
    // A program that just ended may still flush its files.
    if (ended > 0) Sleep(context.timings.settleMs);
    return StepOutcome::Done;
}

StepOutcome RestartHost(InstallContext& context) {
    // Stopped while closing, whether anything was closed is unknown: the program is started
    // unless it runs, which StartProgram never does twice.
    if (context.journal->Record().Fact(kClosedCount) == "0" && !context.oldProgramClosed) return StepOutcome::Done;
    // Only the old program in its own place is started, never a backup under its other name.
    if (!HasContent(context.target, OldProgram(context))) {
        LogLine("relaunch: the old program is not in place, nothing started");
        return StepOutcome::Done;
    }
    // An installation that follows in this run starts a program itself when it ends.
    if (!context.mayStartPrograms) {
        context.restartDeferred = true;
        return StepOutcome::Done;
    }
    StartProgram(context.target, false, AsideHolders(context));
    CutHereIfTestAsks("restarted");
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
    if (TestTargetVanishes() && DeleteFileW(LongPathForm(context.target).c_str()))
        LogLine("test: the installed file vanished");
    return StepOutcome::Done;
}

// Puts the backup in the place of the new program. Windows refuses to replace the file of a
// running program but lets it be renamed, so a new program whose copy still runs goes aside.
bool PutBackupInPlace(InstallContext& context) {
    const std::wstring backup = BackupPathFor(context.target), aside = AsidePathFor(context.target);
    if (!FileExistsAt(context.target)) return MoveAside(backup, context.target);
    if (MoveOverTarget(backup, context.target, context.timings, RenameOver)) return true;
    if (!RemoveOurFile(context, aside, NewProgram(context), kAsideFile) || !context.journal->Creating(kAsideFile.name) ||
        !context.journal->Fact(kAsideHolders, FormatIds(ProcessesRunning(FileMatcher(context.target)))) ||
        !MoveAside(context.target, aside)) {
        return false;
    }
    // Between the two renames the target's place is empty: the journal's "aside" lets the next
    // run (or the logon entry, set since the journal began) finish the restore.
    CutHereIfTestAsks("restore aside");
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
    // A file just placed that is gone or changed (a virus scanner took it, a sync client moved
    // it) did not start: the old program comes back.
    if (!HasContent(context.target, NewProgram(context))) {
        LogLine("relaunch: failed, the installed file is gone or changed, error %lu", GetLastError());
        return StepOutcome::Failed;
    }
    const bool program = IsWindowsImageFile(context.target);
    // A data file that nothing opens stays installed, as does a program in a place nothing can be
    // started from (the old program would not start from there either).
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
    // The backup goes only while the new program is in place: otherwise it is the old program's
    // only copy, and the walk back puts it there.
    if (!HasContent(context.target, NewProgram(context))) {
        LogLine("replace: the installed file is gone or changed, the backup is kept");
        return StepOutcome::Failed;
    }
    return RemoveOurFile(context, BackupPathFor(context.target), OldProgram(context), kBackupFile)
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
    {"cleanup", InstallStage::CleanUp, InstallResult::StartFailed, kStopNever, true, CleanUp, NothingToUndo},
};

}  // namespace

const InstallStepItem& StepFor(InstallStage stage) {
    return kSteps[static_cast<int>(stage)];
}

const InstallStepItem* StepNamed(const std::string& name) {
    for (const InstallStepItem& step : kSteps) {
        if (name == step.name) return &step;
    }
    return PackageStepNamed(name);
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

bool RecordDownloadPath(InstallContext& context) {
    std::wstring path(32768, L'\0');
    const DWORD length = context.download != nullptr
                             ? GetFinalPathNameByHandleW(context.download, &path[0], static_cast<DWORD>(path.size()), 0)
                             : 0;
    // Without it only an empty staged copy is known as ours after a stop; that is still safe.
    if (length == 0 || length >= path.size()) return true;
    path.resize(length);
    return context.journal->Fact(kDownloadPath, Utf8(path));
}
