#pragma once
// The sample host programs signed with Authenticode at test time by certificates that openssl
// makes (tests/support/make_signed_programs.sh); the test code-signing root is trusted in the
// user's root store of the test prefix only while the object lives.
//
// Files: "old.exe"/"new.exe" (unsigned), "old-a.exe"/"new-a.exe" (publisher A), "new-b.exe"
// (publisher B), "new-stranger.exe" (A's name from an untrusted root), "new-serverauth.exe" (A,
// certificate not for code signing), "new-expired.exe", "new-expired-stamped.exe" (A's expired
// certificate, the latter with a time stamp made within its validity), "new-changed.exe" (A,
// changed after signing), "new-rewritten.exe" (changed, and its signed image digest rewritten
// to match), "new-trailing.exe" (A, data appended after the signature).

#include <windows.h>
// wincrypt.h needs windows.h first.
#include <wincrypt.h>

#include <string>

#include "tests/support/process.h"

class TestSignedPrograms {
public:
    // With `onlyPublisherA`, just "old-a.exe" and "new-a.exe" are made.
    TestSignedPrograms(const std::wstring& oldProgram, const std::wstring& newProgram, bool onlyPublisherA = false);
    ~TestSignedPrograms();
    TestSignedPrograms(const TestSignedPrograms&) = delete;
    TestSignedPrograms& operator=(const TestSignedPrograms&) = delete;

    bool Ready() const { return trusted_ != nullptr; }
    std::wstring Path(const std::wstring& name) const { return folder_.Path() + name; }

private:
    ScratchFolder folder_{L"signed"};
    PCCERT_CONTEXT trusted_ = nullptr;
};
