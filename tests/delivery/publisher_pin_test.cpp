// Publisher pinning with programs signed at test time: the signature check on each kind of signed
// file, then the real updater.exe over each case of the rule.

// Winsock must come before windows.h.
#include "tests/support/http_server.h"

#include <gtest/gtest.h>

#include <string>

#include "client/updater_client.h"
#include "tests/support/code_signing.h"
#include "tests/support/process.h"
#include "updater/trust/authenticode_check.h"
#include "updater/paths.h"
#include "updater/trust/publisher_pin.h"
#include "updater/install/window_record.h"

namespace {

class PublisherPinTest : public ::testing::Test {
protected:
    // Making the certificates and signing costs seconds: once for the whole program.
    static void SetUpTestSuite() {
        server = new TestHttpServer();
        programs = new TestSignedPrograms(ProgramFolder() + L"host_app_old.exe",
                                          ProgramFolder() + L"host_app_new.exe");
    }
    static void TearDownTestSuite() {
        delete programs;
        delete server;
    }

    void SetUp() override {
        ASSERT_TRUE(server->Started() && programs->Ready());
        ShortenUpdaterPauses(100);  // no case here watches the three-second close
        StartFreshUpdaterLog();
    }

    static UniqueHandle Open(const std::wstring& name) {
        return UniqueHandle(CreateFileW(programs->Path(name).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                        OPEN_EXISTING, 0, nullptr));
    }

    // Runs the updater to replace a copy of `oldName` with `newName`; the log lines of the run.
    std::string Update(const std::wstring& oldName, const std::wstring& newName, std::wstring& target) {
        target = scratch.Path() + std::to_wstring(++runs) + L".exe";
        EXPECT_TRUE(CopyFileW(programs->Path(oldName).c_str(), target.c_str(), FALSE));
        const std::string path = "/" + std::to_string(runs) + ".exe";
        server->Route(path, HttpResponse::Ok(ReadWholeFile(programs->Path(newName))));
        const std::string before = ReadWholeFile(logPath);
        HANDLE process = nullptr;
        EXPECT_TRUE(updater_client::StartUpdater(ProgramFolder() + L"updater.exe", server->WideUrl(path),
                                                 target, L"", &process));
        EXPECT_EQ(WaitForSingleObject(process, 60000), WAIT_OBJECT_0);
        CloseHandle(process);
        DeleteFileW(TempDownloadPath(target).c_str());
        return ReadWholeFile(logPath).substr(before.size());
    }

    static inline TestHttpServer* server = nullptr;
    static inline TestSignedPrograms* programs = nullptr;
    ScratchFolder scratch{L"publisher"};
    const std::wstring logPath = TempFolder() + L"updater.log";
    int runs = 0;
};

}  // namespace

TEST_F(PublisherPinTest, EachSignedFileGetsItsVerdict) {
    using V = SignatureVerdict;
    struct Case {
        const wchar_t* file;
        ExpiredSigner expired;
        SignatureVerdict verdict;
        const char* detail;
    } cases[] = {
        {L"new-a.exe", ExpiredSigner::NeedsTimestamp, V::Trusted, "signer valid"},
        {L"new.exe", ExpiredSigner::NeedsTimestamp, V::Unsigned, "no certificate table"},
        {L"new-changed.exe", ExpiredSigner::NeedsTimestamp, V::DigestMismatch, "image digest"},
        {L"new-rewritten.exe", ExpiredSigner::NeedsTimestamp, V::DigestMismatch, "messageDigest"},
        {L"new-stranger.exe", ExpiredSigner::NeedsTimestamp, V::Untrusted, "untrusted root"},
        {L"new-serverauth.exe", ExpiredSigner::NeedsTimestamp, V::Untrusted, "not for this use"},
        {L"new-expired.exe", ExpiredSigner::NeedsTimestamp, V::Expired, "no time stamp"},
        {L"new-expired.exe", ExpiredSigner::Accepted, V::Trusted, "expired since"},
        {L"new-expired-stamped.exe", ExpiredSigner::NeedsTimestamp, V::Trusted, "time stamp valid"},
        {L"new-trailing.exe", ExpiredSigner::NeedsTimestamp, V::Unusual, "data after the certificate table"},
        {L"new-a.msi", ExpiredSigner::NeedsTimestamp, V::Trusted, "signer valid"},
        {L"new-b.msi", ExpiredSigner::NeedsTimestamp, V::Trusted, "signer valid"},
        {L"new.msi", ExpiredSigner::NeedsTimestamp, V::Unsigned, "no DigitalSignature stream"},
        {L"new-changed.msi", ExpiredSigner::NeedsTimestamp, V::DigestMismatch, "image digest"},
    };
    for (const Case& c : cases) {
        const SignatureCheck check = CheckFileSignature(Open(c.file).Get(), c.expired);
        EXPECT_EQ(check.verdict, c.verdict) << VerdictName(check.verdict) << " " << check.detail;
        EXPECT_NE(check.detail.find(c.detail), std::string::npos) << check.detail;
        EXPECT_EQ(check.signer != nullptr, c.verdict == V::Trusted) << check.detail;
    }
    EXPECT_EQ(WindowsTrustVerdict(Open(L"new-a.exe").Get(), programs->Path(L"new-a.exe")), ERROR_SUCCESS);
}

// The installed program's demand is its signer's name, however old, foreign or tagged the
// signature; only a certificate table without a readable signer cannot tell.
TEST_F(PublisherPinTest, InstalledProgramDemandsItsSignersSubject) {
    using D = PublisherDemand;
    const struct {
        const wchar_t* file;
        PublisherDemand demand;
        const char* told;  // the subject, or the reason
    } cases[] = {
        {L"old.exe", D::None, "no certificate table"},      {L"old-a-tagged.exe", D::Subject, "Publisher A"},
        {L"new-stranger.exe", D::Subject, "Publisher A"},   {L"new-expired.exe", D::Subject, "Publisher A"},
        {L"old-garbled.exe", D::CannotTell, ""},            {L"missing.exe", D::None, "missing"},
    };
    for (const auto& c : cases) {
        const PublisherRequirement required = RequiredPublisher(programs->Path(c.file));
        EXPECT_EQ(required.demand, c.demand) << required.reason;
        const std::string told = required.subjectText + required.reason;
        EXPECT_NE(told.find(c.told), std::string::npos) << told;
    }
}

TEST_F(PublisherPinTest, OnlyTheSamePublisherReplacesASignedProgram) {
    struct Case {
        const wchar_t* oldFile;
        const wchar_t* newFile;
        bool installs;
        const char* logged;
    } cases[] = {
        {L"old-a.exe", L"new-b.exe", false,
         "publisher: REFUSED, other publisher \"CN=Updater Test Publisher B"},
        {L"old-a.exe", L"new.exe", false, "publisher: REFUSED, the download is unsigned"},
        {L"old-a.exe", L"new-changed.exe", false, "publisher: REFUSED, the download is digest mismatch"},
        {L"old-a.exe", L"new-stranger.exe", false,
         "publisher: REFUSED, the download is untrusted (untrusted root"},
        {L"old-a.exe", L"new-expired.exe", false, "publisher: REFUSED, the download is expired"},
        // Tag data inside the installed program's certificate entry never waives the rule.
        {L"old-a-tagged.exe", L"new-b.exe", false, "publisher: REFUSED, other publisher"},
        {L"old-a-tagged.exe", L"new.exe", false, "publisher: REFUSED, the download is unsigned"},
        {L"old-garbled.exe", L"new-a.exe", false,
         "publisher: REFUSED, cannot tell which publisher the program being replaced requires"},
        {L"old-a.exe", L"new-a.exe", true,
         "same publisher \"CN=Updater Test Publisher A, O=Updater Test Vendor\""},
        {L"old-a.exe", L"new-expired-stamped.exe", true, "time stamp valid"},
        {L"old.exe", L"new-b.exe", true,
         "replaced is unsigned (no certificate table), no publisher required"},
        {L"old-a-tagged.exe", L"new-a.exe", true, "same publisher"},
    };
    // The refused updates run while a host is up: none of them may ask it to close.
    ChildProcess host;
    ASSERT_TRUE(host.Start(programs->Path(L"old.exe"), L""));
    ASSERT_TRUE(WaitUntil([] { return ReadWindowRecord(kHostRecordName) != nullptr; }, 10000));
    for (const Case& c : cases) {
        if (c.installs) host.Terminate();
        std::wstring target;
        const std::string log = Update(c.oldFile, c.newFile, target);
        EXPECT_NE(log.find(c.logged), std::string::npos) << c.logged << "\n" << log;
        EXPECT_TRUE(ReadWholeFile(target) ==
                    ReadWholeFile(programs->Path(c.installs ? c.newFile : c.oldFile)))
            << log;
        if (c.installs) {
            EXPECT_TRUE(WaitUntil([&] { return LogHas(target, "started new"); }, 10000)) << log;
            CloseRunningHost();
        } else {
            EXPECT_EQ(log.find("host: "), std::string::npos) << log;
            EXPECT_TRUE(host.Running()) << log;
        }
    }
}
