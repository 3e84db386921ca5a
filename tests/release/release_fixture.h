#pragma once
// Manifests and package zips for the whole-folder release tests: files given by path and
// content, signed through the vendor tool's own library with the fixed test keys.

#include <string>
#include <vector>

#include "tests/feedlogic/test_keys.h"
#include "tests/support/zip_builder.h"
#include "updater/files/sha256.h"

struct ReleaseFile {
    std::string path;
    std::string content;
};

inline std::string Sha256Hex(const std::string& bytes) {
    Sha256 hash;
    hash.Update(bytes.data(), bytes.size());
    Sha256Digest digest{};
    hash.Finish(digest);
    return HexDigest(digest);
}

// `extra` goes inside <package> after the file lines.
inline std::string ManifestXml(const std::vector<ReleaseFile>& files, const std::string& extra = "",
                               const std::string& main = "App.exe") {
    std::string xml = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<package xmlns=\"urn:updater:package:1\" "
                      "product=\"Sample\" version=\"2.0\" main=\"" + main + "\" machine=\"x86\">\n";
    for (const ReleaseFile& file : files) {
        xml += "  <file path=\"" + file.path + "\" size=\"" + std::to_string(file.content.size()) +
               "\" sha256=\"" + Sha256Hex(file.content) + "\"/>\n";
    }
    return xml + extra + "</package>\n";
}

inline std::vector<ReleaseFile> SmallRelease() {
    return {{"App.exe", "MZ main program"}, {"updater.exe", "MZ updater"}, {"lib/core.dll", std::string(70000, 'd')},
            {"lib/data/empty.bin", ""}};
}

// The package zip: the signed manifest first, then each file (or `entries` when given).
inline std::vector<uint8_t> PackageZip(const std::string& signedManifest, const std::vector<ReleaseFile>& files) {
    std::vector<ZipTestEntry> entries = {{".upd-manifest", signedManifest}};
    for (const ReleaseFile& file : files) entries.push_back({file.path, file.content});
    return BuildZip(entries);
}
