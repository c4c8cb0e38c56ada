#pragma once

#include <QSerialPort>

#include "link/PortBackend.h"

// The real port over QSerialPort; the system port on Windows. Reads go through
// waitForReadyRead(0), which pulls whatever the OS holds into the port's buffer without an
// event loop; with an event loop running the buffer is filled by the port's notifier
// instead, and bytesWaiting reports the same count either way.
class QtPortBackend : public PortBackend {
public:
    static constexpr int kWriteBoundMs = 1000;

    bool open(const QString& device) override;
    int lastOpenError() const override { return openError_; }
    void close() override;
    bool isOpen() const override { return port_.isOpen(); }
    std::int64_t bytesWaiting() override;
    std::int64_t read(std::uint8_t* buffer, std::int64_t max) override;
    std::int64_t write(const std::uint8_t* data, std::int64_t size) override;
    void drain() override;

private:
    void releaseIfGone();

    QSerialPort port_;
    int openError_ = 0;
};
