#include "package_pack.h"

#include <windows.h>

#include "feed_signing.h"
#include "file_signature.h"
#include "launcher_resources.h"
#include "release_folder.h"
#include "zip_writer.h"
#include "updater/feed/version_compare.h"
#include "updater/package/release_pointer.h"
#include "updater/paths.h"
#include "updater/trust/program_facts.h"
#include "updater/update_log.h"

namespace {

bool Fail(std::string& error, const std::string& text) {
    error = text;
    return false;
}

const wchar_t* MachineName(uint16_t machine) {
    switch (machine) {
        case IMAGE_FILE_MACHINE_I386: return L"x86";
        case IMAGE_FILE_MACHINE_AMD64: return L"x64";
        case 0xAA64: return L"arm64";
    }
    return L"";
}

// The manifest's header from the main program itself, held to the rules the updater applies.
bool HeaderFromProgram(const PackRequest& request, PackageManifest& header, std::string& error) {
    ProgramFacts facts;
    const std::wstring path = request.folder + L"\\" + request.main;
    if (!ReadProgramFacts(path, facts) || !facts.isWindowsProgram || facts.isDll) {
        return Fail(error, Utf8(path) + " is not a Windows program");
    }
    if (CompareVersions(facts.fileVersion, request.version) != 0) {
        return Fail(error, Utf8(request.main) + " has FileVersion " + Utf8(facts.fileVersion) + ", not " +
                               Utf8(request.version));
    }
    if (facts.productName.empty()) return Fail(error, Utf8(request.main) + " has no ProductName");
    header.product = facts.productName;
    header.version = request.version;
    header.main = request.main;
    header.machine = MachineName(facts.machine);
    return true;
}

std::string SignedManifest(const PackRequest& request, const Ed25519Seed& seed, const FolderListing& listing,
                           std::string& error) {
    PackageManifest header;
    if (!HeaderFromProgram(request, header, error)) return {};
    const std::string xml = ManifestXmlFor(header, listing);
    const std::string whole = xml + SignatureComment(seed, xml);
    // Read back as the updater reads it: a path or a name it would refuse is refused now.
    PackageManifest manifest;
    PackageRefusal refusal;
    const auto key = PublicKeyOf(seed);
    if (!VerifyPackageManifest(whole, {key}, manifest, refusal)) {
        Fail(error, "the updater would refuse " + Utf8(refusal.path) + ": " + refusal.rule);
        return {};
    }
    return whole;
}

bool AddRelease(ZipWriter& zip, const std::string& prefix, const std::string& manifest, const FolderListing& listing) {
    if (!zip.AddBytes(prefix + ".upd-manifest", manifest)) return false;
    for (const FolderFile& each : listing.files) {
        if (!zip.AddFile(prefix + Utf8(each.file.path), each.source, each.readOnly)) return false;
    }
    for (const std::wstring& dir : listing.emptyDirs) {
        if (!zip.AddFolder(prefix + Utf8(dir))) return false;
    }
    return zip.Finish();
}

// A whole installation: the launcher under the main program's name, `current` naming the
// release, and the release folder with its manifest.
bool WritePortable(const PackRequest& request, const std::string& manifest, const FolderListing& listing,
                   const std::wstring& path, std::string& error) {
    const std::wstring launcher = path + L".launcher";
    if (!MakeLauncherFor(request.launcher, request.folder + L"\\" + request.main, launcher)) {
        return Fail(error, "cannot make the launcher from " + Utf8(request.launcher));
    }
    ReleasePointer pointer;
    pointer.folder = ReleaseFolderName(request.version);
    Sha256 hash;
    hash.Update(manifest.data(), manifest.size());
    ZipWriter zip;
    const bool ok = hash.Finish(pointer.manifestSha256) && zip.Create(path) &&
                    zip.AddFile(Utf8(request.main), launcher, false) &&
                    zip.AddBytes(Utf8(kCurrentName), FormatReleasePointer(pointer)) &&
                    AddRelease(zip, Utf8(pointer.folder) + "/", manifest, listing);
    DeleteFileW(launcher.c_str());
    return ok || Fail(error, "cannot write " + Utf8(path));
}

// The enclosure's signature covers the whole zip.
bool FeedItem(const Ed25519Seed& seed, const std::wstring& package, const PackRequest& request, std::string& item) {
    FileSignature signature;
    if (!SignWholeFile(seed, package, signature)) return false;
    const std::string length = std::to_string(signature.length);
    item = "sparkle:edSignature=\"" + signature.base64 + "\" length=\"" + length +
           "\"\n<enclosure url=\"" + Utf8(FileNameOf(package)) + "\" sparkle:version=\"" + Utf8(request.version) +
           "\" length=\"" + length + "\" type=\"application/zip\" sparkle:edSignature=\"" + signature.base64 + "\"/>\n";
    return true;
}

bool WriteText(const std::wstring& path, const std::string& text) {
    UniqueHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    return file && WriteFile(file.Get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
           written == text.size();
}

}  // namespace

bool PackRelease(const PackRequest& request, const Ed25519Seed& seed, PackResult& result, std::string& error) {
    FolderListing listing;
    if (!ListReleaseFolder(request.folder, listing, error)) return false;
    for (const FolderFile& each : listing.files) {
        if (each.file.path == kManifestName) return Fail(error, "the folder holds a .upd-manifest already");
    }
    const std::string manifest = SignedManifest(request, seed, listing, error);
    if (manifest.empty()) return false;
    std::wstring stem = request.main.substr(0, request.main.size() - 4) + L"-" + request.version;
    const std::wstring out = request.outFolder + L"\\" + stem;
    result.package = out + L".zip";
    result.portable = out + L"-portable.zip";
    ZipWriter zip;
    if (!zip.Create(result.package) || !AddRelease(zip, "", manifest, listing)) {
        return Fail(error, "cannot write " + Utf8(result.package) + " (an existing file is never overwritten)");
    }
    if (!WritePortable(request, manifest, listing, result.portable, error)) return false;
    if (!FeedItem(seed, result.package, request, result.feedItem) ||
        !WriteText(out + L".feed-item.txt", result.feedItem)) {
        return Fail(error, "cannot sign " + Utf8(result.package));
    }
    return true;
}
