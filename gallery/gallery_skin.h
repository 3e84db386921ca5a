#pragma once
// Where the gallery skin lives next to the programs (the build copies resources/gallery/ into
// bin/gallery/) and how a host builds it. Shared by gallery.exe, its test and the repaint
// benchmark, so all three show the very same tree.

#include "ui/core/window_host.h"
#include "ui/markup/skin_builder.h"

// The client size gallery.xml is laid out for.
constexpr int kGalleryWidth = 600;
constexpr int kGalleryHeight = 380;

// Skin files and pictures are read from the gallery folder from then on.
inline void UseGalleryFolder() {
    CWindowHostUI::SetResourceFolder(CWindowHostUI::ExecutableFolder() + L"gallery\\");
}

// The gallery's tree built for `host` (not installed); null when the skin cannot be read.
inline CControlUI* BuildGallerySkin(CWindowHostUI& host) {
    CSkinBuilder builder;
    return builder.Build(L"gallery.xml", nullptr, nullptr, &host);
}
