#include "tests/support/code_signing.h"

#include "tests/support/tls_server.h"
#include "tests/support/unix_tools.h"

TestSignedPrograms::TestSignedPrograms(const std::wstring& oldProgram, const std::wstring& newProgram) {
    const std::string arguments = TestSupportFolder() + "/make_signed_programs.sh " +
                                  UnixPathOf(folder_.Path()) + " " + UnixPathOf(oldProgram) + " " +
                                  UnixPathOf(newProgram);
    UniqueHandle process;
    if (!StartUnixProgram("/bin/sh", arguments, process)) return;
    const bool made = WaitUntil([&] { return FileExists(Path(L"done")); }, 180000);
    WaitForSingleObject(process.Get(), 5000);
    if (made) trusted_ = TrustInUserRoot(ReadWholeFile(Path(L"root.der")));
}

TestSignedPrograms::~TestSignedPrograms() {
    if (trusted_ != nullptr) CertDeleteCertificateFromStore(trusted_);
}
