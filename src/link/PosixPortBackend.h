#pragma once

#include <QtGlobal>

#ifdef Q_OS_UNIX

#include <termios.h>

#include <QElapsedTimer>

#include "link/PortBackend.h"

// The real port on POSIX systems, straight on the file descriptor. readWaiting asks the
// driver with FIONREAD and reads with read(2): it sees exactly what the OS holds whether or
// not an event loop runs, nothing is buffered in between, and nothing is allocated.
// A device that disappears (hang-up) is closed at the first call that notices it, so that
// nothing keeps it; the port then reports itself closed.
class PosixPortBackend : public PortBackend {
public:
    // Upper bound for one write to be accepted; the line takes about 9 ms for a frame, so
    // only a stalled device reaches it, and the window must not freeze then.
    // The write of a frame and the wait for it to leave share this bound. When it runs out
    // with part of a frame still queued, the queue is flushed: a half frame on the line
    // would only be taken by the unit as the start of the next one.
    static constexpr int kWriteBoundMs = 1000;

    PosixPortBackend() = default;
    ~PosixPortBackend() override;
    PosixPortBackend(const PosixPortBackend&) = delete;
    PosixPortBackend& operator=(const PosixPortBackend&) = delete;

    bool open(const QString& device) override;
    void close() override;
    int lastOpenError() const override { return openError_; }
    bool isOpen() const override { return fd_ >= 0; }
    std::int64_t bytesWaiting() override;
    std::int64_t read(std::uint8_t* buffer, std::int64_t max) override;
    std::int64_t write(const std::uint8_t* data, std::int64_t size) override;
    void drain() override;

private:
    void releaseDeadDevice();

    int fd_ = -1;
    int openError_ = 0;
    termios saved_{};
    QElapsedTimer writeClock_;  // since the start of the last write
};

#endif
