#include "updater/update_log.h"

#include <windows.h>

#include <cstdarg>
#include <cstdio>

#include "updater/paths.h"
#include "ui/util/unique_handle.h"

namespace {

// The worker and the UI thread both log; a line is read, trimmed and appended as one step.
SRWLOCK g_logLock = SRWLOCK_INIT;

class LogLock {
public:
    LogLock() { AcquireSRWLockExclusive(&g_logLock); }
    ~LogLock() { ReleaseSRWLockExclusive(&g_logLock); }
    LogLock(const LogLock&) = delete;
    LogLock& operator=(const LogLock&) = delete;
};

bool ReadAll(HANDLE file, std::string& content) {
    LARGE_INTEGER size = {};
    if (!GetFileSizeEx(file, &size) || size.QuadPart > 64 * 1024 * 1024) return false;
    content.resize(static_cast<size_t>(size.QuadPart));
    DWORD got = 0;
    LARGE_INTEGER start = {};
    return SetFilePointerEx(file, start, nullptr, FILE_BEGIN) &&
           (content.empty() ||
            (ReadFile(file, &content[0], static_cast<DWORD>(content.size()), &got, nullptr) &&
             got == content.size()));
}

bool WriteAt(HANDLE file, LARGE_INTEGER offset, const std::string& bytes) {
    DWORD written = 0;
    return SetFilePointerEx(file, offset, nullptr, FILE_BEGIN) &&
           (bytes.empty() ||
            (WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
             written == bytes.size()));
}

// Rewrites the file with only its newest lines, leaving room for what comes next.
bool DropOldestHalf(HANDLE file, size_t limitBytes) {
    std::string content;
    if (!ReadAll(file, content)) return false;
    const LARGE_INTEGER start = {};
    return WriteAt(file, start, NewestLines(content, limitBytes / 2)) && SetEndOfFile(file);
}

std::string Timestamp() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    char text[64];
    std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u.%03u [%lu] ", now.wYear, now.wMonth,
                  now.wDay, now.wHour, now.wMinute, now.wSecond, now.wMilliseconds,
                  static_cast<unsigned long>(GetCurrentProcessId()));
    return text;
}

}  // namespace

std::string Utf8(const std::wstring& wide) {
    if (wide.empty()) return std::string();
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0,
                                          nullptr, nullptr);
    if (bytes <= 0) return std::string();
    std::string text(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), &text[0], bytes, nullptr,
                        nullptr);
    return text;
}

std::wstring FromUtf8(const std::string& text) {
    const int chars = MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, nullptr, 0);
    if (chars <= 1) return std::wstring();
    std::wstring wide(static_cast<size_t>(chars), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, &wide[0], chars);
    wide.resize(static_cast<size_t>(chars - 1));
    return wide;
}

std::string NewestLines(const std::string& content, size_t keepBytes) {
    if (content.size() <= keepBytes) return content;
    const size_t from = content.size() - keepBytes;
    // Start after a line break, so no line is kept half.
    if (from > 0 && content[from - 1] == '\n') return content.substr(from);
    const size_t lineStart = content.find('\n', from);
    return lineStart == std::string::npos ? std::string() : content.substr(lineStart + 1);
}

bool AppendLogLine(const std::wstring& path, const std::string& line, size_t limitBytes) {
    LogLock lock;
    UniqueHandle file(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    LARGE_INTEGER size = {};
    if (!GetFileSizeEx(file.Get(), &size)) return false;
    if (static_cast<unsigned long long>(size.QuadPart) + line.size() + 2 > limitBytes) {
        if (!DropOldestHalf(file.Get(), limitBytes) || !GetFileSizeEx(file.Get(), &size)) return false;
    }
    return WriteAt(file.Get(), size, line + "\r\n");
}

std::wstring UpdateLogPath() {
    wchar_t module[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(nullptr, module, MAX_PATH);
    std::wstring name = FileNameOf(std::wstring(module, length < MAX_PATH ? length : 0));
    const size_t dot = name.rfind(L'.');
    if (dot != std::wstring::npos) name.resize(dot);
    if (name.empty()) name = L"updater";
    return TempFolder() + name + L".log";
}

void LogLine(const char* format, ...) {
    char text[1024];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(text, sizeof text, format, arguments);
    va_end(arguments);
    AppendLogLine(UpdateLogPath(), Timestamp() + text, kUpdateLogLimitBytes);
}
