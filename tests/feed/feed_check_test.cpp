// The real updater.exe in its --check mode against a real HTTPS server on 127.0.0.1 (the tests'
// TLS front before the loopback server, its authority trusted in this prefix only while the
// tests run), with feeds and files signed by openssl and the versioned sample hosts.

// Winsock must come before windows.h.
#include "tests/support/http_server.h"

#include <gtest/gtest.h>

#include <ctime>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "tests/feed/feed_rig.h"
#include "tests/support/code_signing.h"
#include "tests/support/tls_server.h"
#include "updater/install/single_instance.h"
#include "updater/paths.h"

namespace {

constexpr DWORD kRunTimeoutMs = 90000;
constexpr std::int64_t kDay = 24 * 60 * 60;

class FeedCheckTest : public ::testing::Test {
protected:
    // Certificates, Authenticode signatures and the programs' Ed25519 signatures cost seconds:
    // made once for the whole program.
    static void SetUpTestSuite() {
        server = new TestHttpServer();
        authority = new TestAuthority(server->Url("/ca.crl"));
        tls = new TestTlsServer(*authority, server->Port(), {"good"});
        const std::wstring bin = ProgramFolder();
        // One signing run (each trusts a root of its own, which Wine's store may keep): publisher A
        // signs the installed 1.0.0 and the new-key 2.0.0, publisher B that 2.0.0 as well.
        signedA = new TestSignedPrograms(bin + L"host_app_v1.exe", bin + L"host_app_v2_newkey.exe");
        for (const char* name : {"old", "v1", "v1_nokeys", "v1_eddsa", "v1_badkeys", "v2", "v3", "v2_other", "v2_newkey"}) {
            programs[name] = ReadWholeFile(bin + L"host_app_" + OpensslSigner::Wide(name) + L".exe");
        }
        programs["v1-a"] = ReadWholeFile(signedA->Path(L"old-a.exe"));
        programs["v2_newkey-b"] = ReadWholeFile(signedA->Path(L"new-b.exe"));
        programs["v2_newkey-a"] = ReadWholeFile(signedA->Path(L"new-a.exe"));
        // Windows Installer packages of the 2.0.0 program, built by wixl: A's, B's and unsigned.
        const std::pair<const char*, const wchar_t*> packages[] = {
            {"msi-a", L"new-a.msi"}, {"msi-b", L"new-b.msi"}, {"msi-unsigned", L"new.msi"}};
        for (const auto& package : packages) programs[package.first] = ReadWholeFile(signedA->Path(package.second));
        // The new program marked for another machine, and as a DLL, in its PE header.
        const size_t pe = *reinterpret_cast<const std::uint32_t*>(&programs["v2"][0x3c]);
        programs["v2-x64"] = programs["v2-dll"] = programs["v2"];
        programs["v2-x64"].replace(pe + 4, 2, "\x64\x86", 2);
        programs["v2-dll"][pe + 23] = static_cast<char>(programs["v2-dll"][pe + 23] | 0x20);
        programs["installer"] = ReadWholeFile(bin + L"fake_installer.exe");
        // What vendors publish where a program was expected: an MSI package and a zip archive.
        programs["msi"] = std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) + std::string(4096, 'm');
        programs["zip"] = std::string("PK\x03\x04", 4) + std::string(4096, 'z');
        OpensslSigner signer;
        server->Route("/package.msi", HttpResponse::Ok(programs["msi"]));
        server->Route("/notes.html", HttpResponse::Ok("<p>Fixed the <b>crash</b> at start</p>"));
        for (const auto& program : programs) {
            server->Route("/" + program.first + ".exe", HttpResponse::Ok(program.second));
            server->Route("/" + program.first + ".msi", HttpResponse::Ok(program.second));
            signer.Add(program.first == "v2_newkey-a" ? "new_key" : "vendor_key", program.second);
        }
        const std::vector<std::string> signatures = signer.Run();
        size_t next = 0;  // the map's order, as added
        for (const auto& program : programs) fileSignatures[program.first] = signatures[next++];
    }
    static void TearDownTestSuite() {
        ClearFeedState();
        const std::vector<std::string> roots = {ReadWholeFile(L"Z:" + OpensslSigner::Wide(authority->UnixPath("ca.der"))),
                                                ReadWholeFile(signedA->Path(L"root.der"))};
        delete signedA;
        delete tls;
        delete authority;
        delete server;
        for (const std::string& root : roots) Distrust(root);
    }

    void SetUp() override {
        ShortenUpdaterPauses(100);  // no case here watches the three-second close
        StartFreshUpdaterLog();
        ASSERT_TRUE(server->Started() && authority->Ready() && tls->Started());
        ASSERT_TRUE(signedA->Ready());
        ASSERT_FALSE(fileSignatures["v2"].empty());
        server->Route("/ca.crl", HttpResponse::Ok(authority->RevocationList()));
    }

    // An item for the served `program` as version `version`, its length off by `lengthDelta`,
    // signed as `signatureOf` was.
    static FeedItemText Item(const std::string& program, const std::string& version, const std::string& extra = "",
                             long long lengthDelta = 0, const std::string& signatureOf = "",
                             const std::string& os = "") {
        const long long length = static_cast<long long>(programs[program].size()) + lengthDelta;
        return {version, tls->Url("good", "/" + program + ".exe"), std::to_string(length),
                fileSignatures[signatureOf.empty() ? program : signatureOf], extra, os};
    }

    long RunUpdater(const std::wstring& arguments, const char* choice) {
        SetEnvironmentVariableA("UPDATER_TEST_OFFER_CHOICE", choice);
        ChildProcess process;
        const long code = process.Start(updater, arguments) ? process.Wait(kRunTimeoutMs) : -2;
        SetEnvironmentVariableA("UPDATER_TEST_OFFER_CHOICE", nullptr);
        return code;
    }

    static TestHttpServer* server;
    static TestAuthority* authority;
    static TestTlsServer* tls;
    static TestSignedPrograms* signedA;
    static std::map<std::string, std::string> programs;
    static std::map<std::string, std::string> fileSignatures;
    ScratchFolder scratch{L"feed"};
    const std::wstring updater = ProgramFolder() + L"updater.exe";
    const std::wstring logPath = TempFolder() + L"updater.log";
};

TestHttpServer* FeedCheckTest::server = nullptr;
TestAuthority* FeedCheckTest::authority = nullptr;
TestTlsServer* FeedCheckTest::tls = nullptr;
TestSignedPrograms* FeedCheckTest::signedA = nullptr;
std::map<std::string, std::string> FeedCheckTest::programs;
std::map<std::string, std::string> FeedCheckTest::fileSignatures;

std::string Rfc822(std::int64_t time) {
    const std::time_t t = static_cast<std::time_t>(time);
    char text[64] = {};
    std::strftime(text, sizeof text, "%a, %d %b %Y %H:%M:%S +0000", std::gmtime(&t));
    return text;
}

// The feed state a case starts from; -1: not set.
struct StartState {
    std::int64_t lastCheckAgo = -1;
    long long serialSeen = -1;
    std::int64_t firstFailureAgo = -1;
    long rolloutGroup = -1;
    const wchar_t* skipped = L"";
};

void Apply(const StartState& state) {
    ClearFeedState();
    const std::int64_t now = std::time(nullptr);
    const auto setTime = [](const wchar_t* name, std::int64_t value) {
        RegSetKeyValueW(HKEY_CURRENT_USER, kStateKey, name, REG_QWORD, &value, sizeof value);
    };
    if (state.lastCheckAgo >= 0) setTime(L"LastCheckTime", now - state.lastCheckAgo);
    if (state.serialSeen >= 0) setTime(L"FeedSerial", state.serialSeen);
    if (state.firstFailureAgo >= 0) setTime(L"FirstFeedFailureTime", now - state.firstFailureAgo);
    const DWORD group = static_cast<DWORD>(state.rolloutGroup);
    if (state.rolloutGroup >= 0) RegSetKeyValueW(HKEY_CURRENT_USER, kStateKey, L"RolloutGroup", REG_DWORD, &group, 4);
    RegSetKeyValueW(HKEY_CURRENT_USER, kStateKey, L"SkippedVersion", REG_SZ, state.skipped,
                    static_cast<DWORD>((wcslen(state.skipped) + 1) * sizeof(wchar_t)));
}

}  // namespace

// One table from feed to outcome: the exit code, a log line, the program at the target
// afterwards, and what the feed state holds afterwards.
TEST_F(FeedCheckTest, FeedsDecideWhatIsOfferedAndInstalled) {
    enum Signing { Vendor, Unsigned, NewKey, Tampered, Crlf };
    struct Case {
        const char* name;
        std::string installed;
        Signing signing;
        std::vector<FeedItemText> items;
        std::wstring options;
        const char* choice;
        long exitCode;
        std::vector<std::string> logged;  // lines that must be in the log
        std::string result = "";  // the program at the target afterwards; empty: the installed one
        StartState state = {};
        const wchar_t* valueAfter = nullptr;  // a feed-state value that must exist afterwards
        const wchar_t* skippedAfter = L"";
        std::string channelExtra = "";  // beside the serial
        const wchar_t* goneAfter = nullptr;  // a feed-state value that must not exist afterwards
    };
    const std::string rollout = "<pubDate>" + Rfc822(std::time(nullptr)) + "</pubDate>"
                                "<sparkle:phasedRolloutInterval>86400</sparkle:phasedRolloutInterval>";
    const std::string beta = "<sparkle:channel>beta</sparkle:channel>";
    const std::vector<FeedItemText> offered = {Item("v1", "1.0.0"), Item("v2", "2.0.0")};
    const StartState skipped{-1, -1, -1, -1, L"2.0.0"}, group6{-1, -1, -1, 6};
    // The installer's arguments: {target} is the case's installed program, {v2} a copy of 2.0.0.
    const std::string installs = "<sparkle:installerArguments>--copy \"{v2}\" \"{target}\"";
    const std::string noCopy = "<sparkle:installerArguments>", arguments = "</sparkle:installerArguments>";
    const std::wstring v2Copy = scratch.Path() + L"v2-payload.exe";
    ASSERT_TRUE(WriteWholeFile(v2Copy, programs["v2"]));
    const std::vector<Case> cases = {
        // Failed before any window: exit 3.
        {"unsigned feed", "v1", Unsigned, offered, L"", nullptr, 3, {"feed: REFUSED, unsigned"}},
        {"tampered feed", "v1", Tampered, offered, L"", nullptr, 3, {"no installed key verifies it"}},
        {"feed converted to CRLF after signing", "v1", Crlf, offered, L"", nullptr, 3,
         {"feed: REFUSED, malformed signature block"}},
        {"wrong-key feed", "v1", NewKey, offered, L"", nullptr, 3, {"no installed key verifies it"}, "", {},
         L"FirstFeedFailureTime"},
        {"lower serial", "v1", Vendor, offered, L"", nullptr, 3, {"as a replay"}, "", {-1, 8}},
        {"expired feed", "v1", Vendor, offered, L"--now", nullptr, 3,
         {"feed: REFUSED, expired", "balloon \"检查更新失败！\""}, "", {}, nullptr, L"",
         "<upd:expires>2020-01-01T00:00:00Z</upd:expires>"},
        {"plain-HTTP enclosure", "v1", Vendor, {{"2.0.0", server->Url("/v2.exe"), "", fileSignatures["v2"], "", ""}},
         L"--yes", nullptr, 3, {"the enclosure URL is not https"}},
        {"no key resource", "v1_nokeys", Vendor, offered, L"", nullptr, 3, {"no UPDATER_ED25519_KEYS resource"}},
        {"a key resource of no well-formed key", "v1_badkeys", Vendor, offered, L"", nullptr, 3,
         {"holds no well-formed Ed25519 key"}},
        {"no version resource", "old", Vendor, offered, L"", nullptr, 3, {"no version resource"}},
        {"lost key before 20 days", "v1-a", NewKey, {Item("v2_newkey-a", "2.0.0")}, L"--yes", nullptr, 3,
         {"first such failure 1641"}, "", {-1, -1, 19 * kDay}},
        // Nothing newer: exit 0.
        {"nothing newer", "v1", Vendor, {Item("v1", "1.0.0")}, L"--now", nullptr, 0,
         {"nothing newer", "balloon \"已是最新版本\""}, "", {}, L"LastCheckTime"},
        {"channel, machine, system and rollout not for us", "v1", Vendor,
         {Item("v2", "2.0.0", beta),
          Item("v2", "2.0.1", "<sparkle:minimumSystemVersion>99.0.0</sparkle:minimumSystemVersion>"),
          Item("v2", "2.0.2", rollout), Item("v2", "2.0.3", "", 0, "", "windows-x64")},
         L"", nullptr, 0, {"nothing newer"}, "", group6, L"FeedSerial"},
        {"skipped version", "v1", Vendor, offered, L"", nullptr, 0, {"nothing newer"}, "", skipped, nullptr, L"2.0.0"},
        {"every newer item passed over says why", "v1", Vendor,
         {Item("v2", "2.0.0", beta), Item("v2", "2.0.1", "<sparkle:maximumSystemVersion>5.1</sparkle:maximumSystemVersion>"),
          Item("v2", "2.0.2", rollout), Item("v2", "2.0.3", "", 0, "", "windows-x64")},
         L"", nullptr, 0,
         {"passed over \"2.0.0\": channel \"beta\" not followed", "passed over \"2.0.1\": system version",
          "above the maximum 5.1", "passed over \"2.0.2\": rollout group 6 not yet due, due 20",
          "passed over \"2.0.3\": machine: for sparkle:os \"windows-x64\"", "nothing newer"},
         "", group6},
        // An informational release is never installed, nor a lower one in its place.
        {"informational with --yes", "v1", Vendor,
         {Item("v3", "3.0.0", "<sparkle:informationalUpdate/>"), Item("v2", "2.0.0")}, L"--yes", nullptr, 0,
         {"passed over \"3.0.0\": informational; nothing is installed"}},
        {"informational for the installed version", "v1", Vendor,
         {Item("v3", "3.0.0", "<link>http://example.test/3</link><sparkle:informationalUpdate>"
                              "<sparkle:version>1.0.0</sparkle:version></sparkle:informationalUpdate>")},
         L"", "now", 0, {"showing informational version \"3.0.0\"", "offer: link not opened (not https",
                         "asked for the details of informational version \"3.0.0\"; nothing is installed"}},
        {"informational below another version", "v1", Vendor,
         {Item("v2", "2.0.0", "<sparkle:informationalUpdate><sparkle:belowVersion>0.5</sparkle:belowVersion>"
                              "</sparkle:informationalUpdate>")},
         L"--yes", nullptr, 1, {"edSignature verified"}, "v2"},
        // A major release is offered to a person, never installed by --yes.
        {"minimum automatic-update version with --yes", "v1", Vendor,
         {Item("v3", "3.0.0", "<sparkle:minimumAutoupdateVersion>2.0</sparkle:minimumAutoupdateVersion>"),
          Item("v2", "2.0.0")},
         L"--yes", nullptr, 1, {"passed over \"3.0.0\": minimum automatic-update version 2.0 above the installed 1.0.0"},
         "v2"},
        {"minimum automatic-update version asked", "v1", Vendor,
         {Item("v3", "3.0.0", "<sparkle:minimumAutoupdateVersion>2.0</sparkle:minimumAutoupdateVersion>")}, L"",
         "later", 2, {"offering version \"3.0.0\""}},
        // Offered, the user declines: exit 2.
        {"later", "v1", Vendor, offered, L"", "later", 2, {"the user chose later"}},
        {"skip", "v1", Vendor, offered, L"", "skip", 2, {"skipped version \"2.0.0\""}, "", {}, nullptr, L"2.0.0"},
        {"skipped, offered again with --now", "v1", Vendor, offered, L"--now", "later", 2,
         {"offering version \"2.0.0\""}, "", skipped, nullptr, L"2.0.0"},
        {"critical not skippable", "v1", Vendor, {Item("v2", "2.0.0", "<sparkle:criticalUpdate/>")}, L"", "skip", 2,
         {"(critical)"}},
        {"notes only as a link", "v1", Vendor,
         {{"2.0.0", tls->Url("good", "/v2.exe"), std::to_string(programs["v2"].size()), fileSignatures["v2"],
           "<sparkle:releaseNotesLink>notes.html</sparkle:releaseNotesLink>", "", false}},
         L"", "later", 2, {"offer: release notes fetched from the link, 38 bytes"}},
        {"channel chosen", "v1", Vendor, {Item("v2", "2.0.0", beta)}, L"--channel beta", "later", 2,
         {"offering version \"2.0.0\""}},
        // An update attempted: exit 1, installed only when every rule holds.
        {"offered and installed", "v1", Vendor, offered, L"", "now", 1, {"edSignature verified (ed25519 key)"}, "v2",
         {}, L"FeedSerial"},
        {"the vendor key as an EdDSAPub resource", "v1_eddsa", Vendor, offered, L"--yes", nullptr, 1,
         {"edSignature verified (ed25519 key)"}, "v2"},
        // Installer releases: run, then measured by the installed program's version.
        {"installer release", "v1", Vendor, {Item("installer", "2.0.0", installs + " --exit 0" + arguments)}, L"--yes",
         nullptr, 1, {"installer: installed version \"2.0.0\" (exit code 0)"}, "v2"},
        {"installer asking for a restart", "v1", Vendor,
         {Item("installer", "2.0.0", installs + " --exit 3010" + arguments)}, L"--yes", nullptr, 1,
         {"installer: installed version \"2.0.0\" (exit code 3010)"}, "v2"},
        {"installer that fails", "v1", Vendor, {Item("installer", "2.0.0", installs + " --exit 1602" + arguments)},
         L"--yes", nullptr, 1, {"installer: FAILED, exit code 1602, version found \"2.0.0\", offered \"2.0.0\""}, "v2"},
        {"installer that installs nothing", "v1", Vendor, {Item("installer", "2.0.0", noCopy + "--exit 0" + arguments)},
         L"--yes", nullptr, 1, {"installer: FAILED, exit code 0, version found \"1.0.0\", offered \"2.0.0\""}},
        {"installer not signed by the installed program's publisher", "v1-a", Vendor,
         {Item("installer", "2.0.0", installs + " --exit 0" + arguments)}, L"--yes", nullptr, 1, {"publisher: REFUSED"}},
        {"MSI installer", "v1", Vendor,
         {{"2.0.0", tls->Url("good", "/package.msi"), std::to_string(programs["msi"].size()), fileSignatures["msi"],
           "", ""}},
         L"--yes", nullptr, 1, {"installer: running msiexec /i \"", "installer: FAILED, exit code"}},
        {"an .exe installer that is a zip", "v1", Vendor, {Item("zip", "2.0.0", noCopy + arguments)}, L"--yes", nullptr,
         1, {"enclosure: REFUSED, the item promised an .exe installer, the download is a zip archive"}},
        {"enclosure URL relative to the feed", "v1", Vendor,
         {{"2.0.0", "./v2.exe", std::to_string(programs["v2"].size()), fileSignatures["v2"], "", ""}}, L"--yes", nullptr,
         1, {"start: url \"" + tls->Url("good", "/v2.exe") + "\""}, "v2"},
        {"wrong enclosure signature", "v1", Vendor, {Item("v2", "2.0.0", "", 0, "v3")}, L"--yes", nullptr, 1,
         {"no installed key verifies its edSignature"}},
        {"length short of the file", "v1", Vendor, {Item("v2", "2.0.0", "", -1)}, L"--yes", nullptr, 1,
         {"transfer: more than"}},
        {"length beyond the file", "v1", Vendor, {Item("v2", "2.0.0", "", 1)}, L"--yes", nullptr, 1,
         {"the feed announced"}},
        {"another version than offered", "v1", Vendor, {Item("v3", "2.0.0")}, L"--yes", nullptr, 1,
         {"not the offered version (its FileVersion \"3.0.0\", the item's sparkle:version \"2.0.0\")"}},
        {"an MSI package for a program", "v1", Vendor, {Item("msi", "2.0.0")}, L"--yes", nullptr, 1,
         {"enclosure: REFUSED, the download is not a Windows program (it is an MSI package or other compound file; "
          "the item promised a Windows program of version \"2.0.0\")"}},
        {"a zip archive for a program", "v1", Vendor, {Item("zip", "2.0.0")}, L"--yes", nullptr, 1,
         {"enclosure: REFUSED, the download is not a Windows program (it is a zip archive"}},
        // An item that claims a higher version over the installed build: never backwards.
        {"downgrade", "v1", Vendor, {Item("v1", "2.0.0")}, L"--yes", nullptr, 1, {"not the offered version"}},
        {"other product", "v1", Vendor, {Item("v2_other", "2.0.0")}, L"--yes", nullptr, 1, {"another product"}},
        {"another machine", "v1", Vendor, {Item("v2-x64", "2.0.0")}, L"--yes", nullptr, 1, {"for another machine"}},
        {"a DLL", "v1", Vendor, {Item("v2-dll", "2.0.0")}, L"--yes", nullptr, 1, {"is a DLL"}},
        {"subject change carried by the key", "v1-a", Vendor, {Item("v2_newkey-b", "2.0.0")}, L"--yes", nullptr, 1,
         {"publisher: subject changes"}, "v2_newkey-b"},
        // The recovery restarts the lost-key clock: another lost key waits 20 days again.
        {"lost key after 20 days", "v1-a", NewKey, {Item("v2_newkey-a", "2.0.0")}, L"--yes", nullptr, 1,
         {"(authenticode after lost key)", "FirstFeedFailureTime cleared"}, "v2_newkey-a", {-1, -1, 21 * kDay},
         nullptr, L"", "", L"FirstFeedFailureTime"},
    };
    const auto TargetOf = [&](size_t i) { return scratch.Path() + L"feedhost" + std::to_wstring(i) + L".exe"; };
    const auto Narrow = [](const std::wstring& text) { return std::string(text.begin(), text.end()); };
    // Every feed is signed in one openssl run.
    OpensslSigner signer;
    std::vector<std::string> texts;
    for (size_t i = 0; i < cases.size(); ++i) {
        const Case& c = cases[i];
        texts.push_back(AppcastText("<upd:serial>7</upd:serial>" + c.channelExtra, c.items));
        const std::pair<std::string, std::wstring> names[] = {{"{target}", TargetOf(i)}, {"{v2}", v2Copy}};
        for (const auto& name : names) {
            for (size_t at = 0; (at = texts.back().find(name.first)) != std::string::npos;) {
                texts.back().replace(at, name.first.size(), Narrow(name.second));
            }
        }
        signer.Add(c.signing == NewKey ? "new_key" : "vendor_key", texts.back());
    }
    const std::vector<std::string> signatures = signer.Run();
    for (size_t i = 0; i < cases.size(); ++i) {
        const Case& c = cases[i];
        std::string feed = c.signing == Unsigned ? texts[i] : WithSignatureBlock(texts[i], signatures[i]);
        if (c.signing == Tampered) feed.replace(feed.find("New <b>things"), 13, "New <b>thingz");
        for (size_t at = 0; c.signing == Crlf && (at = feed.find('\n', at)) != std::string::npos; at += 2) {
            feed.insert(at, 1, '\r');
        }
        const std::string route = "/feed" + std::to_string(i) + ".xml";
        server->Route(route, HttpResponse::Ok(feed));
        const std::wstring target = TargetOf(i);
        ASSERT_TRUE(WriteWholeFile(target, programs[c.installed]));
        // An installer an earlier run left: every check removes it.
        const std::wstring leftover = TempDownloadPath(target) + L"-installer.exe";
        ASSERT_TRUE(WriteWholeFile(leftover, "MZ left by an earlier run"));
        Apply(c.state);
        const std::string before = ReadWholeFile(logPath);
        const long code = RunUpdater(L"--check " + c.options + L" " + tls->WideUrl("good", route) + L" " +
                                         Quoted(target), c.choice);
        CloseRunningHost();
        const std::string after = ReadWholeFile(logPath);
        const std::string log = after.size() >= before.size() ? after.substr(before.size()) : after;
        EXPECT_EQ(code, c.exitCode) << c.name << "\n" << log;
        EXPECT_TRUE(ReadWholeFile(target) == programs[c.result.empty() ? c.installed : c.result]) << c.name << "\n"
                                                                                                    << log;
        for (const std::string& line : c.logged) {
            EXPECT_NE(log.find(line), std::string::npos) << c.name << ": " << line << "\n" << log;
        }
        if (c.valueAfter != nullptr) {
            EXPECT_EQ(RegGetValueW(HKEY_CURRENT_USER, kStateKey, c.valueAfter, RRF_RT_ANY, nullptr, nullptr, nullptr),
                      ERROR_SUCCESS)
                << c.name;
        }
        if (c.goneAfter != nullptr) {
            EXPECT_EQ(RegGetValueW(HKEY_CURRENT_USER, kStateKey, c.goneAfter, RRF_RT_ANY, nullptr, nullptr, nullptr),
                      ERROR_FILE_NOT_FOUND)
                << c.name;
        }
        wchar_t skippedAfter[64] = {};
        DWORD bytes = sizeof skippedAfter - sizeof(wchar_t);
        RegGetValueW(HKEY_CURRENT_USER, kStateKey, L"SkippedVersion", RRF_RT_REG_SZ, nullptr, skippedAfter, &bytes);
        EXPECT_EQ(std::wstring(skippedAfter), c.skippedAfter) << c.name;
        EXPECT_FALSE(FileExists(leftover)) << c.name;
        DeleteFileW(TempDownloadPath(target).c_str());
    }
}

// Cases that end before any window: a plain-HTTP feed, a check within the interval or while another
// updater runs (no request), a malformed --check line, and a feed past 1 MiB.
TEST_F(FeedCheckTest, ChecksThatEndEarly) {
    HttpResponse huge = HttpResponse::Ok("");
    huge.generatedBytes = 1024 * 1024 + 1;
    server->Route("/huge.xml", huge);
    server->Route("/quiet.xml", HttpResponse::Ok("<rss/>"));
    const std::wstring target = scratch.Path() + L"quiet.exe";
    ASSERT_TRUE(WriteWholeFile(target, programs["v1"]));
    const std::wstring quiet = tls->WideUrl("good", "/quiet.xml") + L" " + Quoted(target);
    struct Case {
        std::wstring arguments;
        StartState state;
        bool otherUpdaterRuns;
        long exitCode;
        const char* logged;
    } cases[] = {
        {L"--check " + server->WideUrl("/quiet.xml") + L" " + Quoted(target), {}, false, 3, "the feed URL is not https"},
        {L"--check " + quiet, {3600}, false, 0, "within the interval"},
        {L"--check --now " + quiet, {}, true, 0, "another updater runs"},
        {L"--check --now --bogus " + quiet, {}, false, 3, "malformed command line"},
        {L"--check " + tls->WideUrl("good", "/huge.xml") + L" " + Quoted(target), {}, false, 3,
         "feed: more than 1048576 bytes, abandoned"},
    };
    for (const Case& c : cases) {
        Apply(c.state);
        CSingleInst running;
        if (c.otherUpdaterRuns) {
            ASSERT_TRUE(running.TryAcquire(nullptr));
        }
        const std::string before = ReadWholeFile(logPath);
        EXPECT_EQ(RunUpdater(c.arguments, nullptr), c.exitCode);
        EXPECT_NE(ReadWholeFile(logPath).substr(before.size()).find(c.logged), std::string::npos) << c.logged;
    }
    EXPECT_EQ(server->RequestCount("/quiet.xml"), 0);
    // A busy server's error page is no start of the feed: it is asked again.
    HttpResponse busy = HttpResponse::Status(503, "<html><body>busy</body></html>");
    busy.headers.emplace_back("Retry-After", "1");
    server->RouteSequence("/busy.xml", {busy, HttpResponse::Ok("<rss/>")});
    RunUpdater(L"--check --now " + tls->WideUrl("good", "/busy.xml") + L" " + Quoted(target), nullptr);
    EXPECT_EQ(server->RequestCount("/busy.xml"), 2);
}

// A signed installed program takes a Windows Installer package only from its own publisher: the
// same subject's package is installed by msiexec and measured, another's or an unsigned one is
// refused before anything runs.
TEST_F(FeedCheckTest, PackagesAnswerToThePublisherPin) {
    const struct {
        const char* package;
        const char* logged;
        const char* result;
    } cases[] = {
        {"msi-a", "installer: installed version \"2.0.0\" (exit code 0)", "v2_newkey"},
        {"msi-b", "publisher: REFUSED, other publisher \"CN=Updater Test Publisher B", "v1-a"},
        {"msi-unsigned", "publisher: REFUSED, the download is unsigned", "v1-a"},
    };
    OpensslSigner signer;
    std::vector<std::wstring> targets;
    std::vector<std::string> feeds;
    for (const auto& c : cases) {
        const std::wstring folder = scratch.Path() + OpensslSigner::Wide(c.package);
        ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS);
        targets.push_back(folder + L"\\host_app.exe");
        ASSERT_TRUE(WriteWholeFile(targets.back(), programs["v1-a"]));
        const std::string arguments = "<sparkle:installerArguments>/qn INSTALLDIR=\"" +
                                      std::string(folder.begin(), folder.end()) + "\"</sparkle:installerArguments>";
        const std::string url = tls->Url("good", "/" + std::string(c.package) + ".msi");
        feeds.push_back(AppcastText("<upd:serial>7</upd:serial>", {{"2.0.0", url, std::to_string(programs[c.package].size()),
                                                                     fileSignatures[c.package], arguments, ""}}));
        signer.Add("vendor_key", feeds.back());
    }
    const std::vector<std::string> signatures = signer.Run();
    for (size_t i = 0; i < targets.size(); ++i) {
        const std::string route = "/package-feed" + std::to_string(i) + ".xml";
        server->Route(route, HttpResponse::Ok(WithSignatureBlock(feeds[i], signatures[i])));
        ClearFeedState();
        const std::string before = ReadWholeFile(logPath);
        const long code = RunUpdater(L"--check --yes " + tls->WideUrl("good", route) + L" " + Quoted(targets[i]), nullptr);
        CloseRunningHost();
        const std::string log = ReadWholeFile(logPath).substr(before.size());
        EXPECT_EQ(code, 1) << cases[i].package << "\n" << log;
        EXPECT_NE(log.find(cases[i].logged), std::string::npos) << cases[i].package << "\n" << log;
        EXPECT_TRUE(ReadWholeFile(targets[i]) == programs[cases[i].result]) << cases[i].package << "\n" << log;
    }
}

// A check the user asked for shows "正在检查更新…" (in the language asked for) while the server
// holds the feed back, a second check brings it to the front, and the user's Cancel or close ends
// it as "later" does; the start-up check shows no window and ends with the feed's answer.
TEST_F(FeedCheckTest, CheckTheUserAskedForShowsThatItWorksUntilCancelled) {
    HttpResponse held = HttpResponse::Ok("<rss/>");
    held.holdBody = true;
    server->Route("/held.xml", held);
    const std::wstring target = scratch.Path() + L"waiting.exe";
    ASSERT_TRUE(WriteWholeFile(target, programs["v1"]));
    const struct {
        const wchar_t* options;
        const char* shown;  // null: no window
        bool clickCancel;   // else the window is closed
        long exitCode;
        const char* logged;
    } cases[] = {
        {L"--check --now", "window \"正在检查更新…\" shown", true, 2, "the user cancelled the check"},
        {L"--lang en --check --now", "window \"Checking for updates…\" shown", false, 2, "the user cancelled the check"},
        // Last: releasing the held feed lets every later request through.
        {L"--check", nullptr, false, 3, "feed: REFUSED, unsigned"},
    };
    for (const auto& c : cases) {
        Apply({});
        const size_t before = ReadWholeFile(logPath).size();
        const int requests = server->RequestCount("/held.xml");
        ChildProcess run;
        ASSERT_TRUE(run.Start(updater, std::wstring(c.options) + L" " + tls->WideUrl("good", "/held.xml") + L" " +
                                           Quoted(target)));
        ASSERT_TRUE(WaitUntil([&] { return server->RequestCount("/held.xml") > requests; }, 30000)) << c.options;
        HWND window = nullptr;
        const bool visible = WaitUntil([&] {
            window = FindWindowW(L"UICheckingWnd", nullptr);
            return window != nullptr && IsWindowVisible(window);
        }, c.shown != nullptr ? 10000 : 0);
        EXPECT_EQ(visible, c.shown != nullptr) << c.options;
        if (visible) {
            // A second check brings this window to the front and asks for nothing.
            const HWND other = CreateWindowExW(0, L"STATIC", L"other", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr,
                                               nullptr, nullptr, nullptr);
            SetForegroundWindow(other);
            EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == other; }, 5000));
            EXPECT_EQ(RunUpdater(std::wstring(c.options) + L" " + tls->WideUrl("good", "/held.xml") + L" " +
                                     Quoted(target), nullptr), 0);
            EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == window; }, 5000)) << c.options;
            EXPECT_EQ(server->RequestCount("/held.xml"), requests + 1);
            DestroyWindow(other);
        }
        if (c.shown == nullptr) {
            server->ReleaseHeldBodies();
        } else if (c.clickCancel) {
            // The cancel button's middle in the skin's 300 x 120 window at 96 DPI.
            PostMessageW(window, WM_MOUSEMOVE, 0, MAKELPARAM(150, 95));
            PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(150, 95));
            PostMessageW(window, WM_LBUTTONUP, 0, MAKELPARAM(150, 95));
        } else {
            PostMessageW(window, WM_CLOSE, 0, 0);
        }
        EXPECT_EQ(run.Wait(kRunTimeoutMs), c.exitCode) << c.options;
        const std::string log = ReadWholeFile(logPath).substr(before);
        if (c.shown != nullptr) {
            EXPECT_NE(log.find(c.shown), std::string::npos) << c.options << "\n" << log;
        }
        EXPECT_NE(log.find(c.logged), std::string::npos) << c.options << "\n" << log;
        EXPECT_EQ(log.find("balloon"), std::string::npos) << c.options << "\n" << log;
    }
}
