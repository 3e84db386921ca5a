#include "ui/util/string_pointer_map.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {

int g_values[8];

TEST(StringPointerMap, HashRunsFromTheLastCharacterToTheFirst) {
    EXPECT_EQ(0u, StringPointerMap::Hash(L""));
    EXPECT_EQ(static_cast<unsigned>(L'b') * 33u + L'a', StringPointerMap::Hash(L"ab"));
    // Wraps in unsigned 32-bit arithmetic rather than overflowing.
    unsigned expected = 0;
    std::wstring longKey(40, L'\xFFFF');
    for (size_t i = 0; i < longKey.size(); ++i) {
        expected = expected * 33u + 0xFFFFu;
    }
    EXPECT_EQ(expected, StringPointerMap::Hash(longKey.c_str()));
}

TEST(StringPointerMap, InsertRefusesExistingKeysAndSetReplaces) {
    StringPointerMap map;
    EXPECT_TRUE(map.Insert(L"ok", &g_values[0]));
    EXPECT_FALSE(map.Insert(L"ok", &g_values[1]));
    EXPECT_EQ(&g_values[0], map.Find(L"ok"));
    EXPECT_EQ(&g_values[0], map.Set(L"ok", &g_values[2]));
    EXPECT_EQ(&g_values[2], map.Find(L"ok"));
    EXPECT_EQ(nullptr, map.Set(L"new", &g_values[3]));
    EXPECT_EQ(2, map.GetSize());
    EXPECT_EQ(nullptr, map.Find(L"OK"));  // keys are case-sensitive
}

TEST(StringPointerMap, KeysAreCopied) {
    StringPointerMap map;
    wchar_t key[] = L"name";
    map.Insert(key, &g_values[0]);
    key[0] = L'g';
    EXPECT_EQ(&g_values[0], map.Find(L"name"));
    EXPECT_EQ(nullptr, map.Find(key));
}

TEST(StringPointerMap, CollidingKeysInOneBucketAllStayReachable) {
    StringPointerMap map(1);  // every key lands in the same chain
    const wchar_t* keys[] = {L"a", L"b", L"c", L"d", L"e"};
    for (int i = 0; i < 5; ++i) {
        map.Insert(keys[i], &g_values[i]);
    }
    // Newest first; a lookup moves the hit to the front of its chain.
    EXPECT_STREQ(L"e", map.GetAt(0));
    map.Find(L"b");
    EXPECT_STREQ(L"b", map.GetAt(0));
    map.Find(L"c", false);
    EXPECT_STREQ(L"b", map.GetAt(0));
    EXPECT_TRUE(map.Remove(L"b"));  // removing the head
    EXPECT_TRUE(map.Remove(L"a"));  // removing the tail
    EXPECT_TRUE(map.Remove(L"d"));  // removing from the middle
    EXPECT_FALSE(map.Remove(L"d"));
    EXPECT_EQ(2, map.GetSize());
    EXPECT_EQ(&g_values[2], map.Find(L"c"));
    EXPECT_EQ(&g_values[4], map.Find(L"e"));
    EXPECT_EQ(nullptr, map.GetAt(2));
}

std::vector<std::wstring> KeysInOrder(const StringPointerMap& map) {
    std::vector<std::wstring> keys;
    for (int i = 0; map.GetAt(i) != nullptr; ++i) {
        keys.push_back(map.GetAt(i));
    }
    return keys;
}

// GetAt walks the buckets in order and each chain from its head, so the order shows which keys
// share a bucket. Hash % 83: hor, enabled, hotimage -> 10; max, pos -> 28; hscrollbar (hash
// 3735457036, above 2^31), mouse -> 38; caption, close_btn -> 81. A mask or any other modulus
// splits or reorders these chains.
TEST(StringPointerMap, KeysShareABucketByHashModuloTheBucketCount) {
    StringPointerMap map;
    const wchar_t* inserted[] = {L"hor",        L"enabled", L"hotimage", L"max",      L"pos",
                                 L"hscrollbar", L"mouse",   L"caption",  L"close_btn"};
    for (const wchar_t* key : inserted) {
        ASSERT_TRUE(map.Insert(key, &g_values[0]));
    }
    EXPECT_EQ(10u, StringPointerMap::Hash(L"hor") % 83);
    EXPECT_EQ(38u, StringPointerMap::Hash(L"hscrollbar") % 83);
    using Keys = std::vector<std::wstring>;
    EXPECT_EQ((Keys{L"hotimage", L"enabled", L"hor", L"pos", L"max", L"mouse", L"hscrollbar", L"close_btn",
                    L"caption"}),
              KeysInOrder(map));
    // A hit moves to the head of its own chain only; the other chains keep their order.
    map.Find(L"hor");
    map.Find(L"max");
    map.Find(L"hscrollbar", false);
    EXPECT_EQ((Keys{L"hor", L"hotimage", L"enabled", L"max", L"pos", L"mouse", L"hscrollbar", L"close_btn",
                    L"caption"}),
              KeysInOrder(map));
    map.Remove(L"hotimage");
    map.Find(L"enabled");
    EXPECT_EQ((Keys{L"enabled", L"hor", L"max", L"pos", L"mouse", L"hscrollbar", L"close_btn", L"caption"}),
              KeysInOrder(map));
}

TEST(StringPointerMap, GetAtVisitsEveryKeyOnce) {
    StringPointerMap map;
    std::set<std::wstring> inserted;
    for (int i = 0; i < 300; ++i) {
        std::wstring key = L"key" + std::to_wstring(i);
        map.Insert(key.c_str(), &g_values[i % 8]);
        inserted.insert(key);
    }
    std::set<std::wstring> seen;
    for (int i = 0; map.GetAt(i) != nullptr; ++i) {
        seen.insert(map.GetAt(i));
    }
    EXPECT_EQ(inserted, seen);
    EXPECT_EQ(nullptr, map.GetAt(-1));
}

TEST(StringPointerMap, ResizeDropsEverything) {
    StringPointerMap map;
    map.Insert(L"x", &g_values[0]);
    map.Resize(7);
    EXPECT_EQ(0, map.GetSize());
    EXPECT_EQ(nullptr, map.Find(L"x"));
    EXPECT_TRUE(map.Insert(L"x", &g_values[1]));
    EXPECT_EQ(&g_values[1], map.Find(L"x"));
    EXPECT_EQ(nullptr, map.Find(nullptr));
    EXPECT_FALSE(map.Insert(nullptr, &g_values[1]));
}

}  // namespace
