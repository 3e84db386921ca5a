#pragma once
// StringPointerMap: maps UTF-16 keys to untyped pointers. The bucket count is fixed at creation
// (the host uses 83); a lookup moves the found entry to the front of its chain, which keeps the
// names a window asks for repeatedly at the head. Keys are copied and owned; values never are.

#include "ui/util/wide_string.h"

class StringPointerMap {
public:
    explicit StringPointerMap(int buckets = 83);
    ~StringPointerMap();
    StringPointerMap(const StringPointerMap&) = delete;
    StringPointerMap& operator=(const StringPointerMap&) = delete;

    void Resize(int buckets = 83);  // drops every entry
    void* Find(const wchar_t* key, bool moveToFront = true);
    bool Insert(const wchar_t* key, void* value);  // refuses an existing key; false without memory
    void* Set(const wchar_t* key, void* value);    // returns the previous value or null
    bool Remove(const wchar_t* key);
    int GetSize() const { return m_count; }
    const wchar_t* GetAt(int index) const;  // key by position; null past the end

    // The bucket a key falls into; exposed so the hash can be checked against its definition.
    static unsigned Hash(const wchar_t* key);

private:
    struct Entry {
        CWideString key;
        void* value;
        Entry* prev;
        Entry* next;
    };

    Entry* Lookup(const wchar_t* key, int* bucket) const;
    void Unlink(Entry* entry, int bucket);
    void PushFront(Entry* entry, int bucket);
    void Clear();

    Entry** m_buckets = nullptr;
    int m_bucketCount = 0;
    int m_count = 0;
};
