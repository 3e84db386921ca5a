#include "updater/install/package_install.h"

#include "updater/install/install_transaction.h"
#include "updater/install/logon_recovery.h"
#include "updater/install/package_steps.h"
#include "updater/package/package_extract.h"
#include "updater/package/release_files.h"
#include "updater/paths.h"
#include "updater/test_hooks.h"
#include "updater/update_log.h"

namespace {

// The journal's header: the launcher, the live release's manifest and the new one's, so that a
// later run tells the two releases by content.
bool DescribePackage(const std::wstring& launcherPath, const std::wstring& liveFolder, const PackageSource& source,
                     JournalRecord& header) {
    header.target = launcherPath;
    header.newProgram.size = source.manifestBytes.size();
    Sha256 hash;
    hash.Update(source.manifestBytes.data(), source.manifestBytes.size());
    return hash.Finish(header.newProgram.sha256) &&
           FingerprintOf(ReleasePath(liveFolder, kManifestName), header.oldProgram);
}

bool SameName(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_EQUAL;
}

// The package's manifest, verified, for a release other than the live one.
bool ReadSource(const std::wstring& zipPath, const std::vector<Ed25519Key>& keys, const ReleasePointer& live,
                PackageSource& source) {
    PackageRefusal refusal;
    source.zipPath = zipPath;
    if (!ReadPackageManifest(zipPath, keys, source.manifestBytes, source.manifest, refusal)) {
        LogPackageRefusal(refusal);
        return false;
    }
    if (SameName(ReleaseFolderName(source.manifest.version), live.folder)) {
        LogLine("package: REFUSED \"%s\": the release is the live one", Utf8(live.folder).c_str());
        return false;
    }
    return true;
}

InstallResult RunPackageSteps(InstallJournal& journal, const PackageSource& source, const std::wstring& launcherPath,
                              const InstallTimings& timings, const InstallObserver& observer,
                              bool oldProgramClosed) {
    InstallContext context;
    context.target = launcherPath;
    context.journal = &journal;
    context.timings = timings;
    context.oldProgramClosed = oldProgramClosed;
    context.package = &source;
    return RunStepItems(context, kPackageSteps, kPackageStepCount, observer);
}

}  // namespace

std::vector<Ed25519Key> InstalledReleaseKeys(const std::wstring& launcherPath) {
    const std::wstring root = FolderOf(launcherPath);
    ReleasePointer live;
    std::vector<Ed25519Key> keys;
    const bool read = ReadCurrent(root, live) &&
                      ReadProgramKeys(root + live.folder + L"\\" + FileNameOf(launcherPath), keys) == KeyResource::Keys;
    if (!read) {
        LogLine("package: the installed release's keys cannot be read");
    }
    return keys;
}

InstallResult InstallPackage(const std::wstring& zipPath, const std::wstring& launcherPath,
                             const std::vector<Ed25519Key>& keys, const InstallTimings& timings,
                             const InstallObserver& observer, bool oldProgramClosed) {
    const std::wstring root = FolderOf(launcherPath);
    ReleasePointer live;
    if (!ReadCurrent(root, live)) {
        LogLine("package: REFUSED \"%s\": no readable \"current\" beside the launcher", Utf8(launcherPath).c_str());
        return InstallResult::NoTarget;
    }
    PackageSource source;
    JournalRecord header;
    if (!ReadSource(zipPath, keys, live, source)) return InstallResult::StagingFailed;
    if (!DescribePackage(launcherPath, root + live.folder, source, header)) {
        LogLine("package: the live release's manifest cannot be read, error %lu", GetLastError());
        return InstallResult::StagingFailed;
    }
    InstallJournal journal;
    if (!journal.Create(launcherPath, header)) {
        LogLine("package: no journal can be started beside \"%s\", error %lu", Utf8(launcherPath).c_str(),
                GetLastError());
        return InstallResult::StagingFailed;
    }
    ScheduleLogonRecovery(launcherPath);
    CutHereIfTestAsks("logon entry");
    if (!journal.Fact(kLiveReleaseFact, Utf8(live.folder)) ||
        !journal.Fact(kNextReleaseFact, Utf8(ReleaseFolderName(source.manifest.version)))) {
        InstallContext context;
        context.target = launcherPath;
        context.journal = &journal;
        Settle(context, WalkBack(context));
        return InstallResult::StagingFailed;
    }
    return RunPackageSteps(journal, source, launcherPath, timings, observer, oldProgramClosed);
}
