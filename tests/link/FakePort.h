#pragma once

#include <QString>
#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "link/LinkFrame.h"
#include "link/PortBackend.h"

// A test double for the port only: bytes fed by the test wait in its receive queue, every
// write is recorded with the tick the test has set, and the open or the device can be made
// to fail. All storage is reserved up front, so using it allocates nothing.
class FakePort : public PortBackend {
public:
    static constexpr std::size_t kInputCapacity = 1u << 16;
    static constexpr std::size_t kWriteCapacity = 1024;  // the latest writes are kept

    struct Write {
        LinkFrame bytes{};
        std::int64_t size = 0;
        bool drained = false;  // drain() followed this write
        long tick = 0;
    };

    FakePort();

    // Test controls.
    bool failOpen = false;
    bool failReads = false;  // bytes are reported waiting, but the read fails
    long tick = 0;           // stamped on every write
    // Called after each recorded write, e.g. to feed the unit's answer at once.
    std::function<void(const Write&)> onWrite;

    void feed(std::span<const std::uint8_t> bytes);
    void feed(const LinkFrame& frame) { feed(std::span<const std::uint8_t>(frame)); }
    // The device disappears while open: nothing waits any more, reads and writes fail.
    void unplug() { unplugged_ = true; }
    void plugIn() { unplugged_ = false; }
    std::int64_t pending() const { return static_cast<std::int64_t>(tail_ - head_); }

    // Records.
    int openCalls = 0;
    int closeCalls = 0;
    int readCalls = 0;
    std::int64_t lastReadRequest = 0;
    QString lastDevice;
    long writeCount() const { return writeCount_; }
    // Write i (0 = first ever); only the latest kWriteCapacity are kept.
    const Write& write(long i) const { return writes_[static_cast<std::size_t>(i) % kWriteCapacity]; }
    const Write& lastWrite() const { return write(writeCount_ - 1); }

    // PortBackend
    bool open(const QString& device) override;
    void close() override;
    bool isOpen() const override { return open_; }
    std::int64_t bytesWaiting() override;
    std::int64_t read(std::uint8_t* buffer, std::int64_t max) override;
    std::int64_t write(const std::uint8_t* data, std::int64_t size) override;
    void drain() override;

private:
    std::vector<std::uint8_t> input_;
    std::size_t head_ = 0;
    std::size_t tail_ = 0;
    std::vector<Write> writes_;
    long writeCount_ = 0;
    bool open_ = false;
    bool unplugged_ = false;
};
