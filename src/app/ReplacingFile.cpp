#include "app/ReplacingFile.h"

#include "rtl/Files.h"

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace {

EInOutError CreateFailure(const String& target, int error) {
    return EInOutError("Cannot create file \"" + target + "\". " + std::strerror(error), error);
}

EInOutError WriteFailure(const String& target, int error) {
    return EInOutError("Cannot write file \"" + target + "\". " + std::strerror(error), error);
}

} // namespace

// A stream over the temporary's descriptor that keeps the reason of its first failed write.
class TReplacingFile::FileStream : public TStream {
public:
    explicit FileStream(int fd) : fd_(fd) {}
    ~FileStream() override {
        if (fd_ >= 0) ::close(fd_);
    }

    Int64 Read(void* buffer, Int64 count) override {
        const ssize_t n = ::read(fd_, buffer, static_cast<size_t>(count));
        return n < 0 ? 0 : n;
    }
    Int64 Write(const void* buffer, Int64 count) override {
        Int64 done = 0;
        const auto* p = static_cast<const Byte*>(buffer);
        while (done < count && error_ == 0) {
            const ssize_t n = ::write(fd_, p + done, static_cast<size_t>(count - done));
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0)
                error_ = n < 0 ? errno : ENOSPC;
            else
                done += n;
        }
        return done;
    }
    Int64 Seek(Int64 offset, TSeekOrigin origin) override {
        const int whence = origin == soBeginning ? SEEK_SET
                           : origin == soCurrent ? SEEK_CUR
                                                 : SEEK_END;
        const off_t r = ::lseek(fd_, static_cast<off_t>(offset), whence);
        return r < 0 ? -1 : static_cast<Int64>(r);
    }
    // Flushes to the disk and closes; answers the reason of a failure, 0 when none.
    int Close() {
        int error = error_;
        if (error == 0 && ::fsync(fd_) != 0) error = errno;
        if (::close(fd_) != 0 && error == 0) error = errno;
        fd_ = -1;
        return error;
    }
    int Error() const { return error_; }

private:
    int fd_;
    int error_ = 0;
};

TReplacingFile::TReplacingFile(const String& target) : target_(target) {
    struct stat existing {};
    const bool exists = ::stat(target.c_str(), &existing) == 0;
    // A file the user may not write is not replaced behind their back.
    if (exists && ::access(target.c_str(), W_OK) != 0) throw CreateFailure(target, errno);
    String name = target + ".XXXXXX";
    const int fd = ::mkstemp(name.data());
    if (fd < 0) throw CreateFailure(target, errno);
    temporary_ = name;
    // The temporary is private; the saved file gets the target's rights, or a new file's.
    mode_t mode = existing.st_mode & 07777;
    if (!exists) {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    ::fchmod(fd, mode);
    stream_ = std::make_unique<FileStream>(fd);
}

TReplacingFile::~TReplacingFile() {
    stream_.reset();
    if (!committed_) ::unlink(temporary_.c_str());
}

TStream& TReplacingFile::Stream() {
    return *stream_;
}

int TReplacingFile::WriteError() const {
    return stream_ ? stream_->Error() : 0;
}

void TReplacingFile::Commit() {
    if (const int error = stream_->Close()) throw WriteFailure(target_, error);
    if (::rename(temporary_.c_str(), target_.c_str()) != 0) throw WriteFailure(target_, errno);
    committed_ = true;
}

void SaveReplacing(const String& target, const std::function<void(TStream&)>& Write) {
    TReplacingFile file(target);
    try {
        Write(file.Stream());
    } catch (const EWriteError&) {
        // The writer saw a short write; the stream knows why.
        if (file.WriteError() == 0) throw;
        throw WriteFailure(target, file.WriteError());
    }
    file.Commit();
}
