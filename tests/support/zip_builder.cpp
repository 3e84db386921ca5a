#include "tests/support/zip_builder.h"

#include <zlib.h>

#include <deque>
#include <utility>

namespace {

void Put16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

void Put32(std::vector<uint8_t>& out, uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

void Put64(std::vector<uint8_t>& out, uint64_t v) {
    Put32(out, static_cast<uint32_t>(v));
    Put32(out, static_cast<uint32_t>(v >> 32));
}

std::string RawDeflate(const std::string& data) {
    z_stream z{};
    deflateInit2(&z, Z_BEST_COMPRESSION, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
    std::string out(deflateBound(&z, static_cast<uLong>(data.size())) + 16, '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    z.avail_in = static_cast<uInt>(data.size());
    z.next_out = reinterpret_cast<Bytef*>(&out[0]);
    z.avail_out = static_cast<uInt>(out.size());
    deflate(&z, Z_FINISH);
    out.resize(z.total_out);
    deflateEnd(&z);
    return out;
}

struct Prepared {
    const ZipTestEntry* entry;
    std::string payload;
    uint32_t crc;
    uint64_t size;
    uint32_t offset;
};

constexpr uint32_t kZip64Marker = 0xFFFFFFFF;
constexpr uint32_t kZip64ExtraLength = 4 + 16;  // header id, data size, two 64-bit sizes

// The fields shared by the local header and the central directory record.
void PutCommonFields(std::vector<uint8_t>& out, const Prepared& p) {
    bool zip64 = p.entry->zip64;
    Put16(out, zip64 ? 45 : 20);                // version needed
    Put16(out, p.entry->utf8Name ? 0x800 : 0);  // flags
    Put16(out, p.entry->deflate ? 8 : 0);       // method
    Put16(out, 0);                              // time
    Put16(out, 0x21);                           // date: 1980-01-01
    Put32(out, p.crc);
    Put32(out, zip64 ? kZip64Marker : static_cast<uint32_t>(p.payload.size()));
    Put32(out, zip64 ? kZip64Marker : static_cast<uint32_t>(p.size));
    Put16(out, static_cast<uint32_t>(p.entry->name.size()));
    Put16(out, zip64 ? kZip64ExtraLength : 0);  // extra field length
}

// Uncompressed size first, then compressed size: the order readers expect when both
// header fields hold the marker.
void PutZip64Extra(std::vector<uint8_t>& out, const Prepared& p) {
    if (p.entry->zip64) {
        Put16(out, 0x0001);
        Put16(out, 16);
        Put64(out, p.size);
        Put64(out, p.payload.size());
    }
}

void PutBytes(std::vector<uint8_t>& out, const std::string& bytes) {
    out.insert(out.end(), bytes.begin(), bytes.end());
}

}  // namespace

std::vector<uint8_t> BuildZip(const std::vector<ZipTestEntry>& entries) {
    std::vector<uint8_t> out;
    std::vector<Prepared> prepared;
    for (const ZipTestEntry& entry : entries) {
        Prepared p{&entry, entry.deflate ? RawDeflate(entry.data) : entry.data, 0, 0, 0};
        p.crc = static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(entry.data.data()),
                                            static_cast<uInt>(entry.data.size())));
        if (entry.corruptChecksum) {
            p.crc ^= 0x5A5A5A5A;
        }
        p.size = static_cast<uint64_t>(entry.declaredSize >= 0 ? entry.declaredSize
                                                               : static_cast<int64_t>(entry.data.size()));
        p.offset = static_cast<uint32_t>(out.size());
        Put32(out, 0x04034b50);
        PutCommonFields(out, p);
        PutBytes(out, entry.name);
        PutZip64Extra(out, p);
        PutBytes(out, p.payload);
        prepared.push_back(p);
    }
    uint32_t directoryStart = static_cast<uint32_t>(out.size());
    for (const Prepared& p : prepared) {
        Put32(out, 0x02014b50);
        Put16(out, 20);  // version made by
        PutCommonFields(out, p);
        Put16(out, 0);  // comment length
        Put16(out, 0);  // disk number
        Put16(out, 0);  // internal attributes
        Put32(out, 0);  // external attributes
        Put32(out, p.offset);
        PutBytes(out, p.entry->name);
        PutZip64Extra(out, p);
    }
    uint32_t directorySize = static_cast<uint32_t>(out.size()) - directoryStart;
    Put32(out, 0x06054b50);
    Put16(out, 0);
    Put16(out, 0);
    Put16(out, static_cast<uint32_t>(prepared.size()));
    Put16(out, static_cast<uint32_t>(prepared.size()));
    Put32(out, directorySize);
    Put32(out, directoryStart);
    Put16(out, 0);
    return out;
}

std::vector<uint8_t> BuildZip(const std::string& name, const std::string& data) {
    ZipTestEntry entry;
    entry.name = name;
    entry.data = data;
    return BuildZip(std::vector<ZipTestEntry>{entry});
}

const std::vector<uint8_t>& KeepForTheProcess(std::vector<uint8_t> zip) {
    static std::deque<std::vector<uint8_t>> kept;  // a deque never moves what it already holds
    kept.push_back(std::move(zip));
    return kept.back();
}
