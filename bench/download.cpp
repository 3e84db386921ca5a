// Download throughput and memory: the updater's transfer path against curl.exe built from the same
// libcurl, both fetching the same generated files from one loopback server, each in its own process
// so their peak working sets can be compared.
//
//   bench_download.exe [path\to\curl.exe]
//   bench_download.exe --publisher      (only the publisher check's cost)
//
// Over plain HTTP and over HTTPS (a TLS front from the test support, with a test authority that
// is trusted in the prefix while the benchmark runs), the cost of the optional hash check, and
// the cost of the publisher check on large signed programs.
//
// The updater path runs exactly as in the program: DownloadToFile on a worker thread, progress
// posted to a window whose thread pumps messages.

// Winsock must come before windows.h.
#include "tests/support/http_server.h"

#include <psapi.h>
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cwchar>
#include <functional>
#include <string>
#include <thread>

#include "tests/support/code_signing.h"
#include "tests/support/process.h"
#include "tests/support/tls_server.h"
#include "updater/trust/authenticode_check.h"
#include "updater/delivery/download.h"
#include "updater/delivery/integrity.h"
#include "updater/paths.h"
#include "updater/trust/publisher_pin.h"
#include "updater/delivery/tls_verify.h"
#include "updater/delivery/trusted_roots_preload.h"
#include "bench/bench_clock.h"

#include <curl/curl.h>

namespace {

constexpr long long kMiB = 1024 * 1024;

// How long a fresh updater.exe takes from its entry point to its first paint, where its transfer
// starts (bench_cold_start; rounded down). Over HTTPS the child waits that long before its timed
// transfer, so that the early load of the trusted roots has the head start it has in the program.
constexpr DWORD kEntryToFirstPaintMs = 150;

enum class ChildStart { Plain, LikeUpdaterWithoutPreload, LikeUpdater };

// The child side of a measurement: one download through the updater's own path.
int RunUpdaterTransfer(const std::wstring& url, const std::wstring& path, ChildStart how) {
    if (how == ChildStart::LikeUpdater) StartTrustedRootsPreload(url);
    if (how != ChildStart::Plain) Sleep(kEntryToFirstPaintMs);
    HWND window = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    // Timed like curl's own time_total: the transfer, not the library's global start-up.
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    bool succeeded = false;
    std::atomic<bool> done(false);
    std::thread worker([&] {
        curl_global_init(CURL_GLOBAL_ALL);
        CURL* curl = curl_easy_init();
        QueryPerformanceCounter(&start);
        succeeded = DownloadToFile(curl, window, ToAnsi(url), path);
        QueryPerformanceCounter(&end);
        curl_easy_cleanup(curl);
        curl_global_cleanup();
        done = true;
        PostMessageW(window, WM_NULL, 0, 0);
    });
    MSG msg;
    while (!done) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    }
    worker.join();
    DestroyWindow(window);
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    std::printf("%.6f %lu\n",
                static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart),
                static_cast<unsigned long>(counters.PeakWorkingSetSize));
    std::fflush(stdout);
    return succeeded ? 0 : 1;
}

// The child side of the verification figure: the updater's check of one server certificate, the
// first time in a fresh process (as every update pays it) and once more in the same process.
int RunVerification(const std::wstring& certificatePath) {
    PCCERT_CONTEXT certificate = nullptr;
    if (!CryptQueryObject(CERT_QUERY_OBJECT_FILE, certificatePath.c_str(), CERT_QUERY_CONTENT_FLAG_CERT,
                          CERT_QUERY_FORMAT_FLAG_ALL, 0, nullptr, nullptr, nullptr, nullptr, nullptr,
                          reinterpret_cast<const void**>(&certificate))) {
        return 1;
    }
    double ms[3] = {};
    DWORD errors[3] = {};
    // The trusted roots alone first: under Wine, opening them reads the host's certificates.
    LARGE_INTEGER opening;
    QueryPerformanceCounter(&opening);
    HCERTSTORE roots = CertOpenSystemStoreW(0, L"ROOT");
    if (roots != nullptr) CertCloseStore(roots, 0);
    ms[0] = MillisecondsSince(opening);
    for (int i = 1; i < 3; ++i) {
        LARGE_INTEGER start;
        QueryPerformanceCounter(&start);
        errors[i] = CheckServerCertificate(certificate, L"localhost");
        ms[i] = MillisecondsSince(start);
    }
    CertFreeCertificateContext(certificate);
    std::printf("%.6f %.6f %.6f\n", ms[0] / 1000, ms[1] / 1000, ms[2] / 1000);
    std::fflush(stdout);
    return roots != nullptr && errors[1] == 0 && errors[2] == 0 ? 0 : 1;
}

struct Measurement {
    bool ok = false;
    double seconds = 0;
    double peakMiB = 0;
};

// Runs a program, capturing what it prints; returns its exit code (-1 when it cannot start).
long RunCapturing(const std::wstring& exe, const std::wstring& arguments, std::string& printed,
                  SIZE_T& peakWorkingSet) {
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) return -1;
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    std::wstring commandLine = Quoted(exe) + L" " + arguments;
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd;
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION info = {};
    const BOOL started = CreateProcessW(exe.c_str(), &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr,
                                        nullptr, &startup, &info);
    CloseHandle(writeEnd);
    if (!started) {
        CloseHandle(readEnd);
        return -1;
    }
    // The output is a single short line, so the pipe never fills while the process runs; its peak
    // working set is sampled while it runs because Wine may no longer report it once it has ended.
    peakWorkingSet = 0;
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    while (WaitForSingleObject(info.hProcess, 10) == WAIT_TIMEOUT) {
        if (GetProcessMemoryInfo(info.hProcess, &counters, sizeof counters)) {
            peakWorkingSet = std::max(peakWorkingSet, counters.PeakWorkingSetSize);
        }
    }
    if (GetProcessMemoryInfo(info.hProcess, &counters, sizeof counters)) {
        peakWorkingSet = std::max(peakWorkingSet, counters.PeakWorkingSetSize);
    }
    char buffer[512];
    DWORD got = 0;
    while (ReadFile(readEnd, buffer, sizeof buffer, &got, nullptr) && got > 0) printed.append(buffer, got);
    CloseHandle(readEnd);
    DWORD code = 1;
    GetExitCodeProcess(info.hProcess, &code);
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    return static_cast<long>(code);
}

long long FileSize(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return -1;
    return (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// Both programs print "<transfer seconds> [<peak working set bytes>]" themselves, so process
// start-up under Wine is not counted as transfer time.
Measurement Measure(const std::wstring& exe, const std::wstring& arguments, const std::wstring& output,
                    long long expectedBytes) {
    Measurement m;
    DeleteFileW(output.c_str());
    std::string printed;
    SIZE_T peak = 0;
    const long code = RunCapturing(exe, arguments, printed, peak);
    unsigned long reportedPeak = 0;
    const int fields = std::sscanf(printed.c_str(), "%lf %lu", &m.seconds, &reportedPeak);
    m.ok = code == 0 && fields >= 1 && m.seconds > 0 && FileSize(output) == expectedBytes;
    m.peakMiB = static_cast<double>(fields == 2 ? reportedPeak : peak) / kMiB;
    DeleteFileW(output.c_str());
    return m;
}

constexpr int kRounds = 5;

Measurement Median(Measurement (&runs)[kRounds]) {
    std::sort(runs, runs + kRounds,
              [](const Measurement& a, const Measurement& b) { return a.seconds < b.seconds; });
    Measurement median = runs[kRounds / 2];
    for (const Measurement& run : runs) {
        median.ok = median.ok && run.ok;
        median.peakMiB = std::max(median.peakMiB, run.peakMiB);
    }
    return median;
}

void Report(const wchar_t* who, long long bytes, const Measurement& m) {
    std::wprintf(L"  %-8ls %s  %8.1f MiB/s  peak working set %7.2f MiB\n", who, m.ok ? "ok  " : "FAIL",
                 m.ok ? static_cast<double>(bytes) / kMiB / m.seconds : 0.0, m.peakMiB);
}

std::wstring Wide(const std::string& ascii) {
    return std::wstring(ascii.begin(), ascii.end());
}

// Wine shows the Unix file system as drive Z:.
std::wstring WindowsPathOf(const std::wstring& unixPath) {
    std::wstring path = L"Z:" + unixPath;
    std::replace(path.begin(), path.end(), L'/', L'\\');
    return path;
}

// curl.exe from the dependency cache.
std::wstring DefaultCurlExe() {
    wchar_t cache[MAX_PATH] = {};
    if (GetEnvironmentVariableW(L"UPDATER_DEPS_CACHE", cache, MAX_PATH) == 0) {
        wcscpy(cache, L"/var/cache/updater-deps");
    }
    return WindowsPathOf(std::wstring(cache) + L"/curl/bin/curl.exe");
}

// Updater and curl.exe over the same URLs; returns the updater's median seconds for the last size.
// `childStart` goes to the updater's child ("" for a plain start); `sizeCount` 1 measures 16 MiB only.
double CompareTransfers(const wchar_t* label, const std::wstring& curlExe, const std::wstring& curlOptions,
                        TestHttpServer& server, const std::function<std::wstring(const std::string&)>& urlOf,
                        double (&peaks)[2][2], const std::wstring& childStart = L"", int sizeCount = 2) {
    const std::wstring self = ProgramFolder() + L"bench_download.exe";
    const std::wstring output = TempFolder() + L"bench-download.bin";
    double lastSeconds = 0;
    const long long sizes[] = {16 * kMiB, 256 * kMiB};
    for (int i = 0; i < sizeCount; ++i) {
        const long long bytes = sizes[i];
        HttpResponse response;
        response.generatedBytes = bytes;
        response.pieceBytes = 256 * 1024;
        const std::string route = "/file-" + std::to_string(bytes / kMiB);
        server.Route(route, response);
        const std::wstring url = urlOf(route);

        std::wprintf(L"%ls, %lld MiB (median of %d alternating runs):\n", label, bytes / kMiB, kRounds);
        Measurement updaterRuns[kRounds], curlRuns[kRounds];
        for (int round = 0; round < kRounds; ++round) {
            updaterRuns[round] =
                Measure(self, L"--transfer " + Quoted(url) + L" " + Quoted(output) + childStart, output, bytes);
            curlRuns[round] = Measure(
                curlExe, L"-s " + curlOptions + L"-w %{time_total} -o " + Quoted(output) + L" " + Quoted(url),
                output, bytes);
        }
        const Measurement updater = Median(updaterRuns);
        const Measurement curl = Median(curlRuns);
        Report(L"updater", bytes, updater);
        Report(L"curl.exe", bytes, curl);
        if (updater.ok && curl.ok) {
            std::wprintf(L"  throughput ratio updater/curl: %.3f (goal >= 0.95)\n",
                         curl.seconds / updater.seconds);
        }
        peaks[i][0] = updater.peakMiB;
        peaks[i][1] = curl.peakMiB;
        lastSeconds = updater.ok ? updater.seconds / (static_cast<double>(bytes) / kMiB) : 0;
    }
    return lastSeconds;
}

// What the updater's check of one connection's certificate costs: chain, host name and
// revocation (the list fetched from the loopback server), first and repeated in one process.
void ReportVerificationCost(const std::wstring& certificatePath) {
    const std::wstring self = ProgramFolder() + L"bench_download.exe";
    double figures[3][kRounds] = {};
    bool ok = true;
    for (int round = 0; round < kRounds; ++round) {
        std::string printed;
        SIZE_T peak = 0;
        ok = RunCapturing(self, L"--verify " + Quoted(certificatePath), printed, peak) == 0 &&
             std::sscanf(printed.c_str(), "%lf %lf %lf", &figures[0][round], &figures[1][round],
                         &figures[2][round]) == 3 &&
             ok;
    }
    double median[3] = {};
    for (int i = 0; i < 3; ++i) {
        std::sort(figures[i], figures[i] + kRounds);
        median[i] = 1000 * figures[i][kRounds / 2];
    }
    std::wprintf(
        L"certificate check per connection (updater, median of %d processes): %s opening the trusted "
        L"roots %.1f ms, then first check %.1f ms, again in the same process %.1f ms\n",
        kRounds, ok ? "ok  " : "FAIL", median[0], median[1], median[2]);
}

// Milliseconds the platform's SHA-256 takes per MiB (median of 5 runs over 64 MiB in memory).
double HashMsPerMiB() {
    const std::string data(64 * kMiB, '\x5a');
    double runs[kRounds];
    for (double& run : runs) {
        LARGE_INTEGER frequency, start, end;
        QueryPerformanceFrequency(&frequency);
        QueryPerformanceCounter(&start);
        Sha256 hasher;
        hasher.Update(data.data(), data.size());
        Sha256Digest digest = {};
        hasher.Finish(digest);
        QueryPerformanceCounter(&end);
        run = 1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) /
              static_cast<double>(frequency.QuadPart) / 64;
    }
    std::sort(runs, runs + kRounds);
    return runs[kRounds / 2];
}

// The sample host grown to `mib` MiB by data after its sections, as large programs carry.
std::wstring GrownProgram(const std::wstring& folder, int mib) {
    std::string program = ReadWholeFile(ProgramFolder() + L"host_app_new.exe");
    program.resize(static_cast<size_t>(mib * kMiB), '\x5a');
    const std::wstring path = folder + std::to_wstring(mib) + L"mib.exe";
    return WriteWholeFile(path, program) ? path : std::wstring();
}

// Milliseconds of the updater's own check and of WinVerifyTrust on one signed file (medians).
void PublisherCheckMs(const std::wstring& path, double& ownMs, double& windowsMs) {
    double own[kRounds], windows[kRounds];
    for (int round = 0; round < kRounds; ++round) {
        UniqueHandle file(
            CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
        LARGE_INTEGER start;
        QueryPerformanceCounter(&start);
        const bool trusted = CheckFileSignature(file.Get(), ExpiredSigner::NeedsTimestamp).verdict ==
                             SignatureVerdict::Trusted;
        own[round] = trusted ? MillisecondsSince(start) : -1;
        QueryPerformanceCounter(&start);
        const bool windowsTrusts = WindowsTrustVerdict(file.Get(), path) == ERROR_SUCCESS;
        windows[round] = windowsTrusts ? MillisecondsSince(start) : -1;
    }
    std::sort(own, own + kRounds);
    std::sort(windows, windows + kRounds);
    ownMs = own[kRounds / 2];
    windowsMs = windows[kRounds / 2];
}

// The publisher check on signed programs of 10 and 100 MiB, against a transfer at 10 MiB/s.
void ReportPublisherCheckCost() {
    ScratchFolder folder(L"bench-signed");
    const std::wstring small = GrownProgram(folder.Path(), 10), large = GrownProgram(folder.Path(), 100);
    // Every kind of signature is made of the "new" program: the small one.
    TestSignedPrograms programs(large, small);
    if (!programs.Ready()) {
        std::wprintf(L"publisher check: the signed programs could not be made\n");
        return;
    }
    std::wprintf(L"publisher check: each pass over a file is bound by SHA-256 (%.2f ms per MiB here)\n",
                 HashMsPerMiB());
    for (const auto& sized : {std::make_pair(10, L"new-a.exe"), std::make_pair(100, L"old-a.exe")}) {
        double ownMs = 0, windowsMs = 0;
        PublisherCheckMs(programs.Path(sized.second), ownMs, windowsMs);
        const double transferMs = sized.first * 100.0;  // at 10 MiB/s
        const double wholeMs = 2 * ownMs + windowsMs;
        std::wprintf(
            L"publisher check, signed %3d MiB (median of %d): updater's own %s %7.1f ms = %.1f%% of the "
            L"transfer at 10 MiB/s (goal < 10%%); WinVerifyTrust %7.1f ms; the whole rule with an installed "
            L"program of the same size %7.1f ms = %.1f%%\n",
            sized.first, kRounds, ownMs >= 0 && windowsMs >= 0 ? "ok  " : "FAIL", ownMs,
            100.0 * ownMs / transferMs, windowsMs, wholeMs, 100.0 * wholeMs / transferMs);
    }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if ((argc == 4 || argc == 5) && std::wcscmp(argv[1], L"--transfer") == 0) {
        const ChildStart how = argc == 4                                ? ChildStart::Plain
                               : std::wcscmp(argv[4], L"--no-preload") == 0 ? ChildStart::LikeUpdaterWithoutPreload
                                                                          : ChildStart::LikeUpdater;
        return RunUpdaterTransfer(argv[2], argv[3], how);
    }
    if (argc == 3 && std::wcscmp(argv[1], L"--verify") == 0) return RunVerification(argv[2]);
    if (argc == 2 && std::wcscmp(argv[1], L"--publisher") == 0) {
        ReportPublisherCheckCost();
        return 0;
    }

    const std::wstring curlExe = argc > 1 ? argv[1] : DefaultCurlExe();
    TestHttpServer server;
    if (!server.Started()) return 2;

    std::wprintf(L"download over 127.0.0.1: updater transfer path vs curl.exe (same libcurl)\n");
    double peaks[2][2] = {};
    const double httpSecondsPerMiB = CompareTransfers(
        L"HTTP", curlExe, L"", server, [&](const std::string& route) { return server.WideUrl(route); },
        peaks);
    std::wprintf(
        L"peak working set growth 16 MiB -> 256 MiB: updater %+.2f MiB, curl.exe %+.2f MiB (goal < 1)\n",
        peaks[1][0] - peaks[0][0], peaks[1][1] - peaks[0][1]);

    TestAuthority authority(server.Url("/ca.crl"));
    server.Route("/ca.crl", HttpResponse::Ok(authority.RevocationList()));
    TestTlsServer tls(authority, server.Port(), {"good"});
    if (authority.Ready() && tls.Started()) {
        ReportVerificationCost(WindowsPathOf(Wide(authority.UnixPath("good.pem"))));
        const auto tlsUrl = [&](const std::string& route) { return tls.WideUrl("good", route); };
        // The updater's side starts as updater.exe does: the trusted roots load from its entry on,
        // and its transfer begins at the first paint. The same start without that early load shows
        // what it gains.
        CompareTransfers(L"HTTPS, curl.exe as is (under Wine its Schannel checks no certificate)", curlExe,
                         L"", server, tlsUrl, peaks, L" --like-updater");
        CompareTransfers(L"HTTPS, curl.exe as is, the updater without the early load of the trusted roots",
                         curlExe, L"", server, tlsUrl, peaks, L" --no-preload", 1);
        // Given the authority, libcurl checks chain, host name and revocation itself, as Schannel
        // does for curl.exe on Windows: both sides then pay the same per-connection check.
        const std::wstring verifying = L"--ssl-revoke-best-effort --cacert " +
                                       Quoted(WindowsPathOf(Wide(authority.UnixPath("ca.pem")))) + L" ";
        CompareTransfers(L"HTTPS, curl.exe checking the certificate too", curlExe, verifying, server, tlsUrl,
                         peaks);
    } else {
        std::wprintf(L"HTTPS: the test authority or the TLS front could not be started\n");
    }

    const double hashMs = HashMsPerMiB();
    std::wprintf(L"hash check (SHA-256 through CNG): %.2f ms per MiB", hashMs);
    if (httpSecondsPerMiB > 0) {
        std::wprintf(L", %.1f%% of the HTTP transfer's %.2f ms per MiB at 256 MiB",
                     100.0 * hashMs / (httpSecondsPerMiB * 1000), httpSecondsPerMiB * 1000);
    }
    std::wprintf(L"\n");
    ReportPublisherCheckCost();
    return 0;
}
