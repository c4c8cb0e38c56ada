#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "link/DeviceExchange.h"
#include "link/LinkFrame.h"
#include "link/PortBackend.h"

// The port under the fuzzed exchange: bytes the script feeds wait in its receive queue; every
// read and write is recorded with the exchange's mode and command byte at that moment, so
// the fuzzer can tell which frame the exchange was looking at when it changed something.
// The script can also make the device vanish, a read come back short or fail.
class ScriptPort : public PortBackend {
public:
    static constexpr std::size_t kCapacity = 1u << 16;

    struct Read {
        std::array<std::uint8_t, kFrameSize> head{};  // the first 52 bytes handed over
        std::int64_t size = 0;
        ExchangeMode mode = ExchangeMode::Idle;
        std::uint8_t command = 0;
        std::uint8_t attempt = 0;  // 0: the command has sent nothing yet
    };
    struct Write {
        LinkFrame bytes{};
        std::int64_t size = 0;
        ExchangeMode mode = ExchangeMode::Idle;
        std::uint8_t command = 0;
    };

    const DeviceExchange* exchange = nullptr;
    bool unplugged = false;
    bool shortNextRead = false;
    bool failNextRead = false;
    std::vector<Read> reads;
    std::vector<Write> writes;
    // Called after each write, e.g. by the scripted unit to answer it.
    std::function<void(const Write&)> onWrite;

    void feed(std::span<const std::uint8_t> bytes);
    void flush() { queue_.clear(); }
    std::size_t pending() const { return queue_.size(); }

    bool open(const QString& device) override;
    void close() override { open_ = false; }
    bool isOpen() const override { return open_; }
    std::int64_t bytesWaiting() override;
    std::int64_t read(std::uint8_t* buffer, std::int64_t max) override;
    std::int64_t write(const std::uint8_t* data, std::int64_t size) override;
    void drain() override {}
    // Not a read the exchange looks at: what waits is gone.
    void discardInput() override {
        queue_.clear();
        ++discards;
    }
    long discards = 0;

private:
    std::vector<std::uint8_t> queue_;
    bool open_ = false;
};
