#include "TimedBackend.h"

#include <algorithm>

class TimedBackend::Watch {
public:
    explicit Watch(qint64& longest) : longest_(longest) { clock_.start(); }
    ~Watch() { longest_ = std::max(longest_, clock_.elapsed()); }

private:
    qint64& longest_;
    QElapsedTimer clock_;
};

bool TimedBackend::open(const QString& device) {
    Watch watch(longestMs_);
    return real_->open(device);
}

void TimedBackend::close() {
    Watch watch(longestMs_);
    real_->close();
}

std::int64_t TimedBackend::bytesWaiting() {
    Watch watch(longestMs_);
    return real_->bytesWaiting();
}

std::int64_t TimedBackend::read(std::uint8_t* buffer, std::int64_t max) {
    Watch watch(longestMs_);
    const std::int64_t got = real_->read(buffer, max);
    lastReadSize_ = static_cast<int>(std::clamp<std::int64_t>(got, 0, static_cast<std::int64_t>(lastRead_.size())));
    std::copy_n(buffer, lastReadSize_, lastRead_.begin());
    return got;
}

std::int64_t TimedBackend::write(const std::uint8_t* data, std::int64_t size) {
    Watch watch(longestMs_);
    const std::int64_t put = real_->write(data, size);
    ++writes_;
    if (put != size) ++failedWrites_;
    return put;
}

void TimedBackend::drain() {
    Watch watch(longestMs_);
    real_->drain();
}
