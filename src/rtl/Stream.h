#pragma once
// Byte streams: positions and sizes are 64-bit. Read and Write move as much as they can and
// return the count; ReadBuffer and WriteBuffer raise when the whole count cannot move.
#include "rtl/Exception.h"

#include <cstdio>
#include <vector>

enum class TSeekOrigin { soBeginning, soCurrent, soEnd };
using TSeekOrigin::soBeginning;
using TSeekOrigin::soCurrent;
using TSeekOrigin::soEnd;

class TStream {
public:
    virtual ~TStream() = default;

    virtual Int64 Read(void* buffer, Int64 count) = 0;
    virtual Int64 Write(const void* buffer, Int64 count) = 0;
    virtual Int64 Seek(Int64 offset, TSeekOrigin origin) = 0;

    Int64 Position() { return Seek(0, soCurrent); }
    void SetPosition(Int64 position) { Seek(position, soBeginning); }
    virtual Int64 Size();
    virtual void SetSize(Int64 size);

    // Raise EReadError "Stream read error" / EWriteError "Stream write error" on a short move.
    void ReadBuffer(void* buffer, Int64 count);
    void WriteBuffer(const void* buffer, Int64 count);
    // Copies count bytes from source's position (0: the whole source from its start).
    Int64 CopyFrom(TStream& source, Int64 count);
};

// A growable stream in memory.
class TMemoryStream : public TStream {
public:
    Int64 Read(void* buffer, Int64 count) override;
    Int64 Write(const void* buffer, Int64 count) override;
    Int64 Seek(Int64 offset, TSeekOrigin origin) override;
    Int64 Size() override { return static_cast<Int64>(data_.size()); }
    void SetSize(Int64 size) override;

    void Clear();
    void LoadFromStream(TStream& stream);
    void SaveToStream(TStream& stream);
    void LoadFromFile(const String& fileName);
    void SaveToFile(const String& fileName);

    Byte* Memory() { return data_.data(); }
    const Byte* Memory() const { return data_.data(); }

private:
    // Resizes the buffer; EOutOfMemory when it cannot.
    void Grow(Int64 size);

    std::vector<Byte> data_;
    Int64 position_ = 0;
};

// File modes: one access mode, optionally or-ed with a share mode (accepted and ignored).
constexpr Word fmCreate = 0xFF00;
constexpr Word fmOpenRead = 0x0000;
constexpr Word fmOpenWrite = 0x0001;
constexpr Word fmOpenReadWrite = 0x0002;
constexpr Word fmShareCompat = 0x0000;
constexpr Word fmShareExclusive = 0x0010;
constexpr Word fmShareDenyWrite = 0x0020;
constexpr Word fmShareDenyRead = 0x0030;
constexpr Word fmShareDenyNone = 0x0040;

class TFileStream : public TStream {
public:
    // Raises EFCreateError "Cannot create file "name". reason" or EFOpenError "Cannot open
    // file "name". reason".
    TFileStream(const String& fileName, Word mode);
    ~TFileStream() override;
    TFileStream(const TFileStream&) = delete;
    TFileStream& operator=(const TFileStream&) = delete;

    Int64 Read(void* buffer, Int64 count) override;
    Int64 Write(const void* buffer, Int64 count) override;
    Int64 Seek(Int64 offset, TSeekOrigin origin) override;
    void SetSize(Int64 size) override;

    const String& FileName() const { return fileName_; }

private:
    String fileName_;
    int fd_ = -1;
};
