#pragma once
// PointerArray: a growable array of untyped pointers (listener lists, timers, children, ...).
// It never owns what its items point to. Capacity grows by doubling when the count after an
// append reaches it, starting at 11, so there is always at least one spare slot.

class PointerArray {
public:
    explicit PointerArray(int preallocate = 0);
    PointerArray(const PointerArray& other);
    PointerArray& operator=(const PointerArray& other);
    ~PointerArray();

    void Empty();
    bool IsEmpty() const { return m_count == 0; }
    int GetSize() const { return m_count; }

    bool Add(void* item);                  // false, nothing added, when memory runs out
    bool InsertAt(int index, void* item);  // index may equal the size (appends)
    bool SetAt(int index, void* item);
    bool Remove(int index);        // shifts later items down
    bool RemoveValue(void* item);  // the first occurrence
    int Find(void* item) const;    // -1 when absent

    void* GetAt(int index) const;  // null out of range
    void* operator[](int index) const { return GetAt(index); }
    void** GetData() { return m_items; }
    int Capacity() const { return m_capacity; }

private:
    bool GrowForOneMore();

    void** m_items = nullptr;
    int m_count = 0;
    int m_capacity = 0;
};
