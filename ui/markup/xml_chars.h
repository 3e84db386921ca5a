#pragma once
// Character classes of the skin XML subset, answered from a table for ASCII because the parser
// asks for every character of the document.

#include <cstdint>

namespace xml_chars {

enum : uint8_t {
    kName = 1,      // "_", ":", ASCII letters and digits
    kSpace = 2,     // codes 1..32; the terminating zero is not whitespace
    kEndsText = 4,  // stops element character data: "<", "&" or the end
    kEndsValue = 8, // stops an attribute value: a double quote, "&" or the end
};

struct Table {
    uint8_t bits[128];
    constexpr Table() : bits() {
        for (int c = 0; c < 128; ++c) {
            bool name = c == '_' || c == ':' || (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') ||
                        (c >= 'A' && c <= 'Z');
            bits[c] = static_cast<uint8_t>((name ? kName : 0) | (c >= 1 && c <= 32 ? kSpace : 0) |
                                           (c == 0 || c == '<' || c == '&' ? kEndsText : 0) |
                                           (c == 0 || c == '"' || c == '&' ? kEndsValue : 0));
        }
    }
};

constexpr Table kTable;

inline bool Has(wchar_t ch, uint8_t bit) {
    return ch < 128 && (kTable.bits[ch] & bit) != 0;
}

bool IsNonAsciiNameChar(wchar_t ch);

}  // namespace xml_chars

inline bool IsXmlSpace(wchar_t ch) {
    return ch >= 1 && ch <= 32;
}

// Letters and digits (by the runtime's Unicode tables beyond ASCII), "_" and ":".
inline bool IsXmlNameChar(wchar_t ch) {
    if (ch < 128) {
        return (xml_chars::kTable.bits[ch] & xml_chars::kName) != 0;
    }
    return xml_chars::IsNonAsciiNameChar(ch);
}
