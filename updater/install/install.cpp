#include "updater/install/install.h"

#include <iterator>
#include <utility>

#include "updater/install/install_transaction.h"
#include "updater/install/logon_recovery.h"
#include "updater/paths.h"
#include "updater/test_hooks.h"
#include "updater/update_log.h"

namespace {

constexpr InstallStage kWholeInstallation[] = {InstallStage::Stage,     InstallStage::BackUp,
                                               InstallStage::CloseHost, InstallStage::Swap,
                                               InstallStage::Start,     InstallStage::CleanUp};
constexpr InstallStage kReplacementOnly[] = {InstallStage::Stage, InstallStage::BackUp, InstallStage::Swap,
                                             InstallStage::CleanUp};

// The journal's header describes both programs before the first step: a later run must know
// them by content, whatever the steps got to.
bool DescribeInstallation(HANDLE download, const std::wstring& targetPath, JournalRecord& header) {
    header.target = targetPath;
    return download != nullptr && FingerprintOf(download, header.newProgram) &&
           FingerprintOf(targetPath, header.oldProgram);
}

InstallResult Install(UniqueHandle download, const std::wstring& targetPath, const InstallTimings& timings,
                      const ReplaceSteps& steps, const InstallStage* stages, size_t count,
                      const InstallObserver& observer, bool oldProgramClosed) {
    if (!FileExistsAt(targetPath)) {
        LogLine("replace: no target \"%s\", nothing installed", Utf8(targetPath).c_str());
        return InstallResult::NoTarget;
    }
    JournalRecord header;
    if (!DescribeInstallation(download.Get(), targetPath, header)) {
        LogLine("replace: target kept, the download or the target cannot be read, error %lu", GetLastError());
        return InstallResult::StagingFailed;
    }
    InstallJournal journal;
    if (!journal.Create(targetPath, header)) {
        const DWORD error = GetLastError();
        LogLine("replace: target kept, no journal can be started beside it (\"%s\"), error %lu",
                Utf8(JournalPathFor(targetPath)).c_str(), error);
        return InstallResult::StagingFailed;
    }
    // From here on a stop anywhere leaves something to settle: the logon entry is there before
    // the first step, and goes when the journal settles.
    ScheduleLogonRecovery(targetPath);
    CutHereIfTestAsks("logon entry");
    InstallContext context;
    context.target = targetPath;
    context.journal = &journal;
    context.download = download.Get();
    context.timings = timings;
    context.replace = steps;
    context.observer = &observer;
    context.oldProgramClosed = oldProgramClosed;
    if (!RecordDownloadPath(context)) {
        LogLine("replace: target kept, the journal cannot be written, error %lu", GetLastError());
        Settle(context, WalkBack(context));
        return InstallResult::StagingFailed;
    }
    return RunSteps(context, stages, count, observer);
}

}  // namespace

bool FlushToDisk(HANDLE file) {
    return FlushFileBuffers(file) != FALSE;
}

bool RenameOver(const wchar_t* staged, const wchar_t* target) {
    return MoveFileExW(staged, target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
}

InstallResult ReplaceTarget(UniqueHandle download, const std::wstring& targetPath, const InstallTimings& timings,
                            const ReplaceSteps& steps) {
    return Install(std::move(download), targetPath, timings, steps, kReplacementOnly, std::size(kReplacementOnly),
                   InstallObserver(), false);
}

InstallResult InstallUpdate(UniqueHandle download, const std::wstring& targetPath, const InstallTimings& timings,
                            const InstallObserver& observer, bool oldProgramClosed) {
    return Install(std::move(download), targetPath, timings, kReplaceSteps, kWholeInstallation,
                   std::size(kWholeInstallation), observer, oldProgramClosed);
}
