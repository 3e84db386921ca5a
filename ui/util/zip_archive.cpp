#include "ui/util/zip_archive.h"

#include <windows.h>

#include <minizip/unzip.h>

#include <minizip/iowin32.h>  // needs the ioapi declarations that unzip.h brings in

#include <new>
#include <vector>

namespace {

constexpr unsigned kReadChunk = 64 * 1024;
constexpr uLong kUtf8NameFlag = 0x800;  // general purpose bit 11: the name is UTF-8

unzFile Handle(void* handle) {
    return static_cast<unzFile>(handle);
}

// Zip names carry no code page unless bit 11 says UTF-8; Windows' own zip tools write the OEM
// code page otherwise. Either way the skins' own names are plain ASCII.
std::vector<wchar_t> DecodeEntryName(const char* name, int length, uLong flags) {
    UINT codePage = (flags & kUtf8NameFlag) != 0 ? CP_UTF8 : CP_OEMCP;
    int count = MultiByteToWideChar(codePage, 0, name, length, nullptr, 0);
    std::vector<wchar_t> wide(count > 0 ? count + 1 : 1, L'\0');
    if (count > 0) {
        MultiByteToWideChar(codePage, 0, name, length, wide.data(), count);
    }
    return wide;
}

std::vector<wchar_t> WithForwardSlashes(const wchar_t* name) {
    std::vector<wchar_t> copy;
    for (const wchar_t* p = name; *p != L'\0'; ++p) {
        copy.push_back(*p == L'\\' ? L'/' : *p);
    }
    copy.push_back(L'\0');
    return copy;
}

bool SameNameIgnoringCase(const std::vector<wchar_t>& a, const std::vector<wchar_t>& b) {
    return CompareStringOrdinal(a.data(), -1, b.data(), -1, TRUE) == CSTR_EQUAL;
}

}  // namespace

CZipArchive::~CZipArchive() {
    Close();
}

void CZipArchive::Close() {
    if (m_handle != nullptr) {
        unzClose(Handle(m_handle));
        m_handle = nullptr;
    }
    m_memory.reset();
    m_hasEntry = false;
    m_entrySize = 0;
}

bool CZipArchive::OpenWith(void* handle) {
    m_handle = handle;
    if (m_handle == nullptr) {
        Close();
    }
    return m_handle != nullptr;
}

bool CZipArchive::OpenMemory(const void* data, unsigned size) {
    Close();
    if (data == nullptr || size == 0) {
        return false;
    }
    m_memory.reset(new (std::nothrow) ZipMemoryStream{static_cast<const unsigned char*>(data), size, 0});
    if (!m_memory) {
        return false;
    }
    zlib_filefunc_def table;
    FillMemoryFileFunctions(&table, m_memory.get());
    return OpenWith(unzOpen2("membuffer", &table));
}

bool CZipArchive::OpenFile(const wchar_t* path) {
    Close();
    if (path == nullptr || *path == L'\0') {
        return false;
    }
    zlib_filefunc64_def table;
    fill_win32_filefunc64W(&table);
    return OpenWith(unzOpen2_64(path, &table));
}

// The 64-bit information call is used even though minizip is built with IOAPI_NO_64: that switch
// only narrows its stdio file functions, which are not used here. Entry sizes come from the
// zip64 extra field whenever a header holds 0xFFFFFFFF, and the 32-bit call would silently
// keep only their low half (4 GiB + 9 bytes would read as 9).
bool CZipArchive::FindEntry(const wchar_t* name) {
    m_hasEntry = false;
    m_entrySize = 0;
    if (m_handle == nullptr || name == nullptr) {
        return false;
    }
    std::vector<wchar_t> wanted = WithForwardSlashes(name);
    char entryName[1024];
    unz_file_info64 info;
    for (int rc = unzGoToFirstFile(Handle(m_handle)); rc == UNZ_OK; rc = unzGoToNextFile(Handle(m_handle))) {
        if (unzGetCurrentFileInfo64(Handle(m_handle), &info, entryName, sizeof(entryName), nullptr, 0,
                                    nullptr, 0) != UNZ_OK) {
            return false;
        }
        if (info.size_filename >= sizeof(entryName)) {
            continue;  // longer than any name we could be asked for
        }
        std::vector<wchar_t> candidate =
            DecodeEntryName(entryName, static_cast<int>(info.size_filename), info.flag);
        if (SameNameIgnoringCase(candidate, wanted)) {
            m_hasEntry = true;
            m_entrySize = info.uncompressed_size;
            return true;
        }
    }
    return false;
}

// Reads until `size` bytes arrived or the entry stops; false on a decompression error.
bool CZipArchive::ReadCurrent(unsigned char* out, unsigned size, unsigned* total) {
    *total = 0;
    while (*total < size) {
        unsigned want = size - *total < kReadChunk ? size - *total : kReadChunk;
        int got = unzReadCurrentFile(Handle(m_handle), out + *total, want);
        if (got <= 0) {
            return got == 0;
        }
        *total += static_cast<unsigned>(got);
    }
    return true;
}

bool CZipArchive::ExtractEntry(void* buffer, unsigned size) {
    if (!m_hasEntry || (buffer == nullptr && size > 0)) {
        return false;
    }
    if (unzOpenCurrentFile(Handle(m_handle)) != UNZ_OK) {
        return false;
    }
    unsigned total = 0;
    bool read = ReadCurrent(static_cast<unsigned char*>(buffer), size, &total);
    // minizip checks the checksum on closing only when nothing of the declared size is left
    // unread; otherwise closing reports success, so a short buffer must be refused here.
    bool consumedAll = unzeof(Handle(m_handle)) == 1;
    int closed = unzCloseCurrentFile(Handle(m_handle));
    return read && total == size && consumedAll && closed == UNZ_OK;
}
