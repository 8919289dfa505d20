#include "rtl/Stream.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <new>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

Int64 TStream::Size() {
    Int64 here = Seek(0, soCurrent);
    Int64 end = Seek(0, soEnd);
    Seek(here, soBeginning);
    return end;
}

void TStream::SetSize(Int64) {
    throw EStreamError("Stream size cannot be changed");
}

void TStream::ReadBuffer(void* buffer, Int64 count) {
    if (count != 0 && Read(buffer, count) != count) throw EReadError("Stream read error");
}

void TStream::WriteBuffer(const void* buffer, Int64 count) {
    if (count != 0 && Write(buffer, count) != count) throw EWriteError("Stream write error");
}

Int64 TStream::CopyFrom(TStream& source, Int64 count) {
    if (count < 0) throw EReadError("Stream read error");
    if (count == 0) {
        source.SetPosition(0);
        count = source.Size();
    }
    constexpr Int64 kChunk = 1 << 16;
    std::vector<Byte> chunk(static_cast<size_t>(std::min(count, kChunk)));
    Int64 left = count;
    while (left > 0) {
        Int64 n = std::min(left, kChunk);
        source.ReadBuffer(chunk.data(), n);
        WriteBuffer(chunk.data(), n);
        left -= n;
    }
    return count;
}

Int64 TMemoryStream::Read(void* buffer, Int64 count) {
    if (count <= 0 || position_ >= Size()) return 0;
    Int64 n = std::min(count, Size() - position_);
    std::memcpy(buffer, data_.data() + position_, static_cast<size_t>(n));
    position_ += n;
    return n;
}

Int64 TMemoryStream::Write(const void* buffer, Int64 count) {
    if (count <= 0) return 0;
    if (count > std::numeric_limits<Int64>::max() - position_) return 0;
    Int64 end = position_ + count;
    if (end > Size()) Grow(end);
    std::memcpy(data_.data() + position_, buffer, static_cast<size_t>(count));
    position_ = end;
    return count;
}

Int64 TMemoryStream::Seek(Int64 offset, TSeekOrigin origin) {
    Int64 base = origin == soBeginning ? 0 : origin == soCurrent ? position_ : Size();
    position_ = std::max<Int64>(0, base + offset);
    return position_;
}

void TMemoryStream::Grow(Int64 size) {
    try {
        data_.resize(static_cast<size_t>(size));
    } catch (const std::bad_alloc&) {
        throw EOutOfMemory("Out of memory");
    } catch (const std::length_error&) {
        throw EOutOfMemory("Out of memory");
    }
}

void TMemoryStream::SetSize(Int64 size) {
    Grow(std::max<Int64>(0, size));
    position_ = std::min(position_, Size());
}

void TMemoryStream::Clear() {
    data_.clear();
    data_.shrink_to_fit();
    position_ = 0;
}

void TMemoryStream::LoadFromStream(TStream& stream) {
    stream.SetPosition(0);
    Int64 n = stream.Size();
    SetSize(n);
    if (n) stream.ReadBuffer(data_.data(), n);
    position_ = 0;
}

void TMemoryStream::SaveToStream(TStream& stream) {
    if (!data_.empty()) stream.WriteBuffer(data_.data(), Size());
}

void TMemoryStream::LoadFromFile(const String& fileName) {
    TFileStream file(fileName, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(file);
}

void TMemoryStream::SaveToFile(const String& fileName) {
    TFileStream file(fileName, fmCreate);
    SaveToStream(file);
}

TFileStream::TFileStream(const String& fileName, Word mode) : fileName_(fileName) {
    if (mode == fmCreate || (mode & 0xFF00) == fmCreate) {
        fd_ = ::open(fileName.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
        if (fd_ < 0)
            throw EFCreateError("Cannot create file \"" + fileName + "\". " + std::strerror(errno));
        return;
    }
    int flags = O_CLOEXEC;
    switch (mode & 0x3) {
    case fmOpenWrite:
        flags |= O_WRONLY;
        break;
    case fmOpenReadWrite:
        flags |= O_RDWR;
        break;
    default:
        flags |= O_RDONLY;
        break;
    }
    fd_ = ::open(fileName.c_str(), flags);
    if (fd_ < 0)
        throw EFOpenError("Cannot open file \"" + fileName + "\". " + std::strerror(errno));
    // A folder opens for reading but yields no bytes; it is no file to stream.
    struct stat st;
    if (::fstat(fd_, &st) == 0 && S_ISDIR(st.st_mode)) {
        ::close(fd_);
        fd_ = -1;
        throw EFOpenError("Cannot open file \"" + fileName + "\". " + std::strerror(EISDIR));
    }
}

TFileStream::~TFileStream() {
    if (fd_ >= 0) ::close(fd_);
}

Int64 TFileStream::Read(void* buffer, Int64 count) {
    Int64 done = 0;
    auto* p = static_cast<Byte*>(buffer);
    while (done < count) {
        ssize_t n = ::read(fd_, p + done, static_cast<size_t>(count - done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += n;
    }
    return done;
}

Int64 TFileStream::Write(const void* buffer, Int64 count) {
    Int64 done = 0;
    auto* p = static_cast<const Byte*>(buffer);
    while (done < count) {
        ssize_t n = ::write(fd_, p + done, static_cast<size_t>(count - done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break; // disk full or an I/O error: the caller sees the short count
        done += n;
    }
    return done;
}

Int64 TFileStream::Seek(Int64 offset, TSeekOrigin origin) {
    int whence = origin == soBeginning ? SEEK_SET : origin == soCurrent ? SEEK_CUR : SEEK_END;
    off_t r = ::lseek(fd_, static_cast<off_t>(offset), whence);
    return r < 0 ? -1 : static_cast<Int64>(r);
}

void TFileStream::SetSize(Int64 size) {
    if (::ftruncate(fd_, static_cast<off_t>(size)) != 0)
        throw EStreamError("Cannot set the size of \"" + fileName_ + "\". " + std::strerror(errno));
    if (Position() > size) SetPosition(size);
}
