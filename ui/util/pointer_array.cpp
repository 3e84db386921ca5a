#include "ui/util/pointer_array.h"

#include <cstring>
#include <new>

namespace {
constexpr int kFirstCapacity = 11;
constexpr int kMaxCapacity = 0x1FFFFFFF;  // keeps the byte count of the items inside 32 bits
}  // namespace

// Every allocation here is nothrow: a list that cannot grow reports false and stays as it was.
PointerArray::PointerArray(int preallocate) {
    if (preallocate > 0 && preallocate <= kMaxCapacity) {
        m_items = new (std::nothrow) void*[preallocate];
        m_capacity = m_items != nullptr ? preallocate : 0;
    }
}

// A copy that finds no memory is empty.
PointerArray::PointerArray(const PointerArray& other) : PointerArray(other.m_capacity) {
    if (m_items != nullptr && other.m_count > 0) {
        memcpy(m_items, other.m_items, other.m_count * sizeof(void*));
        m_count = other.m_count;
    }
}

// Assignment that finds no memory leaves the target unchanged.
PointerArray& PointerArray::operator=(const PointerArray& other) {
    if (this != &other) {
        PointerArray copy(other);
        if (copy.m_count != other.m_count) {
            return *this;
        }
        void** items = m_items;
        m_items = copy.m_items;
        m_count = copy.m_count;
        m_capacity = copy.m_capacity;
        copy.m_items = items;  // the copy frees our old storage
    }
    return *this;
}

PointerArray::~PointerArray() {
    delete[] m_items;
}

void PointerArray::Empty() {
    delete[] m_items;
    m_items = nullptr;
    m_count = 0;
    m_capacity = 0;
}

// Ensures that after storing one more item the count is still below the capacity.
bool PointerArray::GrowForOneMore() {
    if (m_count + 1 < m_capacity) {
        return true;
    }
    if (m_capacity > kMaxCapacity / 2) {
        return false;
    }
    int capacity = m_capacity == 0 ? kFirstCapacity : m_capacity * 2;
    void** grown = new (std::nothrow) void*[capacity];
    if (grown == nullptr) {
        return false;
    }
    if (m_count > 0) {
        memcpy(grown, m_items, m_count * sizeof(void*));
    }
    delete[] m_items;
    m_items = grown;
    m_capacity = capacity;
    return true;
}

bool PointerArray::Add(void* item) {
    if (!GrowForOneMore()) {
        return false;
    }
    m_items[m_count++] = item;
    return true;
}

bool PointerArray::InsertAt(int index, void* item) {
    if (index < 0 || index > m_count || !GrowForOneMore()) {
        return false;
    }
    memmove(m_items + index + 1, m_items + index, (m_count - index) * sizeof(void*));
    m_items[index] = item;
    ++m_count;
    return true;
}

bool PointerArray::SetAt(int index, void* item) {
    if (index < 0 || index >= m_count) {
        return false;
    }
    m_items[index] = item;
    return true;
}

bool PointerArray::Remove(int index) {
    if (index < 0 || index >= m_count) {
        return false;
    }
    memmove(m_items + index, m_items + index + 1, (m_count - index - 1) * sizeof(void*));
    --m_count;
    return true;
}

bool PointerArray::RemoveValue(void* item) {
    return Remove(Find(item));
}

int PointerArray::Find(void* item) const {
    for (int i = 0; i < m_count; ++i) {
        if (m_items[i] == item) {
            return i;
        }
    }
    return -1;
}

void* PointerArray::GetAt(int index) const {
    return (index >= 0 && index < m_count) ? m_items[index] : nullptr;
}
