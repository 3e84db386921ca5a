// CWindowHostUI: the image cache. Each image is decoded once per host and name. A failure is
// remembered too, until the resources change: a typo in a skin must not turn every paint into
// file and archive reads, yet a file put in place under a new resource folder or archive is found.

#include <cwchar>
#include <cwctype>

#include "ui/core/window_host.h"

namespace {

void DestroyImage(LoadedImage* image) {
    if (image) {
        if (image->bitmap) {
            DeleteObject(image->bitmap);
        }
        delete image;
    }
}

// The variant drawn closest to the display's scale that the skin ships ("bg@2x.png" beside
// "bg.png"), cached under the plain name.
LoadedImage* LoadVariant(SkinImageLoader loader, const wchar_t* name, DWORD mask, int displayDpi) {
    dpi::ImageVariant variants[3];
    int count = dpi::ImageVariantsFor(displayDpi, variants, 3);
    for (int i = 0; i < count; ++i) {
        if (*variants[i].suffix == L'\0') {
            return loader(name, nullptr, mask);
        }
        if (LoadedImage* image = loader(dpi::VariantName(name, variants[i].suffix), nullptr, mask)) {
            image->dpi = variants[i].dpi;
            return image;
        }
    }
    return nullptr;
}

// The image for the display: a variant (or the original) redrawn once at the display's scale.
LoadedImage* LoadForDisplay(SkinImageLoader loader, const wchar_t* name, DWORD mask, int displayDpi) {
    LoadedImage* image = LoadVariant(loader, name, mask, displayDpi);
    if (image && image->dpi != displayDpi) {
        ScaleLoadedImage(*image, displayDpi);
    }
    return image;
}

}  // namespace

LoadedImage* CWindowHostUI::ImageFor(const wchar_t* name, const wchar_t* resourceType, DWORD mask) {
    if (!name) {
        return nullptr;
    }
    if (auto* image = static_cast<LoadedImage*>(m_images.Find(name))) {
        return image;
    }
    if (IsKnownUnreadable(name, false)) {
        return nullptr;
    }
    LoadedImage* image = CacheImage(name, resourceType, mask);
    if (!image && m_imageLoader) {
        RememberUnreadable(name, false);
    }
    return image;
}

void CWindowHostUI::SetImageLoader(SkinImageLoader loader) {
    m_imageLoader = loader;
    m_unreadable.Resize(83);
}

namespace {

// Animations are read by another decoder, so their failures are kept apart from the images'.
CWideString UnreadableKey(const wchar_t* name, bool animation) {
    CWideString key(animation ? L"*" : L"");
    key += name;
    return key;
}

}  // namespace

bool CWindowHostUI::IsKnownUnreadable(const wchar_t* name, bool animation) {
    if (m_unreadableGeneration != ResourceGeneration()) {
        m_unreadable.Resize(83);
        m_unreadableGeneration = ResourceGeneration();
    }
    return name && m_unreadable.Find(UnreadableKey(name, animation)) != nullptr;
}

// A full table (out of memory) only means the name is read again next time.
void CWindowHostUI::RememberUnreadable(const wchar_t* name, bool animation) {
    if (name && !IsKnownUnreadable(name, animation)) {
        m_unreadable.Insert(UnreadableKey(name, animation), this);
    }
}

LoadedImage* CWindowHostUI::CacheImage(const wchar_t* name, const wchar_t* resourceType, DWORD mask) {
    if (!name || !m_imageLoader) {
        return nullptr;
    }
    LoadedImage* image = nullptr;
    if (resourceType) {
        if (!iswdigit(name[0])) {
            return nullptr;
        }
        WORD id = static_cast<WORD>(wcstol(name, nullptr, 10));
        image = m_imageLoader(MAKEINTRESOURCEW(id), resourceType, mask);
    } else {
        image = LoadForDisplay(m_imageLoader, name, mask, m_dpi);
    }
    if (!image) {
        return nullptr;
    }
    if (resourceType) {
        image->resourceType = resourceType;
    }
    image->mask = mask;
    if (!m_images.Insert(name, image)) {
        DestroyImage(image);
        return nullptr;
    }
    return image;
}

void CWindowHostUI::ClearImages() {
    for (int i = 0; i < m_images.GetSize(); ++i) {
        DestroyImage(static_cast<LoadedImage*>(m_images.Find(m_images.GetAt(i), false)));
    }
    m_images.Resize(83);
    m_unreadable.Resize(83);
}
