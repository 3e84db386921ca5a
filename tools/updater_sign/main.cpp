// updater-sign.exe: the vendor's side of the update feed. It makes an Ed25519 key, signs a
// release file (printing the enclosure's attributes) and signs the feed (appending the comment
// the updater verifies). Everything it writes, openssl reads, and the other way round.

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "delta_command.h"
#include "feed_signing.h"
#include "package_pack.h"
#include "signing_key.h"
#include "ui/util/unique_handle.h"
#include "updater/paths.h"
#include "updater/trust/ed25519.h"
#include "updater/update_log.h"

namespace {

constexpr wchar_t kDefaultKeyFile[] = L"updater-ed25519.pem";

constexpr char kUsage[] =
    "usage:\n"
    "  updater-sign generate-key [PRIVATE.pem]   new key (never overwrites); prints the public key\n"
    "  updater-sign public-key PRIVATE.pem       prints the public key for UPDATER_ED25519_KEYS\n"
    "  updater-sign sign-file PRIVATE.pem FILE   prints sparkle:edSignature=\"...\" length=\"...\"\n"
    "  updater-sign sign-feed PRIVATE.pem FEED [--expires RFC3339 | --no-expires] [--serial N]\n"
    "                                            sets <upd:serial> (by default the signing time in\n"
    "                                            UTC seconds, above the feed's own), signs FEED in place;\n"
    "                                            an expiry must lie at least an hour ahead, and without\n"
    "                                            --expires the feed's own is kept only while it does\n"
    "  updater-sign pack FOLDER --main MAIN.exe --version V --key PRIVATE.pem --out DIR\n"
    "                                            the package zip, a portable zip and the feed item\n"
    "  updater-sign delta OLD.zip NEW.zip --key PRIVATE.pem --out DIR\n"
    "                                            the delta between two packages and its feed lines\n"
    "  updater-sign --help                       this text\n"
    "VENDOR-GUIDE.md in the release explains the feed's elements, signing, key rotation and recovery.\n";

// Asked for: on the standard output, success. After a mistake: on the error output, exit 2.
int Usage(bool asked = false) {
    std::fputs(kUsage, asked ? stdout : stderr);
    return asked ? 0 : 2;
}

int Fail(const std::string& message) {
    std::fprintf(stderr, "updater-sign: %s\n", message.c_str());
    return 1;
}

bool ReadWholeFile(const std::wstring& path, std::string& bytes) {
    UniqueHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    LARGE_INTEGER size;
    if (!file || !GetFileSizeEx(file.Get(), &size) || size.QuadPart > 0x7FFFFFFF) return false;
    bytes.resize(static_cast<std::size_t>(size.QuadPart));
    DWORD read = 0;
    return bytes.empty() ||
           (ReadFile(file.Get(), &bytes[0], static_cast<DWORD>(bytes.size()), &read, nullptr) && read == bytes.size());
}

// Written beside the target and renamed over it, so a feed is never left half-written.
bool WriteWholeFile(const std::wstring& path, const std::string& bytes, bool mayReplace) {
    const std::wstring temporary = mayReplace ? path + L".signing" : path;
    UniqueHandle file(CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, mayReplace ? CREATE_ALWAYS : CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    const bool ok = file && WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                    written == bytes.size() && FlushFileBuffers(file.Get());
    file.Reset();
    if (!mayReplace) return ok;
    if (ok && MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        return true;
    }
    DeleteFileW(temporary.c_str());
    return false;
}

bool LoadKey(const std::wstring& path, Ed25519Seed& seed) {
    std::string pem;
    return ReadWholeFile(path, pem) && ParsePrivateKey(pem, seed);
}

void PrintPublicKey(const Ed25519Seed& seed) {
    const auto key = PublicKeyOf(seed);
    std::printf("%s\n", Base64Encode(key.data(), key.size()).c_str());
}

int GenerateKey(const std::wstring& path) {
    Ed25519Seed seed;
    if (!NewSeed(seed)) return Fail("no random source");
    if (!WriteWholeFile(path, PrivateKeyPem(seed), false)) {
        return Fail("cannot create " + Utf8(path) + " (an existing key is never overwritten)");
    }
    std::fprintf(stderr, "updater-sign: private key written to %s; keep it secret and backed up.\n"
                         "Public key (for the UPDATER_ED25519_KEYS resource):\n", Utf8(path).c_str());
    PrintPublicKey(seed);
    return 0;
}

int PublicKey(const std::wstring& keyPath) {
    Ed25519Seed seed;
    if (!LoadKey(keyPath, seed)) return Fail("cannot read an Ed25519 private key from " + Utf8(keyPath));
    PrintPublicKey(seed);
    return 0;
}

int SignFile(const std::wstring& keyPath, const std::wstring& path) {
    Ed25519Seed seed;
    if (!LoadKey(keyPath, seed)) return Fail("cannot read an Ed25519 private key from " + Utf8(keyPath));
    std::string bytes;
    if (!ReadWholeFile(path, bytes)) return Fail("cannot read " + Utf8(path));
    const auto signature = SignBytes(seed, reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    std::printf("sparkle:edSignature=\"%s\" length=\"%zu\"\n", Base64Encode(signature.data(), signature.size()).c_str(),
                bytes.size());
    return 0;
}

// The options after the feed's path; false on anything unknown, repeated or contradictory.
bool ReadFeedOptions(int argc, wchar_t** argv, FeedSigningOptions& options) {
    for (int at = 4; at < argc; ++at) {
        const std::wstring option = argv[at];
        const bool hasValue = at + 1 < argc;
        if (option == L"--expires" && hasValue && options.expires.empty() && !options.noExpires) {
            options.expires = argv[++at];
            if (options.expires.empty()) return false;
        } else if (option == L"--no-expires" && options.expires.empty() && !options.noExpires) {
            options.noExpires = true;
        } else if (option == L"--serial" && hasValue && !options.serial) {
            const std::wstring text = argv[++at];
            if (text.empty() || text.size() > 19 || text.find_first_not_of(L"0123456789") != std::wstring::npos) {
                return false;
            }
            options.serial = std::stoull(text);
        } else {
            return false;
        }
    }
    return true;
}

std::int64_t UtcSecondsNow() {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    const std::uint64_t ticks = (static_cast<std::uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
    return static_cast<std::int64_t>(ticks / 10000000ULL) - 11644473600LL;
}

int SignFeed(const std::wstring& keyPath, const std::wstring& path, FeedSigningOptions options) {
    Ed25519Seed seed;
    if (!LoadKey(keyPath, seed)) return Fail("cannot read an Ed25519 private key from " + Utf8(keyPath));
    std::string feed, prepared, error;
    if (!ReadWholeFile(path, feed)) return Fail("cannot read " + Utf8(path));
    options.now = UtcSecondsNow();
    if (!PrepareFeed(WithoutSignature(feed), options, prepared, error)) return Fail(Utf8(path) + ": " + error);
    if (!WriteWholeFile(path, prepared + SignatureComment(seed, prepared), true)) {
        return Fail("cannot write " + Utf8(path));
    }
    return 0;
}

// The launcher ships beside this tool.
std::wstring LauncherBesideTool() {
    wchar_t self[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH);
    return length == 0 || length >= MAX_PATH ? std::wstring() : FolderOf(self) + L"launcher.exe";
}

int Pack(int argc, wchar_t** argv) {
    PackRequest request;
    request.folder = argv[2];
    std::wstring keyPath;
    for (int i = 3; i + 1 < argc; i += 2) {
        const std::wstring option = argv[i];
        std::wstring* value = option == L"--main" ? &request.main : option == L"--version" ? &request.version
                            : option == L"--key" ? &keyPath : option == L"--out" ? &request.outFolder : nullptr;
        if (value == nullptr) return Usage();
        *value = argv[i + 1];
    }
    if (argc % 2 == 0 || request.main.empty() || request.version.empty() || keyPath.empty() ||
        request.outFolder.empty()) {
        return Usage();
    }
    Ed25519Seed seed;
    if (!LoadKey(keyPath, seed)) return Fail("cannot read an Ed25519 private key from " + Utf8(keyPath));
    request.launcher = LauncherBesideTool();
    PackResult result;
    std::string error;
    if (!PackRelease(request, seed, result, error)) return Fail(error);
    std::printf("package: %s\nportable: %s\n%s", Utf8(result.package).c_str(), Utf8(result.portable).c_str(),
                result.feedItem.c_str());
    return 0;
}

int Delta(int argc, wchar_t** argv) {
    DeltaRequest request;
    request.oldPackage = argv[2];
    request.newPackage = argv[3];
    std::wstring keyPath;
    for (int i = 4; i + 1 < argc; i += 2) {
        const std::wstring option = argv[i];
        std::wstring* value = option == L"--key" ? &keyPath : option == L"--out" ? &request.outFolder : nullptr;
        if (value == nullptr) return Usage();
        *value = argv[i + 1];
    }
    if (argc % 2 != 0 || keyPath.empty() || request.outFolder.empty()) return Usage();
    Ed25519Seed seed;
    if (!LoadKey(keyPath, seed)) return Fail("cannot read an Ed25519 private key from " + Utf8(keyPath));
    DeltaResult result;
    std::string error;
    if (!MakeDelta(request, seed, result, error)) return Fail(error);
    const double percent = result.fullBytes == 0 ? 0.0 : 100.0 * double(result.deltaBytes) / double(result.fullBytes);
    if (!result.written) {
        std::printf("delta: none written: it would take %llu bytes, %.1f%% of the full package (%llu bytes), "
                    "over 50%%\n", static_cast<unsigned long long>(result.deltaBytes), percent,
                    static_cast<unsigned long long>(result.fullBytes));
        return 0;
    }
    std::printf("delta: %s\n%llu bytes, %.1f%% of the full package (%llu bytes)\n%s", Utf8(result.delta).c_str(),
                static_cast<unsigned long long>(result.deltaBytes), percent,
                static_cast<unsigned long long>(result.fullBytes), result.feedItem.c_str());
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring command = argc > 1 ? argv[1] : L"";
    if (command == L"generate-key" && argc <= 3) return GenerateKey(argc == 3 ? argv[2] : kDefaultKeyFile);
    if (command == L"public-key" && argc == 3) return PublicKey(argv[2]);
    if (command == L"sign-file" && argc == 4) return SignFile(argv[2], argv[3]);
    if (command == L"--help" || command == L"-h" || command == L"/?" || command == L"help") return Usage(true);
    FeedSigningOptions options;
    if (command == L"sign-feed" && argc >= 4 && ReadFeedOptions(argc, argv, options)) {
        return SignFeed(argv[2], argv[3], options);
    }
    if (command == L"pack" && argc >= 3) return Pack(argc, argv);
    if (command == L"delta" && argc >= 4) return Delta(argc, argv);
    return Usage();
}
