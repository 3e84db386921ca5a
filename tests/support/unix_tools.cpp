#include "tests/support/unix_tools.h"

#include <vector>

std::string UnixPathOf(const std::wstring& path) {
    using ToUnix = char*(CDECL*)(const wchar_t*);
    const auto toUnix = reinterpret_cast<ToUnix>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    if (toUnix == nullptr) return std::string();
    char* unixPath = toUnix(path.c_str());
    if (unixPath == nullptr) return std::string();
    std::string result = unixPath;
    HeapFree(GetProcessHeap(), 0, unixPath);
    return result;
}

bool StartUnixProgram(const std::string& program, const std::string& arguments, UniqueHandle& process) {
    const std::wstring exe = L"Z:" + std::wstring(program.begin(), program.end());
    const std::string line = program + " " + arguments;
    std::vector<wchar_t> commandLine(line.begin(), line.end());
    commandLine.push_back(L'\0');
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &info)) {
        return false;
    }
    CloseHandle(info.hThread);
    process.Reset(info.hProcess);
    return true;
}

std::string TestSupportFolder() {
    return TEST_SUPPORT_DIR;
}
