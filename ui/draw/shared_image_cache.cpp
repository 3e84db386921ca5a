// The process-wide skin image cache: decoded originals in a map guarded by a lock (hosts of
// several UI threads may share it), copies handed out per host.

#include "ui/draw/shared_image_cache.h"

#include <cstdint>
#include <cstring>
#include <cwchar>
#include <map>
#include <mutex>
#include <new>
#include <string>

#include "ui/core/window_host.h"
#include "ui/draw/dib_canvas.h"
#include "ui/draw/gdi_painter.h"

namespace {

// Identifies the bytes an original was decoded from.
struct Fingerprint {
    size_t size = 0;
    uint64_t hash = 0;
    bool operator==(const Fingerprint& other) const { return size == other.size && hash == other.hash; }
};

Fingerprint FingerprintOf(const std::vector<unsigned char>& bytes) {
    uint64_t hash = 14695981039346656037ull;  // FNV-1a
    for (unsigned char byte : bytes) hash = (hash ^ byte) * 1099511628211ull;
    return Fingerprint{bytes.size(), hash};
}

struct Original {
    Fingerprint fingerprint;
    LoadedImage* image = nullptr;  // owned
};

class OriginalImages {
public:
    ~OriginalImages() {
        for (auto& entry : originals_) CGdiPainter::DestroyImage(entry.second.image);
    }
    std::mutex lock;
    std::map<std::wstring, Original>& Map() { return originals_; }

private:
    std::map<std::wstring, Original> originals_;
};

// Released by the runtime when the process exits.
OriginalImages& Originals() {
    static OriginalImages originals;
    return originals;
}

// Where the picture comes from, its name and the colour key it is converted with.
std::wstring KeyOf(const wchar_t* source, const wchar_t* resourceType, DWORD mask) {
    wchar_t head[64];
    std::wstring key;
    if (resourceType != nullptr && *resourceType != L'\0') {
        swprintf(head, 64, L"resource %p %08lX ", static_cast<void*>(CWindowHostUI::ResourceModule()),
                 static_cast<unsigned long>(mask));
        key = head + std::wstring(resourceType) + L"/";
        if (IS_INTRESOURCE(source)) {
            key += L"#" + std::to_wstring(reinterpret_cast<uintptr_t>(source));
        } else {
            key += source;
        }
        return key;
    }
    swprintf(head, 64, L"skin %08lX ", static_cast<unsigned long>(mask));
    key = head;
    if (CWindowHostUI::IsSkinArchiveKept()) key += std::wstring(CWindowHostUI::SkinArchiveName().GetData()) + L"|";
    return key + CWindowHostUI::ResourceFolder().GetData() + L"|" + source;
}

// A host's own record with its own bitmap, the pixels copied from the original.
LoadedImage* CopyOf(const LoadedImage& original) {
    DIBSECTION dib;
    if (GetObjectW(original.bitmap, sizeof dib, &dib) != sizeof dib || dib.dsBm.bmBits == nullptr) return nullptr;
    uint32_t* pixels = nullptr;
    HBITMAP bitmap = CreateTopDownDib(original.width, original.height, &pixels);
    if (bitmap == nullptr) return nullptr;
    auto* copy = new (std::nothrow) LoadedImage;
    if (copy == nullptr) {
        DeleteObject(bitmap);
        return nullptr;
    }
    GdiFlush();
    std::memcpy(pixels, dib.dsBm.bmBits, static_cast<size_t>(original.width) * original.height * sizeof(uint32_t));
    copy->bitmap = bitmap;
    copy->width = original.width;
    copy->height = original.height;
    copy->hasAlpha = original.hasAlpha;
    return copy;
}

// The decoded original for the key, decoded anew when missing or made from other bytes.
// Called with the lock held.
const LoadedImage* OriginalFor(const std::wstring& key, const std::vector<unsigned char>& bytes, DWORD mask) {
    const Fingerprint fingerprint = FingerprintOf(bytes);
    std::map<std::wstring, Original>& map = Originals().Map();
    auto found = map.find(key);
    if (found != map.end() && found->second.fingerprint == fingerprint) return found->second.image;
    LoadedImage* decoded = CGdiPainter::DecodeSkinImage(bytes.data(), bytes.size(), mask);
    if (decoded == nullptr) return nullptr;
    Original& slot = map[key];
    CGdiPainter::DestroyImage(slot.image);
    slot = Original{fingerprint, decoded};
    return decoded;
}

}  // namespace

LoadedImage* LoadSharedSkinImage(const wchar_t* source, const wchar_t* resourceType, DWORD mask) {
    try {
        std::vector<unsigned char> bytes;
        if (source == nullptr || !ReadSkinImageBytes(source, resourceType, &bytes)) return nullptr;
        const std::wstring key = KeyOf(source, resourceType, mask);
        std::lock_guard<std::mutex> hold(Originals().lock);
        const LoadedImage* original = OriginalFor(key, bytes, mask);
        return original != nullptr ? CopyOf(*original) : nullptr;
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

int SharedSkinImageCount() {
    OriginalImages& originals = Originals();
    std::lock_guard<std::mutex> hold(originals.lock);
    return static_cast<int>(originals.Map().size());
}
