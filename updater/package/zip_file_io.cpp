#include "updater/package/zip_file_io.h"

#include <windows.h>

#include <new>

namespace {

struct SharedFile {
    HANDLE handle = INVALID_HANDLE_VALUE;
    int error = 0;
};

SharedFile* Of(voidpf stream) {
    return static_cast<SharedFile*>(stream);
}

voidpf ZCALLBACK OpenShared(voidpf, const void* name, int mode) {
    if (name == nullptr || (mode & ZLIB_FILEFUNC_MODE_READWRITEFILTER) != ZLIB_FILEFUNC_MODE_READ) return nullptr;
    const HANDLE handle = CreateFileW(static_cast<const wchar_t*>(name), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return nullptr;
    SharedFile* file = new (std::nothrow) SharedFile;
    if (file == nullptr) {
        CloseHandle(handle);
        return nullptr;
    }
    file->handle = handle;
    return file;
}

uLong ZCALLBACK ReadShared(voidpf, voidpf stream, void* buffer, uLong size) {
    DWORD got = 0;
    if (!ReadFile(Of(stream)->handle, buffer, size, &got, nullptr)) Of(stream)->error = static_cast<int>(GetLastError());
    return got;
}

uLong ZCALLBACK WriteRefused(voidpf, voidpf stream, const void*, uLong) {
    Of(stream)->error = ERROR_ACCESS_DENIED;
    return 0;
}

ZPOS64_T ZCALLBACK TellShared(voidpf, voidpf stream) {
    LARGE_INTEGER zero = {}, at = {};
    if (!SetFilePointerEx(Of(stream)->handle, zero, &at, FILE_CURRENT)) return static_cast<ZPOS64_T>(-1);
    return static_cast<ZPOS64_T>(at.QuadPart);
}

long ZCALLBACK SeekShared(voidpf, voidpf stream, ZPOS64_T offset, int origin) {
    const DWORD method = origin == ZLIB_FILEFUNC_SEEK_CUR   ? FILE_CURRENT
                         : origin == ZLIB_FILEFUNC_SEEK_END ? FILE_END
                                                            : FILE_BEGIN;
    LARGE_INTEGER distance = {};
    distance.QuadPart = static_cast<LONGLONG>(offset);
    if (SetFilePointerEx(Of(stream)->handle, distance, nullptr, method)) return 0;
    Of(stream)->error = static_cast<int>(GetLastError());
    return -1;
}

int ZCALLBACK CloseShared(voidpf, voidpf stream) {
    const BOOL closed = CloseHandle(Of(stream)->handle);
    delete Of(stream);
    return closed ? 0 : -1;
}

int ZCALLBACK ErrorOf(voidpf, voidpf stream) {
    return Of(stream)->error;
}

}  // namespace

void FillSharedReadFunctions(zlib_filefunc64_def* table) {
    table->zopen64_file = OpenShared;
    table->zread_file = ReadShared;
    table->zwrite_file = WriteRefused;
    table->ztell64_file = TellShared;
    table->zseek64_file = SeekShared;
    table->zclose_file = CloseShared;
    table->zerror_file = ErrorOf;
    table->opaque = nullptr;
}
