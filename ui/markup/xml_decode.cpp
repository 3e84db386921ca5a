#include "ui/markup/xml_decode.h"

#include <windows.h>

#include <climits>
#include <cwchar>
#include <new>

wchar_t* DecodeSkinBytes(const void* bytes, uint32_t size, uint32_t* length) {
    *length = 0;
    const char* data = static_cast<const char*>(bytes);
    if (data == nullptr) {
        size = 0;
    }
    if (size >= 3 && static_cast<unsigned char>(data[0]) == 0xEF &&
        static_cast<unsigned char>(data[1]) == 0xBB && static_cast<unsigned char>(data[2]) == 0xBF) {
        data += 3;
        size -= 3;
    }
    if (size > static_cast<uint32_t>(INT_MAX / 2)) {
        return nullptr;
    }
    int count = size > 0 ? MultiByteToWideChar(CP_UTF8, 0, data, static_cast<int>(size), nullptr, 0) : 0;
    wchar_t* text = new (std::nothrow) wchar_t[static_cast<size_t>(count) + 1];
    if (text == nullptr) {
        return nullptr;
    }
    if (count > 0) {
        count = MultiByteToWideChar(CP_UTF8, 0, data, static_cast<int>(size), text, count);
    }
    text[count] = L'\0';
    *length = static_cast<uint32_t>(count);
    return text;
}

wchar_t* CopySkinText(const wchar_t* source, uint32_t* length) {
    *length = 0;
    if (source == nullptr) {
        return nullptr;
    }
    size_t n = wcslen(source);
    if (n > UINT32_MAX - 1) {
        return nullptr;
    }
    wchar_t* text = new (std::nothrow) wchar_t[n + 1];
    if (text == nullptr) {
        return nullptr;
    }
    wmemcpy(text, source, n + 1);
    *length = static_cast<uint32_t>(n);
    return text;
}
