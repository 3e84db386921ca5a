#include "ui/draw/dib_canvas.h"
#include "ui/draw/loaded_image.h"
#include "ui/draw/pixel_resample.h"
#include "ui/util/dpi_scale.h"

bool ScaleLoadedImage(LoadedImage& image, int displayDpi) {
    if (image.dpi == displayDpi || displayDpi <= 0 || !image.bitmap) {
        return false;
    }
    DIBSECTION section = {};
    if (GetObjectW(image.bitmap, sizeof section, &section) != sizeof section || !section.dsBm.bmBits ||
        section.dsBm.bmBitsPixel != 32 || section.dsBmih.biHeight >= 0) {
        return false;  // only the loader's top-down 32-bit pictures
    }
    const int width = dpi::ScaleLength(image.width, displayDpi, image.dpi);
    const int height = dpi::ScaleLength(image.height, displayDpi, image.dpi);
    uint32_t* pixels = nullptr;
    HBITMAP scaled = CreateTopDownDib(width, height, &pixels);
    if (!scaled) {
        return false;
    }
    GdiFlush();
    if (!ResampleByArea(static_cast<const uint32_t*>(section.dsBm.bmBits), image.width, image.height, pixels,
                        width, height)) {
        DeleteObject(scaled);
        return false;
    }
    DeleteObject(image.bitmap);
    image.bitmap = scaled;
    image.width = width;
    image.height = height;
    image.dpi = displayDpi;
    return true;
}
