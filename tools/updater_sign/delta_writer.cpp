#include "delta_writer.h"

#include <windows.h>
#include <zstd.h>

#include <memory>
#include <vector>

#include "ui/util/unique_handle.h"
#include "updater/files/file_write.h"
#include "updater/package/delta_plan.h"
#include "updater/package/package_extract.h"
#include "updater/update_log.h"

namespace {

constexpr DWORD kChunk = 1024 * 1024;
constexpr int kLevel = 19;

bool Fail(std::string& error, const std::string& text) {
    error = text;
    return false;
}

struct FreeEncoder {
    void operator()(ZSTD_CCtx* context) const { ZSTD_freeCCtx(context); }
};

bool ReadAppend(const std::wstring& path, std::string& bytes) {
    UniqueHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    LARGE_INTEGER size;
    if (!file || !GetFileSizeEx(file.Get(), &size)) return false;
    const size_t start = bytes.size();
    bytes.resize(start + static_cast<size_t>(size.QuadPart));
    DWORD read = 0;
    return size.QuadPart == 0 ||
           (ReadFile(file.Get(), &bytes[start], static_cast<DWORD>(size.QuadPart), &read, nullptr) &&
            read == size.QuadPart);
}

// The smallest window that reaches from the end of the output back into the whole dictionary,
// within what the updater's decoder accepts.
int WindowLogFor(uint64_t bytes) {
    int log = 10;  // zstd's smallest window
    while (log < kDeltaWindowLogMax && (uint64_t(1) << log) < bytes) ++log;
    return log;
}

class FrameWriter {
public:
    FrameWriter(HANDLE out, std::string& error) : out_(out), error_(error), buffer_(ZSTD_CStreamOutSize()) {}

    bool Begin(const std::string& dictionary, uint64_t outputBytes) {
        context_.reset(ZSTD_createCCtx());
        ZSTD_CCtx* c = context_.get();
        return (c != nullptr && !ZSTD_isError(ZSTD_CCtx_setParameter(c, ZSTD_c_compressionLevel, kLevel)) &&
                !ZSTD_isError(ZSTD_CCtx_setParameter(c, ZSTD_c_checksumFlag, 1)) &&
                !ZSTD_isError(ZSTD_CCtx_setParameter(c, ZSTD_c_enableLongDistanceMatching, 1)) &&
                !ZSTD_isError(ZSTD_CCtx_setParameter(c, ZSTD_c_windowLog,
                                                     WindowLogFor(dictionary.size() + outputBytes))) &&
                !ZSTD_isError(ZSTD_CCtx_setPledgedSrcSize(c, outputBytes)) &&
                (dictionary.empty() ||
                 !ZSTD_isError(ZSTD_CCtx_refPrefix(c, dictionary.data(), dictionary.size())))) ||
               Fail(error_, "the compressor cannot start");
    }

    bool AddFile(const std::wstring& path) {
        UniqueHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
        if (!file) return Fail(error_, "cannot read " + Utf8(path));
        std::vector<char> input(kChunk);
        for (DWORD got = 0; ReadFile(file.Get(), input.data(), kChunk, &got, nullptr) && got > 0;) {
            ZSTD_inBuffer in = {input.data(), got, 0};
            while (in.pos < in.size) {
                if (!Step(in, ZSTD_e_continue)) return false;
            }
        }
        return true;
    }

    // Ends the frame; its size in bytes.
    bool End(uint64_t& frameBytes) {
        ZSTD_inBuffer none = {nullptr, 0, 0};
        for (size_t left = 1; left != 0;) {
            if (!Step(none, ZSTD_e_end, &left)) return false;
        }
        frameBytes = written_;
        written_ = 0;
        return true;
    }

private:
    bool Step(ZSTD_inBuffer& in, ZSTD_EndDirective mode, size_t* left = nullptr) {
        ZSTD_outBuffer out = {buffer_.data(), buffer_.size(), 0};
        const size_t result = ZSTD_compressStream2(context_.get(), &out, &in, mode);
        if (ZSTD_isError(result)) return Fail(error_, std::string("compression failed: ") + ZSTD_getErrorName(result));
        if (!WriteAll(out_, buffer_.data(), out.pos)) return Fail(error_, "cannot write the delta");
        written_ += out.pos;
        if (left != nullptr) *left = result;
        return true;
    }

    HANDLE out_;
    std::string& error_;
    std::vector<char> buffer_;
    std::unique_ptr<ZSTD_CCtx, FreeEncoder> context_;
    uint64_t written_ = 0;
};

bool WriteFrames(const ReleaseSide& base, const ReleaseSide& target, DeltaHeader& header, HANDLE frames,
                 std::string& error) {
    FrameWriter writer(frames, error);
    for (DeltaGroup& group : header.groups) {
        std::string dictionary;
        for (const std::wstring& path : group.dictionary) {
            if (!ReadAppend(ReleasePath(base.folder, path), dictionary)) return Fail(error, "cannot read " + Utf8(path));
        }
        if (!writer.Begin(dictionary, OutputBytes(group, target.manifest))) return false;
        for (const std::wstring& path : group.members) {
            if (!writer.AddFile(ReleasePath(target.folder, path))) return false;
        }
        if (!writer.End(group.frameBytes)) return false;
    }
    return true;
}

// The header, then the frames copied after it; a file left incomplete is removed.
bool Assemble(const std::string& header, HANDLE frames, const std::wstring& outPath, std::string& error) {
    UniqueHandle out(CreateFileW(outPath.c_str(), GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!out) return Fail(error, "cannot create " + Utf8(outPath) + " (an existing file is never overwritten)");
    LARGE_INTEGER start = {};
    bool ok = WriteAll(out.Get(), header.data(), header.size()) && SetFilePointerEx(frames, start, nullptr, FILE_BEGIN);
    std::vector<char> buffer(kChunk);
    for (DWORD got = 0; ok && ReadFile(frames, buffer.data(), kChunk, &got, nullptr) && got > 0;) {
        ok = WriteAll(out.Get(), buffer.data(), got);
    }
    if (ok && FlushFileBuffers(out.Get())) return true;
    DeleteWhenClosed(out.Get());
    return Fail(error, "cannot write " + Utf8(outPath));
}

}  // namespace

bool WriteDelta(const ReleaseSide& base, const ReleaseSide& target, const std::wstring& outPath, std::string& error) {
    DeltaHeader header = PlanDelta(base.manifest, target.manifest);
    if (!Sha256Of(base.manifestBytes, header.baseManifest) || !Sha256Of(target.manifestBytes, header.targetManifest)) {
        return Fail(error, "no SHA-256 on this system");
    }
    header.manifest = target.manifestBytes;
    const std::wstring scratch = outPath + L".frames";
    UniqueHandle frames(CreateFileW(scratch.c_str(), GENERIC_READ | GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_TEMPORARY, nullptr));
    if (!frames || !DeleteWhenClosed(frames.Get())) return Fail(error, "cannot create " + Utf8(scratch));
    if (!WriteFrames(base, target, header, frames.Get(), error)) return false;
    return Assemble(EncodeDeltaHeader(header), frames.Get(), outPath, error);
}
