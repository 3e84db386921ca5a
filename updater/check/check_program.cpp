#include "updater/check/check_program.h"

#include "ui/util/unique_handle.h"
#include "updater/paths.h"
#include "updater/trust/authenticode_check.h"
#include "updater/update_log.h"

bool ReadInstalledProgram(const std::wstring& path, InstalledProgram& program) {
    program.path = path;
    if (!ReadProgramFacts(path, program.facts) || !program.facts.isWindowsProgram) {
        LogLine("check: FAILED, \"%s\" cannot be read as a Windows program", Utf8(path).c_str());
        return false;
    }
    if (!program.facts.hasVersionResource) {
        LogLine("check: FAILED, \"%s\" has no version resource, it cannot use the feed", Utf8(path).c_str());
        return false;
    }
    const KeyResource keys = ReadProgramKeys(path, program.keys);
    if (keys == KeyResource::Missing) {
        LogLine("check: FAILED, \"%s\" has no UPDATER_ED25519_KEYS resource (nor an EdDSAPub one), it cannot use "
                "the feed", Utf8(path).c_str());
        return false;
    }
    if (keys == KeyResource::NoWellFormedKey) {
        LogLine("check: FAILED, the key resource of \"%s\" holds no well-formed Ed25519 key, it cannot use the feed",
                Utf8(path).c_str());
        return false;
    }
    LogLine("check: installed \"%s\" version \"%s\", %u key(s)", Utf8(program.facts.productName).c_str(),
            Utf8(program.facts.fileVersion).c_str(), static_cast<unsigned>(program.keys.size()));
    return true;
}

bool HasTrustedAuthenticode(const std::wstring& path) {
    const UniqueHandle file(CreateFileW(LongPathForm(path).c_str(), GENERIC_READ,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    const SignatureCheck check = CheckFileSignature(file.Get(), ExpiredSigner::Accepted);
    LogLine("check: the installed program's Authenticode signature is %s (%s)", VerdictName(check.verdict),
            check.detail.c_str());
    return check.verdict == SignatureVerdict::Trusted;
}

SystemVersion RunningSystemVersion() {
    using GetVersionFunction = LONG(WINAPI*)(OSVERSIONINFOW*);
    SystemVersion version;
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    const auto getVersion = reinterpret_cast<GetVersionFunction>(
        reinterpret_cast<void*>(ntdll ? GetProcAddress(ntdll, "RtlGetVersion") : nullptr));
    OSVERSIONINFOW info = {};
    info.dwOSVersionInfoSize = sizeof info;
    if (getVersion != nullptr && getVersion(&info) == 0) {
        version.major = info.dwMajorVersion;
        version.minor = info.dwMinorVersion;
        version.build = info.dwBuildNumber;
    }
    return version;
}
