// The string and container types allocate with nothrow new and must stay usable when it fails.
// This program replaces the nothrow allocation functions so that a test can make them fail.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <new>
#include <string>

#include "ui/util/pointer_array.h"
#include "ui/util/string_pointer_map.h"
#include "ui/util/wide_string.h"

namespace {

bool g_failObjects = false;
bool g_failArrays = false;

}  // namespace

// The library's own operator delete frees with free(), so malloc pairs with it.
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return g_failObjects ? nullptr : std::malloc(size != 0 ? size : 1);
}

void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return g_failArrays ? nullptr : std::malloc(size != 0 ? size : 1);
}

namespace {

// Makes nothrow allocations fail while it exists: single objects, arrays, or both.
class NoMemory {
public:
    explicit NoMemory(bool objects = true, bool arrays = true) {
        g_failObjects = objects;
        g_failArrays = arrays;
    }
    ~NoMemory() { g_failObjects = g_failArrays = false; }
    NoMemory(const NoMemory&) = delete;
    NoMemory& operator=(const NoMemory&) = delete;
};

void* P(int n) {
    return reinterpret_cast<void*>(static_cast<intptr_t>(n));
}

TEST(OutOfMemory, PointerArrayThatCannotGrowKeepsItsItems) {
    PointerArray a;
    {
        NoMemory none;
        EXPECT_FALSE(a.Add(P(1)));
        EXPECT_EQ(0, a.GetSize());
    }
    for (int i = 0; i < 10; ++i) {
        ASSERT_TRUE(a.Add(P(i)));
    }
    ASSERT_EQ(11, a.Capacity());
    {
        NoMemory none;  // the eleventh item needs the first growth
        EXPECT_FALSE(a.Add(P(10)));
        EXPECT_FALSE(a.InsertAt(0, P(10)));
    }
    ASSERT_EQ(10, a.GetSize());
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(P(i), a[i]);
    }
    EXPECT_TRUE(a.Add(P(10)));
    EXPECT_EQ(22, a.Capacity());
    // A capacity whose byte count would not fit in 32 bits is never requested.
    PointerArray huge(0x40000000);
    EXPECT_EQ(0, huge.Capacity());
    EXPECT_TRUE(huge.Add(P(1)));
}

TEST(OutOfMemory, PointerArrayCopiesWithoutMemoryAreEmptyAndAssignmentChangesNothing) {
    PointerArray a;
    a.Add(P(1));
    a.Add(P(2));
    PointerArray target;
    target.Add(P(9));
    {
        NoMemory none;
        PointerArray copy(a);
        EXPECT_EQ(0, copy.GetSize());
        target = a;
    }
    ASSERT_EQ(1, target.GetSize());
    EXPECT_EQ(P(9), target[0]);
}

TEST(OutOfMemory, StringPointerMapRefusesInsertionsItCannotStore) {
    int value = 0;
    StringPointerMap map;
    ASSERT_TRUE(map.Insert(L"kept", &value));
    {
        NoMemory none;
        EXPECT_FALSE(map.Insert(L"new", &value));
        EXPECT_EQ(nullptr, map.Set(L"new", &value));
    }
    EXPECT_EQ(1, map.GetSize());
    EXPECT_EQ(nullptr, map.Find(L"new"));
    // The entry is allocated but its long key's copy is not: no entry with an empty key is left.
    std::wstring longKey(100, L'k');
    {
        NoMemory arraysOnly(false, true);
        EXPECT_FALSE(map.Insert(longKey.c_str(), &value));
    }
    EXPECT_EQ(1, map.GetSize());
    EXPECT_EQ(nullptr, map.Find(L""));
    EXPECT_TRUE(map.Insert(longKey.c_str(), &value));
    EXPECT_EQ(&value, map.Find(longKey.c_str()));
}

TEST(OutOfMemory, StringPointerMapWithoutBucketsStaysEmpty) {
    int value = 0;
    StringPointerMap map;
    map.Insert(L"gone", &value);
    {
        NoMemory none;
        map.Resize(83);
    }
    EXPECT_EQ(0, map.GetSize());
    EXPECT_FALSE(map.Insert(L"x", &value));
    EXPECT_EQ(nullptr, map.Set(L"x", &value));
    EXPECT_EQ(nullptr, map.Find(L"x"));
    EXPECT_FALSE(map.Remove(L"x"));
    EXPECT_EQ(nullptr, map.GetAt(0));
    map.Resize(83);
    EXPECT_TRUE(map.Insert(L"x", &value));
}

TEST(OutOfMemory, WideStringsThatCannotGrowKeepTheirText) {
    const std::wstring longText(100, L'w');
    CWideString s(L"short");
    CWideString heap(longText.c_str());
    {
        NoMemory none;
        s.Append(longText.c_str());
        EXPECT_STREQ(L"short", s);
        s = longText.c_str();
        EXPECT_STREQ(L"short", s);
        s += L'!';  // fits inside the object: no allocation needed
        EXPECT_STREQ(L"short!", s);
        CWideString copy(heap);
        EXPECT_TRUE(copy.IsEmpty());
        EXPECT_STREQ(L"", copy.GetData());
        EXPECT_EQ(0, heap.Replace(L"w", L"ww"));
        EXPECT_EQ(longText, heap.GetData());
        EXPECT_EQ(0, s.Format(L"%d", 7));  // the format buffer itself is not there
        EXPECT_TRUE(s.IsEmpty());
    }
    s.Append(longText.c_str());
    EXPECT_EQ(longText, s.GetData());
    EXPECT_EQ(100, heap.Replace(L"w", L"ww"));
    EXPECT_EQ(200, heap.GetLength());
}

}  // namespace
