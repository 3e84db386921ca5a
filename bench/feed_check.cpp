// What a check costs the host at its start: a fresh `updater.exe --check` against an up-to-date
// signed feed of 200 items over HTTPS (the tests' TLS front on 127.0.0.1), whole process from
// creation to its exit with 0, against the two-argument start of the same program (creation to
// the end of its first complete paint, as bench_cold_start measures it). Median of 9 alternating
// runs after one discarded pair; prints the ratio (goal within 1.2). Beside it, curl.exe (the same
// libcurl, Schannel) fetches the same feed from the same server, whole process, alternating with
// the check: the goal is the check (fetch, verify, choose, nothing newer) within 1.2x of that fetch.
//
// The feed is signed here with libsodium from the sample host's test key (tests/feed), so the
// benchmark needs no tool of its own; the test authority is trusted in this prefix only while it runs.

// The loopback server brings winsock2.h, which must precede windows.h.
#include "tests/support/http_server.h"

#include <sodium.h>
#include <windows.h>

#include <algorithm>
#include <memory>
#include <cstdio>
#include <string>
#include <vector>

#include "tests/feed/feed_rig.h"
#include "tests/support/process.h"
#include "tests/support/tls_server.h"
#include "updater/first_paint.h"
#include "updater/paths.h"
#include "updater/trust/ed25519.h"
#include "bench/bench_clock.h"

namespace {

constexpr int kRuns = 9;
constexpr int kItems = 200;
constexpr DWORD kSettleMs = 3000;

// The seed of an Ed25519 private key in openssl's PEM: the last 32 bytes of its PKCS#8 form.
bool SeedFromPem(const std::string& pem, unsigned char (&seed)[32]) {
    std::string base64;
    for (size_t at = 0, end = 0; at < pem.size(); at = end + 1) {
        end = pem.find('\n', at);
        if (end == std::string::npos) end = pem.size();
        const std::string line = pem.substr(at, end - at);
        if (line.compare(0, 5, "-----") != 0) base64 += line;
    }
    std::vector<std::uint8_t> der;
    if (!Base64Decode(base64, der) || der.size() < 32) return false;
    std::copy(der.end() - 32, der.end(), seed);
    return true;
}

// 200 items, none newer than the sample host's 1.0.0, signed in the signed-appcast form.
std::string SignedFeed(const std::string& enclosureUrl, const unsigned char (&seed)[32]) {
    std::string text =
        "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<rss version=\"2.0\" "
        "xmlns:sparkle=\"http://www.andymatuschak.org/xml-namespaces/sparkle\" xmlns:upd=\"urn:updater:feed:1\">\n"
        "<channel><title>Feed Test Host</title><upd:serial>1</upd:serial>\n";
    for (int i = 1; i <= kItems; ++i) {
        const std::string version = "0." + std::to_string(i / 100) + "." + std::to_string(i % 100);
        text += "<item><title>Version " + version + "</title><sparkle:version>" + version +
                "</sparkle:version><pubDate>Mon, 07 Dec 2026 10:00:00 +0000</pubDate><description><![CDATA[<h2>" +
                version + "</h2><ul><li>Faster start</li><li>Fixes</li></ul>]]></description><enclosure url=\"" +
                enclosureUrl + "\" length=\"815530\" type=\"application/octet-stream\" sparkle:edSignature=\"" +
                std::string(86, 'A') + "==\"/></item>\n";
    }
    text += "</channel></rss>\n";
    unsigned char publicKey[32], secretKey[64], signature[64];
    crypto_sign_ed25519_seed_keypair(publicKey, secretKey, seed);
    crypto_sign_ed25519_detached(signature, nullptr, reinterpret_cast<const unsigned char*>(text.data()), text.size(),
                                 secretKey);
    return text + "<!-- sparkle-signatures:\nedSignature: " + Base64Encode(signature, 64) +
           "\nlength: " + std::to_string(text.size()) + "\n-->\n";
}

// Creation of a fresh updater.exe to its exit (the check), or to its first complete paint (the
// two-argument start); -1 when it did not get there within 30 s.
double RunOnce(const std::wstring& arguments, bool toFirstPaint, int serial) {
    wchar_t name[96];
    swprintf(name, 96, L"Local\\bench-feed-check-%lu-%d", GetCurrentProcessId(), serial);
    UniqueHandle event(CreateEventW(nullptr, TRUE, FALSE, name));
    SetEnvironmentVariableW(kFirstPaintEventVariable, name);
    RegDeleteKeyValueW(HKEY_CURRENT_USER, kStateKey, L"LastCheckTime");  // every run really checks
    LARGE_INTEGER start;
    QueryPerformanceCounter(&start);
    ChildProcess child;
    double elapsed = -1;
    if (child.Start(ProgramFolder() + L"updater.exe", arguments)) {
        if (toFirstPaint ? WaitForSingleObject(event.Get(), 30000) == WAIT_OBJECT_0 : child.Wait(30000) == 0) {
            elapsed = MillisecondsSince(start);
        }
    }
    child.Terminate();
    SetEnvironmentVariableW(kFirstPaintEventVariable, nullptr);
    Sleep(kSettleMs);
    return elapsed;
}

// A fresh curl.exe fetching `url` to nothing, creation to its exit with 0; -1 otherwise.
double RunCurlOnce(const std::wstring& url) {
    LARGE_INTEGER start;
    QueryPerformanceCounter(&start);
    ChildProcess child;
    double elapsed = -1;
    if (child.Start(CURL_EXE_PATH, L"-s -f -o NUL " + url) && child.Wait(30000) == 0) elapsed = MillisecondsSince(start);
    child.Terminate();
    Sleep(kSettleMs);
    return elapsed;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int wmain() {
    unsigned char seed[32];
    if (sodium_init() < 0 || !SeedFromPem(ReadWholeFile(L"Z:" TESTS_SOURCE_DIR L"/vendor_key.pem"), seed)) {
        std::printf("FAIL: the test key cannot be read\n");
        return 1;
    }
    TestHttpServer server;
    std::unique_ptr<TestAuthority> authority(new TestAuthority(server.Url("/ca.crl")));
    TestTlsServer tls(*authority, server.Port(), {"good"});
    if (!server.Started() || !authority->Ready() || !tls.Started()) {
        std::printf("FAIL: no HTTPS server\n");
        return 1;
    }
    server.Route("/ca.crl", HttpResponse::Ok(authority->RevocationList()));
    const std::string feed = SignedFeed(tls.Url("good", "/app.exe"), seed);
    server.Route("/appcast.xml", HttpResponse::Ok(feed));
    HttpResponse held = HttpResponse::Ok(std::string(1 << 20, 'x'));
    held.holdBody = true;
    server.Route("/held.exe", held);
    ScratchFolder folder(L"bench-feed-check");
    const std::wstring program = folder.Path() + L"app.exe";
    WriteWholeFile(program, ReadWholeFile(ProgramFolder() + L"host_app_v1.exe"));
    const std::wstring check = L"--check " + tls.WideUrl("good", "/appcast.xml") + L" " + Quoted(program);
    const std::wstring update = Quoted(server.WideUrl("/held.exe")) + L" " + Quoted(folder.Path() + L"other.exe");

    std::vector<double> checks, starts, curls;
    RunOnce(check, false, 0);  // the first of each is not counted
    RunOnce(update, true, 1);
    RunCurlOnce(tls.WideUrl("good", "/appcast.xml"));
    for (int run = 0; run < kRuns; ++run) {
        // Rotated, so none of the three gets the quieter moments.
        for (int turn = 0; turn < 3; ++turn) {
            const int which = (run + turn) % 3;
            if (which == 0) checks.push_back(RunOnce(check, false, 2 + 2 * run));
            if (which == 1) starts.push_back(RunOnce(update, true, 3 + 2 * run));
            if (which == 2) curls.push_back(RunCurlOnce(tls.WideUrl("good", "/appcast.xml")));
        }
    }
    ClearFeedState();
    DeleteFileW(TempDownloadPath(folder.Path() + L"other.exe").c_str());
    const std::string root = ReadWholeFile(L"Z:" + OpensslSigner::Wide(authority->UnixPath("ca.der")));
    authority.reset();
    Distrust(root);
    const auto allRan = [](const std::vector<double>& values) {
        return std::all_of(values.begin(), values.end(), [](double v) { return v > 0; });
    };
    const bool ok = allRan(checks) && allRan(starts);
    const double checkMedian = Median(checks), startMedian = Median(starts);
    std::printf("feed of %d items, %u bytes; whole process, median of %d alternating runs:\n", kItems,
                static_cast<unsigned>(feed.size()), kRuns);
    std::printf("  %s --check, up to date (to exit 0)          %7.1f ms (%.1f-%.1f)\n", ok ? "ok  " : "FAIL", checkMedian,
                *std::min_element(checks.begin(), checks.end()), *std::max_element(checks.begin(), checks.end()));
    std::printf("       two-argument start (to first paint)  %7.1f ms (%.1f-%.1f)\n", startMedian,
                *std::min_element(starts.begin(), starts.end()), *std::max_element(starts.begin(), starts.end()));
    std::printf("  ratio %.2f (goal within 1.2)\n", checkMedian / startMedian);
    const double curlMedian = Median(curls);
    std::printf("  %s curl.exe fetch of the same feed (to exit) %7.1f ms (%.1f-%.1f)\n", allRan(curls) ? "ok  " : "FAIL",
                curlMedian, *std::min_element(curls.begin(), curls.end()), *std::max_element(curls.begin(), curls.end()));
    std::printf("  check / curl.exe ratio %.2f (goal within 1.2)\n", checkMedian / curlMedian);
    return ok ? 0 : 1;
}
