#pragma once
// Only one updater runs at a time. The running one owns a named mutex and publishes its window
// in a shared record; a second one finds the mutex, brings the first to the front and quits.

#include <windows.h>

#include <string>

#include "ui/util/unique_handle.h"

class CSingleInst {
public:
    CSingleInst();
    virtual ~CSingleInst();
    CSingleInst(const CSingleInst&) = delete;
    CSingleInst& operator=(const CSingleInst&) = delete;

    // True when this process is the only updater and has published `ownWindow`; false when
    // another updater runs (it is brought to the front) or the record cannot be created.
    bool TryAcquire(HWND ownWindow);

    // Gives the mutex and the record up, so that an updater started from now on runs normally.
    void Release();

    // Brings the window that the running updater published to the front, if there is one.
    void BringOtherToFront() const;

    const std::wstring& MutexName() const { return mutexName; }
    const std::wstring& MappingName() const { return mappingName; }

private:
    bool PublishWindow(HWND ownWindow);
    void ReleaseMutexIfHeld();

    std::wstring mutexName;
    std::wstring mappingName;
    HANDLE mutexHandle = nullptr;
    UniqueHandle mappingHandle;
    UniqueMappedView view;
};
