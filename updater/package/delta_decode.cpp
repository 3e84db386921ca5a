#include "updater/package/delta_decode.h"

#include <zstd.h>

#include <memory>

#include "updater/files/file_write.h"
#include "updater/package/package_extract.h"
#include "ui/util/unique_handle.h"

namespace {

constexpr DWORD kReadChunk = 128 * 1024;

bool Refuse(PackageRefusal& refusal, const std::wstring& path, const std::string& rule) {
    refusal.path = path;
    refusal.rule = rule;
    return false;
}

// The old versions concatenated, each read whole and held to the live manifest's size and hash.
bool LoadDictionary(const GroupDecoding& decoding, std::string& dictionary, PackageRefusal& refusal) {
    dictionary.reserve(static_cast<size_t>(DictionaryBytes(*decoding.group, *decoding.live)));
    for (const std::wstring& path : decoding.group->dictionary) {
        const PackageFile& expected = *decoding.live->FileAt(path);
        UniqueHandle file(CreateFileW(ReleasePath(decoding.liveFolder, path).c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0, nullptr));
        const size_t start = dictionary.size();
        dictionary.resize(start + static_cast<size_t>(expected.size));
        DWORD read = 0;
        char extra;
        const bool whole = file && (expected.size == 0 || (ReadFile(file.Get(), &dictionary[start],
                                                                    static_cast<DWORD>(expected.size), &read, nullptr) &&
                                                           read == expected.size)) &&
                           ReadFile(file.Get(), &extra, 1, &read, nullptr) && read == 0;
        Sha256 hash;
        hash.Update(dictionary.data() + start, static_cast<size_t>(expected.size));
        Sha256Digest digest;
        if (!whole || !hash.Finish(digest) || digest != expected.sha256) {
            return Refuse(refusal, path, "a base file that changed");
        }
    }
    return true;
}

// Takes the decoded stream and cuts it into the group's files by the target manifest's sizes.
class MemberWriter {
public:
    MemberWriter(const GroupDecoding& decoding, std::vector<std::wstring>& verified, PackageRefusal& refusal)
        : decoding_(decoding), verified_(verified), refusal_(refusal) {}
    ~MemberWriter() {
        if (file_) DeleteWhenClosed(file_.Get());  // a member cut short is never left behind
    }
    MemberWriter(const MemberWriter&) = delete;
    MemberWriter& operator=(const MemberWriter&) = delete;

    bool Start() { return Open(); }

    bool Write(const char* data, size_t size) {
        while (size > 0) {
            if (!file_) return Refuse(refusal_, Path(), "a group that makes more than its files");
            const size_t part = size < left_ ? size : static_cast<size_t>(left_);
            if (!WriteAll(file_.Get(), data, part)) return Refuse(refusal_, Path(), "a file that cannot be written");
            hash_->Update(data, part);
            data += part;
            size -= part;
            left_ -= part;
            if (left_ == 0 && !(Finish() && Open())) return false;
        }
        return true;
    }

    bool Done() const { return index_ == decoding_.group->members.size(); }
    std::wstring Path() const { return Done() ? decoding_.group->members.back() : decoding_.group->members[index_]; }

private:
    // Opens the next member; members of no bytes are finished at once.
    bool Open() {
        while (!Done()) {
            const PackageFile& expected = *decoding_.next->FileAt(Path());
            if (!CreateFoldersAlong(decoding_.newFolder, expected.path)) {
                return Refuse(refusal_, Path(), "a folder that cannot be made");
            }
            file_.Reset(CreateFileW(ReleasePath(decoding_.newFolder, expected.path).c_str(), GENERIC_WRITE | DELETE, 0,
                                    nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
            if (!file_) return Refuse(refusal_, Path(), "a file that cannot be created");
            hash_.reset(new Sha256);
            left_ = expected.size;
            if (left_ > 0) return true;
            if (!Finish()) return false;
        }
        return true;
    }

    bool Finish() {
        const PackageFile& expected = *decoding_.next->FileAt(Path());
        Sha256Digest digest;
        if (!hash_->Finish(digest) || digest != expected.sha256) return Refuse(refusal_, Path(), "a SHA-256 that differs");
        if (!FlushFileBuffers(file_.Get())) return Refuse(refusal_, Path(), "a file that cannot be flushed");
        file_.Reset();
        verified_.push_back(expected.path);
        ++index_;
        return true;
    }

    const GroupDecoding& decoding_;
    std::vector<std::wstring>& verified_;
    PackageRefusal& refusal_;
    UniqueHandle file_;
    std::unique_ptr<Sha256> hash_;
    uint64_t left_ = 0;
    size_t index_ = 0;
};

struct FreeDecoder {
    void operator()(ZSTD_DCtx* context) const { ZSTD_freeDCtx(context); }
};

// Feeds the frame's bytes through the decoder into `writer`; the frame must end exactly where
// the header says it does, with its checksum.
bool Decode(const GroupDecoding& decoding, const std::string& dictionary, MemberWriter& writer,
            PackageRefusal& refusal) {
    std::unique_ptr<ZSTD_DCtx, FreeDecoder> context(ZSTD_createDCtx());
    if (!context || ZSTD_isError(ZSTD_DCtx_setParameter(context.get(), ZSTD_d_windowLogMax, kDeltaWindowLogMax)) ||
        (!dictionary.empty() && ZSTD_isError(ZSTD_DCtx_refPrefix(context.get(), dictionary.data(), dictionary.size())))) {
        return Refuse(refusal, writer.Path(), "a decoder that cannot start");
    }
    std::vector<char> input(kReadChunk), output(ZSTD_DStreamOutSize());
    size_t last = 1;
    for (uint64_t left = decoding.group->frameBytes; left > 0;) {
        DWORD got = 0;
        const DWORD want = left < kReadChunk ? static_cast<DWORD>(left) : kReadChunk;
        if (!ReadFile(decoding.delta, input.data(), want, &got, nullptr) || got != want) {
            return Refuse(refusal, writer.Path(), "a delta file that cannot be read");
        }
        left -= got;
        ZSTD_inBuffer in = {input.data(), got, 0};
        ZSTD_outBuffer out = {output.data(), output.size(), 0};
        if (last == 0) return Refuse(refusal, writer.Path(), "bytes after a group's frame");
        do {
            out.pos = 0;
            last = ZSTD_decompressStream(context.get(), &out, &in);
            if (ZSTD_isError(last)) return Refuse(refusal, writer.Path(), "a damaged group");
            if (!writer.Write(output.data(), out.pos)) return false;
            if (last == 0 && in.pos < in.size) return Refuse(refusal, writer.Path(), "bytes after a group's frame");
        } while (last != 0 && (in.pos < in.size || out.pos == out.size));
    }
    if (last != 0) return Refuse(refusal, writer.Path(), "a group cut short");
    return writer.Done() || Refuse(refusal, writer.Path(), "a group that makes less than its files");
}

}  // namespace

bool DecodeGroup(const GroupDecoding& decoding, std::vector<std::wstring>& verified, PackageRefusal& refusal) {
    std::string dictionary;
    if (!LoadDictionary(decoding, dictionary, refusal)) return false;
    MemberWriter writer(decoding, verified, refusal);
    return writer.Start() && Decode(decoding, dictionary, writer, refusal);
}
