#include "updater/paths.h"

#include <windows.h>

namespace {

bool IsSeparator(wchar_t ch) { return ch == L'\\' || ch == L'/'; }

constexpr DWORD kTempBufferChars = MAX_PATH;

}  // namespace

std::wstring FileNameOf(const std::wstring& path) {
    const size_t cut = path.find_last_of(L"\\/");
    return cut == std::wstring::npos ? path : path.substr(cut + 1);
}

std::wstring FolderOf(const std::wstring& path) {
    const size_t cut = path.find_last_of(L"\\/");
    return cut == std::wstring::npos ? std::wstring() : path.substr(0, cut + 1);
}

std::wstring TempFolder() { return TempFolder(kTempBufferChars); }

std::wstring TempFolder(DWORD bufferChars) {
    // GetTempPathW answers with the size it needs (including the terminator) when the buffer
    // is too small; that answer is not a path, so ask again with room for it.
    std::wstring buffer(bufferChars, L'\0');
    DWORD length = GetTempPathW(static_cast<DWORD>(buffer.size()), &buffer[0]);
    if (length >= buffer.size()) {
        buffer.assign(length + 1, L'\0');
        length = GetTempPathW(static_cast<DWORD>(buffer.size()), &buffer[0]);
        if (length >= buffer.size()) return std::wstring();
    }
    buffer.resize(length);
    if (!buffer.empty() && !IsSeparator(buffer.back())) buffer += L'\\';
    return buffer;
}

namespace {

std::wstring FullPath(const std::wstring& path) {
    const DWORD needed = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (needed == 0) return path;
    std::wstring full(needed, L'\0');
    const DWORD length = GetFullPathNameW(path.c_str(), needed, &full[0], nullptr);
    if (length == 0 || length >= needed) return path;
    full.resize(length);
    return full;
}

bool SameFile(const std::wstring& a, const std::wstring& b) {
    const std::wstring fullA = FullPath(a);
    const std::wstring fullB = FullPath(b);
    return CompareStringOrdinal(fullA.c_str(), static_cast<int>(fullA.size()), fullB.c_str(),
                                static_cast<int>(fullB.size()), TRUE) == CSTR_EQUAL;
}

}  // namespace

std::wstring LongPathForm(const std::wstring& path) {
    if (path.size() < MAX_PATH) return path;
    const std::wstring full = FullPath(path);
    if (full.compare(0, 4, L"\\\\?\\") == 0) return full;
    if (full.compare(0, 2, L"\\\\") == 0) return L"\\\\?\\UNC\\" + full.substr(2);
    return L"\\\\?\\" + full;
}

std::wstring TempDownloadPath(const std::wstring& targetPath) {
    const std::wstring path = TempFolder() + FileNameOf(targetPath);
    // A program kept in the temporary folder itself must not be taken for a stale download and
    // deleted, nor be the file the download is written into.
    return SameFile(path, targetPath) ? path + L".download" : path;
}

bool IsFullPath(const std::wstring& path) {
    const auto separator = [](wchar_t ch) { return ch == L'\\' || ch == L'/'; };
    if (path.size() >= 3 && path[1] == L':' && separator(path[2])) {
        const wchar_t drive = path[0];
        return (drive >= L'A' && drive <= L'Z') || (drive >= L'a' && drive <= L'z');
    }
    return path.size() >= 3 && separator(path[0]) && separator(path[1]) && !separator(path[2]);
}
