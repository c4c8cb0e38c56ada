#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <array>
#include <memory>

#include "link/PortBackend.h"

// The real port with a stopwatch around every call: the reliability tests must see that no
// call on a vanished device hangs the window's thread. Everything else is passed through.
class TimedBackend : public PortBackend {
public:
    explicit TimedBackend(std::unique_ptr<PortBackend> real) : real_(std::move(real)) {}

    bool open(const QString& device) override;
    void close() override;
    bool isOpen() const override { return real_->isOpen(); }
    std::int64_t bytesWaiting() override;
    std::int64_t read(std::uint8_t* buffer, std::int64_t max) override;
    std::int64_t write(const std::uint8_t* data, std::int64_t size) override;
    void drain() override;

    // The longest single call so far, in milliseconds, and how many writes went out.
    qint64 longestCallMs() const { return longestMs_; }
    long writes() const { return writes_; }
    long failedWrites() const { return failedWrites_; }
    void resetLongest() { longestMs_ = 0; }
    // The start of the last read, for telling what a failure saw last.
    QByteArray lastRead() const { return QByteArray(reinterpret_cast<const char*>(lastRead_.data()), lastReadSize_); }

private:
    class Watch;

    std::unique_ptr<PortBackend> real_;
    qint64 longestMs_ = 0;
    long writes_ = 0;
    long failedWrites_ = 0;
    std::array<std::uint8_t, 128> lastRead_{};
    int lastReadSize_ = 0;
};
