#include "updater/trust/program_facts.h"

#include <windows.h>

#include <cwchar>
#include <vector>

#include "ui/util/unique_handle.h"

namespace {

bool ReadAt(HANDLE file, LONGLONG offset, void* buffer, DWORD size) {
    LARGE_INTEGER at;
    at.QuadPart = offset;
    DWORD read = 0;
    return SetFilePointerEx(file, at, nullptr, FILE_BEGIN) && ReadFile(file, buffer, size, &read, nullptr) &&
           read == size;
}

// The PE signature and file header behind the DOS header's e_lfanew. A file too short for them,
// or one whose e_lfanew points outside it, is simply no Windows program.
bool ReadPeHeader(const std::wstring& path, ProgramFacts& facts) {
    UniqueHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    IMAGE_DOS_HEADER dos = {};
    if (!ReadAt(file.Get(), 0, &dos, sizeof dos) || dos.e_magic != IMAGE_DOS_SIGNATURE || dos.e_lfanew <= 0) {
        return true;
    }
    struct {
        DWORD signature;
        IMAGE_FILE_HEADER header;
    } pe = {};
    if (!ReadAt(file.Get(), dos.e_lfanew, &pe, sizeof pe) || pe.signature != IMAGE_NT_SIGNATURE) return true;
    facts.isWindowsProgram = true;
    facts.machine = pe.header.Machine;
    facts.isDll = (pe.header.Characteristics & IMAGE_FILE_DLL) != 0;
    return true;
}

std::wstring QueryString(const std::vector<BYTE>& block, const wchar_t* table, const wchar_t* name) {
    wchar_t query[96];
    swprintf(query, 96, L"\\StringFileInfo\\%ls\\%ls", table, name);
    void* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(block.data(), query, &value, &length) || value == nullptr || length == 0) return {};
    std::wstring text(static_cast<const wchar_t*>(value), length);
    while (!text.empty() && text.back() == L'\0') text.pop_back();
    return text;
}

// The string table of the first translation; the tables most resource compilers write when the
// translation list is missing.
std::wstring StringTable(const std::vector<BYTE>& block) {
    struct Translation {
        WORD language;
        WORD codePage;
    };
    void* value = nullptr;
    UINT length = 0;
    wchar_t table[16];
    if (VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", &value, &length) && value &&
        length >= sizeof(Translation)) {
        const Translation* first = static_cast<const Translation*>(value);
        swprintf(table, 16, L"%04x%04x", first->language, first->codePage);
        return table;
    }
    return L"040904b0";
}

void ReadVersionResource(const std::wstring& path, ProgramFacts& facts) {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
    if (size == 0) return;
    std::vector<BYTE> block(size);
    if (!GetFileVersionInfoW(path.c_str(), 0, size, block.data())) return;
    facts.hasVersionResource = true;
    const std::wstring table = StringTable(block);
    facts.fileVersion = QueryString(block, table.c_str(), L"FileVersion");
    facts.productName = QueryString(block, table.c_str(), L"ProductName");
    facts.companyName = QueryString(block, table.c_str(), L"CompanyName");
    if (!facts.fileVersion.empty()) return;
    void* value = nullptr;
    UINT length = 0;
    if (VerQueryValueW(block.data(), L"\\", &value, &length) && value && length >= sizeof(VS_FIXEDFILEINFO)) {
        const VS_FIXEDFILEINFO* fixed = static_cast<const VS_FIXEDFILEINFO*>(value);
        if (fixed->dwSignature != 0xFEEF04BD) return;
        wchar_t text[64];
        swprintf(text, 64, L"%u.%u.%u.%u", HIWORD(fixed->dwFileVersionMS), LOWORD(fixed->dwFileVersionMS),
                 HIWORD(fixed->dwFileVersionLS), LOWORD(fixed->dwFileVersionLS));
        facts.fileVersion = text;
    }
}

}  // namespace

bool ReadProgramFacts(const std::wstring& path, ProgramFacts& facts) {
    facts = ProgramFacts{};
    if (!ReadPeHeader(path, facts)) return false;
    if (facts.isWindowsProgram) ReadVersionResource(path, facts);
    return true;
}
