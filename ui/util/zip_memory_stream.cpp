#include "ui/util/zip_memory_stream.h"

#include <minizip/ioapi.h>

#include <cstring>

namespace {

ZipMemoryStream* StreamOf(voidpf stream) {
    return static_cast<ZipMemoryStream*>(stream);
}

voidpf ZCALLBACK OpenBlock(voidpf opaque, const char* /*filename*/, int mode) {
    if ((mode & ZLIB_FILEFUNC_MODE_READWRITEFILTER) != ZLIB_FILEFUNC_MODE_READ) {
        return nullptr;  // the block is read-only
    }
    ZipMemoryStream* stream = StreamOf(opaque);
    stream->position = 0;
    return stream;
}

uLong ZCALLBACK ReadBlock(voidpf /*opaque*/, voidpf stream, void* buffer, uLong size) {
    ZipMemoryStream* s = StreamOf(stream);
    unsigned available = s->size - s->position;
    unsigned count = size < available ? static_cast<unsigned>(size) : available;
    if (count > 0) {
        memcpy(buffer, s->data + s->position, count);
        s->position += count;
    }
    return count;
}

uLong ZCALLBACK WriteBlock(voidpf, voidpf, const void*, uLong) {
    return 0;
}

long ZCALLBACK TellBlock(voidpf /*opaque*/, voidpf stream) {
    return static_cast<long>(StreamOf(stream)->position);
}

// Positions outside 0..size are refused, so a corrupt directory offset cannot move the
// reader outside the block; reads at the end simply return nothing.
long ZCALLBACK SeekBlock(voidpf /*opaque*/, voidpf stream, uLong offset, int origin) {
    ZipMemoryStream* s = StreamOf(stream);
    unsigned long long base = 0;
    switch (origin) {
        case ZLIB_FILEFUNC_SEEK_SET: base = 0; break;
        case ZLIB_FILEFUNC_SEEK_CUR: base = s->position; break;
        case ZLIB_FILEFUNC_SEEK_END: base = s->size; break;
        default: return -1;
    }
    unsigned long long target = base + offset;
    if (target > s->size) {
        return -1;
    }
    s->position = static_cast<unsigned>(target);
    return 0;
}

int ZCALLBACK CloseBlock(voidpf, voidpf) {
    return 0;
}

int ZCALLBACK ErrorBlock(voidpf, voidpf) {
    return 0;
}

}  // namespace

void FillMemoryFileFunctions(zlib_filefunc_def_s* table, ZipMemoryStream* stream) {
    table->zopen_file = OpenBlock;
    table->zread_file = ReadBlock;
    table->zwrite_file = WriteBlock;
    table->ztell_file = TellBlock;
    table->zseek_file = SeekBlock;
    table->zclose_file = CloseBlock;
    table->zerror_file = ErrorBlock;
    table->opaque = stream;
}
