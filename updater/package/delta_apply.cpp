#include "updater/package/delta_apply.h"

#include <set>

#include "updater/files/file_write.h"
#include "updater/package/delta_decode.h"
#include "updater/package/package_extract.h"
#include "updater/package/package_path.h"
#include "updater/package/release_files.h"
#include "ui/util/unique_handle.h"

namespace {

bool Refuse(PackageRefusal& refusal, const std::wstring& path, const std::string& rule) {
    refusal.path = path;
    refusal.rule = rule;
    return false;
}

uint64_t SizeOf(HANDLE file) {
    LARGE_INTEGER size;
    return GetFileSizeEx(file, &size) ? static_cast<uint64_t>(size.QuadPart) : 0;
}

// The header from the start of the open delta, and the frames' bytes checked against its size.
bool ReadHeader(HANDLE file, DeltaHeader& header, PackageRefusal& refusal) {
    const uint64_t size = SizeOf(file);
    std::string bytes(static_cast<size_t>(size < kDeltaHeaderLimitBytes ? size : kDeltaHeaderLimitBytes), '\0');
    DWORD read = 0;
    if (!bytes.empty() && (!ReadFile(file, &bytes[0], static_cast<DWORD>(bytes.size()), &read, nullptr) ||
                           read != bytes.size())) {
        return Refuse(refusal, L"", "a delta file that cannot be read");
    }
    size_t headerBytes = 0;
    std::string rule;
    if (!ParseDeltaHeader(bytes, header, headerBytes, rule)) return Refuse(refusal, L"", rule);
    uint64_t total = headerBytes;
    for (const DeltaGroup& group : header.groups) total += group.frameBytes;
    if (total != size) return Refuse(refusal, L"", "a delta whose length differs from its header");
    LARGE_INTEGER at;
    at.QuadPart = static_cast<LONGLONG>(headerBytes);
    return SetFilePointerEx(file, at, nullptr, FILE_BEGIN) || Refuse(refusal, L"", "a delta file that cannot be read");
}

// The target manifest the delta carries: for this base, signed by the program's keys.
bool CheckManifests(const DeltaApplication& application, const DeltaHeader& header, DeltaOutcome& outcome) {
    if (header.baseManifest != application.liveManifestSha256) {
        return Refuse(outcome.refusal, kManifestName, "a delta made for another base release");
    }
    Sha256Digest target;
    if (!Sha256Of(header.manifest, target) || target != header.targetManifest) {
        return Refuse(outcome.refusal, kManifestName, "a target manifest whose SHA-256 differs");
    }
    if (!VerifyPackageManifest(header.manifest, application.keys, outcome.next, outcome.refusal)) return false;
    outcome.nextManifestBytes = header.manifest;
    return CheckDeltaHeader(header, *application.live, outcome.next, outcome.refusal);
}

// A base file of the right content, linked where the volume allows it, else copied and read back.
bool MakeCopy(const DeltaApplication& application, const DeltaCopy& copy, const PackageFile& expected,
              DeltaOutcome& outcome) {
    const std::wstring source = ReleasePath(application.liveFolder, copy.source);
    const std::wstring target = ReleasePath(application.newFolder, copy.target);
    if (!FileHoldsContent(source, expected.size, expected.sha256)) {
        return Refuse(outcome.refusal, copy.source, "a base file that changed");
    }
    if (!CreateFoldersAlong(application.newFolder, copy.target)) {
        return Refuse(outcome.refusal, copy.target, "a folder that cannot be made");
    }
    if (!CreateHardLinkW(target.c_str(), source.c_str(), nullptr)) {
        if (!CopyFileW(source.c_str(), target.c_str(), TRUE)) {
            return Refuse(outcome.refusal, copy.target, "a file that cannot be copied");
        }
        if (!FileHoldsContent(target, expected.size, expected.sha256)) {
            SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_NORMAL);
            DeleteFileW(target.c_str());
            return Refuse(outcome.refusal, copy.target, "a copy whose SHA-256 differs");
        }
    }
    outcome.verified.push_back(copy.target);
    return true;
}

bool WriteManifestLast(const std::wstring& folder, const std::string& bytes) {
    UniqueHandle file(CreateFileW(ReleasePath(folder, kManifestName).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    return file && WriteAll(file.Get(), bytes.data(), bytes.size()) && FlushFileBuffers(file.Get());
}

}  // namespace

bool ApplyDelta(const DeltaApplication& application, DeltaOutcome& outcome) {
    UniqueHandle delta(CreateFileW(application.deltaPath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                   OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!delta) return Refuse(outcome.refusal, L"", "a delta file that cannot be opened");
    DeltaHeader header;
    if (!ReadHeader(delta.Get(), header, outcome.refusal) || !CheckManifests(application, header, outcome)) {
        return false;
    }
    for (const DeltaCopy& copy : header.copies) {
        if (!MakeCopy(application, copy, *outcome.next.FileAt(copy.target), outcome)) return false;
    }
    for (const DeltaGroup& group : header.groups) {
        GroupDecoding decoding{delta.Get(), &group, application.live, application.liveFolder, &outcome.next,
                               application.newFolder};
        if (!DecodeGroup(decoding, outcome.verified, outcome.refusal)) return false;
    }
    for (const std::wstring& dir : outcome.next.dirs) {
        if (!CreateFoldersAlong(application.newFolder, dir + L"/")) {
            return Refuse(outcome.refusal, dir, "a folder that cannot be made");
        }
    }
    return WriteManifestLast(application.newFolder, outcome.nextManifestBytes) ||
           Refuse(outcome.refusal, kManifestName, "the manifest cannot be written");
}

std::vector<std::wstring> StillValid(const std::vector<std::wstring>& verified, const PackageManifest& deltaTarget,
                                     const PackageManifest& full) {
    std::vector<std::wstring> kept;
    for (const std::wstring& path : verified) {
        const PackageFile* made = deltaTarget.FileAt(path);
        const PackageFile* wanted = full.FileAt(path);
        if (made != nullptr && wanted != nullptr && made->size == wanted->size && made->sha256 == wanted->sha256) {
            kept.push_back(path);
        }
    }
    return kept;
}

bool CompleteFromPackage(const std::wstring& zipPath, const std::vector<Ed25519Key>& keys,
                         const DeltaOutcome& delta, const std::wstring& newFolder, PackageRefusal& refusal) {
    std::string bytes;
    PackageManifest full;
    if (!ReadPackageManifest(zipPath, keys, bytes, full, refusal)) return false;
    const std::vector<std::wstring> kept = StillValid(delta.verified, delta.next, full);
    std::set<std::wstring> keptKeys;
    for (const std::wstring& path : kept) keptKeys.insert(PathKey(path));
    for (const std::wstring& path : delta.verified) {
        if (keptKeys.count(PathKey(path)) != 0) continue;
        // A hard link shares its attributes with the live file: the read-only mark is taken off
        // only when the deletion needs it.
        const std::wstring file = ReleasePath(newFolder, path);
        if (!DeleteFileW(file.c_str()) &&
            !(SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL) && DeleteFileW(file.c_str()))) {
            return Refuse(refusal, path, "a file the package replaces cannot be removed");
        }
    }
    return ExtractPackage(zipPath, full, bytes, newFolder, refusal, kept);
}
