// The install-side cost of a whole-folder release against a single-file one, on the same
// 100 MiB: a package of 400 files (three folder levels, half of each file compressible) unpacked
// from its zip into a new release folder (manifest check, streaming inflate, SHA-256 while
// writing, a flush per file), and staged again beside an unchanged live release (every file a
// hard link once its content is hashed); against the single-file installation's two copies of
// one 100 MiB program (the staged copy and the backup, each hashed and flushed). The transfer
// itself is left out: the package travels compressed and is the smaller download. Median of 3;
// prints the ratio of the unpacking to the single-file copies (goal for the whole update <= 1.3).

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "bench/bench_clock.h"
#include "feed_signing.h"
#include "release_folder.h"
#include "tests/support/process.h"
#include "updater/package/package_extract.h"
#include "updater/package/release_files.h"
#include "updater/package/release_plan.h"
#include "updater/update_log.h"
#include "package_content.h"
#include "zip_writer.h"

namespace {

constexpr int kFiles = 400;
constexpr size_t kFileBytes = 256 * 1024;  // 400 of them: 100 MiB
constexpr int kRuns = 3;

std::string Content(uint32_t seed) {
    return PackageFileContent(seed, kFileBytes);
}

std::wstring FileName(int i) {
    if (i == 0) return L"App.exe";
    if (i == 1) return L"updater.exe";
    return L"lib\\part" + std::to_wstring(i % 4) + L"\\data" + std::to_wstring(i % 3) + L"\\file" + std::to_wstring(i) +
           L".bin";
}

bool MakePackage(const std::wstring& source, const std::wstring& zipPath, std::string& manifest) {
    CreateDirectoryW(source.c_str(), nullptr);
    for (int i = 0; i < kFiles; ++i) {
        const std::wstring name = FileName(i);
        std::wstring relative = name;
        std::replace(relative.begin(), relative.end(), L'\\', L'/');
        if (!CreateFoldersAlong(source, relative) || !WriteWholeFile(source + L"\\" + name, Content(i))) return false;
    }
    FolderListing listing;
    std::string error;
    if (!ListReleaseFolder(source, listing, error)) return false;
    PackageManifest header;
    header.product = L"Bench";
    header.version = L"2.0";
    header.main = L"App.exe";
    header.machine = L"x86";
    const std::string xml = ManifestXmlFor(header, listing);
    Ed25519Seed seed;
    seed.fill(9);
    manifest = xml + SignatureComment(seed, xml);
    ZipWriter zip;
    if (!zip.Create(zipPath) || !zip.AddBytes(".upd-manifest", manifest)) return false;
    for (const FolderFile& file : listing.files) {
        if (!zip.AddFile(Utf8(file.file.path), file.source, false)) return false;
    }
    return zip.Finish();
}

void RemoveTree(const std::wstring& folder) {
    for (const std::wstring& path : FilesBelow(folder)) DeleteFileW(ReleasePath(folder, path).c_str());
    for (int pass = 0; pass < 3; ++pass) {  // the folders, deepest first over three levels
        for (int i = 2; i < kFiles; ++i) {
            std::wstring name = FileName(i);
            for (int up = 0; up <= pass; ++up) name = name.substr(0, name.rfind(L'\\'));
            RemoveDirectoryW((folder + L"\\" + name).c_str());
        }
    }
    RemoveDirectoryW(folder.c_str());
}

bool CopyHashed(const std::wstring& from, const std::wstring& to) {
    UniqueHandle in(CreateFileW(from.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    UniqueHandle out(CreateFileW(to.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    std::unique_ptr<char[]> buffer(new char[256 * 1024]);
    Sha256 hash;
    DWORD got = 1, written = 0;
    while (in && out && got > 0 && ReadFile(in.Get(), buffer.get(), 256 * 1024, &got, nullptr)) {
        hash.Update(buffer.get(), got);
        WriteFile(out.Get(), buffer.get(), got, &written, nullptr);
    }
    Sha256Digest digest;
    return in && out && hash.Finish(digest) && FlushFileBuffers(out.Get());
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int wmain() {
    ScratchFolder scratch(L"bench-unpack");
    const std::wstring root = scratch.Path(), zipPath = root + L"package.zip";
    std::string manifestBytes;
    if (!MakePackage(root + L"source", zipPath, manifestBytes)) {
        std::printf("cannot make the package in %ls\n", root.c_str());
        return 1;
    }
    std::string big;
    for (int i = 0; i < kFiles; ++i) big += Content(i);
    WriteWholeFile(root + L"single.exe", big);
    big.clear();
    std::vector<double> unpack, relink, single;
    for (int run = 0; run < kRuns; ++run) {
        const std::wstring live = root + L"app-2.0", next = root + L"app-2.1";
        LARGE_INTEGER start;
        QueryPerformanceCounter(&start);
        std::string bytes;
        PackageManifest manifest;
        PackageRefusal refusal;
        CreateDirectoryW(live.c_str(), nullptr);
        if (!ReadPackageManifest(zipPath, {PublicKeyOf([] { Ed25519Seed s; s.fill(9); return s; }())}, bytes, manifest,
                                 refusal) ||
            !ExtractPackage(zipPath, manifest, bytes, live, refusal)) {
            std::printf("unpacking failed: %ls: %s\n", refusal.path.c_str(), refusal.rule.c_str());
            return 1;
        }
        unpack.push_back(MillisecondsSince(start));
        QueryPerformanceCounter(&start);
        CreateDirectoryW(next.c_str(), nullptr);
        const std::vector<std::wstring> same = UnchangedFiles(manifest, manifest);
        const std::vector<std::wstring> left = LinkUnchanged(live, next, manifest, same);
        relink.push_back(left.empty() ? MillisecondsSince(start) : -1);
        QueryPerformanceCounter(&start);
        const bool copied = CopyHashed(root + L"single.exe", root + L"single.upd-new") &&
                            CopyHashed(root + L"single.exe", root + L"single.upd-old");
        single.push_back(copied ? MillisecondsSince(start) : -1);
        RemoveTree(live);
        RemoveTree(next);
        DeleteFileW((root + L"single.upd-new").c_str());
        DeleteFileW((root + L"single.upd-old").c_str());
    }
    LARGE_INTEGER size;
    UniqueHandle zip(CreateFileW(zipPath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    GetFileSizeEx(zip.Get(), &size);
    std::printf("package: %d files, 100 MiB, zip %.1f MiB\n", kFiles, static_cast<double>(size.QuadPart) / 1048576.0);
    std::printf("unpack into a new release folder:    %8.1f ms (median of %d)\n", Median(unpack), kRuns);
    std::printf("stage an unchanged release as links: %8.1f ms\n", Median(relink));
    std::printf("single file, staged copy and backup: %8.1f ms\n", Median(single));
    std::printf("ratio unpack / single file %.2f (goal for the whole update <= 1.3)\n", Median(unpack) / Median(single));
    return 0;
}
