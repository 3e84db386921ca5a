#include "updater/package/delta_format.h"

#include <cstring>
#include <set>

#include "updater/package/package_path.h"
#include "updater/update_log.h"

namespace {

constexpr char kMagic[8] = {'U', 'P', 'D', 'D', 'E', 'L', 'T', 'A'};
constexpr uint32_t kFormat = 1;

void PutInt(std::string& out, uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

void PutText(std::string& out, const std::wstring& text) {
    const std::string utf8 = Utf8(text);
    PutInt(out, utf8.size(), 2);
    out += utf8;
}

// Reads forward through the header; any read past the end leaves it failed for good.
class Cursor {
public:
    explicit Cursor(std::string_view bytes) : bytes_(bytes) {}
    bool Ok() const { return ok_; }
    void Fail() { ok_ = false; }
    size_t Offset() const { return at_; }

    uint64_t Int(int bytes) {
        if (!Has(static_cast<size_t>(bytes))) return 0;
        uint64_t value = 0;
        for (int i = 0; i < bytes; ++i) value |= uint64_t(static_cast<unsigned char>(bytes_[at_ + i])) << (8 * i);
        at_ += static_cast<size_t>(bytes);
        return value;
    }
    std::string_view Raw(size_t size) {
        if (!Has(size)) return {};
        const std::string_view raw = bytes_.substr(at_, size);
        at_ += size;
        return raw;
    }
    std::wstring Text() {
        const std::string_view utf8 = Raw(static_cast<size_t>(Int(2)));
        const std::wstring text = FromUtf8(std::string(utf8));
        if (text.empty()) ok_ = false;  // no empty path, and no bytes that are not UTF-8
        return text;
    }
    // A count of entries that each take at least `least` bytes, so a lying count fails here.
    uint32_t Count(size_t least) {
        const uint32_t count = static_cast<uint32_t>(Int(4));
        if (ok_ && count > (bytes_.size() - at_) / least) ok_ = false;
        return ok_ ? count : 0;
    }

private:
    bool Has(size_t size) {
        if (ok_ && size > bytes_.size() - at_) ok_ = false;
        return ok_;
    }
    std::string_view bytes_;
    size_t at_ = 0;
    bool ok_ = true;
};

void ReadDigest(Cursor& cursor, Sha256Digest& digest) {
    const std::string_view raw = cursor.Raw(digest.size());
    if (cursor.Ok()) std::memcpy(digest.data(), raw.data(), digest.size());
}

void ReadPaths(Cursor& cursor, std::vector<std::wstring>& paths) {
    const uint32_t count = cursor.Count(3);
    for (uint32_t i = 0; i < count && cursor.Ok(); ++i) paths.push_back(cursor.Text());
}

void ReadGroup(Cursor& cursor, DeltaGroup& group) {
    const uint64_t kind = cursor.Int(1);
    if (kind > 1) return cursor.Fail();
    group.kind = static_cast<DeltaGroupKind>(kind);
    ReadPaths(cursor, group.dictionary);
    ReadPaths(cursor, group.members);
    group.frameBytes = cursor.Int(8);
}

bool Refuse(PackageRefusal& refusal, const std::wstring& path, const char* rule) {
    refusal.path = path;
    refusal.rule = rule;
    return false;
}

bool CheckGroup(const DeltaGroup& group, const PackageManifest& base, const PackageManifest& target,
                PackageRefusal& refusal) {
    const std::wstring first = group.members.empty() ? L"" : group.members.front();
    if (group.members.empty()) return Refuse(refusal, first, "a group that makes no file");
    for (const std::wstring& path : group.dictionary) {
        if (base.FileAt(path) == nullptr) return Refuse(refusal, path, "a dictionary file the base does not list");
    }
    if (group.kind == DeltaGroupKind::Plain && !group.dictionary.empty()) {
        return Refuse(refusal, first, "a plain group with a dictionary");
    }
    if (DictionaryBytes(group, base) > kDeltaGroupLimitBytes) return Refuse(refusal, first, "a dictionary too large");
    if (group.members.size() > 1 && OutputBytes(group, target) > kDeltaGroupLimitBytes) {
        return Refuse(refusal, first, "a group's output too large");
    }
    return true;
}

uint64_t BytesListed(const std::vector<std::wstring>& paths, const PackageManifest& manifest) {
    uint64_t total = 0;
    for (const std::wstring& path : paths) {
        const PackageFile* file = manifest.FileAt(path);
        total += file == nullptr ? 0 : file->size;
    }
    return total;
}

}  // namespace

std::string EncodeDeltaHeader(const DeltaHeader& header) {
    std::string out(kMagic, sizeof kMagic);
    PutInt(out, kFormat, 4);
    out.append(reinterpret_cast<const char*>(header.baseManifest.data()), header.baseManifest.size());
    out.append(reinterpret_cast<const char*>(header.targetManifest.data()), header.targetManifest.size());
    PutInt(out, header.manifest.size(), 4);
    out += header.manifest;
    PutInt(out, header.copies.size(), 4);
    for (const DeltaCopy& copy : header.copies) {
        PutText(out, copy.target);
        PutText(out, copy.source);
    }
    PutInt(out, header.groups.size(), 4);
    for (const DeltaGroup& group : header.groups) {
        PutInt(out, static_cast<uint8_t>(group.kind), 1);
        PutInt(out, group.dictionary.size(), 4);
        for (const std::wstring& path : group.dictionary) PutText(out, path);
        PutInt(out, group.members.size(), 4);
        for (const std::wstring& path : group.members) PutText(out, path);
        PutInt(out, group.frameBytes, 8);
    }
    return out;
}

bool ParseDeltaHeader(std::string_view bytes, DeltaHeader& header, size_t& headerBytes, std::string& rule) {
    Cursor cursor(bytes);
    if (cursor.Raw(sizeof kMagic) != std::string_view(kMagic, sizeof kMagic)) {
        rule = "not a delta file";
        return false;
    }
    if (cursor.Int(4) != kFormat) {
        rule = "a delta format this updater does not know";
        return false;
    }
    ReadDigest(cursor, header.baseManifest);
    ReadDigest(cursor, header.targetManifest);
    header.manifest = std::string(cursor.Raw(static_cast<size_t>(cursor.Int(4))));
    const uint32_t copies = cursor.Count(6);
    for (uint32_t i = 0; i < copies && cursor.Ok(); ++i) {
        DeltaCopy copy;
        copy.target = cursor.Text();
        copy.source = cursor.Text();
        header.copies.push_back(copy);
    }
    const uint32_t groups = cursor.Count(17);
    for (uint32_t i = 0; i < groups && cursor.Ok(); ++i) {
        header.groups.emplace_back();
        ReadGroup(cursor, header.groups.back());
    }
    if (!cursor.Ok()) {
        rule = "a damaged or cut delta header";
        return false;
    }
    headerBytes = cursor.Offset();
    return true;
}

uint64_t DictionaryBytes(const DeltaGroup& group, const PackageManifest& base) {
    return BytesListed(group.dictionary, base);
}

uint64_t OutputBytes(const DeltaGroup& group, const PackageManifest& target) {
    return BytesListed(group.members, target);
}

bool CheckDeltaHeader(const DeltaHeader& header, const PackageManifest& base, const PackageManifest& target,
                      PackageRefusal& refusal) {
    std::set<std::wstring> made;
    const auto makeOnce = [&](const std::wstring& path) {
        return target.FileAt(path) != nullptr && made.insert(PathKey(path)).second;
    };
    for (const DeltaCopy& copy : header.copies) {
        if (!makeOnce(copy.target)) return Refuse(refusal, copy.target, "a target file unlisted or made twice");
        const PackageFile* from = base.FileAt(copy.source);
        const PackageFile* to = target.FileAt(copy.target);
        if (from == nullptr || from->size != to->size || from->sha256 != to->sha256) {
            return Refuse(refusal, copy.target, "a copy from a base file of other content");
        }
    }
    for (const DeltaGroup& group : header.groups) {
        for (const std::wstring& path : group.members) {
            if (!makeOnce(path)) return Refuse(refusal, path, "a target file unlisted or made twice");
        }
        if (!CheckGroup(group, base, target, refusal)) return false;
    }
    for (const PackageFile& file : target.files) {
        if (made.count(PathKey(file.path)) == 0) return Refuse(refusal, file.path, "a target file the delta never makes");
    }
    return true;
}
