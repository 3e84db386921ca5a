#include "updater/install/package_steps.h"

#include <algorithm>
#include <vector>

#include "updater/install/close_programs.h"
#include "updater/install/folder_holders.h"
#include "updater/install/program_start.h"
#include "updater/package/package_extract.h"
#include "updater/package/release_files.h"
#include "updater/package/release_main.h"
#include "updater/paths.h"
#include "updater/test_hooks.h"
#include "updater/update_log.h"

namespace {

const char kReleaseMade[] = "release-made";
const char kClosedCount[] = "closed";

// The root ends with its separator (as FolderOf gives it).
struct Places {
    std::wstring root, liveName, nextName, live, next;
};

Places PlacesOf(const InstallContext& context) {
    Places places;
    places.root = FolderOf(context.target);
    places.liveName = FromUtf8(context.journal->Record().Fact(kLiveReleaseFact));
    places.nextName = FromUtf8(context.journal->Record().Fact(kNextReleaseFact));
    places.live = places.root + places.liveName;
    places.next = places.root + places.nextName;
    return places;
}

bool SameName(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_EQUAL;
}

// The release folder `current` names now; empty when it names none.
std::wstring CurrentRelease(const std::wstring& root) {
    ReleasePointer pointer;
    return ReadCurrent(root, pointer) ? pointer.folder : std::wstring();
}

// A release folder's own ".upd-manifest", read as written (it was verified when installed).
bool ReadFolderManifest(const std::wstring& folder, PackageManifest& manifest) {
    UniqueHandle file(CreateFileW(ReleasePath(folder, kManifestName).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, 0, nullptr));
    LARGE_INTEGER size = {};
    if (!file || !GetFileSizeEx(file.Get(), &size) || size.QuadPart > static_cast<LONGLONG>(kManifestLimitBytes))
        return false;
    std::string bytes(static_cast<size_t>(size.QuadPart), '\0');
    DWORD got = 0;
    PackageRefusal refusal;
    return ReadFile(file.Get(), &bytes[0], static_cast<DWORD>(bytes.size()), &got, nullptr) && got == bytes.size() &&
           ParsePackageManifest(bytes, manifest, refusal);
}

bool FolderExists(const std::wstring& folder) {
    const DWORD attributes = GetFileAttributesW(LongPathForm(folder).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// The unchanged files that really became links; the rest are unpacked.
std::vector<std::wstring> LinkWhatIsUnchanged(const Places& places, const PackageManifest& next) {
    PackageManifest live;
    if (!ReadFolderManifest(places.live, live)) return {};
    std::vector<std::wstring> linked = UnchangedFiles(live, next);
    const std::vector<std::wstring> copied = LinkUnchanged(places.live, places.next, next, linked);
    linked.erase(std::remove_if(linked.begin(), linked.end(),
                                [&](const std::wstring& path) {
                                    return std::find(copied.begin(), copied.end(), path) != copied.end();
                                }),
                 linked.end());
    return linked;
}

bool HasRoom(const Places& places, const PackageSource& source) {
    PackageManifest live;
    const std::vector<std::wstring> unchanged =
        ReadFolderManifest(places.live, live) ? UnchangedFiles(live, source.manifest) : std::vector<std::wstring>();
    return RoomFor(places.root, BytesToStage(source.manifest, unchanged, source.manifestBytes.size()));
}

// The new folder is created new (never one found there) and announced first, so that an undo
// removes only a folder this installation made.
StepOutcome StageRelease(InstallContext& context) {
    const Places places = PlacesOf(context);
    const PackageSource* source = context.package;
    if (source == nullptr) return StepOutcome::Failed;
    if (!HasRoom(places, *source)) {
        LogLine("package: REFUSED, the volume of \"%s\" has no room for the new release", Utf8(places.root).c_str());
        return StepOutcome::Failed;
    }
    if (!context.journal->Creating("release") || !CreateDirectoryW(LongPathForm(places.next).c_str(), nullptr)) {
        LogLine("package: the folder \"%s\" cannot be made (one in the way?), error %lu", Utf8(places.next).c_str(),
                GetLastError());
        return StepOutcome::Failed;
    }
    CutHereIfTestAsks("created release");
    if (!context.journal->Fact(kReleaseMade, "1")) return StepOutcome::Failed;
    PackageRefusal refusal;
    const std::vector<std::wstring> linked = LinkWhatIsUnchanged(places, source->manifest);
    if (!ExtractPackage(source->zipPath, source->manifest, source->manifestBytes, places.next, refusal, linked) ||
        !MainProgramPasses(source->manifest, ReleasePath(places.next, source->manifest.main),
                           ReleasePath(places.live, source->manifest.main), refusal)) {
        LogPackageRefusal(refusal);
        return StepOutcome::Failed;
    }
    LogLine("package: \"%s\" staged, %u files shared with the live release", Utf8(places.next).c_str(),
            static_cast<unsigned>(linked.size()));
    return StepOutcome::Done;
}

StepOutcome UnstageRelease(InstallContext& context) {
    const Places places = PlacesOf(context);
    if (places.nextName.empty() || !FolderExists(places.next)) return StepOutcome::Done;
    if (SameName(CurrentRelease(places.root), places.nextName)) {
        LogLine("recovery: \"%s\" is the live release, it stays", Utf8(places.next).c_str());
        return StepOutcome::Done;
    }
    // Cut between the folder's creation and the fact: it is ours only while still empty.
    if (context.journal->Record().Fact(kReleaseMade).empty()) {
        RemoveDirectoryW(LongPathForm(places.next).c_str());
        return StepOutcome::Done;
    }
    CleanUpPlan plan;
    plan.remove = FilesBelow(places.next);
    const std::vector<std::wstring> held = RemoveReleaseFiles(places.next, plan);
    if (held.empty() && !FolderExists(places.next)) return StepOutcome::Done;
    LogLine("recovery: %u files of \"%s\" are still held, retried later", static_cast<unsigned>(held.size()),
            Utf8(places.next).c_str());
    return StepOutcome::Pending;
}

StepOutcome CloseRelease(InstallContext& context) {
    const Places places = PlacesOf(context);
    const ClosedPrograms closed = CloseHolders(FindFolderHolders(places.live, context.target), context.timings);
    context.journal->Fact(kClosedCount, std::to_string(closed.ended));
    if (closed.running > 0) {
        LogLine("package: %d programs of \"%s\" did not close, the update stops", closed.running,
                Utf8(places.live).c_str());
        return StepOutcome::Failed;
    }
    if (closed.ended > 0) Sleep(context.timings.settleMs);
    return StepOutcome::Done;
}

StepOutcome RestartRelease(InstallContext& context) {
    const std::string closed = context.journal->Record().Fact(kClosedCount);
    if ((closed == "0" || closed.empty()) && !context.oldProgramClosed) return StepOutcome::Done;
    if (!context.mayStartPrograms) {
        context.restartDeferred = true;
        return StepOutcome::Done;
    }
    // The launcher starts whatever `current` names: the live release, switched back by now.
    StartProgram(context.target, false);
    CutHereIfTestAsks("restarted");
    return StepOutcome::Done;
}

StepOutcome CarryUserFiles(InstallContext& context) {
    const Places places = PlacesOf(context);
    PackageManifest live, next;
    if (!ReadFolderManifest(places.live, live) || !ReadFolderManifest(places.next, next)) {
        LogLine("package: the release manifests cannot be read, error %lu", GetLastError());
        return StepOutcome::Failed;
    }
    const std::vector<CarriedFile> plan = PlanCarryOver(live, next, FilesBelow(places.live));
    std::wstring failed;
    if (!CarryOver(places.live, places.next, plan, failed)) {
        LogLine("package: the user's file \"%s\" cannot be carried over, error %lu", Utf8(failed).c_str(),
                GetLastError());
        return StepOutcome::Failed;
    }
    LogLine("package: %u of the user's files carried over", static_cast<unsigned>(plan.size()));
    return StepOutcome::Done;
}

StepOutcome SwitchRelease(InstallContext& context) {
    const Places places = PlacesOf(context);
    ReleasePointer pointer;
    pointer.folder = places.nextName;
    pointer.manifestSha256 = context.journal->Record().newProgram.sha256;
    if (!SwitchCurrent(places.root, pointer)) {
        LogLine("package: \"current\" cannot be switched, error %lu", GetLastError());
        return StepOutcome::Failed;
    }
    LogLine("package: \"current\" names \"%s\"", Utf8(places.nextName).c_str());
    return StepOutcome::Done;
}

StepOutcome SwitchBack(InstallContext& context) {
    const Places places = PlacesOf(context);
    if (SameName(CurrentRelease(places.root), places.liveName)) return StepOutcome::Done;
    ReleasePointer pointer;
    pointer.folder = places.liveName;
    pointer.manifestSha256 = context.journal->Record().oldProgram.sha256;
    if (SwitchCurrent(places.root, pointer)) {
        LogLine("restore: \"current\" names \"%s\" again", Utf8(places.liveName).c_str());
        return StepOutcome::Done;
    }
    LogLine("restore: \"current\" cannot be switched back yet, error %lu", GetLastError());
    return StepOutcome::Pending;
}

StepOutcome StartRelease(InstallContext& context) {
    Sleep(context.timings.settleMs);
    if (StartProgram(context.target, true) == StartResult::Failed) {
        LogLine("relaunch: failed, the new release did not come up");
        return StepOutcome::Failed;
    }
    return StepOutcome::Done;
}

StepOutcome StopRelease(InstallContext& context) {
    CloseHolders(FindFolderHolders(PlacesOf(context).next, context.target), context.timings);
    return StepOutcome::Done;
}

// Only what the old manifest lists, or was carried over, goes; the manifest last, so that a
// clean-up cut short can still tell the rest.
CleanUpPlan OldReleasePlan(const Places& places, const std::vector<std::wstring>& found) {
    PackageManifest old, next;
    CleanUpPlan plan;
    if (!ReadFolderManifest(places.live, old)) {
        plan.keep = found;
        return plan;
    }
    ReadFolderManifest(places.next, next);
    plan = PlanCleanUp(old, PlanCarryOver(old, next, found), found);
    std::stable_partition(plan.remove.begin(), plan.remove.end(),
                          [](const std::wstring& path) { return !SameName(path, kManifestName); });
    return plan;
}

StepOutcome CleanUpRelease(InstallContext& context) {
    const Places places = PlacesOf(context);
    if (!SameName(CurrentRelease(places.root), places.nextName)) {
        LogLine("package: \"current\" does not name the new release, the old one stays");
        return StepOutcome::Failed;
    }
    if (!FolderExists(places.live)) return StepOutcome::Done;
    const CleanUpPlan plan = OldReleasePlan(places, FilesBelow(places.live));
    for (const std::wstring& kept : plan.keep) {
        LogLine("cleanup: \"%s\" is not the old release's own, kept", Utf8(kept).c_str());
    }
    const std::vector<std::wstring> held = RemoveReleaseFiles(places.live, plan);
    if (held.empty()) return StepOutcome::Done;
    LogLine("cleanup: %u files of \"%s\" are still held, retried at the next run or logon",
            static_cast<unsigned>(held.size()), Utf8(places.live).c_str());
    return StepOutcome::Pending;
}

StepOutcome NothingToUndo(InstallContext&) {
    // The carried copies live in the new folder and go with it.
    return StepOutcome::Done;
}

const InstallStepItem kStage = {"release-stage", InstallStage::Stage, InstallResult::StagingFailed,
                                kStopNever, false, StageRelease, UnstageRelease};
const InstallStepItem kClose = {"release-close", InstallStage::CloseHost, InstallResult::ReplaceFailed,
                                kStopNever, false, CloseRelease, RestartRelease};
const InstallStepItem kCarry = {"release-carry", InstallStage::BackUp, InstallResult::ReplaceFailed,
                                kStopNever, false, CarryUserFiles, NothingToUndo};
const InstallStepItem kSwitch = {"release-switch", InstallStage::Swap, InstallResult::ReplaceFailed,
                                 kStopNever, false, SwitchRelease, SwitchBack};
const InstallStepItem kStart = {"release-start", InstallStage::Start, InstallResult::StartFailed,
                                kStopNever, false, StartRelease, StopRelease};
const InstallStepItem kCleanUp = {"release-cleanup", InstallStage::CleanUp, InstallResult::StartFailed,
                                  kStopNever, true, CleanUpRelease, NothingToUndo};

}  // namespace

const InstallStepItem* const kPackageSteps[] = {&kStage, &kClose, &kCarry, &kSwitch, &kStart, &kCleanUp};
const size_t kPackageStepCount = sizeof kPackageSteps / sizeof kPackageSteps[0];

const InstallStepItem* PackageStepNamed(const std::string& name) {
    for (const InstallStepItem* step : kPackageSteps) {
        if (name == step->name) return step;
    }
    return nullptr;
}

void LogPackageRefusal(const PackageRefusal& refusal) {
    LogLine("package: REFUSED \"%s\": %s", Utf8(refusal.path).c_str(), refusal.rule.c_str());
}
