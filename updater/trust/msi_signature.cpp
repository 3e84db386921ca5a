#include "updater/trust/msi_signature.h"

#include <objbase.h>

#include <algorithm>
#include <cstring>
#include <memory>

#include "updater/trust/cng_hash.h"
#include "updater/trust/handle_lock_bytes.h"
#include "updater/trust/pe_image_hash.h"

namespace {

struct ComRelease {
    void operator()(IUnknown* object) const {
        if (object != nullptr) object->Release();
    }
};
template <typename T>
using ComPtr = std::unique_ptr<T, ComRelease>;

const wchar_t kSignatureStream[] = L"\x05" L"DigitalSignature";
// A signature over the package's metadata too; no tool the updater's vendors use makes one, and
// checking it differently would be guessing, so such a package is refused.
const wchar_t kExtendedSignatureStream[] = L"\x05" L"MsiDigitalSignatureEx";
constexpr ULONG kStreamChunk = 1024 * 1024;

struct Entry {
    std::wstring name;
    DWORD type = 0;
};

ComPtr<IStorage> OpenPackage(HANDLE file, std::string& problem) {
    ComPtr<ILockBytes> bytes(NewHandleLockBytes(file));
    IStorage* storage = nullptr;
    if (!bytes) {
        problem = "out of memory";
    } else if (FAILED(StgOpenStorageOnILockBytes(bytes.get(), nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE,
                                                 nullptr, 0, &storage))) {
        problem = "not a readable compound file";
    }
    return ComPtr<IStorage>(storage);
}

bool ListEntries(IStorage* storage, std::vector<Entry>& entries) {
    IEnumSTATSTG* raw = nullptr;
    if (FAILED(storage->EnumElements(0, nullptr, 0, &raw))) return false;
    const ComPtr<IEnumSTATSTG> walk(raw);
    STATSTG stat = {};
    while (walk->Next(1, &stat, nullptr) == S_OK) {
        if (stat.pwcsName != nullptr) entries.push_back({stat.pwcsName, stat.type});
        CoTaskMemFree(stat.pwcsName);
    }
    std::sort(entries.begin(), entries.end(),
              [](const Entry& a, const Entry& b) { return MsiEntryBefore(a.name, b.name); });
    return true;
}

bool HashStream(IStorage* storage, const std::wstring& name, CngHash& hash) {
    IStream* raw = nullptr;
    if (FAILED(storage->OpenStream(name.c_str(), nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0, &raw))) return false;
    const ComPtr<IStream> stream(raw);
    std::unique_ptr<unsigned char[]> buffer(new (std::nothrow) unsigned char[kStreamChunk]);
    if (!buffer) return false;
    for (;;) {
        ULONG read = 0;
        if (FAILED(stream->Read(buffer.get(), kStreamChunk, &read))) return false;
        if (read == 0) return true;
        hash.Update(buffer.get(), read);
    }
}

bool HashStorage(IStorage* storage, bool root, CngHash& hash) {
    std::vector<Entry> entries;
    STATSTG self = {};
    if (!ListEntries(storage, entries) || FAILED(storage->Stat(&self, STATFLAG_NONAME))) return false;
    for (const Entry& entry : entries) {
        if (root && (entry.name == kSignatureStream || entry.name == kExtendedSignatureStream)) continue;
        if (entry.type == STGTY_STREAM && !HashStream(storage, entry.name, hash)) return false;
        if (entry.type != STGTY_STORAGE) continue;
        IStorage* raw = nullptr;
        if (FAILED(storage->OpenStorage(entry.name.c_str(), nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, nullptr, 0,
                                        &raw))) {
            return false;
        }
        const ComPtr<IStorage> child(raw);
        if (!HashStorage(child.get(), false, hash)) return false;
    }
    hash.Update(&self.clsid, sizeof self.clsid);
    return hash.Ok();
}

}  // namespace

bool IsCompoundFile(const unsigned char* head, size_t size) {
    static const unsigned char kMagic[] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
    return size >= sizeof kMagic && std::memcmp(head, kMagic, sizeof kMagic) == 0;
}

// Signing tools compare the raw UTF-16LE names, terminating null included, byte by byte over the
// shorter length; that is neither code-unit nor alphabetical order, and any other order changes
// the digest.
bool MsiEntryBefore(const std::wstring& a, const std::wstring& b) {
    const size_t shorter = (std::min(a.size(), b.size()) + 1) * 2;
    for (size_t i = 0; i < shorter; ++i) {
        const wchar_t ca = i / 2 < a.size() ? a[i / 2] : 0;
        const wchar_t cb = i / 2 < b.size() ? b[i / 2] : 0;
        const unsigned char ba = static_cast<unsigned char>(i % 2 == 0 ? ca & 0xFF : ca >> 8);
        const unsigned char bb = static_cast<unsigned char>(i % 2 == 0 ? cb & 0xFF : cb >> 8);
        if (ba != bb) return ba < bb;
    }
    return a.size() < b.size();
}

MsiSignatureRead ReadMsiSignature(HANDLE file, std::vector<unsigned char>& blob, std::string& problem) {
    const ComPtr<IStorage> package = OpenPackage(file, problem);
    if (!package) return MsiSignatureRead::Unusual;
    IStream* raw = nullptr;
    if (SUCCEEDED(package->OpenStream(kExtendedSignatureStream, nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0, &raw))) {
        raw->Release();
        problem = "extended package signature (MsiDigitalSignatureEx)";
        return MsiSignatureRead::Unusual;
    }
    if (FAILED(package->OpenStream(kSignatureStream, nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0, &raw))) {
        problem = "no DigitalSignature stream";
        return MsiSignatureRead::Unsigned;
    }
    const ComPtr<IStream> stream(raw);
    STATSTG stat = {};
    if (FAILED(stream->Stat(&stat, STATFLAG_NONAME)) || stat.cbSize.QuadPart == 0 ||
        stat.cbSize.QuadPart > kMaxCertTableBytes) {
        problem = "DigitalSignature stream empty or too large";
        return MsiSignatureRead::Unusual;
    }
    blob.resize(static_cast<size_t>(stat.cbSize.QuadPart));
    ULONG read = 0;
    if (FAILED(stream->Read(blob.data(), static_cast<ULONG>(blob.size()), &read)) || read != blob.size()) {
        problem = "DigitalSignature stream unreadable";
        return MsiSignatureRead::Unusual;
    }
    return MsiSignatureRead::Signed;
}

bool HashMsiContent(HANDLE file, CngHash& hash, std::string& problem) {
    const ComPtr<IStorage> package = OpenPackage(file, problem);
    if (!package) return false;
    if (HashStorage(package.get(), true, hash)) return true;
    problem = "package unreadable";
    return false;
}
