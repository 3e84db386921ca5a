// CGdiPainter: loading a skin image from a resource, the skin archive, the resource folder or a
// plain path, decoding it with stb_image and converting it into a premultiplied DIB section.

#include <stb_image.h>

#include <cstring>
#include <new>
#include <vector>

#include "ui/core/skin_resource_reader.h"
#include "ui/core/window_host.h"
#include "ui/draw/dib_canvas.h"
#include "ui/draw/gdi_painter.h"
#include "ui/draw/pixel_convert.h"
#include "ui/draw/shared_image_cache.h"

namespace {

int g_decodeCount = 0;

using Bytes = std::vector<unsigned char>;

bool CopyInto(Bytes* bytes, const void* data, size_t size) {
    try {
        bytes->assign(static_cast<const unsigned char*>(data),
                      static_cast<const unsigned char*>(data) + size);
        return true;
    } catch (const std::bad_alloc&) {
        bytes->clear();
        return false;
    }
}

bool ReadResource(const wchar_t* source, const wchar_t* type, Bytes* bytes) {
    HMODULE module = CWindowHostUI::ResourceModule();
    HRSRC found = FindResourceW(module, source, type);
    if (found == nullptr) {
        return false;
    }
    HGLOBAL loaded = LoadResource(module, found);
    DWORD size = SizeofResource(module, found);
    const void* data = loaded ? LockResource(loaded) : nullptr;
    bool ok = data != nullptr && size > 0 && size <= kMaxImageFileBytes && CopyInto(bytes, data, size);
    if (loaded) {
        FreeResource(loaded);
    }
    return ok;
}

// The bytes of the picture: from the resource, the skin archive or the resource folder, and
// failing those from the source taken as a path by itself.
bool ReadImageBytes(const wchar_t* source, const wchar_t* resourceType, Bytes* bytes) {
    if (resourceType != nullptr && *resourceType != L'\0') {
        if (ReadResource(source, resourceType, bytes)) {
            return true;
        }
    } else if (ReadSkinResource(source, kMaxImageFileBytes, bytes) == SkinReadResult::Ok) {
        return true;
    }
    // A resource identifier made with MAKEINTRESOURCE is no path.
    if (IS_INTRESOURCE(source)) {
        return false;
    }
    return ReadSkinFileAtPath(source, kMaxImageFileBytes, bytes) == SkinReadResult::Ok;
}

struct DecodedPixels {
    DecodedPixels(const unsigned char* bytes, size_t size) {
        int width = 0, height = 0, components = 0;
        // The header alone tells the size; oversized pictures are refused before decoding.
        if (bytes == nullptr || size == 0 || size > kMaxImageFileBytes ||
            !stbi_info_from_memory(bytes, static_cast<int>(size), &width, &height, &components) ||
            width <= 0 || height <= 0 || width > kMaxImageSide || height > kMaxImageSide) {
            return;
        }
        data = stbi_load_from_memory(bytes, static_cast<int>(size), &w, &h, &components, 4);
        if (data && (w <= 0 || h <= 0 || w > kMaxImageSide || h > kMaxImageSide)) {
            stbi_image_free(data);
            data = nullptr;
        }
    }
    ~DecodedPixels() {
        if (data) {
            stbi_image_free(data);
        }
    }
    DecodedPixels(const DecodedPixels&) = delete;
    DecodedPixels& operator=(const DecodedPixels&) = delete;

    unsigned char* data = nullptr;
    int w = 0;
    int h = 0;
};

}  // namespace

bool ReadSkinImageBytes(const wchar_t* source, const wchar_t* resourceType, Bytes* bytes) {
    return source != nullptr && ReadImageBytes(source, resourceType, bytes);
}

LoadedImage* CGdiPainter::LoadSkinImage(const wchar_t* source, const wchar_t* resourceType, DWORD mask) {
    if (source == nullptr) {
        return nullptr;
    }
    Bytes bytes;
    if (!ReadImageBytes(source, resourceType, &bytes)) {
        return nullptr;
    }
    return DecodeSkinImage(bytes.data(), bytes.size(), mask);
}

LoadedImage* CGdiPainter::DecodeSkinImage(const unsigned char* bytes, size_t size, DWORD mask) {
    DecodedPixels pixels(bytes, size);
    if (pixels.data == nullptr) {
        return nullptr;
    }
    ++g_decodeCount;
    uint32_t* bits = nullptr;
    HBITMAP bitmap = CreateTopDownDib(pixels.w, pixels.h, &bits);
    if (bitmap == nullptr) {
        return nullptr;
    }
    auto* image = new (std::nothrow) LoadedImage;
    if (image == nullptr) {
        DeleteObject(bitmap);
        return nullptr;
    }
    image->bitmap = bitmap;
    image->width = pixels.w;
    image->height = pixels.h;
    image->hasAlpha = ConvertToPremultiplied(pixels.data, bits,
                                             static_cast<size_t>(pixels.w) * pixels.h, mask);
    return image;
}

void CGdiPainter::DestroyImage(LoadedImage* image) {
    if (image) {
        DeleteObject(image->bitmap);
        delete image;
    }
}

int CGdiPainter::DecodeCount() {
    return g_decodeCount;
}
