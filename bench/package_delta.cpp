// What a delta release saves: a pair of 40-file releases (two builds of the sample host program,
// the same updater.exe and about 10 MiB of fixed resources, two of which change a little) made
// into packages and a delta through the vendor tool's own code, then the sizes side by side and
// the time to apply the delta to the live release (every base file checked, every new file
// hashed) against unpacking the full package. Median of 3.

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "bench/bench_clock.h"
#include "delta_command.h"
#include "feed_signing.h"
#include "release_folder.h"
#include "tests/support/process.h"
#include "updater/package/delta_apply.h"
#include "updater/package/package_extract.h"
#include "updater/package/release_files.h"
#include "updater/update_log.h"
#include "zip_writer.h"

namespace {

constexpr int kResources = 38;
constexpr size_t kResourceBytes = 270 * 1024;  // 38 of them: about 10 MiB
constexpr int kRuns = 3;

Ed25519Seed Seed() {
    Ed25519Seed seed;
    seed.fill(7);
    return seed;
}

// Half noise, half text-like runs: resources compress to about half.
std::string Resource(uint32_t seed) {
    std::string bytes(kResourceBytes, '\0');
    uint32_t x = seed * 2654435761u + 1;
    for (size_t i = 0; i < bytes.size(); ++i) {
        x ^= x << 13, x ^= x >> 17, x ^= x << 5;
        bytes[i] = (i / 4096) % 2 == 0 ? static_cast<char>(x) : static_cast<char>('a' + (i * 7 + seed) % 26);
    }
    return bytes;
}

bool WriteRelease(const std::wstring& folder, const std::wstring& program, bool changed) {
    CreateDirectoryW(folder.c_str(), nullptr);
    CreateDirectoryW((folder + L"\\res").c_str(), nullptr);
    if (!CopyFileW((ProgramFolder() + program).c_str(), (folder + L"\\App.exe").c_str(), FALSE) ||
        !CopyFileW((ProgramFolder() + L"updater.exe").c_str(), (folder + L"\\updater.exe").c_str(), FALSE)) {
        return false;
    }
    for (int i = 0; i < kResources; ++i) {
        std::string bytes = Resource(static_cast<uint32_t>(i));
        if (changed && (i == 5 || i == 20)) bytes.replace(1000 + i, 40, std::string(40, 'X'));
        if (!WriteWholeFile(folder + L"\\res\\r" + std::to_wstring(i) + L".pak", bytes)) return false;
    }
    return true;
}

bool Pack(const std::wstring& folder, const std::wstring& version, const std::wstring& zipPath) {
    FolderListing listing;
    std::string error;
    if (!ListReleaseFolder(folder, listing, error)) return false;
    PackageManifest header;
    header.product = L"Bench";
    header.version = version;
    header.main = L"App.exe";
    header.machine = L"x86";
    const std::string xml = ManifestXmlFor(header, listing);
    const std::string manifest = xml + SignatureComment(Seed(), xml);
    ZipWriter zip;
    if (!zip.Create(zipPath) || !zip.AddBytes(".upd-manifest", manifest)) return false;
    for (const FolderFile& file : listing.files) {
        if (!zip.AddFile(Utf8(file.file.path), file.source, false)) return false;
    }
    return zip.Finish();
}

void RemoveTree(const std::wstring& folder) {
    CleanUpPlan plan;
    plan.remove = FilesBelow(folder);
    RemoveReleaseFiles(folder, plan);
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

Sha256Digest DigestOf(const std::string& bytes) {
    Sha256Digest digest{};
    Sha256Of(bytes, digest);
    return digest;
}

bool Unpack(const std::wstring& zip, const std::wstring& folder, PackageManifest& manifest, std::string& bytes) {
    PackageRefusal refusal;
    CreateDirectoryW(folder.c_str(), nullptr);
    return ReadPackageManifest(zip, {PublicKeyOf(Seed())}, bytes, manifest, refusal) &&
           ExtractPackage(zip, manifest, bytes, folder, refusal);
}

}  // namespace

int wmain() {
    ScratchFolder scratch(L"bench-delta");
    const std::wstring root = scratch.Path();
    if (!WriteRelease(root + L"v1", L"host_app_v1.exe", false) || !WriteRelease(root + L"v2", L"host_app_v2.exe", true) ||
        !Pack(root + L"v1", L"1.0", root + L"App-1.0.zip") || !Pack(root + L"v2", L"2.0", root + L"App-2.0.zip")) {
        std::printf("cannot make the release pair in %ls\n", root.c_str());
        return 1;
    }
    LARGE_INTEGER start;
    QueryPerformanceCounter(&start);
    DeltaResult made;
    std::string error;
    if (!MakeDelta({root + L"App-1.0.zip", root + L"App-2.0.zip", root.substr(0, root.size() - 1)}, Seed(), made, error)) {
        std::printf("delta failed: %s\n", error.c_str());
        return 1;
    }
    const double makeMs = MillisecondsSince(start);
    std::vector<double> apply, full;
    for (int run = 0; run < kRuns; ++run) {
        PackageManifest live, next;
        std::string liveBytes, nextBytes;
        if (!Unpack(root + L"App-1.0.zip", root + L"app-1.0", live, liveBytes)) return 1;
        QueryPerformanceCounter(&start);
        CreateDirectoryW((root + L"app-2.0").c_str(), nullptr);
        DeltaOutcome outcome;
        const DeltaApplication application{made.delta, root + L"app-1.0", &live, DigestOf(liveBytes),
                                           {PublicKeyOf(Seed())}, root + L"app-2.0"};
        if (!ApplyDelta(application, outcome)) {
            std::printf("apply failed: %ls: %s\n", outcome.refusal.path.c_str(), outcome.refusal.rule.c_str());
            return 1;
        }
        apply.push_back(MillisecondsSince(start));
        QueryPerformanceCounter(&start);
        if (!Unpack(root + L"App-2.0.zip", root + L"full-2.0", next, nextBytes)) return 1;
        full.push_back(MillisecondsSince(start));
        for (const wchar_t* folder : {L"app-1.0", L"app-2.0", L"full-2.0"}) RemoveTree(root + folder);
    }
    std::printf("release pair: 40 files (host program v1/v2, updater.exe, %d resources of %zu KiB), 3 changed\n",
                kResources, kResourceBytes / 1024);
    std::printf("full package:  %10llu bytes\n", static_cast<unsigned long long>(made.fullBytes));
    std::printf("delta:         %10llu bytes = %.2f%% of the full package (goal <= 10%%)%s\n",
                static_cast<unsigned long long>(made.deltaBytes), 100.0 * made.deltaBytes / made.fullBytes,
                made.written ? "" : " (over 50%: not written)");
    std::printf("make the delta (level 19, long mode): %8.1f ms\n", makeMs);
    std::printf("apply the delta to the live release:  %8.1f ms (median of %d)\n", Median(apply), kRuns);
    std::printf("unpack the full package instead:      %8.1f ms\n", Median(full));
    return 0;
}
