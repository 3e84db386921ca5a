#include "launcher_resources.h"

#include <windows.h>

#include <vector>

#include "ui/util/unique_handle.h"

namespace {

struct Copying {
    HMODULE program;
    HANDLE update;
    bool ok = true;
};

BOOL CALLBACK CopyLanguage(HMODULE module, LPCWSTR type, LPCWSTR name, WORD language, LONG_PTR param) {
    Copying& copying = *reinterpret_cast<Copying*>(param);
    HRSRC found = FindResourceExW(module, type, name, language);
    HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    void* data = loaded ? LockResource(loaded) : nullptr;
    if (data == nullptr ||
        !UpdateResourceW(copying.update, type, name, language, data, SizeofResource(module, found))) {
        copying.ok = false;
    }
    return copying.ok;
}

BOOL CALLBACK CopyName(HMODULE module, LPCWSTR type, LPWSTR name, LONG_PTR param) {
    EnumResourceLanguagesW(module, type, name, CopyLanguage, param);
    return reinterpret_cast<Copying*>(param)->ok;
}

bool CopyResources(const std::wstring& program, const std::wstring& out) {
    UniqueModule module(LoadLibraryExW(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
    if (!module) return false;
    HANDLE update = BeginUpdateResourceW(out.c_str(), FALSE);
    if (update == nullptr) return false;
    Copying copying{module.Get(), update};
    // A program without icons or without a version resource simply has none to give.
    for (LPCWSTR type : {RT_ICON, RT_GROUP_ICON, RT_VERSION}) {
        EnumResourceNamesW(module.Get(), type, CopyName, reinterpret_cast<LONG_PTR>(&copying));
    }
    return EndUpdateResourceW(update, copying.ok ? FALSE : TRUE) && copying.ok;
}

}  // namespace

bool MakeLauncherFor(const std::wstring& launcher, const std::wstring& program, const std::wstring& out) {
    if (!CopyFileW(launcher.c_str(), out.c_str(), TRUE)) return false;
    if (CopyResources(program, out)) return true;
    DeleteFileW(out.c_str());
    return false;
}
