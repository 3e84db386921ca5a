#pragma once
// Just enough DER to walk the few structures the signature check reads field by field (the
// certificate table's PKCS#7 blob, a time stamp's TSTInfo). Definite lengths only, as DER allows;
// anything else fails the read.

#include <cstddef>
#include <cstdint>
#include <string>

struct DerItem {
    unsigned char tag = 0;
    const unsigned char* value = nullptr;  // the contents octets
    size_t length = 0;                     // their count
    const unsigned char* end = nullptr;    // the first byte after the item
};

// Reads the item at the start of `data`; false when it is cut short or not in DER form.
bool ReadDer(const unsigned char* data, size_t size, DerItem& item);

// Steps through the items inside a constructed one (a SEQUENCE, a SET, an explicit tag).
class DerCursor {
public:
    DerCursor(const unsigned char* data, size_t size) : at_(data), end_(data + size) {}
    explicit DerCursor(const DerItem& outer) : DerCursor(outer.value, outer.length) {}

    // The next item, which must carry `tag`; false (and the cursor stays) otherwise.
    bool Next(unsigned char tag, DerItem& item);
    // Skips the next item when it carries `tag`; true when it did.
    bool Skip(unsigned char tag);
    bool AtEnd() const { return at_ == end_; }

private:
    const unsigned char* at_;
    const unsigned char* end_;
};

namespace der {
constexpr unsigned char kInteger = 0x02;
constexpr unsigned char kOctetString = 0x04;
constexpr unsigned char kOid = 0x06;
constexpr unsigned char kGeneralizedTime = 0x18;
constexpr unsigned char kSequence = 0x30;
constexpr unsigned char kSet = 0x31;
constexpr unsigned char kContext0 = 0xA0;
}  // namespace der

// The dotted text of an OBJECT IDENTIFIER's value ("1.2.840.113549.1.9.4"); empty when malformed.
std::string DerOidText(const DerItem& oid);

// A GeneralizedTime value in UTC ("YYYYMMDDHHMMSS", optional fraction, "Z") as calendar fields;
// false for any other form.
struct DerTime {
    int year, month, day, hour, minute, second, millisecond;
};
bool DerGeneralizedTime(const DerItem& time, DerTime& result);
