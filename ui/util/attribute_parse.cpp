#include "ui/util/attribute_parse.h"

#include <cwchar>

namespace attr {

void ParseIntList(const wchar_t* text, int* values, int count) {
    const wchar_t* cursor = text ? text : L"";
    for (int i = 0; i < count; ++i) {
        values[i] = 0;
    }
    for (int i = 0; i < count; ++i) {
        if (i > 0) {
            // Skipping the separator must not step past the end of a short list ("4" for a
            // four-number attribute): the remaining numbers simply stay 0.
            if (*cursor == L'\0') {
                return;
            }
            ++cursor;
        }
        wchar_t* end = nullptr;
        values[i] = static_cast<int>(wcstol(cursor, &end, 10));
        cursor = end;
    }
}

int ParseInt(const wchar_t* text) {
    return text ? static_cast<int>(wcstol(text, nullptr, 10)) : 0;
}

RECT ParseRect(const wchar_t* text) {
    int v[4];
    ParseIntList(text, v, 4);
    return RECT{v[0], v[1], v[2], v[3]};
}

SIZE ParseSize(const wchar_t* text) {
    int v[2];
    ParseIntList(text, v, 2);
    return SIZE{v[0], v[1]};
}

bool ParseBool(const wchar_t* text) {
    return text && wcscmp(text, L"true") == 0;
}

DWORD ParseColor(const wchar_t* text) {
    if (!text) {
        return 0;
    }
    if (*text == L'#') {
        ++text;
    }
    return static_cast<DWORD>(wcstoul(text, nullptr, 16));
}

DWORD ParseColorAfterSpaces(const wchar_t* text) {
    if (!text) {
        return 0;
    }
    while (*text > L'\0' && *text <= L' ') {
        ++text;
    }
    return ParseColor(text);
}

CAttributeListReader::CAttributeListReader(const wchar_t* text) : m_cursor(text) {}

bool CAttributeListReader::Next(CWideString& name, CWideString& value) {
    if (!m_cursor || *m_cursor == L'\0') {
        return false;
    }
    const wchar_t* equals = wcschr(m_cursor, L'=');
    if (!equals || equals[1] != L'"') {
        m_cursor = nullptr;
        return false;
    }
    const wchar_t* valueStart = equals + 2;
    const wchar_t* closing = wcschr(valueStart, L'"');
    if (!closing) {
        m_cursor = nullptr;
        return false;
    }
    name.Assign(m_cursor, static_cast<int>(equals - m_cursor));
    value.Assign(valueStart, static_cast<int>(closing - valueStart));
    // Only exactly one space followed by more text continues the list.
    const wchar_t* rest = closing + 1;
    m_cursor = (rest[0] == L' ' && rest[1] != L'\0') ? rest + 1 : nullptr;
    return true;
}

}  // namespace attr
