#include "updater/check/body_kind.h"

#include <windows.h>

#include <cstdio>

#include "ui/util/unique_handle.h"
#include "updater/paths.h"

BodyKind BodyKindOf(const std::string& head) {
    if (head.empty()) return BodyKind::Empty;
    if (head.compare(0, 2, "MZ") == 0) return BodyKind::WindowsImage;
    if (head.compare(0, 4, "\xD0\xCF\x11\xE0") == 0) return BodyKind::CompoundFile;
    if (head.compare(0, 4, "PK\x03\x04") == 0) return BodyKind::ZipArchive;
    const unsigned char first = static_cast<unsigned char>(head[0]);
    if (first == '<' || first == '{' || first == 0xEF || (first >= 0x20 && first < 0x7F && head.size() > 1 &&
                                                          static_cast<unsigned char>(head[1]) >= 0x20)) {
        return BodyKind::Text;
    }
    return BodyKind::Unknown;
}

std::string FileHead(const std::wstring& path) {
    UniqueHandle file(CreateFileW(LongPathForm(path).c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    char head[8] = {};
    DWORD got = 0;
    if (!file || !ReadFile(file.Get(), head, sizeof head, &got, nullptr)) return {};
    return std::string(head, got);
}

std::string BodyKindText(const std::string& head) {
    switch (BodyKindOf(head)) {
        case BodyKind::Empty: return "empty";
        case BodyKind::WindowsImage: return "a Windows image";
        case BodyKind::CompoundFile: return "an MSI package or other compound file";
        case BodyKind::ZipArchive: return "a zip archive";
        case BodyKind::Text: return "text (an HTML page or other text)";
        case BodyKind::Unknown: break;
    }
    std::string text = "of no known kind (first bytes";
    for (unsigned char value : head) {
        char hex[4];
        std::snprintf(hex, sizeof hex, " %02X", value);
        text += hex;
    }
    return text + ")";
}
