#include "release_folder.h"

#include <windows.h>

#include <algorithm>
#include <memory>

#include "updater/install/file_fingerprint.h"
#include "updater/paths.h"
#include "updater/update_log.h"
#include "ui/util/unique_handle.h"

namespace {

bool Fail(std::string& error, const std::string& text) {
    error = text;
    return false;
}

// Paths sort by their "/" text so that two runs over one folder make the same package.
bool Walk(const std::wstring& root, const std::wstring& relative, FolderListing& listing, std::string& error) {
    WIN32_FIND_DATAW data;
    const std::wstring folder = root + (relative.empty() ? L"" : relative + L"\\");
    UniqueFindHandle find(FindFirstFileW(LongPathForm(folder + L"*").c_str(), &data));
    if (!find) return Fail(error, "cannot list " + Utf8(folder));
    bool empty = true;
    do {
        const std::wstring name = data.cFileName;
        if (name == L"." || name == L"..") continue;
        empty = false;
        const std::wstring path = relative.empty() ? name : relative + L"/" + name;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (!Walk(root, path, listing, error)) return false;
            continue;
        }
        FolderFile file;
        file.file.path = path;
        file.source = LongPathForm(folder + name);
        file.readOnly = (data.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0;
        FileFingerprint fingerprint;
        if (!FingerprintOf(file.source, fingerprint)) return Fail(error, "cannot read " + Utf8(folder + name));
        file.file.size = fingerprint.size;
        file.file.sha256 = fingerprint.sha256;
        listing.files.push_back(file);
    } while (FindNextFileW(find.Get(), &data));
    if (empty && !relative.empty()) listing.emptyDirs.push_back(relative);
    return true;
}

std::string Escaped(const std::wstring& text) {
    std::string out;
    for (char ch : Utf8(text)) {
        switch (ch) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            default: out += ch;
        }
    }
    return out;
}

}  // namespace

bool ListReleaseFolder(const std::wstring& folder, FolderListing& listing, std::string& error) {
    std::wstring root = folder;
    if (!root.empty() && root.back() != L'\\' && root.back() != L'/') root += L'\\';
    if (!Walk(root, L"", listing, error)) return false;
    std::sort(listing.files.begin(), listing.files.end(),
              [](const FolderFile& a, const FolderFile& b) { return a.file.path < b.file.path; });
    std::sort(listing.emptyDirs.begin(), listing.emptyDirs.end());
    return true;
}

std::string ManifestXmlFor(const PackageManifest& header, const FolderListing& listing) {
    std::string xml = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<package xmlns=\"urn:updater:package:1\" product=\"" +
                      Escaped(header.product) + "\" version=\"" + Escaped(header.version) + "\" main=\"" +
                      Escaped(header.main) + "\" machine=\"" + Escaped(header.machine) + "\">\n";
    for (const FolderFile& each : listing.files) {
        xml += "  <file path=\"" + Escaped(each.file.path) + "\" size=\"" + std::to_string(each.file.size) +
               "\" sha256=\"" + HexDigest(each.file.sha256) + "\"/>\n";
    }
    for (const std::wstring& dir : listing.emptyDirs) xml += "  <dir path=\"" + Escaped(dir) + "\"/>\n";
    return xml + "</package>\n";
}
