#include "updater/install/single_instance.h"

#include <cstring>

#include "updater/install/window_record.h"

CSingleInst::CSingleInst()
    : mutexName(L"{D727BDB5-F86A-405b-910D-22AD2A4CA76E}"), mappingName(mutexName + L"_MapFile") {}

CSingleInst::~CSingleInst() {
    Release();
}

void CSingleInst::Release() {
    view.Reset();
    mappingHandle.Reset();
    ReleaseMutexIfHeld();
}

bool CSingleInst::TryAcquire(HWND ownWindow) {
    // A guard that already published its record answers at once; creating the mutex again
    // would find our own mutex and mistake this process for a second updater.
    if (mappingHandle) return true;

    if (mutexHandle == nullptr) {
        mutexHandle = CreateMutexW(nullptr, TRUE, mutexName.c_str());
        const DWORD error = GetLastError();
        if (error == ERROR_ALREADY_EXISTS || error == ERROR_ACCESS_DENIED) {
            BringOtherToFront();
            ReleaseMutexIfHeld();
            return false;
        }
    }
    if (PublishWindow(ownWindow)) return true;
    ReleaseMutexIfHeld();
    return false;
}

void CSingleInst::BringOtherToFront() const {
    HWND other = ReadWindowRecord(mappingName.c_str());
    if (other != nullptr) SetForegroundWindow(other);
}

bool CSingleInst::PublishWindow(HWND ownWindow) {
    mappingHandle.Reset(CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                           kWindowRecordBytes, mappingName.c_str()));
    if (!mappingHandle) return false;
    view.Reset(MapViewOfFile(mappingHandle.Get(), FILE_MAP_ALL_ACCESS, 0, 0, 0));
    if (!view) {
        // A record nobody can read is no record: give the name back.
        mappingHandle.Reset();
        return false;
    }
    const std::wstring text = FormatWindowRecord(ownWindow);
    const size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    std::memcpy(view.Get(), text.c_str(), bytes);
    FlushViewOfFile(view.Get(), bytes);
    return true;
}

void CSingleInst::ReleaseMutexIfHeld() {
    if (mutexHandle == nullptr) return;
    ReleaseMutex(mutexHandle);
    CloseHandle(mutexHandle);
    mutexHandle = nullptr;
}
