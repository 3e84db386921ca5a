#pragma once
// What the feed tests share: Ed25519 signatures made by openssl at test time with the test keys
// beside this file (vendor_key.pem is the key the sample hosts carry, new_key.pem the one a
// "lost key" release brings; both are test-only keys, committed on purpose), appcast feeds in
// the signed form, the sample host's feed state in the registry, and runs of the real updater.

#include <windows.h>
// wincrypt.h needs windows.h first.
#include <wincrypt.h>

#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/process.h"
#include "tests/support/unix_tools.h"

// Batches signatures: one openssl run (through Wine, seconds) signs everything added.
class OpensslSigner {
public:
    void Add(const std::string& key, const std::string& bytes) {
        names_.push_back(folder_.Path() + std::to_wstring(names_.size()) + L"." + Wide(key));
        WriteWholeFile(names_.back() + L".in", bytes);
    }
    // The base64 signatures, in the order added; empty ones when openssl did not run.
    std::vector<std::string> Run() {
        UniqueHandle process;
        const std::string script = std::string(TESTS_SOURCE_DIR) + "/sign_ed25519.sh";
        if (StartUnixProgram("/bin/sh", script + " " + UnixPathOf(folder_.Path()), process)) {
            WaitUntil([&] { return FileExists(folder_.Path() + L"done"); }, 120000);
            WaitForSingleObject(process.Get(), 5000);
        }
        std::vector<std::string> signatures;
        for (const std::wstring& name : names_) signatures.push_back(ReadWholeFile(name + L".sig"));
        return signatures;
    }
    static std::wstring Wide(const std::string& text) { return std::wstring(text.begin(), text.end()); }

private:
    ScratchFolder folder_{L"openssl-sign"};
    std::vector<std::wstring> names_;
};

// One <item>: `extra` is written inside it as is (channel, critical, minimum system ...).
struct FeedItemText {
    std::string version;
    std::string url;
    std::string length;       // empty: no length attribute
    std::string edSignature;
    std::string extra;
    std::string os;           // sparkle:os of the enclosure, empty: none
    bool description = true;  // inline notes; without them the item's notes are only its link
};

inline std::string AppcastText(const std::string& channelExtra, const std::vector<FeedItemText>& items) {
    std::string text =
        "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<rss version=\"2.0\" "
        "xmlns:sparkle=\"http://www.andymatuschak.org/xml-namespaces/sparkle\" xmlns:upd=\"urn:updater:feed:1\">\n"
        "<channel><title>Feed Test Host</title>" + channelExtra + "\n";
    for (const FeedItemText& item : items) {
        text += "<item><title>Version " + item.version + "</title><sparkle:version>" + item.version +
                "</sparkle:version>" +
                (item.description ? "<description><![CDATA[<p>New <b>things</b></p>]]></description>" : "") + item.extra +
                "<enclosure url=\"" + item.url + "\"" + (item.length.empty() ? "" : " length=\"" + item.length + "\"") +
                (item.os.empty() ? "" : " sparkle:os=\"" + item.os + "\"") +
                " type=\"application/octet-stream\" sparkle:edSignature=\"" + item.edSignature + "\"/></item>\n";
    }
    return text + "</channel></rss>\n";
}

inline std::string WithSignatureBlock(const std::string& text, const std::string& signature) {
    return text + "<!-- sparkle-signatures:\nedSignature: " + signature + "\nlength: " + std::to_string(text.size()) +
           "\n-->\n";
}

// The sample hosts' feed state (their version resource names company and product).
constexpr wchar_t kVendorKey[] = L"Software\\Updater Test Vendor";
constexpr wchar_t kStateKey[] = L"Software\\Updater Test Vendor\\Feed Test Host\\Updater";

inline void ClearFeedState() {
    RegDeleteTreeW(HKEY_CURRENT_USER, kVendorKey);
    RegDeleteKeyW(HKEY_CURRENT_USER, kVendorKey);
}

// Removes a root from the registry part of the user's root store by its key, the certificate's
// SHA-1 thumbprint: Wine's store keeps some of the roots the owners delete through their contexts.
inline void Distrust(const std::string& der) {
    BYTE hash[20] = {};
    DWORD size = sizeof hash;
    if (!CryptHashCertificate(0, CALG_SHA1, 0, reinterpret_cast<const BYTE*>(der.data()), static_cast<DWORD>(der.size()),
                              hash, &size)) {
        return;
    }
    wchar_t key[128] = L"Software\\Microsoft\\SystemCertificates\\Root\\Certificates\\";
    for (BYTE b : hash) swprintf(key + wcslen(key), 3, L"%02X", b);
    RegDeleteTreeW(HKEY_CURRENT_USER, key);
    RegDeleteKeyW(HKEY_CURRENT_USER, key);
}
