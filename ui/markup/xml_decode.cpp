#include "ui/markup/xml_decode.h"

#include <windows.h>

#include <climits>
#include <cstring>
#include <cwchar>
#include <new>

namespace {

bool IsContinuation(uint8_t b) {
    return (b & 0xC0) == 0x80;
}

// Decodes well-formed UTF-8 into `out`, which has room for `size` characters (UTF-8 never takes
// fewer bytes than UTF-16 takes code units). Returns false at the first ill-formed sequence so
// the caller can leave such input to Windows, whose replacement rules are then kept exactly.
bool DecodeWellFormed(const uint8_t* p, uint32_t size, wchar_t* out, uint32_t* length) {
    const uint8_t* end = p + size;
    wchar_t* start = out;
    while (p < end) {
        // Skins are mostly ASCII: convert four such bytes at a time.
        while (end - p >= 4) {
            uint32_t quad;
            memcpy(&quad, p, 4);
            if ((quad & 0x80808080u) != 0) {
                break;
            }
            out[0] = static_cast<wchar_t>(quad & 0xFF);
            out[1] = static_cast<wchar_t>((quad >> 8) & 0xFF);
            out[2] = static_cast<wchar_t>((quad >> 16) & 0xFF);
            out[3] = static_cast<wchar_t>(quad >> 24);
            out += 4;
            p += 4;
        }
        if (p == end) {
            break;
        }
        uint8_t c = *p;
        if (c < 0x80) {
            *out++ = c;
            ++p;
            continue;
        }
        size_t left = static_cast<size_t>(end - p);
        if (c >= 0xC2 && c <= 0xDF && left >= 2 && IsContinuation(p[1])) {
            *out++ = static_cast<wchar_t>(((c & 0x1F) << 6) | (p[1] & 0x3F));
            p += 2;
        } else if (c >= 0xE0 && c <= 0xEF && left >= 3 && IsContinuation(p[1]) && IsContinuation(p[2]) &&
                   !(c == 0xE0 && p[1] < 0xA0) && !(c == 0xED && p[1] >= 0xA0)) {
            *out++ = static_cast<wchar_t>(((c & 0x0F) << 12) | ((p[1] & 0x3F) << 6) | (p[2] & 0x3F));
            p += 3;
        } else if (c >= 0xF0 && c <= 0xF4 && left >= 4 && IsContinuation(p[1]) && IsContinuation(p[2]) &&
                   IsContinuation(p[3]) && !(c == 0xF0 && p[1] < 0x90) && !(c == 0xF4 && p[1] >= 0x90)) {
            uint32_t cp =
                ((c & 0x07u) << 18) | ((p[1] & 0x3Fu) << 12) | ((p[2] & 0x3Fu) << 6) | (p[3] & 0x3Fu);
            cp -= 0x10000;
            *out++ = static_cast<wchar_t>(0xD800 + (cp >> 10));
            *out++ = static_cast<wchar_t>(0xDC00 + (cp & 0x3FF));
            p += 4;
        } else {
            return false;
        }
    }
    *length = static_cast<uint32_t>(out - start);
    return true;
}

uint32_t DecodeWithWindows(const char* data, uint32_t size, wchar_t* out, uint32_t capacity) {
    int count =
        MultiByteToWideChar(CP_UTF8, 0, data, static_cast<int>(size), out, static_cast<int>(capacity));
    return count > 0 ? static_cast<uint32_t>(count) : 0;
}

}  // namespace

DecodedText DecodeSkinBytes(const void* bytes, uint32_t size) {
    DecodedText result;
    const uint8_t* data = static_cast<const uint8_t*>(bytes);
    if (data == nullptr) {
        size = 0;
    }
    if (size >= 3 && data[0] == 0xEF && data[1] == 0xBB && data[2] == 0xBF) {
        data += 3;
        size -= 3;
    }
    if (size > static_cast<uint32_t>(INT_MAX / 2)) {
        return result;
    }
    // One character per byte is always enough, also for U+FFFD replacements.
    result.text = new (std::nothrow) wchar_t[static_cast<size_t>(size) + 1];
    if (result.text == nullptr) {
        return result;
    }
    result.capacity = size + 1;
    if (!DecodeWellFormed(data, size, result.text, &result.length)) {
        result.length = DecodeWithWindows(reinterpret_cast<const char*>(data), size, result.text, size);
    }
    result.text[result.length] = L'\0';
    return result;
}

DecodedText CopySkinText(const wchar_t* source) {
    DecodedText result;
    if (source == nullptr) {
        return result;
    }
    size_t n = wcslen(source);
    if (n >= UINT32_MAX / sizeof(wchar_t)) {
        return result;
    }
    result.text = new (std::nothrow) wchar_t[n + 1];
    if (result.text == nullptr) {
        return result;
    }
    wmemcpy(result.text, source, n + 1);
    result.length = static_cast<uint32_t>(n);
    result.capacity = static_cast<uint32_t>(n + 1);
    return result;
}
