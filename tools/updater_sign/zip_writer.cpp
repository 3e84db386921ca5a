#include "zip_writer.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <memory>

namespace {

constexpr size_t kChunk = 64 * 1024;
constexpr uint16_t kUtf8Names = 1u << 11;
constexpr uint16_t kVersion = 20;          // 2.0: deflate and folders
constexpr uint32_t kDosReadOnly = 0x01;    // the low byte of the external attributes
constexpr uint32_t kDosFolder = 0x10;
constexpr uint16_t kFixedDate = (20 << 9) | (1 << 5) | 1;  // 2000-01-01: the same package each build

void Put16(std::string& out, uint32_t value) {
    out += static_cast<char>(value & 0xFF);
    out += static_cast<char>((value >> 8) & 0xFF);
}

void Put32(std::string& out, uint32_t value) {
    Put16(out, value & 0xFFFF);
    Put16(out, value >> 16);
}

std::string LocalHeader(const std::string& name, uint16_t method, uint32_t crc, uint32_t compressed, uint32_t size) {
    std::string header;
    Put32(header, 0x04034b50);
    Put16(header, kVersion);
    Put16(header, kUtf8Names);
    Put16(header, method);
    Put16(header, 0);
    Put16(header, kFixedDate);
    Put32(header, crc);
    Put32(header, compressed);
    Put32(header, size);
    Put16(header, static_cast<uint32_t>(name.size()));
    Put16(header, 0);
    return header + name;
}

}  // namespace

bool ZipWriter::Create(const std::wstring& path) {
    file_.Reset(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    return static_cast<bool>(file_);
}

bool ZipWriter::Write(const void* data, size_t size) {
    DWORD written = 0;
    if (failed_ || size > 0xFFFFFFFFu - position_ ||
        !WriteFile(file_.Get(), data, static_cast<DWORD>(size), &written, nullptr) || written != size) {
        failed_ = true;
        return false;
    }
    position_ += static_cast<uint32_t>(size);
    return true;
}

bool ZipWriter::Begin(Entry& entry) {
    entry.offset = Position();
    const std::string header = LocalHeader(entry.name, entry.method, 0, 0, 0);
    return file_ && Write(header.data(), header.size());
}

// The local header again, now with the CRC and sizes, then back to the end.
bool ZipWriter::End(const Entry& entry) {
    const std::string header = LocalHeader(entry.name, entry.method, entry.crc, entry.compressed, entry.size);
    LARGE_INTEGER at, end;
    at.QuadPart = entry.offset;
    end.QuadPart = Position();
    DWORD written = 0;
    if (failed_ || !SetFilePointerEx(file_.Get(), at, nullptr, FILE_BEGIN) ||
        !WriteFile(file_.Get(), header.data(), static_cast<DWORD>(header.size()), &written, nullptr) ||
        written != header.size() || !SetFilePointerEx(file_.Get(), end, nullptr, FILE_BEGIN)) {
        return Failed();
    }
    entries_.push_back(entry);
    return true;
}

bool ZipWriter::Deflate(Entry& entry, const void* data, size_t size, bool last) {
    z_stream& z = *static_cast<z_stream*>(stream_);
    entry.crc = crc32(entry.crc, static_cast<const Bytef*>(data), static_cast<uInt>(size));
    if (size > 0xFFFFFFFFu - entry.size) return Failed();
    entry.size += static_cast<uint32_t>(size);
    z.next_in = static_cast<Bytef*>(const_cast<void*>(data));
    z.avail_in = static_cast<uInt>(size);
    unsigned char out[kChunk];
    do {
        z.next_out = out;
        z.avail_out = sizeof out;
        if (deflate(&z, last ? Z_FINISH : Z_NO_FLUSH) == Z_STREAM_ERROR) return Failed();
        const size_t produced = sizeof out - z.avail_out;
        if (!Write(out, produced)) return false;
        entry.compressed += static_cast<uint32_t>(produced);
    } while (z.avail_out == 0);
    return true;
}

bool ZipWriter::AddDeflated(const std::string& name, bool readOnly, const ChunkSource& next) {
    Entry entry;
    entry.name = name;
    entry.readOnly = readOnly;
    z_stream z{};
    if (deflateInit2(&z, Z_BEST_COMPRESSION, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) != Z_OK) return false;
    stream_ = &z;
    std::unique_ptr<char[]> buffer(new char[kChunk]);
    bool ok = Begin(entry);
    for (DWORD got = 1; ok && got > 0;) {
        ok = next(buffer.get(), kChunk, got) && Deflate(entry, buffer.get(), got, got == 0);
    }
    deflateEnd(&z);
    stream_ = nullptr;
    return ok && End(entry);
}

bool ZipWriter::AddBytes(const std::string& name, const std::string& bytes, bool readOnly) {
    size_t at = 0;
    return AddDeflated(name, readOnly, [&](char* buffer, DWORD capacity, DWORD& got) {
        got = static_cast<DWORD>(std::min<size_t>(capacity, bytes.size() - at));
        std::memcpy(buffer, bytes.data() + at, got);
        at += got;
        return true;
    });
}

bool ZipWriter::AddFile(const std::string& name, const std::wstring& source, bool readOnly) {
    UniqueHandle in(CreateFileW(source.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    return in && AddDeflated(name, readOnly, [&](char* buffer, DWORD capacity, DWORD& got) {
               return ReadFile(in.Get(), buffer, capacity, &got, nullptr) != FALSE;
           });
}

bool ZipWriter::AddFolder(const std::string& name) {
    Entry entry;
    entry.name = name + "/";
    entry.method = 0;
    return Begin(entry) && End(entry);
}

bool ZipWriter::Finish() {
    const uint32_t start = Position();
    for (const Entry& entry : entries_) {
        std::string record;
        Put32(record, 0x02014b50);
        Put16(record, kVersion);  // made by: MS-DOS attributes
        Put16(record, kVersion);
        Put16(record, kUtf8Names);
        Put16(record, entry.method);
        Put16(record, 0);
        Put16(record, kFixedDate);
        Put32(record, entry.crc);
        Put32(record, entry.compressed);
        Put32(record, entry.size);
        Put16(record, static_cast<uint32_t>(entry.name.size()));
        Put32(record, 0);  // extra and comment lengths
        Put32(record, 0);  // disk number and internal attributes
        const bool folder = !entry.name.empty() && entry.name.back() == '/';
        Put32(record, (folder ? kDosFolder : 0) | (entry.readOnly ? kDosReadOnly : 0));
        Put32(record, entry.offset);
        record += entry.name;
        if (!Write(record.data(), record.size())) return false;
    }
    std::string end;
    Put32(end, 0x06054b50);
    Put32(end, 0);
    Put16(end, static_cast<uint32_t>(entries_.size()));
    Put16(end, static_cast<uint32_t>(entries_.size()));
    Put32(end, Position() - start);
    Put32(end, start);
    Put16(end, 0);
    const bool ok = entries_.size() < 0xFFFF && Write(end.data(), end.size()) && FlushFileBuffers(file_.Get());
    file_.Reset();  // the archive is read (signed) next
    return ok;
}
