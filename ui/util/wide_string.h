#pragma once
// CWideString: the UTF-16 string used throughout the UI. Short texts (up to 62 characters, which
// covers nearly every control name, attribute value and class name) live inside the object so
// that building a skin does not hit the heap for each of them; longer ones are heap-allocated.
// Nothing here throws: when memory runs out, an operation that would grow a string leaves it as
// it was.

#include <cstddef>

class CWideString {
public:
    static constexpr int kInlineCapacity = 62;
    // Longer texts are refused; the bound keeps every size computation inside an int.
    static constexpr int kMaxLength = 0x3FFFFFFF;

    CWideString();
    CWideString(const wchar_t* text, int length = -1);
    explicit CWideString(wchar_t ch);
    CWideString(const CWideString& other);
    CWideString(CWideString&& other) noexcept;
    ~CWideString();

    CWideString& operator=(const CWideString& other);
    CWideString& operator=(CWideString&& other) noexcept;
    CWideString& operator=(const wchar_t* text);
    CWideString& operator=(wchar_t ch);

    int GetLength() const { return m_length; }
    bool IsEmpty() const { return m_length == 0; }
    void Empty();

    // Never null and always zero-terminated.
    const wchar_t* GetData() const { return m_data; }
    operator const wchar_t*() const { return m_data; }

    // Out-of-range reads give 0; out-of-range writes are ignored.
    wchar_t GetAt(int i) const;
    wchar_t operator[](int i) const { return GetAt(i); }
    void SetAt(int i, wchar_t ch);

    void Assign(const wchar_t* text, int length = -1);
    void Append(const wchar_t* text, int length = -1);
    CWideString& operator+=(const CWideString& other);
    CWideString& operator+=(const wchar_t* text);
    CWideString& operator+=(wchar_t ch);

    int Compare(const wchar_t* s) const;
    int CompareNoCase(const wchar_t* s) const;
    bool operator==(const wchar_t* s) const { return Compare(s) == 0; }
    bool operator!=(const wchar_t* s) const { return Compare(s) != 0; }
    bool operator<(const wchar_t* s) const { return Compare(s) < 0; }
    bool operator==(const CWideString& s) const { return Compare(s.m_data) == 0; }
    bool operator!=(const CWideString& s) const { return Compare(s.m_data) != 0; }
    bool operator<(const CWideString& s) const { return Compare(s.m_data) < 0; }

    CWideString Left(int n) const;
    CWideString Mid(int pos, int n = -1) const;
    CWideString Right(int n) const;

    // Both return -1 when not found.
    int Find(wchar_t ch, int start = 0) const;
    int Find(const wchar_t* sub, int start = 0) const;
    int ReverseFind(wchar_t ch) const;

    // Returns how many occurrences were replaced.
    int Replace(const wchar_t* from, const wchar_t* to);
    void MakeUpper();
    void MakeLower();

    // printf-style; %s takes a wide string. Returns the new length. A text that cannot be
    // built (over 16 M characters, or no memory for it) leaves the string empty and gives 0.
    int Format(const wchar_t* format, ...);

private:
    bool IsInline() const { return m_data == m_inline; }
    bool Reserve(int length);
    void ReleaseHeap();

    wchar_t* m_data;
    int m_length = 0;
    int m_capacity = kInlineCapacity;
    wchar_t m_inline[kInlineCapacity + 1];
};

CWideString operator+(const CWideString& a, const CWideString& b);
CWideString operator+(const CWideString& a, const wchar_t* b);
CWideString operator+(const wchar_t* a, const CWideString& b);
CWideString operator+(const CWideString& a, wchar_t b);
CWideString operator+(wchar_t a, const CWideString& b);
bool operator==(const wchar_t* a, const CWideString& b);
bool operator!=(const wchar_t* a, const CWideString& b);
