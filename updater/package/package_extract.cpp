#include "updater/package/package_extract.h"

#include <minizip/unzip.h>

#include <map>
#include <set>

#include "updater/package/package_path.h"
#include "updater/package/zip_file_io.h"
#include "updater/paths.h"
#include "updater/test_hooks.h"
#include "updater/update_log.h"
#include "ui/util/unique_handle.h"

namespace {

constexpr unsigned kChunk = 64 * 1024;
constexpr unsigned long kZipUtf8Flag = 1u << 11;
constexpr unsigned long kDosReadOnly = 0x01;

bool Refuse(PackageRefusal& refusal, const std::wstring& path, const std::string& rule) {
    refusal.path = path;
    refusal.rule = rule;
    return false;
}

// Closes the archive whatever way the extraction ends.
class ZipReader {
public:
    explicit ZipReader(const std::wstring& path) {
        zlib_filefunc64_def table;
        FillSharedReadFunctions(&table);
        zip_ = unzOpen2_64(path.c_str(), &table);
    }
    ~ZipReader() {
        if (zip_ != nullptr) unzClose(zip_);
    }
    ZipReader(const ZipReader&) = delete;
    ZipReader& operator=(const ZipReader&) = delete;
    unzFile get() const { return zip_; }

private:
    unzFile zip_ = nullptr;
};

struct EntryInfo {
    std::wstring name;
    uint64_t size = 0;
    bool readOnly = false;
};

// The current entry's name (UTF-8 when the archive says so, else plain ASCII only: the old
// code page of a zip would read differently on each machine) and what the writer needs.
bool CurrentEntry(unzFile zip, EntryInfo& entry) {
    char name[2048];
    unz_file_info64 info;
    if (unzGetCurrentFileInfo64(zip, &info, name, sizeof name, nullptr, 0, nullptr, 0) != UNZ_OK ||
        info.size_filename >= sizeof name) {
        return false;
    }
    const std::string bytes(name, info.size_filename);
    if ((info.flag & kZipUtf8Flag) == 0) {
        for (unsigned char ch : bytes) {
            if (ch >= 0x80) return false;
        }
    }
    entry.name = FromUtf8(bytes);
    entry.size = info.uncompressed_size;
    entry.readOnly = (info.external_fa & kDosReadOnly) != 0;
    return !entry.name.empty() || bytes.empty();
}

bool Fail(std::string& rule, const char* text) {
    rule = text;
    return false;
}

// The open entry is closed on every way out; minizip compares the CRC only there.
class OpenEntry {
public:
    explicit OpenEntry(unzFile zip) : zip_(zip), open_(unzOpenCurrentFile(zip) == UNZ_OK) {}
    ~OpenEntry() {
        if (open_) unzCloseCurrentFile(zip_);
    }
    OpenEntry(const OpenEntry&) = delete;
    OpenEntry& operator=(const OpenEntry&) = delete;
    bool IsOpen() const { return open_; }
    bool CloseChecked() {
        open_ = false;
        return unzCloseCurrentFile(zip_) == UNZ_OK;
    }

private:
    unzFile zip_;
    bool open_;
};

// Streams the current entry into `file`, hashing as it goes; stops as soon as it grows past
// `expected.size`, so a lying entry cannot fill the disk. Without a file the entry is only
// checked: a file staged from elsewhere still has its entry vouched for, so that a damaged
// package is refused whole whatever the live release holds.
bool StreamEntry(unzFile zip, HANDLE file, const PackageFile& expected, std::string& rule) {
    OpenEntry entry(zip);
    if (!entry.IsOpen()) return Fail(rule, "an entry that cannot be read");
    std::vector<unsigned char> buffer(kChunk);
    Sha256 hash;
    uint64_t total = 0;
    for (int got; (got = unzReadCurrentFile(zip, buffer.data(), kChunk)) != 0;) {
        if (got < 0) return Fail(rule, "a damaged entry");
        total += static_cast<unsigned>(got);
        if (total > expected.size) return Fail(rule, "a size that differs");
        hash.Update(buffer.data(), static_cast<unsigned>(got));
        DWORD written = 0;
        if (file != nullptr && (!WriteFile(file, buffer.data(), static_cast<DWORD>(got), &written, nullptr) ||
                                written != static_cast<DWORD>(got))) {
            return Fail(rule, "a file that cannot be written");
        }
    }
    if (!entry.CloseChecked()) return Fail(rule, "a damaged entry (checksum)");
    if (total != expected.size) return Fail(rule, "a size that differs");
    Sha256Digest digest;
    if (!hash.Finish(digest) || digest != expected.sha256) return Fail(rule, "a SHA-256 that differs");
    if (file != nullptr && !FlushFileBuffers(file)) return Fail(rule, "a file that cannot be flushed");
    return true;
}

bool WriteEntry(unzFile zip, const std::wstring& folder, const PackageFile& expected, bool readOnly,
                std::string& rule) {
    if (!CreateFoldersAlong(folder, expected.path)) return Fail(rule, "a folder that cannot be made");
    const std::wstring path = ReleasePath(folder, expected.path);
    {
        UniqueHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                                      nullptr));
        if (!file) return Fail(rule, "a file that cannot be created");
        if (!StreamEntry(zip, file.Get(), expected, rule)) return false;
    }
    if (readOnly && !SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY)) {
        return Fail(rule, "a read-only mark that cannot be set");
    }
    return true;
}

bool WriteWhole(const std::wstring& path, const std::string& bytes) {
    UniqueHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    return file && WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size() && FlushFileBuffers(file.Get());
}

// Walks the entries after the manifest.
class Extraction {
public:
    Extraction(unzFile zip, const PackageManifest& manifest, const std::wstring& folder, PackageRefusal& refusal,
               const std::vector<std::wstring>& staged)
        : zip_(zip), manifest_(manifest), folder_(folder), refusal_(refusal) {
        for (const PackageFile& file : manifest.files) files_[PathKey(file.path)] = &file;
        for (const std::wstring& dir : manifest.dirs) dirs_.insert(PathKey(dir));
        for (const std::wstring& path : staged) staged_.insert(PathKey(path));
    }

    bool Run() {
        for (int rc = unzGoToNextFile(zip_); rc != UNZ_END_OF_LIST_OF_FILE; rc = unzGoToNextFile(zip_)) {
            if (rc != UNZ_OK) return Refuse(refusal_, L"", "a damaged archive");
            if (!Entry()) return false;
        }
        for (const PackageFile& file : manifest_.files) {
            if (written_.count(PathKey(file.path)) == 0) return Refuse(refusal_, file.path, "a listed file is missing");
        }
        for (const std::wstring& dir : manifest_.dirs) {
            if (!CreateFoldersAlong(folder_, dir + L"/")) return Refuse(refusal_, dir, "a folder that cannot be made");
        }
        return true;
    }

private:
    bool Entry() {
        EntryInfo entry;
        if (!CurrentEntry(zip_, entry)) return Refuse(refusal_, L"", "an entry name that cannot be read");
        const bool folder = !entry.name.empty() && entry.name.back() == L'/';
        const std::wstring path = folder ? entry.name.substr(0, entry.name.size() - 1) : entry.name;
        const PathRule rule = CheckPackagePath(path);
        if (rule != PathRule::Ok) return Refuse(refusal_, entry.name, PathRuleText(rule));
        const std::wstring key = PathKey(path);
        if (folder) return FolderEntry(key, path);
        const auto listed = files_.find(key);
        if (listed == files_.end()) return Refuse(refusal_, entry.name, "a path the manifest does not list");
        if (!written_.insert(key).second) return Refuse(refusal_, entry.name, "a path the archive holds twice");
        std::string why;
        const bool ok = staged_.count(key) != 0 ? StreamEntry(zip_, nullptr, *listed->second, why)
                                                : WriteEntry(zip_, folder_, *listed->second, entry.readOnly, why);
        if (!ok) return Refuse(refusal_, entry.name, why);
        CutHereIfTestAsks("unpacked");
        return true;
    }

    // A folder entry is only a listed empty folder or one on the way to a listed path.
    bool FolderEntry(const std::wstring& key, const std::wstring& path) {
        bool listed = dirs_.count(key) != 0;
        const std::wstring prefix = key + L"/";
        for (auto it = files_.lower_bound(prefix); !listed && it != files_.end(); ++it) {
            listed = it->first.compare(0, prefix.size(), prefix) == 0;
            if (!listed) break;
        }
        if (!listed) return Refuse(refusal_, path + L"/", "a path the manifest does not list");
        return CreateFoldersAlong(folder_, path + L"/") || Refuse(refusal_, path, "a folder that cannot be made");
    }

    unzFile zip_;
    const PackageManifest& manifest_;
    const std::wstring& folder_;
    PackageRefusal& refusal_;
    std::map<std::wstring, const PackageFile*> files_;
    std::set<std::wstring> dirs_;
    std::set<std::wstring> written_;
    std::set<std::wstring> staged_;
};

}  // namespace

std::wstring ReleasePath(const std::wstring& folder, const std::wstring& relativePath) {
    std::wstring path = folder;
    if (!path.empty() && path.back() != L'\\') path += L'\\';
    for (wchar_t ch : relativePath) path += ch == L'/' ? L'\\' : ch;
    return LongPathForm(path);
}

bool CreateFoldersAlong(const std::wstring& folder, const std::wstring& relativePath) {
    for (size_t slash = relativePath.find(L'/'); slash != std::wstring::npos;
         slash = relativePath.find(L'/', slash + 1)) {
        const std::wstring path = ReleasePath(folder, relativePath.substr(0, slash));
        if (!CreateDirectoryW(path.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) return false;
    }
    return true;
}

bool ReadPackageManifest(const std::wstring& zipPath, const std::vector<Ed25519Key>& keys, std::string& bytes,
                         PackageManifest& manifest, PackageRefusal& refusal) {
    ZipReader zip(zipPath);
    if (zip.get() == nullptr) return Refuse(refusal, zipPath, "not a zip archive");
    EntryInfo first;
    if (unzGoToFirstFile(zip.get()) != UNZ_OK || !CurrentEntry(zip.get(), first) || first.name != kManifestName) {
        return Refuse(refusal, kManifestName, "the manifest is not the first entry");
    }
    if (first.size > kManifestLimitBytes) return Refuse(refusal, kManifestName, "a manifest too large");
    bytes.assign(static_cast<size_t>(first.size), '\0');
    bool whole = false;
    {
        OpenEntry entry(zip.get());
        const int got = !entry.IsOpen() || bytes.empty()
                            ? 0
                            : unzReadCurrentFile(zip.get(), &bytes[0], static_cast<unsigned>(bytes.size()));
        char extra;
        whole = entry.IsOpen() && got == static_cast<int>(bytes.size()) &&
                unzReadCurrentFile(zip.get(), &extra, 1) == 0 && entry.CloseChecked();
    }
    if (!whole) return Refuse(refusal, kManifestName, "a damaged manifest entry");
    return VerifyPackageManifest(bytes, keys, manifest, refusal);
}

bool ExtractPackage(const std::wstring& zipPath, const PackageManifest& manifest, const std::string& manifestBytes,
                    const std::wstring& releaseFolder, PackageRefusal& refusal, const std::vector<std::wstring>& staged) {
    ZipReader zip(zipPath);
    if (zip.get() == nullptr || unzGoToFirstFile(zip.get()) != UNZ_OK) {
        return Refuse(refusal, zipPath, "not a zip archive");
    }
    Extraction extraction(zip.get(), manifest, releaseFolder, refusal, staged);
    if (!extraction.Run()) return false;
    if (!WriteWhole(ReleasePath(releaseFolder, kManifestName), manifestBytes)) {
        return Refuse(refusal, kManifestName, "the manifest cannot be written");
    }
    return true;
}
