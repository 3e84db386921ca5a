// The real updater.exe over HTTPS, through proxies, with hash fragments and its log, against
// loopback servers only. Every failure case checks that the old program is untouched and that
// nothing was started.

// Winsock must come before windows.h.
#include "tests/support/http_server.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "client/updater_client.h"
#include "tests/support/process.h"
#include "tests/support/proxy_server.h"
#include "tests/support/tls_server.h"
#include "updater/delivery/integrity.h"
#include "updater/paths.h"
#include "updater/delivery/tls_verify.h"
#include "updater/install/window_record.h"

namespace {

constexpr DWORD kRunTimeoutMs = 60000;
const wchar_t kConnections[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\Connections";

std::string Sha256Of(const std::string& bytes) {
    Sha256 hasher;
    hasher.Update(bytes.data(), bytes.size());
    Sha256Digest digest = {};
    return hasher.Finish(digest) ? HexDigest(digest) : std::string();
}

std::wstring Wide(const std::string& text) {
    return std::wstring(text.begin(), text.end());
}

// The proxy of Internet Options, as the user's settings in this prefix hold it, for one scope.
class ScopedSystemProxy {
public:
    ScopedSystemProxy(const std::string& proxy, const std::string& bypass, const std::string& script = "") {
        std::string blob;
        AppendDword(blob, 0x46);  // the settings' version mark
        AppendDword(blob, 1);
        AppendDword(blob, script.empty() ? 1 | 2 : 1 | 4);  // direct, plus the named proxy or the script
        AppendText(blob, proxy);
        AppendText(blob, bypass);
        AppendText(blob, script);
        blob.append(32, '\0');
        HKEY key = nullptr;
        RegCreateKeyExW(HKEY_CURRENT_USER, kConnections, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                        nullptr);
        RegSetValueExW(key, L"DefaultConnectionSettings", 0, REG_BINARY,
                       reinterpret_cast<const BYTE*>(blob.data()), static_cast<DWORD>(blob.size()));
        RegCloseKey(key);
    }
    ~ScopedSystemProxy() {
        RegDeleteKeyValueW(HKEY_CURRENT_USER, kConnections, L"DefaultConnectionSettings");
    }
    ScopedSystemProxy(const ScopedSystemProxy&) = delete;
    ScopedSystemProxy& operator=(const ScopedSystemProxy&) = delete;

private:
    static void AppendDword(std::string& blob, DWORD value) {
        blob.append(reinterpret_cast<char*>(&value), 4);
    }
    static void AppendText(std::string& blob, const std::string& text) {
        AppendDword(blob, static_cast<DWORD>(text.size()));
        blob += text;
    }
};

class DeliveryProgramTest : public ::testing::Test {
protected:
    // Making the certificates costs seconds: once for the whole program.
    static void SetUpTestSuite() {
        server = new TestHttpServer();
        authority = new TestAuthority(server->Url("/ca.crl"));
        tls = new TestTlsServer(*authority, server->Port(),
                                {"good", "revoked", "offline", "wronghost", "unknown", "selfsigned",
                                 "wronghost-offline"});
    }
    static void TearDownTestSuite() {
        delete tls;
        delete authority;
        delete server;
    }

    void SetUp() override {
        ASSERT_TRUE(server->Started());
        ASSERT_TRUE(authority->Ready());
        ASSERT_TRUE(tls->Started());
        newProgram = ReadWholeFile(ProgramFolder() + L"host_app_new.exe");
        oldProgram = ReadWholeFile(ProgramFolder() + L"host_app_old.exe");
        server->Route("/new.exe", HttpResponse::Ok(newProgram));
        server->Route("/ca.crl", HttpResponse::Ok(authority->RevocationList()));
        SetEnvironmentVariableW(L"http_proxy", nullptr);
        SetEnvironmentVariableW(L"https_proxy", nullptr);
        ShortenUpdaterPauses(100);  // no case here watches the three-second close
        StartFreshUpdaterLog();
    }

    void TearDown() override {
        CloseRunningHost();
        for (const auto& target : targets) DeleteFileW(TempDownloadPath(target).c_str());
    }

    // A target holding the old program, in the scratch folder.
    std::wstring OldTarget(const std::wstring& name) {
        targets.push_back(folder + name);
        EXPECT_TRUE(WriteWholeFile(targets.back(), oldProgram));
        return targets.back();
    }

    // Runs the updater through the client helper; the log lines it wrote during the run.
    std::string Update(const std::wstring& url, const std::wstring& target,
                       const std::wstring& sha256 = L"") {
        const std::string before = ReadWholeFile(logPath);
        HANDLE process = nullptr;
        EXPECT_TRUE(updater_client::StartUpdater(updater, url, target, sha256, &process));
        EXPECT_EQ(WaitForSingleObject(process, kRunTimeoutMs), WAIT_OBJECT_0);
        CloseHandle(process);
        const std::string after = ReadWholeFile(logPath);
        return after.size() >= before.size() ? after.substr(before.size()) : after;
    }

    void ExpectInstalled(const std::wstring& target, const std::string& log) {
        EXPECT_TRUE(ReadWholeFile(target) == newProgram) << log;
        EXPECT_TRUE(WaitUntil(
            [&] { return ReadWholeFile(target + L".log").find("started new") != std::string::npos; }, 10000));
    }

    void ExpectUntouched(const std::wstring& target, const std::string& log) {
        EXPECT_TRUE(ReadWholeFile(target) == oldProgram) << log;
        EXPECT_FALSE(FileExists(target + L".log")) << log;  // nothing was started from it
    }

    static TestHttpServer* server;
    static TestAuthority* authority;
    static TestTlsServer* tls;
    ScratchFolder scratch{L"delivery"};
    const std::wstring folder = scratch.Path();
    const std::wstring updater = ProgramFolder() + L"updater.exe";
    const std::wstring logPath = TempFolder() + L"updater.log";
    std::vector<std::wstring> targets;
    std::string newProgram;
    std::string oldProgram;
};

TestHttpServer* DeliveryProgramTest::server = nullptr;
TestAuthority* DeliveryProgramTest::authority = nullptr;
TestTlsServer* DeliveryProgramTest::tls = nullptr;

}  // namespace

TEST_F(DeliveryProgramTest, TrustedHttpsWithMatchingHashInstallsAndLogsEveryStep) {
    const std::wstring target = OldTarget(L"https_good.exe");
    ChildProcess host;
    ASSERT_TRUE(host.Start(target, L""));
    ASSERT_TRUE(WaitUntil([] { return ReadWindowRecord(kHostRecordName) != nullptr; }, 10000));
    const std::string log = Update(tls->WideUrl("good", "/new.exe"), target, Wide(Sha256Of(newProgram)));
    ExpectInstalled(target, log);
    for (const char* line :
         {"start: url \"https://localhost:", "proxy: direct", "tls localhost: certificate trusted",
          "transfer: HTTP status 200", "hash: match", "0 redirects", "host: close request to window",
          "host: process ended", "replace: \"", "relaunch: started"}) {
        EXPECT_NE(log.find(line), std::string::npos) << line << "\n" << log;
    }
}

TEST_F(DeliveryProgramTest, RefusedCertificatesRedirectsAndHashesInstallNothing) {
    server->Route("/to-plain", HttpResponse::Redirect(302, server->Url("/new.exe")));
    const std::wstring wrongHash = Wide(std::string(64, 'a'));
    struct Case {
        const char* name;
        std::wstring url;
        std::wstring sha256;
        const char* logged;
        bool viaProxy;
    } cases[] = {
        {"self-signed", tls->WideUrl("selfsigned", "/new.exe"), L"",
         "certificate refused, error 0x800B0109 (untrusted root)", false},
        {"unknown authority", tls->WideUrl("unknown", "/new.exe"), L"",
         "certificate refused, error 0x800B010A (chain incomplete)", false},
        {"other host", tls->WideUrl("wronghost", "/new.exe"), L"",
         "certificate refused, error 0x800B010F (name does not match; the certificate names DNS:wrong-host.test, "
         "CN=wrong-host.test)",
         false},
        {"revoked", tls->WideUrl("revoked", "/new.exe"), L"", "certificate refused, error 0x80092010 (revoked)", false},
        {"other host, no revocation server", tls->WideUrl("wronghost-offline", "/new.exe"), L"",
         "certificate refused, error 0x800B010F (name does not match", false},

        {"downgrade", tls->WideUrl("good", "/to-plain"), L"", "curl result 1 ", false},
        {"proxy wants credentials", L"http://updates.example.test/new.exe", L"", "HTTP status 407", true},
        {"hash mismatch", server->WideUrl("/new.exe"), wrongHash, "hash: MISMATCH", false},
        {"malformed hash", server->WideUrl("/new.exe#sha256=xyz"), L"", "hash: malformed fragment", false},
    };
    TestProxyServer proxy(server->Port());
    proxy.RequireAuthentication(true);
    for (const Case& c : cases) {
        std::unique_ptr<ScopedSystemProxy> settings(c.viaProxy ? new ScopedSystemProxy(proxy.Address(), "")
                                                               : nullptr);
        const std::wstring target =
            OldTarget(Wide(c.name).substr(0, 4) + std::to_wstring(targets.size()) + L".exe");
        const std::string log = Update(c.url, target, c.sha256);
        ExpectUntouched(target, log);
        EXPECT_NE(log.find(c.logged), std::string::npos) << c.name << "\n" << log;
        // Nothing refused stays in the temporary folder, the received program after a mismatch neither.
        EXPECT_FALSE(FileExists(TempDownloadPath(target))) << c.name;
    }
}

// The whole check on each kind of certificate, revocation server reachable or not (revoked: above).
TEST_F(DeliveryProgramTest, EveryRefusalHoldsWhetherOrNotRevocationCanBeChecked) {
    // Wine's chain engine keeps the roots it first read for the life of a process, and an earlier
    // case (the publisher checks) may have read them before this suite trusted its authority.
    if (!IsSelfRun()) {
        EXPECT_EQ(RunCasesInFreshProcess(L"DeliveryProgramTest.EveryRefusalHoldsWhetherOrNotRevocationCanBeChecked"), 0);
        return;
    }
    const HRESULT refusals[] = {0, CERT_E_CN_NO_MATCH, CERT_E_CHAINING, CERT_E_EXPIRED, CERT_E_WRONG_USAGE};
    const char* kinds[] = {"good", "wronghost", "unknown", "expired", "clientonly"};
    for (int i = 0; i < 5; ++i) {
        for (const std::string& name : {std::string(kinds[i]), std::string(kinds[i]) + "-offline"}) {
            PCCERT_CONTEXT certificate = authority->Certificate(name == "good-offline" ? "offline" : name);
            ASSERT_NE(certificate, nullptr) << name;
            EXPECT_EQ(CheckServerCertificate(certificate, L"localhost"), static_cast<DWORD>(refusals[i])) << name;
            CertFreeCertificateContext(certificate);
        }
    }
}

TEST_F(DeliveryProgramTest, UnreachableRevocationServerAndUnwritableLogDoNotStopAnUpdate) {
    const std::wstring target = OldTarget(L"offline.exe");
    UniqueHandle lockedLog(CreateFileW(logPath.c_str(), GENERIC_READ, 0, nullptr, OPEN_ALWAYS, 0, nullptr));
    ASSERT_TRUE(lockedLog.Valid());
    Update(tls->WideUrl("offline", "/new.exe"), target);
    lockedLog.Reset();
    ExpectInstalled(target, "");
}

TEST_F(DeliveryProgramTest, SystemProxyCarriesTheUpdateUnlessTheHostIsBypassed) {
    TestProxyServer proxy(server->Port());
    ASSERT_TRUE(proxy.Started());
    ScopedSystemProxy settings(proxy.Address(), "*.internal.test;127.0.0.1");
    // Only the proxy knows this host: the update arrives through it or not at all.
    const std::wstring proxied = OldTarget(L"proxied.exe");
    std::string log = Update(L"http://updates.example.test/new.exe", proxied);
    ExpectInstalled(proxied, log);
    EXPECT_NE(log.find("proxy: http://" + proxy.Address() + " (manual)"), std::string::npos) << log;
    ASSERT_EQ(proxy.Requests().size(), 1u);
    EXPECT_EQ(proxy.Requests()[0], "GET http://updates.example.test/new.exe HTTP/1.1");
    CloseRunningHost();

    // HTTPS goes through a tunnel, and the certificate is still checked at its far end.
    const std::wstring tunnelled = OldTarget(L"tunnelled.exe");
    log = Update(tls->WideUrl("good", "/new.exe"), tunnelled);
    ExpectInstalled(tunnelled, log);
    EXPECT_NE(log.find("tls localhost: certificate trusted"), std::string::npos) << log;
    ASSERT_EQ(proxy.Requests().size(), 2u);
    EXPECT_EQ(proxy.Requests()[1].compare(0, 18, "CONNECT localhost:"), 0) << proxy.Requests()[1];
    CloseRunningHost();

    const std::wstring bypassed = OldTarget(L"bypassed.exe");
    log = Update(server->WideUrl("/new.exe"), bypassed);
    ExpectInstalled(bypassed, log);
    EXPECT_EQ(proxy.Requests().size(), 2u) << log;
}

TEST_F(DeliveryProgramTest, EnvironmentProxyWinsOverTheSystemProxy) {
    TestProxyServer systemProxy(server->Port());
    TestProxyServer environmentProxy(server->Port());
    ScopedSystemProxy settings(systemProxy.Address(), "");
    SetEnvironmentVariableW(L"http_proxy", Wide("http://" + environmentProxy.Address()).c_str());
    const std::wstring target = OldTarget(L"environment.exe");
    const std::string log = Update(L"http://updates.example.test/new.exe", target);
    ExpectInstalled(target, log);
    EXPECT_EQ(environmentProxy.Requests().size(), 1u) << log;
    EXPECT_TRUE(systemProxy.Requests().empty()) << log;
    EXPECT_NE(log.find("proxy: http://" + environmentProxy.Address() + " (environment)"), std::string::npos) << log;
}

TEST_F(DeliveryProgramTest, ProxyScriptChoosesTheProxy) {
    TestProxyServer proxy(server->Port());
    server->Route("/proxy.pac", HttpResponse::Ok("function FindProxyForURL(url, host) { return \"PROXY " +
                                                 proxy.Address() + "\"; }"));
    ScopedSystemProxy settings("", "", server->Url("/proxy.pac"));
    const std::wstring target = OldTarget(L"scripted.exe");
    const std::string log = Update(L"http://updates.example.test/new.exe", target);
    ExpectInstalled(target, log);
    EXPECT_NE(log.find("(script)"), std::string::npos) << log;
    EXPECT_EQ(proxy.Requests().size(), 1u) << log;
}
