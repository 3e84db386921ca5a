#pragma once
// LoadedImage: one decoded skin image, converted once into a premultiplied 32-bit bitmap. The
// window host's image cache owns these records; the decoder that makes them is handed to the
// cache as a function, so the cache does not depend on how images are decoded.

#include <windows.h>

#include "ui/util/wide_string.h"

struct LoadedImage {
    HBITMAP bitmap = nullptr;  // owned by whoever owns the record (the host's cache)
    int width = 0;
    int height = 0;
    bool hasAlpha = false;
    CWideString resourceType;  // empty for files and archive items
    DWORD mask = 0;            // the colour key the image was loaded with
    int dpi = 96;              // the display DPI it was drawn for: 192 for a "name@2x.png"
};

// Decodes one image. `source` is a file or archive item name, or, with a resource type, an
// integer resource identifier in the pointer's place (MAKEINTRESOURCEW). Returns a record made
// with new (nothrow) or null.
using SkinImageLoader = LoadedImage* (*)(const wchar_t* source, const wchar_t* resourceType, DWORD mask);

// Redraws the image for another display DPI once, with a smoothing filter, so that every later
// draw copies its corners one to one instead of stretching them: the bitmap is replaced by one
// of the size the DPI asks for and `dpi` becomes the display's. False, with the image as it
// was, when that cannot be done (drawing then scales each piece instead).
bool ScaleLoadedImage(LoadedImage& image, int displayDpi);
