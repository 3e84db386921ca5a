#include "ui/util/string_pointer_map.h"

#include <new>

StringPointerMap::StringPointerMap(int buckets) {
    Resize(buckets);
}

StringPointerMap::~StringPointerMap() {
    Clear();
}

void StringPointerMap::Clear() {
    for (int b = 0; b < m_bucketCount; ++b) {
        Entry* entry = m_buckets[b];
        while (entry != nullptr) {
            Entry* next = entry->next;
            delete entry;
            entry = next;
        }
    }
    delete[] m_buckets;
    m_buckets = nullptr;
    m_bucketCount = 0;
    m_count = 0;
}

// Without memory for the buckets the map stays empty and refuses every insertion.
void StringPointerMap::Resize(int buckets) {
    Clear();
    int count = buckets > 0 ? buckets : 1;
    m_buckets = new (std::nothrow) Entry*[count]();
    m_bucketCount = m_buckets != nullptr ? count : 0;
}

// hash := hash * 33 + character, from the last character to the first, in unsigned 32-bit.
unsigned StringPointerMap::Hash(const wchar_t* key) {
    const wchar_t* end = key;
    while (*end != L'\0') {
        ++end;
    }
    unsigned hash = 0;
    while (end != key) {
        --end;
        hash = hash * 33u + static_cast<unsigned>(*end);
    }
    return hash;
}

StringPointerMap::Entry* StringPointerMap::Lookup(const wchar_t* key, int* bucket) const {
    if (m_bucketCount == 0) {
        *bucket = -1;
        return nullptr;
    }
    *bucket = static_cast<int>(Hash(key) % static_cast<unsigned>(m_bucketCount));
    for (Entry* entry = m_buckets[*bucket]; entry != nullptr; entry = entry->next) {
        if (entry->key == key) {
            return entry;
        }
    }
    return nullptr;
}

void StringPointerMap::Unlink(Entry* entry, int bucket) {
    if (entry->prev != nullptr) {
        entry->prev->next = entry->next;
    } else {
        m_buckets[bucket] = entry->next;
    }
    if (entry->next != nullptr) {
        entry->next->prev = entry->prev;
    }
    entry->prev = entry->next = nullptr;
}

void StringPointerMap::PushFront(Entry* entry, int bucket) {
    entry->prev = nullptr;
    entry->next = m_buckets[bucket];
    if (entry->next != nullptr) {
        entry->next->prev = entry;
    }
    m_buckets[bucket] = entry;
}

void* StringPointerMap::Find(const wchar_t* key, bool moveToFront) {
    if (key == nullptr) {
        return nullptr;
    }
    int bucket = 0;
    Entry* entry = Lookup(key, &bucket);
    if (entry == nullptr) {
        return nullptr;
    }
    if (moveToFront && entry->prev != nullptr) {
        Unlink(entry, bucket);
        PushFront(entry, bucket);
    }
    return entry->value;
}

bool StringPointerMap::Insert(const wchar_t* key, void* value) {
    if (key == nullptr) {
        return false;
    }
    int bucket = 0;
    if (Lookup(key, &bucket) != nullptr || bucket < 0) {
        return false;
    }
    Entry* entry = new (std::nothrow) Entry{CWideString(key), value, nullptr, nullptr};
    // A long key that found no memory for its copy would be stored as an empty one.
    if (entry == nullptr || entry->key != key) {
        delete entry;
        return false;
    }
    PushFront(entry, bucket);
    ++m_count;
    return true;
}

void* StringPointerMap::Set(const wchar_t* key, void* value) {
    if (key == nullptr) {
        return nullptr;
    }
    int bucket = 0;
    Entry* entry = Lookup(key, &bucket);
    if (entry == nullptr) {
        Insert(key, value);
        return nullptr;
    }
    void* previous = entry->value;
    entry->value = value;
    return previous;
}

bool StringPointerMap::Remove(const wchar_t* key) {
    if (key == nullptr) {
        return false;
    }
    int bucket = 0;
    Entry* entry = Lookup(key, &bucket);
    if (entry == nullptr) {
        return false;
    }
    Unlink(entry, bucket);
    delete entry;
    --m_count;
    return true;
}

const wchar_t* StringPointerMap::GetAt(int index) const {
    if (index < 0 || index >= m_count) {
        return nullptr;
    }
    for (int b = 0; b < m_bucketCount; ++b) {
        for (Entry* entry = m_buckets[b]; entry != nullptr; entry = entry->next) {
            if (index-- == 0) {
                return entry->key.GetData();
            }
        }
    }
    return nullptr;
}
