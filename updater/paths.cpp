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

std::wstring TempFolder() {
    // GetTempPathW answers with the size it needs (including the terminator) when the buffer
    // is too small; that answer is not a path, so ask again with room for it.
    std::wstring buffer(kTempBufferChars, L'\0');
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

std::wstring TempDownloadPath(const std::wstring& targetPath) {
    return TempFolder() + FileNameOf(targetPath);
}
