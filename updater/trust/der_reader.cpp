#include "updater/trust/der_reader.h"

bool ReadDer(const unsigned char* data, size_t size, DerItem& item) {
    if (data == nullptr || size < 2 || (data[0] & 0x1F) == 0x1F) return false;  // no multi-byte tags here
    size_t header = 2;
    size_t length = data[1];
    if (length & 0x80) {
        const size_t count = length & 0x7F;
        // 0x80 would be the indefinite form; four length bytes are far beyond any file here.
        if (count == 0 || count > 4 || size < 2 + count) return false;
        length = 0;
        for (size_t i = 0; i < count; ++i) length = length << 8 | data[2 + i];
        if (length < 0x80 || data[2] == 0) return false;  // not the shortest form
        header += count;
    }
    if (length > size - header) return false;
    item.tag = data[0];
    item.value = data + header;
    item.length = length;
    item.end = item.value + length;
    return true;
}

bool DerCursor::Next(unsigned char tag, DerItem& item) {
    DerItem found;
    if (!ReadDer(at_, static_cast<size_t>(end_ - at_), found) || found.tag != tag) return false;
    item = found;
    at_ = found.end;
    return true;
}

bool DerCursor::Skip(unsigned char tag) {
    DerItem ignored;
    return Next(tag, ignored);
}

std::string DerOidText(const DerItem& oid) {
    if (oid.length == 0) return std::string();
    std::string text;
    unsigned long value = 0;
    for (size_t i = 0; i < oid.length; ++i) {
        if (value > (~0ul >> 7)) return std::string();
        value = value << 7 | (oid.value[i] & 0x7F);
        if (oid.value[i] & 0x80) continue;
        if (text.empty()) {
            const unsigned long first = value < 80 ? value / 40 : 2;
            text = std::to_string(first) + "." + std::to_string(value - first * 40);
        } else {
            text += "." + std::to_string(value);
        }
        value = 0;
    }
    return (oid.value[oid.length - 1] & 0x80) ? std::string() : text;
}

namespace {

bool Digits(const unsigned char* at, int count, int& value) {
    value = 0;
    for (int i = 0; i < count; ++i) {
        if (at[i] < '0' || at[i] > '9') return false;
        value = value * 10 + (at[i] - '0');
    }
    return true;
}

}  // namespace

bool DerGeneralizedTime(const DerItem& time, DerTime& result) {
    const unsigned char* at = time.value;
    if (time.tag != der::kGeneralizedTime || time.length < 15 || at[time.length - 1] != 'Z') return false;
    if (!Digits(at, 4, result.year) || !Digits(at + 4, 2, result.month) || !Digits(at + 6, 2, result.day) ||
        !Digits(at + 8, 2, result.hour) || !Digits(at + 10, 2, result.minute) ||
        !Digits(at + 12, 2, result.second)) {
        return false;
    }
    result.millisecond = 0;
    const size_t fraction = time.length - 15;  // characters between the seconds and the "Z"
    if (fraction == 0) return true;
    // Up to nine digits of a second fit an int; time stamps give three at most.
    if (at[14] != '.' || fraction < 2 || fraction - 1 > 9) return false;
    int digits = 0;
    if (!Digits(at + 15, static_cast<int>(fraction - 1), digits)) return false;
    for (size_t i = fraction - 1; i > 3; --i) digits /= 10;
    for (size_t i = fraction - 1; i < 3; ++i) digits *= 10;
    result.millisecond = digits;
    return true;
}
