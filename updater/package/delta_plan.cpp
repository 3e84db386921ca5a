#include "updater/package/delta_plan.h"

#include <map>
#include <utility>

namespace {

using ContentKey = std::pair<uint64_t, Sha256Digest>;

// The base file holding `file`'s content: the one at the same path first, else any.
const PackageFile* SameContent(const PackageManifest& base, const std::map<ContentKey, const PackageFile*>& byContent,
                               const PackageFile& file) {
    const PackageFile* samePath = base.FileAt(file.path);
    if (samePath != nullptr && samePath->size == file.size && samePath->sha256 == file.sha256) return samePath;
    const auto found = byContent.find({file.size, file.sha256});
    return found == byContent.end() ? nullptr : found->second;
}

// The old version that fits a dictionary, or null.
const PackageFile* OldVersion(const PackageManifest& base, const PackageFile& file) {
    const PackageFile* old = base.FileAt(file.path);
    return old != nullptr && old->size > 0 && old->size <= kDeltaGroupLimitBytes ? old : nullptr;
}

class Grouping {
public:
    explicit Grouping(DeltaHeader& header) : header_(header) {}

    void Add(const PackageFile& file, const PackageFile* old) {
        if (file.size > kDeltaPlainAboveBytes) return Alone(file, nullptr, DeltaGroupKind::Plain);
        if (file.size > kDeltaGroupLimitBytes) return Alone(file, old, DeltaGroupKind::Dictionary);
        const uint64_t oldBytes = old == nullptr ? 0 : old->size;
        if (!open_.members.empty() &&
            (dictionary_ + oldBytes > kDeltaGroupLimitBytes || output_ + file.size > kDeltaGroupLimitBytes)) {
            Close();
        }
        open_.members.push_back(file.path);
        if (old != nullptr) open_.dictionary.push_back(old->path);
        dictionary_ += oldBytes;
        output_ += file.size;
    }

    void Close() {
        if (!open_.members.empty()) header_.groups.push_back(open_);
        open_ = DeltaGroup();
        dictionary_ = output_ = 0;
    }

private:
    void Alone(const PackageFile& file, const PackageFile* old, DeltaGroupKind kind) {
        DeltaGroup group;
        group.kind = kind;
        group.members.push_back(file.path);
        if (old != nullptr && kind == DeltaGroupKind::Dictionary) group.dictionary.push_back(old->path);
        header_.groups.push_back(group);
    }

    DeltaHeader& header_;
    DeltaGroup open_;
    uint64_t dictionary_ = 0;
    uint64_t output_ = 0;
};

}  // namespace

DeltaHeader PlanDelta(const PackageManifest& base, const PackageManifest& target) {
    std::map<ContentKey, const PackageFile*> byContent;
    for (const PackageFile& file : base.files) byContent.emplace(ContentKey{file.size, file.sha256}, &file);
    DeltaHeader header;
    Grouping grouping(header);
    for (const PackageFile& file : target.files) {
        if (const PackageFile* same = SameContent(base, byContent, file)) {
            header.copies.push_back({file.path, same->path});
        } else {
            grouping.Add(file, OldVersion(base, file));
        }
    }
    grouping.Close();
    return header;
}
