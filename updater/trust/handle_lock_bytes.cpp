#include "updater/trust/handle_lock_bytes.h"

#include <new>

#include "updater/trust/read_at.h"

namespace {

class HandleLockBytes final : public ILockBytes {
public:
    explicit HandleLockBytes(HANDLE file) : file_(file) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (object == nullptr) return E_POINTER;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_ILockBytes)) {
            *object = static_cast<ILockBytes*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&references_); }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG left = InterlockedDecrement(&references_);
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }

    HRESULT STDMETHODCALLTYPE ReadAt(ULARGE_INTEGER offset, void* buffer, ULONG size, ULONG* read) override {
        if (read != nullptr) *read = 0;
        LARGE_INTEGER fileSize = {};
        if (!GetFileSizeEx(file_, &fileSize)) return STG_E_READFAULT;
        const ULONGLONG end = static_cast<ULONGLONG>(fileSize.QuadPart);
        if (offset.QuadPart >= end) return S_OK;  // reading past the end yields nothing, not a fault
        const ULONGLONG available = end - offset.QuadPart;
        const ULONG piece = available < size ? static_cast<ULONG>(available) : size;
        if (!ReadFileAt(file_, offset.QuadPart, buffer, piece)) return STG_E_READFAULT;
        if (read != nullptr) *read = piece;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE WriteAt(ULARGE_INTEGER, const void*, ULONG, ULONG* written) override {
        if (written != nullptr) *written = 0;
        return STG_E_ACCESSDENIED;
    }
    HRESULT STDMETHODCALLTYPE Flush() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE SetSize(ULARGE_INTEGER) override { return STG_E_ACCESSDENIED; }
    // The handle itself keeps writers out; the storage's own range locks add nothing.
    HRESULT STDMETHODCALLTYPE LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Stat(STATSTG* stat, DWORD) override {
        if (stat == nullptr) return E_POINTER;
        ZeroMemory(stat, sizeof *stat);
        LARGE_INTEGER size = {};
        if (!GetFileSizeEx(file_, &size)) return STG_E_READFAULT;
        stat->type = STGTY_LOCKBYTES;
        stat->cbSize.QuadPart = static_cast<ULONGLONG>(size.QuadPart);
        stat->grfMode = STGM_READ | STGM_SHARE_DENY_WRITE;
        return S_OK;
    }

private:
    ~HandleLockBytes() = default;

    HANDLE file_;
    LONG references_ = 1;
};

}  // namespace

ILockBytes* NewHandleLockBytes(HANDLE file) { return new (std::nothrow) HandleLockBytes(file); }
