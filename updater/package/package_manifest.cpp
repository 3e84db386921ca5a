#include "updater/package/package_manifest.h"

#include <windows.h>

#include <pugixml.hpp>

#include <set>

#include "updater/feed/signed_feed.h"
#include "updater/feed/xml_names.h"
#include "updater/package/package_path.h"
#include "updater/update_log.h"

// The manifest is read as strictly as the signature block: an element, an attribute or a path
// the updater does not know refuses the whole release. A lenient reader would leave a file on
// disk that no manifest vouches for.

namespace {

bool Refuse(PackageRefusal& refusal, std::wstring_view path, const std::string& rule) {
    refusal.path = std::wstring(path);
    refusal.rule = rule;
    return false;
}

bool ParseSize(std::wstring_view text, uint64_t& value) {
    if (text.empty() || text.size() > 19) return false;  // 19 digits always fit in 64 bits
    value = 0;
    for (wchar_t ch : text) {
        if (ch < L'0' || ch > L'9') return false;
        value = value * 10 + static_cast<uint64_t>(ch - L'0');
    }
    return true;
}

// Only the attributes `allowed` may appear, all of them unprefixed.
bool OnlyAttributes(pugi::xml_node node, std::initializer_list<std::wstring_view> allowed) {
    for (pugi::xml_attribute attribute : node.attributes()) {
        const std::wstring_view name = attribute.name();
        if (name == L"xmlns" || name.substr(0, 6) == L"xmlns:") continue;
        bool known = false;
        for (std::wstring_view each : allowed) known = known || name == each;
        if (!known) return false;
    }
    return true;
}

class ManifestReader {
public:
    ManifestReader(PackageManifest& manifest, PackageRefusal& refusal) : manifest_(manifest), refusal_(refusal) {}

    bool ReadPackage(pugi::xml_node package);

private:
    bool ReadEntry(pugi::xml_node node);
    bool AddPath(std::wstring_view path, bool isFile);
    bool CheckFoldersAndFiles();
    bool CheckMain();

    PackageManifest& manifest_;
    PackageRefusal& refusal_;
    std::set<std::wstring> keys_;
    std::set<std::wstring> fileKeys_;
};

bool ManifestReader::ReadPackage(pugi::xml_node package) {
    if (!OnlyAttributes(package, {L"product", L"version", L"main", L"machine"})) {
        return Refuse(refusal_, L"", "an unknown attribute of <package>");
    }
    manifest_.product = package.attribute(L"product").value();
    manifest_.version = package.attribute(L"version").value();
    manifest_.main = package.attribute(L"main").value();
    manifest_.machine = package.attribute(L"machine").value();
    if (manifest_.product.empty() || manifest_.version.empty()) {
        return Refuse(refusal_, L"", "no product or version");
    }
    if (MachineOfName(manifest_.machine) == 0) return Refuse(refusal_, L"", "an unknown machine");
    for (pugi::xml_node child : package.children()) {
        if (child.type() == pugi::node_element && !ReadEntry(child)) return false;
        if (child.type() == pugi::node_pcdata || child.type() == pugi::node_cdata) {
            const std::wstring_view text = child.value();
            if (text.find_first_not_of(L" \t\r\n") != std::wstring_view::npos) {
                return Refuse(refusal_, L"", "text inside <package>");
            }
        }
    }
    return CheckFoldersAndFiles() && CheckMain();
}

bool ManifestReader::ReadEntry(pugi::xml_node node) {
    const std::wstring path = node.attribute(L"path").value();
    if (XmlIs(node, kPackageNamespace, L"dir")) {
        if (!OnlyAttributes(node, {L"path"})) return Refuse(refusal_, path, "an unknown attribute of <dir>");
        if (!AddPath(path, false)) return false;
        manifest_.dirs.push_back(path);
        return true;
    }
    if (!XmlIs(node, kPackageNamespace, L"file")) return Refuse(refusal_, node.name(), "an unknown element");
    if (!OnlyAttributes(node, {L"path", L"size", L"sha256"})) {
        return Refuse(refusal_, path, "an unknown attribute of <file>");
    }
    PackageFile file;
    file.path = path;
    if (!ParseSize(node.attribute(L"size").value(), file.size)) return Refuse(refusal_, path, "a malformed size");
    if (!ParseHexDigest(Utf8(node.attribute(L"sha256").value()), file.sha256)) {
        return Refuse(refusal_, path, "a malformed SHA-256");
    }
    if (!AddPath(path, true)) return false;
    manifest_.files.push_back(file);
    return true;
}

bool ManifestReader::AddPath(std::wstring_view path, bool isFile) {
    const PathRule rule = CheckPackagePath(path);
    if (rule != PathRule::Ok) return Refuse(refusal_, path, PathRuleText(rule));
    if (SamePathIgnoringCase(path, kManifestName)) return Refuse(refusal_, path, "the manifest's own name");
    const std::wstring key = PathKey(path);
    if (!keys_.insert(key).second) return Refuse(refusal_, path, "two paths equal ignoring case");
    if (isFile) fileKeys_.insert(key);
    return true;
}

// A listed file may not stand where another path needs a folder ("a" and "a/b").
bool ManifestReader::CheckFoldersAndFiles() {
    for (const std::wstring& key : keys_) {
        for (size_t slash = key.find(L'/'); slash != std::wstring::npos; slash = key.find(L'/', slash + 1)) {
            if (fileKeys_.count(key.substr(0, slash)) != 0) {
                return Refuse(refusal_, key.substr(0, slash), "a file where a folder is needed");
            }
        }
    }
    return true;
}

// The launcher starts "<release>\<Main>.exe" and the recovery entry names the release's own
// updater: both must be files at the top of the release.
bool ManifestReader::CheckMain() {
    const std::wstring& main = manifest_.main;
    const bool exe = main.size() > 4 && SamePathIgnoringCase(main.substr(main.size() - 4), L".exe");
    if (!exe || main.find(L'/') != std::wstring::npos || manifest_.FileAt(main) == nullptr) {
        return Refuse(refusal_, main, "the main program is not an .exe listed at the top of the release");
    }
    if (SamePathIgnoringCase(main, kReleaseUpdaterName)) return Refuse(refusal_, main, "the main program is the updater");
    if (manifest_.FileAt(kReleaseUpdaterName) == nullptr) {
        return Refuse(refusal_, kReleaseUpdaterName, "the release carries no updater");
    }
    return true;
}

}  // namespace

const PackageFile* PackageManifest::FileAt(std::wstring_view path) const {
    for (const PackageFile& file : files) {
        if (SamePathIgnoringCase(file.path, path)) return &file;
    }
    return nullptr;
}

uint16_t MachineOfName(std::wstring_view name) {
    if (name == L"x86") return IMAGE_FILE_MACHINE_I386;
    if (name == L"x64") return IMAGE_FILE_MACHINE_AMD64;
    if (name == L"arm64") return 0xAA64;  // IMAGE_FILE_MACHINE_ARM64
    return 0;
}

bool ParsePackageManifest(std::string_view xml, PackageManifest& manifest, PackageRefusal& refusal) {
    manifest = PackageManifest();
    pugi::xml_document document;
    if (!document.load_buffer(xml.data(), xml.size(), pugi::parse_default, pugi::encoding_utf8)) {
        return Refuse(refusal, L"", "not well-formed XML");
    }
    const pugi::xml_node package = document.document_element();
    if (!XmlIs(package, kPackageNamespace, L"package")) {
        return Refuse(refusal, L"", "no <package> in namespace urn:updater:package:1");
    }
    ManifestReader reader(manifest, refusal);
    return reader.ReadPackage(package);
}

bool VerifyPackageManifest(std::string_view whole, const std::vector<Ed25519Key>& keys, PackageManifest& manifest,
                           PackageRefusal& refusal, int* keyIndex) {
    std::string_view signedBytes;
    const FeedSignatureStatus status = VerifySignedFeed(whole, keys, signedBytes, keyIndex);
    if (status != FeedSignatureStatus::Verified) {
        return Refuse(refusal, kManifestName, FeedSignatureStatusText(status));
    }
    return ParsePackageManifest(signedBytes, manifest, refusal);
}
