// The whole update of a whole-folder release against a single-file one, end to end: the real
// updater.exe in its two-argument form, from a loopback server, until the new program runs. A
// 400-file, 100 MiB package (three folder levels, every file changed) over an installed release
// of the same shape, against a single-file update of one 100 MiB program. Each run is timed from
// the updater's start to the first moment a process runs the new release's main program (the
// package) or the replaced program file (the single file). Median of 3; prints the ratio (goal
// <= 1.3).

// Winsock must come before windows.h.
#include "tests/support/http_server.h"

#include <windows.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "bench/bench_clock.h"
#include "feed_signing.h"
#include "release_folder.h"
#include "signing_key.h"
#include "tests/support/process.h"
#include "updater/install/process_holders.h"
#include "updater/package/package_extract.h"
#include "updater/package/release_pointer.h"
#include "updater/paths.h"
#include "updater/update_log.h"
#include "package_content.h"
#include "zip_writer.h"

namespace {

constexpr int kFiles = 400;
constexpr size_t kFileBytes = 256 * 1024;  // 398 of them beside the two programs: about 100 MiB
constexpr int kRuns = 3;

std::string Content(uint32_t seed) {
    return PackageFileContent(seed, kFileBytes);
}

std::wstring FileName(int i) {
    return L"lib/part" + std::to_wstring(i % 4) + L"/data" + std::to_wstring(i % 3) + L"/file" + std::to_wstring(i) +
           L".bin";
}

// A release folder: the sample host of `host` as App.exe, an updater, and the data files.
bool WriteRelease(const std::wstring& folder, const wchar_t* host, uint32_t salt) {
    CreateDirectoryW(folder.c_str(), nullptr);
    if (!CopyFileW((ProgramFolder() + host).c_str(), (folder + L"\\App.exe").c_str(), FALSE) ||
        !WriteWholeFile(folder + L"\\updater.exe", "MZ the release's updater"))
        return false;
    for (int i = 2; i < kFiles; ++i) {
        if (!CreateFoldersAlong(folder, FileName(i)) || !WriteWholeFile(ReleasePath(folder, FileName(i)), Content(i + salt)))
            return false;
    }
    return true;
}

std::string SignedManifest(const std::wstring& folder, const wchar_t* version, const Ed25519Seed& seed,
                           FolderListing& listing) {
    std::string error;
    if (!ListReleaseFolder(folder, listing, error)) return std::string();
    PackageManifest header;
    header.product = L"Feed Test Host";
    header.version = version;
    header.main = L"App.exe";
    header.machine = L"x86";
    const std::string xml = ManifestXmlFor(header, listing);
    return xml + SignatureComment(seed, xml);
}

// Installs release 1.0.0 under `root` and returns the 2.0.0 package's bytes.
bool Prepare(const std::wstring& root, const Ed25519Seed& seed, std::string& package) {
    const std::wstring live = root + L"\\app-1.0.0", source = root + L"-source";
    FolderListing listing;
    std::string manifest;
    CreateDirectoryW(root.c_str(), nullptr);
    if (!WriteRelease(live, L"host_app_v1.exe", 0) ||
        (manifest = SignedManifest(live, L"1.0.0", seed, listing)).empty() ||
        !WriteWholeFile(live + L"\\.upd-manifest", manifest) ||
        !CopyFileW((ProgramFolder() + L"launcher.exe").c_str(), (root + L"\\App.exe").c_str(), FALSE))
        return false;
    ReleasePointer pointer{L"app-1.0.0", {}};
    Sha256 hash;
    hash.Update(manifest.data(), manifest.size());
    hash.Finish(pointer.manifestSha256);
    listing = FolderListing();
    if (!WriteWholeFile(root + L"\\current", FormatReleasePointer(pointer)) ||
        !WriteRelease(source, L"host_app_v2.exe", 7) ||
        (manifest = SignedManifest(source, L"2.0.0", seed, listing)).empty())
        return false;
    ZipWriter zip;
    if (!zip.Create(root + L"-package.zip") || !zip.AddBytes(".upd-manifest", manifest)) return false;
    for (const FolderFile& file : listing.files) {
        if (!zip.AddFile(Utf8(file.file.path), file.source, false)) return false;
    }
    package = zip.Finish() ? ReadWholeFile(root + L"-package.zip") : std::string();
    return !package.empty();
}

// The processes running the program file at `path`; ended when `end`.
bool ProgramRuns(const std::wstring& path, bool end = false) {
    UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof entry;
    bool found = false;
    for (BOOL more = snapshot && Process32FirstW(snapshot.Get(), &entry); more;
         more = Process32NextW(snapshot.Get(), &entry)) {
        UniqueHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | PROCESS_TERMINATE, FALSE,
                                         entry.th32ProcessID));
        const std::wstring image = ImagePathOf(process.Get());
        if (image.empty() || CompareStringOrdinal(image.c_str(), -1, path.c_str(), -1, TRUE) != CSTR_EQUAL) continue;
        found = true;
        if (end) TerminateProcess(process.Get(), 0);
    }
    return found;
}

// Milliseconds from the updater's start to `program` running; -1 when it never did.
double TimeUpdate(const std::wstring& url, const std::wstring& target, const std::wstring& program) {
    LARGE_INTEGER start;
    QueryPerformanceCounter(&start);
    ChildProcess updater;
    if (!updater.Start(ProgramFolder() + L"updater.exe", Quoted(url) + L" " + Quoted(target))) return -1;
    double elapsed = -1;
    // An updater that ended without starting the program failed: the run gives no figure.
    while (elapsed < 0 && MillisecondsSince(start) < 300000) {
        const bool ended = !updater.Running();
        if (ProgramRuns(program)) elapsed = MillisecondsSince(start);
        if (ended) break;
        Sleep(5);
    }
    updater.Wait(60000);
    ProgramRuns(program, true);
    ProgramRuns(target, true);
    return elapsed;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int wmain() {
    Ed25519Seed seed{};
    if (!ParsePrivateKeyPem(ReadWholeFile(L"Z:" + FromUtf8(TESTS_SOURCE_DIR) + L"/vendor_key.pem"), seed)) {
        std::printf("cannot read the sample hosts' vendor key\n");
        return 1;
    }
    ShortenUpdaterPauses(100);
    TestHttpServer server;
    std::string program = ReadWholeFile(ProgramFolder() + L"host_app_v2.exe");
    for (int i = 0; i < kFiles; ++i) program += Content(i);  // an overlay: still the same program
    server.Route("/single.exe", HttpResponse::Ok(program));
    std::vector<double> package, single;
    for (int run = 0; run < kRuns; ++run) {
        ScratchFolder scratch(L"bench-package-update");
        const std::wstring root = scratch.Path() + L"root", target = scratch.Path() + L"App.exe";
        std::string zip;
        if (!Prepare(root, seed, zip)) {
            std::printf("cannot lay out the installation in %ls\n", scratch.Path().c_str());
            return 1;
        }
        server.Route("/app.zip", HttpResponse::Ok(zip));
        if (run == 0) std::printf("package: %d files, zip %.1f MiB\n", kFiles, zip.size() / 1048576.0);
        package.push_back(TimeUpdate(server.WideUrl("/app.zip"), root + L"\\App.exe", root + L"\\app-2.0.0\\App.exe"));
        CopyFileW((ProgramFolder() + L"host_app_v1.exe").c_str(), target.c_str(), FALSE);
        single.push_back(TimeUpdate(server.WideUrl("/single.exe"), target, target));
        std::printf("run %d: package %.1f ms, single file %.1f ms\n", run + 1, package.back(), single.back());
        DeleteFileW(TempDownloadPath(target).c_str());
    }
    std::printf("single program: %.1f MiB\n", program.size() / 1048576.0);
    std::printf("package update to the new release running: %8.1f ms (median of %d)\n", Median(package), kRuns);
    std::printf("single-file update to the new program running: %8.1f ms\n", Median(single));
    std::printf("ratio package / single file %.2f (goal <= 1.3)\n", Median(package) / Median(single));
    return 0;
}
