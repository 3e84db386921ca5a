#include "delta_command.h"

#include <windows.h>

#include "delta_writer.h"
#include "file_signature.h"
#include "ui/util/unique_handle.h"
#include "updater/files/file_write.h"
#include "updater/package/package_extract.h"
#include "updater/package/release_files.h"
#include "updater/paths.h"
#include "updater/update_log.h"

namespace {

bool Fail(std::string& error, const std::string& text) {
    error = text;
    return false;
}

// A scratch folder for an unpacked package, removed with everything in it on every way out.
class ScratchRelease {
public:
    explicit ScratchRelease(const std::wstring& near) {
        for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
            const std::wstring path = near + L"\\.delta-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                                      std::to_wstring(GetTickCount() + attempt);
            if (CreateDirectoryW(path.c_str(), nullptr)) path_ = path;
        }
    }
    ~ScratchRelease() {
        if (path_.empty()) return;
        CleanUpPlan plan;
        plan.remove = FilesBelow(path_);
        RemoveReleaseFiles(path_, plan);
    }
    ScratchRelease(const ScratchRelease&) = delete;
    ScratchRelease& operator=(const ScratchRelease&) = delete;
    const std::wstring& Path() const { return path_; }

private:
    std::wstring path_;
};

bool Unpack(const std::wstring& zip, const std::vector<Ed25519Key>& keys, const std::wstring& folder,
            ReleaseSide& side, std::string& error) {
    PackageRefusal refusal;
    side.folder = folder;
    if (folder.empty()) return Fail(error, "cannot make a scratch folder");
    if (!ReadPackageManifest(zip, keys, side.manifestBytes, side.manifest, refusal) ||
        !ExtractPackage(zip, side.manifest, side.manifestBytes, folder, refusal)) {
        return Fail(error, Utf8(zip) + ": " + Utf8(refusal.path) + ": " + refusal.rule);
    }
    return true;
}

uint64_t FileBytes(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return 0;
    return (uint64_t(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

std::string DigestText(const std::string& bytes) {
    Sha256Digest digest = {};
    Sha256Of(bytes, digest);
    return HexDigest(digest);
}

std::string FeedLines(const ReleaseSide& base, const std::wstring& delta, const FileSignature& signature) {
    return "<sparkle:deltas>\n  <enclosure url=\"" + Utf8(FileNameOf(delta)) + "\" sparkle:deltaFrom=\"" +
           Utf8(base.manifest.version) + "\" length=\"" + std::to_string(signature.length) +
           "\" type=\"application/octet-stream\" sparkle:edSignature=\"" + signature.base64 +
           "\" upd:baseManifest=\"" + DigestText(base.manifestBytes) + "\"/>\n</sparkle:deltas>\n";
}

bool WriteNewText(const std::wstring& path, const std::string& text) {
    UniqueHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    return file && WriteAll(file.Get(), text.data(), text.size()) && FlushFileBuffers(file.Get());
}

}  // namespace

bool DeltaWorthIt(std::uint64_t deltaBytes, std::uint64_t fullBytes) { return deltaBytes * 2 <= fullBytes; }

bool MakeDelta(const DeltaRequest& request, const Ed25519Seed& seed, DeltaResult& result, std::string& error) {
    const std::vector<Ed25519Key> keys = {PublicKeyOf(seed)};
    ScratchRelease oldFolder(request.outFolder), newFolder(request.outFolder);
    ReleaseSide base, target;
    if (!Unpack(request.oldPackage, keys, oldFolder.Path(), base, error) ||
        !Unpack(request.newPackage, keys, newFolder.Path(), target, error)) {
        return false;
    }
    if (base.manifest.product != target.manifest.product || base.manifest.main != target.manifest.main) {
        return Fail(error, "the two packages are not releases of one program");
    }
    const std::wstring stem = target.manifest.main.substr(0, target.manifest.main.size() - 4);
    result.delta = request.outFolder + L"\\" + stem + L"-" + base.manifest.version + L"-to-" +
                   target.manifest.version + L".delta";
    if (!WriteDelta(base, target, result.delta, error)) return false;
    result.deltaBytes = FileBytes(result.delta);
    result.fullBytes = FileBytes(request.newPackage);
    if (!DeltaWorthIt(result.deltaBytes, result.fullBytes)) {
        DeleteFileW(result.delta.c_str());
        return true;
    }
    FileSignature signature;
    if (!SignWholeFile(seed, result.delta, signature)) return Fail(error, "cannot sign " + Utf8(result.delta));
    result.feedItem = FeedLines(base, result.delta, signature);
    if (!WriteNewText(result.delta + L"-item.txt", result.feedItem)) {
        return Fail(error, "cannot write " + Utf8(result.delta) + "-item.txt");
    }
    result.written = true;
    return true;
}
