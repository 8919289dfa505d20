#pragma once
// A limit on the size of the files this process writes, standing in for a full disk: a write
// past it fails (EFBIG, "File too large") instead of raising SIGXFSZ. The old limit and signal
// handling come back when it goes.
#include <csignal>
#include <sys/resource.h>

namespace test_support {

class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) : oldHandler_(std::signal(SIGXFSZ, SIG_IGN)) {
        getrlimit(RLIMIT_FSIZE, &old_);
        rlimit small = old_;
        small.rlim_cur = bytes;
        set_ = setrlimit(RLIMIT_FSIZE, &small) == 0;
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, oldHandler_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

    // Whether the limit holds.
    bool Set() const { return set_; }

private:
    void (*oldHandler_)(int);
    rlimit old_{};
    bool set_ = false;
};

} // namespace test_support
