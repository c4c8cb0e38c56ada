#pragma once

#include <sys/resource.h>

#include <csignal>

// Makes every write that would grow a file beyond limit bytes fail (EFBIG) while the object
// lives, as a full disk would; works for any user, root included. The signal such a write
// raises is ignored, so the write just reports the failure.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t limit) {
        previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        active_ = getrlimit(RLIMIT_FSIZE, &previous_) == 0;
        if (active_) {
            rlimit lowered = previous_;
            lowered.rlim_cur = limit;
            active_ = setrlimit(RLIMIT_FSIZE, &lowered) == 0;
        }
    }
    ~FileSizeLimit() {
        if (active_) {
            setrlimit(RLIMIT_FSIZE, &previous_);
        }
        std::signal(SIGXFSZ, previousHandler_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

    bool isActive() const { return active_; }

private:
    rlimit previous_{};
    bool active_ = false;
    void (*previousHandler_)(int) = nullptr;
};
