#include "updater/trust/publisher_pin.h"

#include "updater/trust/authenticode_check.h"
#include "updater/trust/certificate_chain.h"
#include "updater/paths.h"
#include "updater/update_log.h"
#include "ui/util/unique_handle.h"

// wintrust.h needs wincrypt.h, which authenticode_check.h brings.
#include <softpub.h>
#include <wintrust.h>

namespace {

bool SamePublisher(PCCERT_CONTEXT oldSigner, PCCERT_CONTEXT newSigner) {
    return CertCompareCertificateName(X509_ASN_ENCODING, &oldSigner->pCertInfo->Subject,
                                      &newSigner->pCertInfo->Subject) != FALSE;
}

// The program being replaced, opened only to read while others may do anything with it.
UniqueHandle OpenInstalled(const std::wstring& path) {
    return UniqueHandle(CreateFileW(LongPathForm(path).c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

// The publisher the program being replaced names, or none (the rule then asks for nothing).
CertificatePtr InstalledPublisher(const std::wstring& targetPath) {
    const UniqueHandle installed = OpenInstalled(targetPath);
    if (!installed) {
        LogLine("publisher: the program being replaced cannot be read, no publisher required");
        return CertificatePtr();
    }
    SignatureCheck check = CheckFileSignature(installed.Get(), ExpiredSigner::Accepted);
    if (check.verdict != SignatureVerdict::Trusted) {
        LogLine("publisher: the program being replaced is %s (%s), no publisher required",
                VerdictName(check.verdict), check.detail.c_str());
    }
    return std::move(check.signer);
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

bool PublisherAllows(HANDLE download, const std::wstring& downloadPath, const std::wstring& targetPath,
                     bool subjectMayChange) {
    const CertificatePtr publisher = InstalledPublisher(targetPath);
    if (!publisher) return true;
    const std::string expected = SubjectText(publisher.get());
    const SignatureCheck check = CheckFileSignature(download, ExpiredSigner::NeedsTimestamp);
    if (check.verdict != SignatureVerdict::Trusted) {
        LogLine("publisher: REFUSED, the download is %s (%s); expected \"%s\"", VerdictName(check.verdict),
                check.detail.c_str(), expected.c_str());
        return false;
    }
    const bool samePublisher = SamePublisher(publisher.get(), check.signer.get());
    if (!samePublisher && subjectMayChange) {
        LogLine("publisher: subject changes to \"%s\" from \"%s\", carried by the ed25519 key",
                SubjectText(check.signer.get()).c_str(), expected.c_str());
    } else if (!samePublisher) {
        LogLine("publisher: REFUSED, other publisher \"%s\"; expected \"%s\"",
                SubjectText(check.signer.get()).c_str(), expected.c_str());
        return false;
    }
    const LONG windows = WindowsTrustVerdict(download, downloadPath);
    if (windows != ERROR_SUCCESS) {
        LogLine("publisher: REFUSED by Windows, error 0x%08lX", static_cast<unsigned long>(windows));
        return false;
    }
    if (samePublisher) LogLine("publisher: same publisher \"%s\" (%s)", expected.c_str(), check.detail.c_str());
    return true;
}
