#include "ui/util/wide_string.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <cwctype>
#include <memory>
#include <new>

namespace {

constexpr size_t kMaxFormatBuffer = 1u << 24;

// Length of `text`, reading at most `limit` characters when limit >= 0 (so a caller's count can
// never make us read past an earlier terminator).
int BoundedLength(const wchar_t* text, int limit) {
    if (text == nullptr) {
        return 0;
    }
    if (limit < 0) {
        return static_cast<int>(wcslen(text));
    }
    int n = 0;
    while (n < limit && text[n] != L'\0') {
        ++n;
    }
    return n;
}

}  // namespace

CWideString::CWideString() : m_data(m_inline) {
    m_inline[0] = L'\0';
}

CWideString::CWideString(const wchar_t* text, int length) : CWideString() {
    Assign(text, length);
}

CWideString::CWideString(wchar_t ch) : CWideString() {
    Assign(&ch, 1);
}

CWideString::CWideString(const CWideString& other) : CWideString() {
    Assign(other.m_data, other.m_length);
}

CWideString::CWideString(CWideString&& other) noexcept : CWideString() {
    *this = static_cast<CWideString&&>(other);
}

CWideString::~CWideString() {
    ReleaseHeap();
}

CWideString& CWideString::operator=(const CWideString& other) {
    if (this != &other) {
        Assign(other.m_data, other.m_length);
    }
    return *this;
}

CWideString& CWideString::operator=(CWideString&& other) noexcept {
    if (this == &other) {
        return *this;
    }
    if (other.IsInline()) {
        Assign(other.m_data, other.m_length);
    } else {
        ReleaseHeap();
        m_data = other.m_data;
        m_length = other.m_length;
        m_capacity = other.m_capacity;
        other.m_data = other.m_inline;
        other.m_capacity = kInlineCapacity;
    }
    other.m_length = 0;
    other.m_data[0] = L'\0';
    return *this;
}

CWideString& CWideString::operator=(const wchar_t* text) {
    Assign(text);
    return *this;
}

CWideString& CWideString::operator=(wchar_t ch) {
    Assign(&ch, 1);
    return *this;
}

void CWideString::ReleaseHeap() {
    if (!IsInline()) {
        delete[] m_data;
        m_data = m_inline;
        m_capacity = kInlineCapacity;
    }
}

// Makes room for `length` characters plus the terminator, keeping the current contents. False,
// with nothing changed, when the memory is not there: strings never throw.
bool CWideString::Reserve(int length) {
    if (length <= m_capacity) {
        return true;
    }
    if (length > kMaxLength) {
        return false;
    }
    int capacity = m_capacity;
    while (capacity < length) {
        capacity = capacity < kMaxLength / 2 ? capacity * 2 + 1 : kMaxLength;
    }
    wchar_t* grown = new (std::nothrow) wchar_t[capacity + 1];
    if (grown == nullptr) {
        return false;
    }
    wmemcpy(grown, m_data, m_length + 1);
    ReleaseHeap();
    m_data = grown;
    m_capacity = capacity;
    return true;
}

void CWideString::Empty() {
    ReleaseHeap();
    m_length = 0;
    m_data[0] = L'\0';
}

wchar_t CWideString::GetAt(int i) const {
    return (i >= 0 && i < m_length) ? m_data[i] : L'\0';
}

void CWideString::SetAt(int i, wchar_t ch) {
    if (i >= 0 && i < m_length && ch != L'\0') {
        m_data[i] = ch;
    }
}

void CWideString::Assign(const wchar_t* text, int length) {
    int n = BoundedLength(text, length);
    if (text >= m_data && text <= m_data + m_length) {
        // Assigning a piece of ourselves: the source stays valid because we never shrink storage here.
        wmemmove(m_data, text, n);
    } else {
        if (!Reserve(n)) {
            return;
        }
        wmemcpy(m_data, text, n);
    }
    m_length = n;
    m_data[n] = L'\0';
}

void CWideString::Append(const wchar_t* text, int length) {
    int n = BoundedLength(text, length);
    if (n == 0) {
        return;
    }
    if (text >= m_data && text <= m_data + m_length) {
        CWideString copy(text, n);  // Reserve may free the storage `text` points into
        Append(copy.m_data, n);
        return;
    }
    if (n > kMaxLength - m_length || !Reserve(m_length + n)) {
        return;
    }
    wmemcpy(m_data + m_length, text, n);
    m_length += n;
    m_data[m_length] = L'\0';
}

CWideString& CWideString::operator+=(const CWideString& other) {
    Append(other.m_data, other.m_length);
    return *this;
}

CWideString& CWideString::operator+=(const wchar_t* text) {
    Append(text);
    return *this;
}

CWideString& CWideString::operator+=(wchar_t ch) {
    Append(&ch, 1);
    return *this;
}

int CWideString::Compare(const wchar_t* s) const {
    return wcscmp(m_data, s != nullptr ? s : L"");
}

int CWideString::CompareNoCase(const wchar_t* s) const {
    return _wcsicmp(m_data, s != nullptr ? s : L"");
}

CWideString CWideString::Left(int n) const {
    if (n < 0) {
        n = 0;
    }
    return CWideString(m_data, n < m_length ? n : m_length);
}

CWideString CWideString::Mid(int pos, int n) const {
    if (pos < 0) {
        pos = 0;
    }
    if (pos >= m_length) {
        return CWideString();
    }
    int available = m_length - pos;
    if (n < 0 || n > available) {
        n = available;
    }
    return CWideString(m_data + pos, n);
}

CWideString CWideString::Right(int n) const {
    if (n < 0) {
        n = 0;
    }
    if (n > m_length) {
        n = m_length;
    }
    return CWideString(m_data + m_length - n, n);
}

int CWideString::Find(wchar_t ch, int start) const {
    if (start < 0 || start >= m_length || ch == L'\0') {
        return -1;
    }
    const wchar_t* hit = wcschr(m_data + start, ch);
    return hit != nullptr ? static_cast<int>(hit - m_data) : -1;
}

int CWideString::Find(const wchar_t* sub, int start) const {
    if (sub == nullptr || start < 0 || start > m_length) {
        return -1;
    }
    if (*sub == L'\0') {
        return start;  // the Windows runtime's wcsstr gives null for an empty needle
    }
    const wchar_t* hit = wcsstr(m_data + start, sub);
    return hit != nullptr ? static_cast<int>(hit - m_data) : -1;
}

int CWideString::ReverseFind(wchar_t ch) const {
    if (ch == L'\0') {
        return -1;
    }
    const wchar_t* hit = wcsrchr(m_data, ch);
    return hit != nullptr ? static_cast<int>(hit - m_data) : -1;
}

int CWideString::Replace(const wchar_t* from, const wchar_t* to) {
    int fromLength = BoundedLength(from, -1);
    if (fromLength == 0) {
        return 0;
    }
    int toLength = BoundedLength(to, -1);
    CWideString result;
    int count = 0;
    int pos = 0;
    for (int hit = Find(from, 0); hit >= 0; hit = Find(from, pos)) {
        result.Append(m_data + pos, hit - pos);
        result.Append(to, toLength);
        pos = hit + fromLength;
        ++count;
    }
    if (count == 0) {
        return 0;
    }
    result.Append(m_data + pos, m_length - pos);
    long long expected = m_length + static_cast<long long>(count) * (toLength - fromLength);
    if (result.m_length != expected) {
        return 0;  // ran out of memory on the way: keep the string as it was
    }
    *this = static_cast<CWideString&&>(result);
    return count;
}

void CWideString::MakeUpper() {
    for (int i = 0; i < m_length; ++i) {
        m_data[i] = static_cast<wchar_t>(towupper(m_data[i]));
    }
}

void CWideString::MakeLower() {
    for (int i = 0; i < m_length; ++i) {
        m_data[i] = static_cast<wchar_t>(towlower(m_data[i]));
    }
}

// The Microsoft runtime's _vsnwprintf reads %s as a wide string, which is what every caller in
// this code base expects (the C99 wide printf would want a narrow one). It returns -1 when the
// buffer is too small, so the buffer grows until the text fits.
int CWideString::Format(const wchar_t* format, ...) {
    size_t size = format != nullptr ? 256 : 0;
    for (; size > 0 && size <= kMaxFormatBuffer; size *= 2) {
        std::unique_ptr<wchar_t[]> buffer(new (std::nothrow) wchar_t[size]);
        if (buffer == nullptr) {
            break;
        }
        va_list args;
        va_start(args, format);
        int written = _vsnwprintf(buffer.get(), size - 1, format, args);
        va_end(args);
        if (written >= 0 && static_cast<size_t>(written) < size - 1) {
            Assign(buffer.get(), written);
            if (m_length == written) {
                return m_length;
            }
            break;
        }
    }
    Empty();  // no format, a text too long or no memory for it
    return 0;
}

CWideString operator+(const CWideString& a, const CWideString& b) {
    CWideString r(a);
    r += b;
    return r;
}

CWideString operator+(const CWideString& a, const wchar_t* b) {
    CWideString r(a);
    r += b;
    return r;
}

CWideString operator+(const wchar_t* a, const CWideString& b) {
    CWideString r(a);
    r += b;
    return r;
}

CWideString operator+(const CWideString& a, wchar_t b) {
    CWideString r(a);
    r += b;
    return r;
}

CWideString operator+(wchar_t a, const CWideString& b) {
    CWideString r(a);
    r += b;
    return r;
}

bool operator==(const wchar_t* a, const CWideString& b) {
    return b == a;
}

bool operator!=(const wchar_t* a, const CWideString& b) {
    return b != a;
}
