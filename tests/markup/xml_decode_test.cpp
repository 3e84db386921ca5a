#include "ui/markup/xml_decode.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

namespace {

std::wstring Windows(const std::string& bytes) {
    int n = MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring out(n, L'\0');
    MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), &out[0], n);
    return out;
}

std::wstring Ours(const std::string& bytes) {
    DecodedText decoded = DecodeSkinBytes(bytes.data(), static_cast<uint32_t>(bytes.size()));
    std::wstring out(decoded.text, decoded.length);
    EXPECT_EQ(L'\0', decoded.text[decoded.length]);
    EXPECT_LT(decoded.length, decoded.capacity);
    delete[] decoded.text;
    return out;
}

// The fast decoder must agree with Windows on every input, well-formed or not.
TEST(XmlDecode, AgreesWithWindowsOnWellFormedAndIllFormedInput) {
    const std::string samples[] = {
        "plain ascii, longer than four bytes",
        "\xC2\xA9 \xE5\x9C\xA8\xE7\xBA\xBF \xF0\x9F\x98\x80 end",  // 2, 3 and 4 bytes
        "\xF4\x8F\xBF\xBF\xEF\xBF\xBF",                          // the highest code points
        "ab\xC0\x80",                                            // overlong
        "\xE0\x80\x80x",                                         // overlong three bytes
        "\xED\xA0\x80z",                                         // an encoded surrogate
        "\xF4\x90\x80\x80",                                      // above U+10FFFF
        "\x80\xBF lone continuations",
        "truncated \xE5\x9C",
        "truncated \xF0\x9F\x98",
        "\xFF\xFE\xFD",
    };
    for (const std::string& sample : samples) {
        EXPECT_EQ(Windows(sample), Ours(sample)) << sample;
    }
}

TEST(XmlDecode, ByteOrderMarkAndEmptyInput) {
    EXPECT_EQ(L"<a/>", Ours("\xEF\xBB\xBF<a/>"));
    EXPECT_EQ(L"", Ours("\xEF\xBB\xBF"));
    EXPECT_EQ(Windows("\xEF\xBB"), Ours("\xEF\xBB"));
    DecodedText none = DecodeSkinBytes(nullptr, 5);
    ASSERT_NE(nullptr, none.text);
    EXPECT_EQ(0u, none.length);
    delete[] none.text;
    EXPECT_EQ(nullptr, CopySkinText(nullptr).text);
}

}  // namespace
