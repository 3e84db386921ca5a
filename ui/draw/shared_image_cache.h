#pragma once
// The process-wide cache of decoded skin images. Every window host of the process loads its images
// through it (it is the host's default image loader): a picture is decoded once per process and
// each host gets its own copy of the converted bitmap, which costs a copy of the pixels instead
// of a decode. Entries are keyed by where the picture comes from (resource, skin archive or
// resource folder), its name and the colour key; an entry is used only while the file's bytes are
// the ones it was decoded from, so a picture replaced on disk is decoded anew. The decoded
// originals are released when the process exits.

#include <windows.h>

#include <vector>

#include "ui/draw/loaded_image.h"

// A SkinImageLoader: a new record the caller owns (free it with CGdiPainter::DestroyImage), or
// null when nothing could be read or decoded (failures are not remembered).
LoadedImage* LoadSharedSkinImage(const wchar_t* source, const wchar_t* resourceType, DWORD mask);

// How many decoded originals the process keeps.
int SharedSkinImageCount();

// The undecoded bytes of a skin picture, from the same places CGdiPainter::LoadSkinImage reads
// (ui/draw/image_loader.cpp).
bool ReadSkinImageBytes(const wchar_t* source, const wchar_t* resourceType, std::vector<unsigned char>* bytes);
