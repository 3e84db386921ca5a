#include "ui/draw/msimg32_entry.h"

namespace {

FARPROC LookUp(const char* name) {
    HMODULE module = GetModuleHandleW(L"msimg32.dll");
    if (module == nullptr) {
        module = LoadLibraryW(L"msimg32.dll");
    }
    return module ? GetProcAddress(module, name) : nullptr;
}

}  // namespace

AlphaBlendProc AlphaBlendEntry() {
    static const auto entry = reinterpret_cast<AlphaBlendProc>(reinterpret_cast<void*>(LookUp("AlphaBlend")));
    return entry;
}

GradientFillProc GradientFillEntry() {
    static const auto entry =
        reinterpret_cast<GradientFillProc>(reinterpret_cast<void*>(LookUp("GradientFill")));
    return entry;
}
