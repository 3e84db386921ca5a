#include "updater/trust/publisher_pin.h"

#include "updater/trust/authenticode_check.h"
#include "updater/trust/certificate_chain.h"
#include "updater/update_log.h"

// wintrust.h needs wincrypt.h, which authenticode_check.h brings.
#include <softpub.h>
#include <wintrust.h>

namespace {

bool SameSubject(const PublisherRequirement& requirement, PCCERT_CONTEXT signer) {
    CERT_NAME_BLOB expected = {static_cast<DWORD>(requirement.subject.size()),
                               const_cast<BYTE*>(requirement.subject.data())};
    return CertCompareCertificateName(X509_ASN_ENCODING, &expected, &signer->pCertInfo->Subject) != FALSE;
}

// The demand itself, before any download byte is looked at: true when it settles the answer.
bool DemandSettles(const PublisherRequirement& requirement, bool& passes) {
    if (requirement.demand == PublisherDemand::None) {
        LogLine("publisher: the program being replaced is %s, no publisher required",
                requirement.reason.c_str());
        passes = true;
        return true;
    }
    if (requirement.demand == PublisherDemand::CannotTell) {
        LogLine("publisher: REFUSED, cannot tell which publisher the program being replaced requires (%s)",
                requirement.reason.c_str());
        passes = false;
        return true;
    }
    return false;
}

// A trusted signer of another subject: refused unless the caller vouched for the release.
bool OtherSubjectPasses(const PublisherRequirement& requirement, PCCERT_CONTEXT signer,
                        const PublisherOptions& options) {
    const char* expected = requirement.subjectText.c_str();
    if (!options.subjectMayChange) {
        LogLine("publisher: REFUSED, other publisher \"%s\"; expected \"%s\"", SubjectText(signer).c_str(),
                expected);
        return false;
    }
    LogLine("publisher: subject changes to \"%s\" from \"%s\", carried by the ed25519 key",
            SubjectText(signer).c_str(), expected);
    return true;
}

}  // namespace

LONG WindowsTrustVerdict(HANDLE file, const std::wstring& path) {
    WINTRUST_FILE_INFO fileInfo = {};
    fileInfo.cbStruct = sizeof fileInfo;
    fileInfo.pcwszFilePath = path.c_str();
    fileInfo.hFile = file;
    WINTRUST_DATA data = {};
    data.cbStruct = sizeof data;
    data.dwUIChoice = WTD_UI_NONE;
    data.fdwRevocationChecks = WTD_REVOKE_NONE;
    data.dwUnionChoice = WTD_CHOICE_FILE;
    data.pFile = &fileInfo;
    data.dwStateAction = WTD_STATEACTION_VERIFY;
    // No network: the updater's checks need none, and an update must not hang on a fetch.
    data.dwProvFlags = WTD_CACHE_ONLY_URL_RETRIEVAL;
    GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
    const LONG result = WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &data);
    data.dwStateAction = WTD_STATEACTION_CLOSE;
    WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &data);
    return result;
}

// WinVerifyTrust's verdict on top of the updater's own. A system without a verifier for installer
// packages (Wine has none) cannot add its judgement; the updater's own check of the package has
// already covered its digest, signature and chain.
bool WindowsAgrees(HANDLE download, const std::wstring& downloadPath, bool package) {
    const LONG windows = WindowsTrustVerdict(download, downloadPath);
    if (windows == ERROR_SUCCESS) return true;
    if (windows == TRUST_E_SUBJECT_FORM_UNKNOWN && package) {
        LogLine("publisher: Windows has no verifier for installer packages (0x%08lX); the updater's own check stands",
                static_cast<unsigned long>(windows));
        return true;
    }
    LogLine("publisher: REFUSED by Windows, error 0x%08lX", static_cast<unsigned long>(windows));
    return false;
}

bool DownloadPasses(HANDLE download, const std::wstring& downloadPath,
                    const PublisherRequirement& requirement, const PublisherOptions& options) {
    bool passes = false;
    if (DemandSettles(requirement, passes)) return passes;
    const char* expected = requirement.subjectText.c_str();
    const SignatureCheck check = CheckFileSignature(download, ExpiredSigner::NeedsTimestamp);
    if (check.verdict != SignatureVerdict::Trusted) {
        LogLine("publisher: REFUSED, the download is %s (%s); expected \"%s\"", VerdictName(check.verdict),
                check.detail.c_str(), expected);
        return false;
    }
    const bool same = SameSubject(requirement, check.signer.get());
    if (!same && !OtherSubjectPasses(requirement, check.signer.get(), options)) return false;
    if (!WindowsAgrees(download, downloadPath, check.package)) return false;
    if (same) LogLine("publisher: same publisher \"%s\" (%s)", expected, check.detail.c_str());
    return true;
}

bool PublisherAllows(HANDLE download, const std::wstring& downloadPath, const std::wstring& targetPath,
                     bool subjectMayChange) {
    PublisherOptions options;
    options.subjectMayChange = subjectMayChange;
    return DownloadPasses(download, downloadPath, RequiredPublisher(targetPath), options);
}
