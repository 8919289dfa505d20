#include "platform/avifile/AviWriter.h"

#include <atomic>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace avifile {

namespace {

std::atomic<std::uint64_t> segmentLimit{std::uint64_t(1) << 30};

// Room in the super index: at 1 GiB per segment, 256 GiB of samples.
constexpr std::uint32_t kSuperIndexEntries = 256;
constexpr std::uint32_t kSuperIndexSize = 24 + 16 * kSuperIndexEntries;
constexpr std::uint32_t kDmlhSize = 248;
constexpr DWORD kChunkId = mmioFOURCC('0', '0', 'd', 'b');
constexpr DWORD kHasIndex = 0x10;
constexpr DWORD kNotKeyFrame = 0x80000000u;
constexpr std::uint8_t kIndexOfIndexes = 0;
constexpr std::uint8_t kIndexOfChunks = 1;

class Bytes {
public:
    void U8(std::uint8_t v) { data.push_back(v); }
    void U16(std::uint16_t v) {
        U8(static_cast<std::uint8_t>(v));
        U8(static_cast<std::uint8_t>(v >> 8));
    }
    void U32(std::uint32_t v) {
        U16(static_cast<std::uint16_t>(v));
        U16(static_cast<std::uint16_t>(v >> 16));
    }
    void U64(std::uint64_t v) {
        U32(static_cast<std::uint32_t>(v));
        U32(static_cast<std::uint32_t>(v >> 32));
    }
    void Fourcc(const char* s) { U32(mmioFOURCC(s[0], s[1], s[2], s[3])); }
    void Raw(const void* p, std::size_t n) {
        const BYTE* b = static_cast<const BYTE*>(p);
        data.insert(data.end(), b, b + n);
    }
    void Zeros(std::size_t n) { data.insert(data.end(), n, 0); }
    std::vector<BYTE> data;
};

std::uint32_t Padded(std::size_t size) {
    return static_cast<std::uint32_t>((size + 1) & ~std::size_t(1));
}

} // namespace

std::uint64_t RiffSegmentLimit() {
    return segmentLimit.load();
}
void SetRiffSegmentLimit(std::uint64_t bytes) {
    segmentLimit = bytes;
}

AviWriter::AviWriter(std::string path, std::string temporary, std::FILE* file)
    : path_(std::move(path)), temporary_(std::move(temporary)), file_(file) {
    std::setvbuf(file_, nullptr, _IOFBF, 1 << 20);
}

AviWriter::~AviWriter() {
    if (!finished_) Discard();
}

HRESULT AviWriter::Create(const std::string& path, AviWriter*& out) {
    out = nullptr;
    if (path.empty()) return AVIERR_FILEOPEN;
    std::string temporary = path + ".partial-XXXXXX";
    const int fd = mkstemp(temporary.data());
    if (fd < 0) return AVIERR_FILEOPEN; // errno tells why
    // A temporary file is private; the finished one gets the usual permissions.
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, 0666 & ~mask);
    std::FILE* file = fdopen(fd, "wb");
    if (!file) {
        const int error = errno;
        close(fd);
        std::remove(temporary.c_str());
        errno = error;
        return AVIERR_FILEOPEN;
    }
    out = new AviWriter(path, std::move(temporary), file);
    return AVIERR_OK;
}

HRESULT AviWriter::SetStreamInfo(const AVISTREAMINFOA& info) {
    if (hasStream_) return AVIERR_UNSUPPORTED; // one video stream per file
    if (info.fccType != streamtypeVIDEO) return AVIERR_UNSUPPORTED;
    if (info.dwScale == 0 || info.dwRate == 0) return AVIERR_BADPARAM;
    info_ = info;
    info_.dwLength = 0;
    hasStream_ = true;
    return AVIERR_OK;
}

HRESULT AviWriter::SetFormat(const void* format, std::size_t size) {
    if (started_ || !format_.empty())
        return AVIERR_UNSUPPORTED; // the format cannot change once given
    if (!format || size < sizeof(BITMAPINFOHEADER) || size > (1u << 20)) return AVIERR_BADFORMAT;
    BITMAPINFOHEADER header;
    std::memcpy(&header, format, sizeof header);
    if (header.biSize < sizeof header || header.biSize > size || header.biWidth <= 0 ||
        header.biHeight == 0)
        return AVIERR_BADFORMAT;
    if (header.biBitCount <= 8 && header.biCompression == BI_RGB) {
        const std::size_t colours =
            header.biClrUsed ? header.biClrUsed : (std::size_t(1) << header.biBitCount);
        if (size < header.biSize + colours * sizeof(RGBQUAD))
            return AVIERR_BADFORMAT; // the colour table is missing
    }
    const BYTE* bytes = static_cast<const BYTE*>(format);
    format_.assign(bytes, bytes + size);
    return AVIERR_OK;
}

std::vector<BYTE> AviWriter::Headers() const {
    BITMAPINFOHEADER bmi{};
    if (format_.size() >= sizeof bmi) std::memcpy(&bmi, format_.data(), sizeof bmi);
    const Segment* first = segments_.empty() ? nullptr : &segments_[0];
    const std::uint32_t firstFrames = first ? static_cast<std::uint32_t>(first->entries.size()) : 0;
    const std::uint32_t suggested = info_.dwSuggestedBufferSize;
    const std::uint32_t strfSize = Padded(format_.size());
    const std::uint32_t strlSize = 4 + (8 + 56) + (8 + strfSize) + (8 + kSuperIndexSize);
    const std::uint32_t odmlSize = 4 + 8 + kDmlhSize;
    const std::uint32_t hdrlSize = 4 + (8 + 56) + (8 + strlSize) + (8 + odmlSize);
    const double perSecond = static_cast<double>(info_.dwRate) / info_.dwScale;

    Bytes b;
    b.Fourcc("RIFF");
    b.U32(first && first->ix ? static_cast<std::uint32_t>(riffEnd0_ - 8) : 0);
    b.Fourcc("AVI ");
    b.Fourcc("LIST");
    b.U32(hdrlSize);
    b.Fourcc("hdrl");

    b.Fourcc("avih");
    b.U32(56);
    b.U32(static_cast<std::uint32_t>(std::lround(1e6 / perSecond)));
    b.U32(static_cast<std::uint32_t>(std::min(4294967295.0, largest_ * perSecond)));
    b.U32(0);
    b.U32(kHasIndex);
    b.U32(firstFrames);
    b.U32(0);
    b.U32(1);
    b.U32(suggested);
    b.U32(static_cast<std::uint32_t>(bmi.biWidth));
    b.U32(static_cast<std::uint32_t>(std::abs(bmi.biHeight)));
    b.Zeros(16);

    b.Fourcc("LIST");
    b.U32(strlSize);
    b.Fourcc("strl");
    b.Fourcc("strh");
    b.U32(56);
    b.U32(info_.fccType);
    b.U32(info_.fccHandler);
    b.U32(info_.dwFlags);
    b.U16(info_.wPriority);
    b.U16(info_.wLanguage);
    b.U32(info_.dwInitialFrames);
    b.U32(info_.dwScale);
    b.U32(info_.dwRate);
    b.U32(info_.dwStart);
    b.U32(samples_);
    b.U32(suggested);
    b.U32(info_.dwQuality);
    b.U32(info_.dwSampleSize);
    b.U16(static_cast<std::uint16_t>(info_.rcFrame.left));
    b.U16(static_cast<std::uint16_t>(info_.rcFrame.top));
    b.U16(static_cast<std::uint16_t>(info_.rcFrame.right));
    b.U16(static_cast<std::uint16_t>(info_.rcFrame.bottom));

    b.Fourcc("strf");
    b.U32(static_cast<std::uint32_t>(format_.size()));
    b.Raw(format_.data(), format_.size());
    b.Zeros(strfSize - format_.size());

    b.Fourcc("indx");
    b.U32(kSuperIndexSize);
    b.U16(4); // longs per entry
    b.U8(0);
    b.U8(kIndexOfIndexes);
    std::uint32_t inUse = 0;
    for (const Segment& s : segments_)
        inUse += s.ix ? 1 : 0;
    b.U32(inUse);
    b.U32(kChunkId);
    b.Zeros(12);
    for (std::uint32_t i = 0; i < kSuperIndexEntries; ++i) {
        const bool used = i < segments_.size() && segments_[i].ix;
        b.U64(used ? segments_[i].ix : 0);
        b.U32(used ? segments_[i].ixSize : 0);
        b.U32(used ? static_cast<std::uint32_t>(segments_[i].entries.size()) : 0);
    }

    b.Fourcc("LIST");
    b.U32(odmlSize);
    b.Fourcc("odml");
    b.Fourcc("dmlh");
    b.U32(kDmlhSize);
    b.U32(samples_);
    b.Zeros(kDmlhSize - 4);
    return b.data;
}

bool AviWriter::Put(const void* data, std::size_t size) {
    if (failed_) return false;
    if (size && std::fwrite(data, 1, size, file_) != size) return Failed(errno);
    pos_ += size;
    return true;
}

bool AviWriter::PutAt(std::uint64_t offset, const void* data, std::size_t size) {
    if (failed_) return false;
    if (fseeko(file_, static_cast<off_t>(offset), SEEK_SET) != 0 ||
        std::fwrite(data, 1, size, file_) != size ||
        fseeko(file_, static_cast<off_t>(pos_), SEEK_SET) != 0)
        return Failed(errno);
    return true;
}

bool AviWriter::PutChunk(DWORD id, const void* data, std::uint32_t size) {
    Bytes h;
    h.U32(id);
    h.U32(size);
    static const BYTE pad = 0;
    return Put(h.data.data(), h.data.size()) && Put(data, size) &&
           ((size & 1) == 0 || Put(&pad, 1));
}

bool AviWriter::StartData() {
    started_ = true;
    const std::vector<BYTE> placeholder = Headers();
    return Put(placeholder.data(), placeholder.size()) && BeginSegment();
}

bool AviWriter::BeginSegment() {
    if (segments_.size() == kSuperIndexEntries) return Failed(EFBIG); // the super index is full
    Segment s;
    Bytes b;
    if (!segments_.empty()) {
        s.riff = pos_;
        b.Fourcc("RIFF");
        b.U32(0);
        b.Fourcc("AVIX");
    }
    s.movi = pos_ + b.data.size();
    b.Fourcc("LIST");
    b.U32(0);
    b.Fourcc("movi");
    segments_.push_back(std::move(s));
    return Put(b.data.data(), b.data.size());
}

bool AviWriter::EndSegment() {
    Segment& s = segments_.back();
    const bool first = segments_.size() == 1;
    Bytes ix;
    ix.U16(2); // longs per entry
    ix.U8(0);
    ix.U8(kIndexOfChunks);
    ix.U32(static_cast<std::uint32_t>(s.entries.size()));
    ix.U32(kChunkId);
    ix.U64(s.riff); // entries count from here
    ix.U32(0);
    for (const IndexEntry& e : s.entries) {
        ix.U32(static_cast<std::uint32_t>(e.chunk + 8 - s.riff));
        ix.U32(e.size | (e.key ? 0 : kNotKeyFrame));
    }
    s.ix = pos_;
    s.ixSize = static_cast<std::uint32_t>(8 + ix.data.size());
    if (!PutChunk(mmioFOURCC('i', 'x', '0', '0'), ix.data.data(),
                  static_cast<std::uint32_t>(ix.data.size())))
        return false;
    Bytes moviSize;
    moviSize.U32(static_cast<std::uint32_t>(pos_ - (s.movi + 8)));
    if (!PutAt(s.movi + 4, moviSize.data.data(), 4)) return false;
    if (first) {
        Bytes idx;
        for (const IndexEntry& e : s.entries) {
            idx.U32(kChunkId);
            idx.U32(e.key ? AVIIF_KEYFRAME : 0);
            idx.U32(static_cast<std::uint32_t>(e.chunk - (s.movi + 8)));
            idx.U32(e.size);
        }
        if (!PutChunk(mmioFOURCC('i', 'd', 'x', '1'), idx.data.data(),
                      static_cast<std::uint32_t>(idx.data.size())))
            return false;
        riffEnd0_ = pos_;
        return true;
    }
    Bytes riffSize;
    riffSize.U32(static_cast<std::uint32_t>(pos_ - (s.riff + 8)));
    return PutAt(s.riff + 4, riffSize.data.data(), 4);
}

bool AviWriter::WriteChunk(const void* data, std::uint32_t size, bool key) {
    Segment* s = &segments_.back();
    const std::uint64_t n = s->entries.size() + 1;
    const std::uint64_t indexes = 32 + 8 * n + (segments_.size() == 1 ? 8 + 16 * n : 0);
    if (s->entries.size() > 0 && pos_ + 8 + Padded(size) + indexes - s->riff > RiffSegmentLimit()) {
        if (!EndSegment() || !BeginSegment()) return false;
        s = &segments_.back();
    }
    const std::uint64_t at = pos_;
    if (!PutChunk(kChunkId, data, size)) return false;
    s->entries.push_back({at, size, key});
    ++samples_;
    largest_ = std::max(largest_, size);
    return true;
}

HRESULT AviWriter::Write(LONG start, const void* data, std::size_t size, DWORD flags,
                         LONG& written) {
    written = 0;
    if (failed_) return AVIERR_FILEWRITE;
    if (format_.empty()) return AVIERR_BADFORMAT;
    if (start < 0 || static_cast<std::uint32_t>(start) < samples_ || (size && !data) ||
        size > 0x7FFFFFF0u)
        return AVIERR_BADPARAM;
    if (!started_ && !StartData()) return Fail();
    // Sample numbers skipped over become empty samples.
    while (samples_ < static_cast<std::uint32_t>(start))
        if (!WriteChunk(nullptr, 0, false)) return Fail();
    if (!WriteChunk(data, static_cast<std::uint32_t>(size), (flags & AVIIF_KEYFRAME) != 0))
        return Fail();
    written = static_cast<LONG>(size);
    return AVIERR_OK;
}

HRESULT AviWriter::Fail() {
    failed_ = true;
    if (error_ == 0) error_ = EIO;
    return AVIERR_FILEWRITE;
}

bool AviWriter::Failed(int error) {
    failed_ = true;
    if (error_ == 0) error_ = error != 0 ? error : EIO;
    return false;
}

HRESULT AviWriter::Finish() {
    if (finished_) return AVIERR_OK;
    bool ok = !failed_ && (started_ || StartData()) && EndSegment();
    if (ok) {
        const std::vector<BYTE> headers = Headers();
        ok = PutAt(0, headers.data(), headers.size());
    }
    if (ok && (std::fflush(file_) != 0 || fsync(fileno(file_)) != 0)) ok = Failed(errno);
    if (std::fclose(file_) != 0 && ok) ok = Failed(errno);
    file_ = nullptr;
    if (ok && std::rename(temporary_.c_str(), path_.c_str()) != 0) ok = Failed(errno);
    if (ok) {
        finished_ = true;
        return AVIERR_OK;
    }
    Discard();
    finished_ = true;
    return AVIERR_FILEWRITE;
}

void AviWriter::Discard() {
    if (file_) {
        std::fclose(file_);
        file_ = nullptr;
    }
    std::remove(temporary_.c_str());
}

} // namespace avifile
