#include "updater/trust/ed25519.h"

#include <sodium.h>

#include <limits>

#include "ui/util/unique_handle.h"
#include "updater/update_log.h"

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr wchar_t kKeyResourceName[] = L"UPDATER_ED25519_KEYS";
constexpr char kKeyResourceNameUtf8[] = "UPDATER_ED25519_KEYS";

int Base64Value(char ch) {
    if (ch >= 'A' && ch <= 'Z') return ch - 'A';
    if (ch >= 'a' && ch <= 'z') return ch - 'a' + 26;
    if (ch >= '0' && ch <= '9') return ch - '0' + 52;
    if (ch == '+') return 62;
    if (ch == '/') return 63;
    return -1;
}

bool IsSpace(char ch) {
    return ch == ' ' || ch == '\t' || ch == '\r' || ch == '\n' || ch == '\v' || ch == '\f';
}

// libsodium's own initialisation is thread-safe and idempotent; the function-local static only
// spares repeated calls. A failure (no random source) does not matter for verification, which
// needs none, so it is not fatal here.
void EnsureSodium() {
    static const int initialised = sodium_init();
    (void)initialised;
}

BOOL CALLBACK FirstLanguage(HMODULE, LPCWSTR, LPCWSTR, WORD language, LONG_PTR found) {
    *reinterpret_cast<WORD*>(found) = language;
    return FALSE;  // the first language is enough
}

// A short, printable excerpt of a rejected key for the log.
std::string Printable(const std::string& text) {
    std::string out;
    for (char ch : text.substr(0, 60)) out += (ch >= 0x20 && ch < 0x7F) ? ch : '?';
    if (text.size() > 60) out += "...";
    return out;
}

}  // namespace

bool Base64Decode(std::string_view text, std::vector<std::uint8_t>& bytes) {
    bytes.clear();
    if (text.size() % 4 != 0) return false;
    for (std::size_t i = 0; i < text.size(); i += 4) {
        const bool last = i + 4 == text.size();
        int values[4];
        int padding = 0;
        for (int k = 0; k < 4; ++k) {
            const char ch = text[i + k];
            if (ch == '=' && last && k >= 2) {
                ++padding;
                values[k] = 0;
                continue;
            }
            if (padding > 0) return false;  // data after '='
            values[k] = Base64Value(ch);
            if (values[k] < 0) return false;
        }
        const std::uint32_t group = (values[0] << 18) | (values[1] << 12) | (values[2] << 6) | values[3];
        // Bits beyond the last full byte must be zero, so one key has exactly one spelling.
        if ((padding == 1 && (group & 0xFF)) || (padding == 2 && (group & 0xFFFF))) return false;
        bytes.push_back(static_cast<std::uint8_t>(group >> 16));
        if (padding < 2) bytes.push_back(static_cast<std::uint8_t>(group >> 8));
        if (padding < 1) bytes.push_back(static_cast<std::uint8_t>(group));
    }
    return true;
}

std::string Base64Encode(const std::uint8_t* data, std::size_t size) {
    std::string out;
    out.reserve((size + 2) / 3 * 4);
    for (std::size_t i = 0; i < size; i += 3) {
        const std::size_t left = size - i;
        std::uint32_t group = data[i] << 16;
        if (left > 1) group |= data[i + 1] << 8;
        if (left > 2) group |= data[i + 2];
        out += kAlphabet[(group >> 18) & 63];
        out += kAlphabet[(group >> 12) & 63];
        out += left > 1 ? kAlphabet[(group >> 6) & 63] : '=';
        out += left > 2 ? kAlphabet[group & 63] : '=';
    }
    return out;
}

std::vector<Ed25519Key> ParseEd25519Keys(std::string_view text, std::vector<std::string>* skipped) {
    while (!text.empty() && text.back() == '\0') text.remove_suffix(1);
    std::vector<Ed25519Key> keys;
    std::size_t pos = 0;
    while (pos < text.size()) {
        while (pos < text.size() && IsSpace(text[pos])) ++pos;
        std::size_t end = pos;
        while (end < text.size() && !IsSpace(text[end])) ++end;
        if (end == pos) break;
        const std::string_view word = text.substr(pos, end - pos);
        std::vector<std::uint8_t> bytes;
        if (Base64Decode(word, bytes) && bytes.size() == 32) {
            Ed25519Key key;
            std::copy(bytes.begin(), bytes.end(), key.begin());
            keys.push_back(key);
        } else if (skipped) {
            skipped->emplace_back(word);
        }
        pos = end;
    }
    return keys;
}

namespace {

// The text of resource `name` of `type` in whichever language the vendor's .rc used (FindResourceW
// prefers some languages and may miss a resource compiled under another one). False when the
// module has no such resource.
bool ResourceText(HMODULE module, LPCWSTR type, LPCWSTR name, std::string_view& text) {
    WORD language = 0xFFFF;
    EnumResourceLanguagesW(module, type, name, FirstLanguage, reinterpret_cast<LONG_PTR>(&language));
    if (language == 0xFFFF) return false;
    HRSRC resource = FindResourceExW(module, type, name, language);
    HGLOBAL loaded = resource ? LoadResource(module, resource) : nullptr;
    const void* data = loaded ? LockResource(loaded) : nullptr;
    if (data == nullptr) return false;
    text = std::string_view(static_cast<const char*>(data), SizeofResource(module, resource));
    return true;
}

}  // namespace

KeyResource ReadProgramKeys(const std::wstring& programPath, std::vector<Ed25519Key>& keys) {
    keys.clear();
    // As data and as an image resource: nothing of the program runs, not even its DllMain.
    UniqueModule module(LoadLibraryExW(programPath.c_str(), nullptr,
                                       LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
    if (!module) return KeyResource::Missing;
    // Ours first; a program already set up for WinSparkle-style feeds carries its key as the
    // resource "EdDSAPub" of type "EDDSA", and keeps it.
    std::string_view text;
    const char* form = kKeyResourceNameUtf8;
    if (!ResourceText(module.Get(), RT_RCDATA, kKeyResourceName, text)) {
        form = "EdDSAPub";
        if (!ResourceText(module.Get(), L"EDDSA", L"EdDSAPub", text)) return KeyResource::Missing;
    }
    std::vector<std::string> skipped;
    keys = ParseEd25519Keys(text, &skipped);
    for (const std::string& word : skipped) {
        LogLine("feed keys: skipped a malformed key \"%s\" in the %s resource of %s", Printable(word).c_str(), form,
                Utf8(programPath).c_str());
    }
    if (keys.empty()) {
        LogLine("feed keys: the %s resource of %s holds no well-formed key", form, Utf8(programPath).c_str());
        return KeyResource::NoWellFormedKey;
    }
    return KeyResource::Keys;
}

int VerifyWithAnyKey(const std::uint8_t* data, std::size_t size, const std::vector<std::uint8_t>& signature,
                     const std::vector<Ed25519Key>& keys) {
    if (signature.size() != crypto_sign_ed25519_BYTES) return -1;
    EnsureSodium();
    static const std::uint8_t kEmpty = 0;
    if (data == nullptr) data = &kEmpty;
    for (std::size_t i = 0; i < keys.size(); ++i) {
        if (crypto_sign_ed25519_verify_detached(signature.data(), data, size, keys[i].data()) == 0) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

int VerifyFileWithAnyKey(HANDLE file, const std::vector<std::uint8_t>& signature,
                         const std::vector<Ed25519Key>& keys) {
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file, &size) || size.QuadPart < 0) return -1;
    if (size.QuadPart == 0) return VerifyWithAnyKey(nullptr, 0, signature, keys);
    if (static_cast<unsigned long long>(size.QuadPart) > std::numeric_limits<std::size_t>::max()) return -1;
    UniqueHandle mapping(CreateFileMappingW(file, nullptr, PAGE_READONLY, 0, 0, nullptr));
    if (!mapping) return -1;
    UniqueMappedView view(MapViewOfFile(mapping.Get(), FILE_MAP_READ, 0, 0, 0));
    if (!view) {
        LogLine("feed: the download (%lld bytes) cannot be mapped to check its signature, error %lu",
                static_cast<long long>(size.QuadPart), GetLastError());
        return -1;
    }
    return VerifyWithAnyKey(static_cast<const std::uint8_t*>(view.Get()), static_cast<std::size_t>(size.QuadPart),
                            signature, keys);
}
