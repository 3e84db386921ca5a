// The one translation unit that holds stb_image's implementation. Pictures above the size the
// loader accepts are refused by the decoder itself, before it allocates their pixels, and images
// are only ever decoded from memory.
#define STB_IMAGE_IMPLEMENTATION
#define STBI_NO_STDIO
#define STBI_MAX_DIMENSIONS 8192
#include <stb_image.h>

#include "ui/draw/gdi_painter.h"

static_assert(kMaxImageSide == STBI_MAX_DIMENSIONS, "the loader's limit and the decoder's must agree");
