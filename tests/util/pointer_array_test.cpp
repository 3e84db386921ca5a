#include "ui/util/pointer_array.h"

#include <gtest/gtest.h>

namespace {

void* P(int n) {
    return reinterpret_cast<void*>(static_cast<intptr_t>(n));
}

TEST(PointerArray, CapacityStartsAtElevenAndDoublesWhenReached) {
    PointerArray a;
    EXPECT_EQ(0, a.Capacity());
    a.Add(P(1));
    EXPECT_EQ(11, a.Capacity());
    for (int i = 2; i <= 10; ++i) {
        a.Add(P(i));
    }
    EXPECT_EQ(11, a.Capacity());
    a.Add(P(11));  // the count reaches the capacity
    EXPECT_EQ(22, a.Capacity());
    for (int i = 12; i <= 22; ++i) {
        a.Add(P(i));
    }
    EXPECT_EQ(44, a.Capacity());
    for (int i = 0; i < 22; ++i) {
        ASSERT_EQ(P(i + 1), a[i]);
    }
}

TEST(PointerArray, InsertRemoveAndFind) {
    PointerArray a;
    a.Add(P(1));
    a.Add(P(3));
    EXPECT_TRUE(a.InsertAt(1, P(2)));
    EXPECT_TRUE(a.InsertAt(3, P(4)));
    EXPECT_FALSE(a.InsertAt(5, P(9)));
    EXPECT_FALSE(a.InsertAt(-1, P(9)));
    ASSERT_EQ(4, a.GetSize());
    a.Add(P(2));
    EXPECT_EQ(1, a.Find(P(2)));
    EXPECT_TRUE(a.RemoveValue(P(2)));  // only the first occurrence
    EXPECT_EQ(3, a.Find(P(2)));
    EXPECT_TRUE(a.Remove(0));
    EXPECT_EQ(P(3), a.GetAt(0));
    EXPECT_FALSE(a.Remove(4));
    EXPECT_FALSE(a.RemoveValue(P(77)));
    EXPECT_EQ(-1, a.Find(P(77)));
    EXPECT_EQ(nullptr, a.GetAt(3));
    EXPECT_EQ(nullptr, a.GetAt(-1));
}

TEST(PointerArray, SetAtOnlyInsideTheCount) {
    PointerArray a(4);
    EXPECT_EQ(4, a.Capacity());
    EXPECT_FALSE(a.SetAt(0, P(1)));
    a.Add(P(1));
    EXPECT_TRUE(a.SetAt(0, P(5)));
    EXPECT_EQ(P(5), a.GetData()[0]);
}

TEST(PointerArray, CopiesAreIndependent) {
    PointerArray a;
    for (int i = 0; i < 15; ++i) {
        a.Add(P(i));
    }
    PointerArray b(a);
    b.SetAt(0, P(99));
    EXPECT_EQ(P(0), a[0]);
    PointerArray c;
    c.Add(P(7));
    c = a;
    EXPECT_EQ(15, c.GetSize());
    EXPECT_EQ(P(14), c[14]);
    c = c;
    EXPECT_EQ(15, c.GetSize());
    a.Empty();
    EXPECT_TRUE(a.IsEmpty());
    EXPECT_EQ(P(14), b[14]);
}

}  // namespace
