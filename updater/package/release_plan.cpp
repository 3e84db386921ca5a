#include "updater/package/release_plan.h"

#include <set>

#include "updater/package/package_path.h"

std::vector<std::wstring> UnchangedFiles(const PackageManifest& live, const PackageManifest& next) {
    std::vector<std::wstring> same;
    for (const PackageFile& file : next.files) {
        const PackageFile* before = live.FileAt(file.path);
        if (before != nullptr && before->size == file.size && before->sha256 == file.sha256) same.push_back(file.path);
    }
    return same;
}

uint64_t BytesToStage(const PackageManifest& next, const std::vector<std::wstring>& linked, size_t manifestBytes) {
    std::set<std::wstring> shared;
    for (const std::wstring& path : linked) shared.insert(PathKey(path));
    uint64_t total = manifestBytes;
    for (const PackageFile& file : next.files) {
        if (shared.count(PathKey(file.path)) == 0) total += file.size;
    }
    return total;
}

std::vector<CarriedFile> PlanCarryOver(const PackageManifest& live, const PackageManifest& next,
                                       const std::vector<std::wstring>& found) {
    std::set<std::wstring> shipped;
    for (const PackageFile& file : next.files) shipped.insert(PathKey(file.path));
    for (const std::wstring& dir : next.dirs) shipped.insert(PathKey(dir));
    std::vector<CarriedFile> carried;
    for (const std::wstring& path : found) {
        if (live.FileAt(path) != nullptr || SamePathIgnoringCase(path, kManifestName)) continue;
        const bool clash = shipped.count(PathKey(path)) != 0;
        carried.push_back({path, clash ? path + L".user-" + live.version : path});
    }
    return carried;
}

CleanUpPlan PlanCleanUp(const PackageManifest& old, const std::vector<CarriedFile>& carried,
                        const std::vector<std::wstring>& found) {
    std::set<std::wstring> ours;
    for (const CarriedFile& file : carried) ours.insert(PathKey(file.from));
    CleanUpPlan plan;
    for (const std::wstring& path : found) {
        const bool listed = old.FileAt(path) != nullptr || SamePathIgnoringCase(path, kManifestName) ||
                            ours.count(PathKey(path)) != 0;
        (listed ? plan.remove : plan.keep).push_back(path);
    }
    return plan;
}
