#pragma once
// The sample host programs signed with Authenticode at test time (make_signed_programs.sh); its
// code-signing root is trusted in the test prefix's user root store only while the object lives.
//
// Files: "old.exe"/"new.exe" (unsigned); "-a" and "-b": publisher A or B; "new-stranger.exe": A's
// name from an untrusted root; "new-serverauth.exe": A, not for code signing; "new-expired.exe",
// "new-expired-stamped.exe": A expired, the latter time-stamped within its validity;
// "new-changed.exe": A, changed after signing; "new-rewritten.exe": changed, the signed digest
// rewritten to match; "new-trailing.exe": A, data appended after the signature;
// "old-a-tagged.exe": A, tag data added inside its certificate entry (still valid);
// "old-garbled.exe": A's certificate entry with its signature damaged past reading;
// "new.msi", "new-a.msi", "new-b.msi": a Windows Installer package of new.exe (installing
// host_app.exe under INSTALLDIR), unsigned, signed by A, signed by B; "new-changed.msi": A,
// one byte of its cabinet changed after signing.

#include <string>

#include "tests/support/tls_server.h"

class TestSignedPrograms {
public:
    TestSignedPrograms(const std::wstring& oldProgram, const std::wstring& newProgram);
    ~TestSignedPrograms();
    TestSignedPrograms(const TestSignedPrograms&) = delete;
    TestSignedPrograms& operator=(const TestSignedPrograms&) = delete;

    bool Ready() const { return trusted_ != nullptr; }
    std::wstring Path(const std::wstring& name) const { return folder_.Path() + name; }

private:
    ScratchFolder folder_{L"signed"};
    PCCERT_CONTEXT trusted_ = nullptr;
};
