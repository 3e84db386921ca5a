#include "tests/support/tls_server.h"

#include <sstream>

#include "tests/support/unix_tools.h"

namespace {

constexpr DWORD kToolTimeoutMs = 60000;

std::string ReadFileAt(const std::string& unixPath) {
    return ReadWholeFile(L"Z:" + std::wstring(unixPath.begin(), unixPath.end()));
}

// The registry part of the user's root store in this prefix; adding to it is what "trusted" means
// to Windows. (Wine's "Root" system store takes no additions: its own part comes from the host.)
HCERTSTORE OpenUserRoot() {
    return CertOpenStore(CERT_STORE_PROV_SYSTEM_REGISTRY_W, 0, 0, CERT_SYSTEM_STORE_CURRENT_USER, L"Root");
}

}  // namespace

PCCERT_CONTEXT TrustInUserRoot(const std::string& der) {
    HCERTSTORE root = OpenUserRoot();
    PCCERT_CONTEXT trusted = nullptr;
    if (root == nullptr) return nullptr;
    CertAddEncodedCertificateToStore(root, X509_ASN_ENCODING, reinterpret_cast<const BYTE*>(der.data()),
                                     static_cast<DWORD>(der.size()), CERT_STORE_ADD_REPLACE_EXISTING, &trusted);
    CertCloseStore(root, 0);
    return trusted;
}

TestAuthority::TestAuthority(const std::string& crlUrl) : unixFolder_(UnixPathOf(folder_.Path())) {
    if (unixFolder_.empty()) return;
    const std::string arguments = TestSupportFolder() + "/make_test_certs.sh " + unixFolder_ + " " + crlUrl +
                                  " http://127.0.0.1:1/offline.crl";
    UniqueHandle process;
    if (!StartUnixProgram("/bin/sh", arguments, process)) return;
    const bool made = WaitUntil([&] { return FileExists(folder_.Path() + L"done"); }, kToolTimeoutMs);
    WaitForSingleObject(process.Get(), 5000);
    if (!made) return;
    trusted_ = TrustInUserRoot(ReadFileAt(UnixPath("ca.der")));
}

TestAuthority::~TestAuthority() {
    // Deleting from the store also frees the context.
    if (trusted_ != nullptr) CertDeleteCertificateFromStore(trusted_);
}

std::string TestAuthority::RevocationList() const {
    return ReadFileAt(UnixPath("ca.crl"));
}

std::string TestAuthority::UnixPath(const std::string& name) const {
    return unixFolder_ + "/" + name;
}

PCCERT_CONTEXT TestAuthority::Certificate(const std::string& name) const {
    const std::string pem = ReadFileAt(UnixPath(name + ".pem"));
    DWORD bytes = 0;
    if (!CryptStringToBinaryA(pem.c_str(), static_cast<DWORD>(pem.size()), CRYPT_STRING_BASE64HEADER, nullptr,
                              &bytes, nullptr, nullptr)) {
        return nullptr;
    }
    std::string der(bytes, '\0');
    CryptStringToBinaryA(pem.c_str(), static_cast<DWORD>(pem.size()), CRYPT_STRING_BASE64HEADER,
                         reinterpret_cast<BYTE*>(&der[0]), &bytes, nullptr, nullptr);
    return CertCreateCertificateContext(X509_ASN_ENCODING, reinterpret_cast<const BYTE*>(der.data()), bytes);
}

TestTlsServer::TestTlsServer(const TestAuthority& authority, unsigned short upstreamPort,
                             const std::vector<std::string>& certificates)
    : certificates_(certificates), portsFile_(folder_.Path() + L"ports") {
    const std::string portFile = UnixPathOf(folder_.Path()) + "/ports";
    std::string arguments = TestSupportFolder() + "/tls_relay.py " + std::to_string(upstreamPort) + " " +
                            portFile + " " + authority.UnixPath("leaf.key");
    for (const std::string& name : certificates) arguments += " " + authority.UnixPath(name + ".pem");
    if (!StartUnixProgram("/usr/bin/python3", arguments, relay_)) return;
    if (!WaitUntil([&] { return FileExists(portsFile_); }, kToolTimeoutMs)) return;
    std::istringstream list(ReadWholeFile(portsFile_));
    unsigned short port = 0;
    for (size_t i = 0; i < certificates.size() && list >> port; ++i) ports_[certificates[i]] = port;
}

TestTlsServer::~TestTlsServer() {
    DeleteFileW(portsFile_.c_str());
    if (relay_) WaitForSingleObject(relay_.Get(), 5000);
}

std::string TestTlsServer::Url(const std::string& certificate, const std::string& path) const {
    const auto found = ports_.find(certificate);
    return "https://localhost:" + std::to_string(found == ports_.end() ? 0 : found->second) + path;
}

std::wstring TestTlsServer::WideUrl(const std::string& certificate, const std::string& path) const {
    const std::string url = Url(certificate, path);
    return std::wstring(url.begin(), url.end());
}
