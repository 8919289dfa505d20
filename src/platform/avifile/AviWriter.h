#pragma once
// Our RIFF AVI writer for one uncompressed video stream. Samples go into 'movi' lists as
// '00db' chunks; the first RIFF carries 'hdrl' and an 'idx1' index; past the segment limit
// (1 GiB) the file goes on in 'AVIX' RIFF lists, with an 'ix00' chunk index per segment and
// an 'indx' super index in the stream header (the OpenDML extension), so no size field ever
// overflows. The file is written under a temporary name beside the target and renamed at
// Finish; any failure removes it.
#include "platform/avifile/Vfw.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace avifile {

// The size at which a RIFF segment is closed and the next begun.
std::uint64_t RiffSegmentLimit();
void SetRiffSegmentLimit(std::uint64_t bytes);

class AviWriter {
public:
    ~AviWriter();
    AviWriter(const AviWriter&) = delete;
    AviWriter& operator=(const AviWriter&) = delete;

    static HRESULT Create(const std::string& path, AviWriter*& out);
    HRESULT SetStreamInfo(const AVISTREAMINFOA& info);
    HRESULT SetFormat(const void* format, std::size_t size);
    HRESULT Write(LONG start, const void* data, std::size_t size, DWORD flags, LONG& written);
    // Completes the file under its name; on failure nothing is left behind.
    HRESULT Finish();
    bool HasStream() const { return hasStream_; }
    // The system's reason (an errno value) of the first failure, 0 while none.
    int Error() const { return error_; }

private:
    struct IndexEntry {
        std::uint64_t chunk; // file offset of the chunk header
        std::uint32_t size;
        bool key;
    };
    struct Segment {
        std::uint64_t riff = 0; // offset of 'RIFF'
        std::uint64_t movi = 0; // offset of the movi 'LIST'
        std::vector<IndexEntry> entries;
        std::uint64_t ix = 0; // offset of its 'ix00' once written
        std::uint32_t ixSize = 0;
    };

    AviWriter(std::string path, std::string temporary, std::FILE* file);
    std::vector<BYTE> Headers() const;
    bool Put(const void* data, std::size_t size);
    bool PutChunk(DWORD id, const void* data, std::uint32_t size);
    bool PutAt(std::uint64_t offset, const void* data, std::size_t size);
    bool StartData();
    bool BeginSegment();
    bool EndSegment();
    bool WriteChunk(const void* data, std::uint32_t size, bool key);
    HRESULT Fail();
    // Marks the writer failed with the reason; answers false.
    bool Failed(int error);
    void Discard();

    std::string path_;
    std::string temporary_;
    std::FILE* file_;
    std::uint64_t pos_ = 0;
    bool failed_ = false;
    int error_ = 0;
    bool finished_ = false;
    bool hasStream_ = false;
    bool started_ = false;
    AVISTREAMINFOA info_{};
    std::vector<BYTE> format_;
    std::vector<Segment> segments_;
    std::uint32_t samples_ = 0;
    std::uint32_t largest_ = 0;
    std::uint64_t riffEnd0_ = 0; // end of the first RIFF once closed
};

} // namespace avifile
