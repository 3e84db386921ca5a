// The early load of the trusted roots: one thread per process, never joined (it ends by itself
// or with the process).

#include "updater/delivery/trusted_roots_preload.h"

#include <windows.h>
// wincrypt.h needs windows.h first.
#include <process.h>
#include <wincrypt.h>

#include <atomic>

namespace {

constexpr DWORD kAwaitLimitMs = 5000;

std::atomic<HANDLE> g_done{nullptr};  // a manual-reset event, set when the load has ended

unsigned __stdcall LoadTrustedRoots(void* done) {
    // Opening the store is what costs; the process keeps the loaded roots once it is closed.
    for (const wchar_t* store : {L"ROOT", L"CA"}) {
        if (HCERTSTORE opened = CertOpenSystemStoreW(0, store)) CertCloseStore(opened, 0);
    }
    SetEvent(static_cast<HANDLE>(done));
    return 0;
}

}  // namespace

void StartTrustedRootsPreload(const std::wstring& url) {
    if (_wcsnicmp(url.c_str(), L"https://", 8) != 0 || g_done.load() != nullptr) return;
    HANDLE done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (done == nullptr) return;
    const uintptr_t thread = _beginthreadex(nullptr, 0, LoadTrustedRoots, done, 0, nullptr);
    if (thread == 0) {
        CloseHandle(done);
        return;
    }
    CloseHandle(reinterpret_cast<HANDLE>(thread));
    g_done.store(done);
}

void AwaitTrustedRootsPreload() {
    if (HANDLE done = g_done.load()) WaitForSingleObject(done, kAwaitLimitMs);
}
