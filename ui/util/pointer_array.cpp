#include "ui/util/pointer_array.h"

#include <cstring>

namespace {
constexpr int kFirstCapacity = 11;
}

PointerArray::PointerArray(int preallocate) {
    if (preallocate > 0) {
        m_items = new void*[preallocate];
        m_capacity = preallocate;
    }
}

PointerArray::PointerArray(const PointerArray& other) : PointerArray(other.m_capacity) {
    if (other.m_count > 0) {
        memcpy(m_items, other.m_items, other.m_count * sizeof(void*));
    }
    m_count = other.m_count;
}

PointerArray& PointerArray::operator=(const PointerArray& other) {
    if (this != &other) {
        PointerArray copy(other);
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
void PointerArray::GrowForOneMore() {
    if (m_count + 1 < m_capacity) {
        return;
    }
    int capacity = m_capacity == 0 ? kFirstCapacity : m_capacity * 2;
    void** grown = new void*[capacity];
    if (m_count > 0) {
        memcpy(grown, m_items, m_count * sizeof(void*));
    }
    delete[] m_items;
    m_items = grown;
    m_capacity = capacity;
}

bool PointerArray::Add(void* item) {
    GrowForOneMore();
    m_items[m_count++] = item;
    return true;
}

bool PointerArray::InsertAt(int index, void* item) {
    if (index < 0 || index > m_count) {
        return false;
    }
    GrowForOneMore();
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
