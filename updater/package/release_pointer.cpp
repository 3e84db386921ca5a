#include "updater/package/release_pointer.h"

#include "updater/feed/version_compare.h"
#include "updater/package/package_path.h"
#include "updater/update_log.h"

namespace {

std::string_view TakeLine(std::string_view& text) {
    const size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return line;
}

}  // namespace

bool IsReleaseFolderName(std::wstring_view name) {
    const std::wstring_view prefix = kReleasePrefix;
    return name.size() > prefix.size() && name.substr(0, prefix.size()) == prefix &&
           name.find(L'/') == std::wstring_view::npos && CheckPackagePath(name) == PathRule::Ok;
}

std::wstring ReleaseFolderName(std::wstring_view version) {
    return kReleasePrefix + std::wstring(version);
}

std::wstring ReleaseVersionOf(std::wstring_view folderName) {
    if (!IsReleaseFolderName(folderName)) return {};
    return std::wstring(folderName.substr(std::wstring_view(kReleasePrefix).size()));
}

bool ParseReleasePointer(std::string_view text, ReleasePointer& pointer) {
    const std::string_view name = TakeLine(text);
    const std::string_view digest = TakeLine(text);
    if (!text.empty()) return false;
    pointer.folder = FromUtf8(std::string(name));
    return IsReleaseFolderName(pointer.folder) && ParseHexDigest(digest, pointer.manifestSha256);
}

std::string FormatReleasePointer(const ReleasePointer& pointer) {
    return Utf8(pointer.folder) + "\r\n" + HexDigest(pointer.manifestSha256) + "\r\n";
}

std::wstring HighestRelease(const std::vector<std::wstring>& names) {
    std::wstring best;
    for (const std::wstring& name : names) {
        if (!IsReleaseFolderName(name)) continue;
        if (best.empty() || CompareVersions(ReleaseVersionOf(name), ReleaseVersionOf(best)) > 0) best = name;
    }
    return best;
}
