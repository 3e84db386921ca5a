// CWindowHostUI: where skins and images come from. One set for the whole process: the module
// that holds the resources, the folder of loose skin files and the skin archive.
#include "ui/core/window_host.h"

#include "ui/util/zip_archive.h"

namespace {

const wchar_t kMemoryArchiveName[] = L"membuffer";
constexpr DWORD kModulePathCapacity = 260;

struct ResourceLocation {
    HINSTANCE module = nullptr;
    CWideString folder;
    CWideString archiveName;
    bool archiveKept = false;
    CZipArchive archive;
    unsigned generation = 0;  // counts the changes of the folder and the archive
};

// Built on first use so that loaders running during static initialisation still find it.
ResourceLocation& Location() {
    static ResourceLocation location;
    return location;
}

}  // namespace

void CWindowHostUI::SetModuleInstance(HINSTANCE instance) {
    Location().module = instance;
}

HINSTANCE CWindowHostUI::ModuleInstance() {
    return Location().module;
}

// The program keeps its resources in its own module.
HINSTANCE CWindowHostUI::ResourceModule() {
    return Location().module;
}

CWideString CWindowHostUI::ExecutableFolder() {
    if (Location().module == nullptr) {
        return CWideString();
    }
    wchar_t path[kModulePathCapacity] = L"";
    DWORD length = GetModuleFileNameW(Location().module, path, kModulePathCapacity);
    if (length >= kModulePathCapacity) {
        length = kModulePathCapacity - 1;  // truncated; XP leaves such a name unterminated
    }
    CWideString folder(path, static_cast<int>(length));
    int slash = folder.ReverseFind(L'\\');
    return slash >= 0 ? folder.Left(slash + 1) : folder;
}

void CWindowHostUI::SetResourceFolder(const wchar_t* path) {
    CWideString& folder = Location().folder;
    ++Location().generation;
    folder = path != nullptr ? path : L"";
    if (!folder.IsEmpty()) {
        wchar_t last = folder[folder.GetLength() - 1];
        if (last != L'\\' && last != L'/') {
            folder += L'\\';
        }
    }
}

unsigned CWindowHostUI::ResourceGeneration() {
    return Location().generation;
}

const CWideString& CWindowHostUI::ResourceFolder() {
    return Location().folder;
}

// Only the first archive in memory is ever used: later calls (one per window created) would
// otherwise reopen the same resource copy again and again.
void CWindowHostUI::UseSkinArchiveMemory(const void* data, unsigned size) {
    ResourceLocation& location = Location();
    if (location.archiveName == kMemoryArchiveName) {
        return;
    }
    location.archive.Close();
    ++location.generation;
    location.archiveName = kMemoryArchiveName;
    location.archiveKept = true;
    location.archive.OpenMemory(data, size);
}

void CWindowHostUI::UseSkinArchiveFile(const wchar_t* archiveFileName) {
    ResourceLocation& location = Location();
    const wchar_t* name = archiveFileName != nullptr ? archiveFileName : L"";
    if (location.archiveKept && location.archiveName == name) {
        return;
    }
    location.archive.Close();
    ++location.generation;
    location.archiveName = name;
    location.archiveKept = true;
    location.archive.OpenFile(location.folder + name);
}

const CWideString& CWindowHostUI::SkinArchiveName() {
    return Location().archiveName;
}

bool CWindowHostUI::IsSkinArchiveKept() {
    return Location().archiveKept;
}

// Null when the archive could not be opened: loads from it then fail cleanly.
CZipArchive* CWindowHostUI::KeptSkinArchive() {
    ResourceLocation& location = Location();
    return location.archiveKept && location.archive.IsOpen() ? &location.archive : nullptr;
}
